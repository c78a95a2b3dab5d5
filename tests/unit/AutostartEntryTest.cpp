// The application's places under the XDG folders: its data and settings, and the autostart entries of
// "Open at Login" (their names and texts as tables, and one entry written and removed for real under a
// temporary XDG_CONFIG_HOME, checked by desktop-file-validate where it is installed).
#include "platform/AutostartEntry.h"
#include "UnitFiles.h"
#include "platform/AppPaths.h"
#include "support/QtPrinters.h"
#include "support/TestEnvironment.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(AutostartEntry, NamesAreSafeFileNamesAndSameNamedPlaylistsGetNumbers) {
    const struct {
        QString playlist;
        int candidate;
        QString expected;
    } cases[] = {
        {"/shows/Lobby.orvplaylist", 1, "orvanta-Lobby.desktop"},
        {"/other/Lobby.orvdynamic", 2, "orvanta-Lobby-2.desktop"},
        {"/shows/Main hall (left) & bar.orvplaylist", 1, "orvanta-Main-hall-left-bar.desktop"},
        {"/shows/Café Ümlaut.orvplaylist", 1, "orvanta-Café-Ümlaut.desktop"},
        {"/shows/.hidden.show.orvplaylist", 1, "orvanta-hidden.show.desktop"},
        {"/shows/$(rm -rf ~).orvplaylist", 1, "orvanta-rm-rf.desktop"},
        {"/shows/a/../b\\c\nd.orvplaylist", 1, "orvanta-b-c-d.desktop"},
        {"/shows/***.orvplaylist", 3, "orvanta-playlist-3.desktop"},
        {"/shows/" + QString(100, u'x') + ".orvplaylist", 1, "orvanta-" + QString(64, u'x') + ".desktop"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AutostartEntry::fileName(c.playlist, c.candidate), c.expected) << c.playlist.toStdString();
}

TEST(AutostartEntry, ExecLinesAreQuotedAsDesktopEntriesAskAndReadBackExactly) {
    const struct {
        QStringList arguments;
        QString expected; // as it stands in the file
    } cases[] = {
        {{"/usr/bin/orvanta", "--unattended", "/shows/Lobby.orvplaylist"},
         "/usr/bin/orvanta --unattended /shows/Lobby.orvplaylist"},
        {{"orvanta", "/My Shows/Lobby.orvplaylist"}, R"(orvanta "/My Shows/Lobby.orvplaylist")"},
        {{"orvanta", R"(/a "quoted" $HOME `x`.orvplaylist)"},
         R"(orvanta "/a \\"quoted\\" \\$HOME \\`x\\`.orvplaylist")"},
        {{"orvanta", R"(/back\slash.orvplaylist)"}, R"(orvanta "/back\\\\slash.orvplaylist")"},
        {{"orvanta", "/100% live.orvplaylist"}, R"(orvanta "/100%% live.orvplaylist")"},
        {{"orvanta", "/50%.orvplaylist"}, "orvanta /50%%.orvplaylist"},
        {{"orvanta", "/line\nbreak;tab\t.orvplaylist"}, R"(orvanta "/line\nbreak;tab\t.orvplaylist")"},
        {{"orvanta", "", "~/x"}, R"(orvanta "" "~/x")"},
    };
    for (const auto& c : cases) {
        const QString value = AutostartEntry::execValue(c.arguments);
        EXPECT_EQ(value, c.expected);
        EXPECT_EQ(AutostartEntry::execArguments(value), c.arguments) << value.toStdString();
    }
    // Lines not written by us: a field code, broken quoting.
    EXPECT_EQ(AutostartEntry::execArguments("orvanta %f"), std::nullopt);
    EXPECT_EQ(AutostartEntry::execArguments(R"(orvanta "/open)"), std::nullopt);
}

TEST(AutostartEntry, TheEntryStartsItsPlaylistUnattendedAndOnlyItsOwnExecLineCounts) {
    const QString playlist = "/srv/Main Hall/Lobby \"A\".orvplaylist";
    const QByteArray text = AutostartEntry::text("/opt/orvanta/bin/orvanta", playlist);
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\nType=Application\nName=Orvanta: Lobby \"A\"\n"));
    EXPECT_TRUE(text.contains("\nExec=/opt/orvanta/bin/orvanta --unattended "
                              "\"/srv/Main Hall/Lobby \\\\\"A\\\\\".orvplaylist\"\n"));
    EXPECT_EQ(AutostartEntry::playlistOf(text), playlist);
    EXPECT_EQ(AutostartEntry::playlistOf("[Desktop Entry]\nExec=orvanta /srv/x.orvplaylist\n"), QString());
    EXPECT_EQ(AutostartEntry::playlistOf("[Other]\nExec=orvanta --unattended /x\n"), QString());
}

TEST(AutostartEntry, IsWrittenUnderXdgConfigHomeFoundAgainAndRemoved) {
    QTemporaryDir dir;
    ScopedEnvironment config("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());
    const QString autostart = dir.filePath("config/autostart");
    ASSERT_EQ(AutostartEntry::defaultFolder(), autostart);
    const QString lobby = dir.filePath("a/Lobby.orvplaylist"), other = dir.filePath("b/Lobby.orvplaylist");

    EXPECT_EQ(AutostartEntry::find(lobby), QString());
    ASSERT_EQ(AutostartEntry::install("/usr/bin/orvanta", lobby), QString());
    ASSERT_EQ(AutostartEntry::install("/usr/bin/orvanta", other), QString());
    ASSERT_EQ(AutostartEntry::install("/usr/bin/orvanta", lobby), QString()); // rewritten in place
    EXPECT_EQ(AutostartEntry::find(lobby), autostart + "/orvanta-Lobby.desktop");
    EXPECT_EQ(AutostartEntry::find(other), autostart + "/orvanta-Lobby-2.desktop");
    EXPECT_EQ(QDir(autostart).entryList(QDir::Files).size(), 2);

    if (const QString validate = QStandardPaths::findExecutable("desktop-file-validate");
        !validate.isEmpty()) {
        QProcess check;
        check.start(validate, {AutostartEntry::find(lobby)});
        ASSERT_TRUE(check.waitForFinished(10000));
        EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardOutput().toStdString();
        EXPECT_FALSE(check.readAllStandardOutput().contains("error")) << "desktop-file-validate complained";
    }

    ASSERT_EQ(AutostartEntry::remove(lobby), QString());
    EXPECT_EQ(AutostartEntry::find(lobby), QString());
    EXPECT_EQ(AutostartEntry::find(other), autostart + "/orvanta-Lobby-2.desktop");
    ASSERT_EQ(AutostartEntry::remove(lobby), QString()); // nothing there: nothing to do

    // Read-only folder: the reason is given, nothing is half-written.
    QFile::setPermissions(autostart, QFile::ReadOwner | QFile::ExeOwner);
    if (QFile probe(autostart + "/probe"); !probe.open(QIODevice::WriteOnly)) {
        EXPECT_NE(AutostartEntry::install("/usr/bin/orvanta", lobby), QString());
        EXPECT_EQ(AutostartEntry::find(lobby), QString());
    }
    QFile::setPermissions(autostart, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(AppPaths, AreOneLowercaseFolderPerApplicationAndAdoptTheEarlierOnesOnce) {
    QTemporaryDir home;
    ScopedEnvironment data("XDG_DATA_HOME", home.filePath("data").toUtf8());
    ScopedEnvironment config("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
    EXPECT_EQ(AppPaths::dataFolder(), home.filePath("data/orvanta"));
    EXPECT_EQ(AppPaths::settingsFile(), home.filePath("config/orvanta/orvanta.conf"));

    ASSERT_TRUE(writeFile(home.filePath("data/Orvanta/Orvanta/Demo/Clips/a.mp4"), "clip"));
    ASSERT_TRUE(
        writeFile(home.filePath("config/Orvanta/Orvanta.conf"), "[General]\nimportLocation=file:///srv\n"));
    EXPECT_TRUE(AppPaths::adoptEarlierLocations().isEmpty());
    EXPECT_EQ(fileContents(home.filePath("data/orvanta/Demo/Clips/a.mp4")), "clip");
    EXPECT_EQ(fileContents(AppPaths::settingsFile()), "[General]\nimportLocation=file:///srv\n");
    EXPECT_FALSE(QFileInfo::exists(home.filePath("data/Orvanta")));
    EXPECT_FALSE(QFileInfo::exists(home.filePath("config/Orvanta")));

    // Once the current places exist, an earlier one (another version run since) is left alone.
    ASSERT_TRUE(writeFile(home.filePath("config/Orvanta/Orvanta.conf"), "[General]\n"));
    EXPECT_TRUE(AppPaths::adoptEarlierLocations().isEmpty());
    EXPECT_EQ(fileContents(AppPaths::settingsFile()), "[General]\nimportLocation=file:///srv\n");
    EXPECT_EQ(fileContents(home.filePath("config/Orvanta/Orvanta.conf")), "[General]\n");
}
