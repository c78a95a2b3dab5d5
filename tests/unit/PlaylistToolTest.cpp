#include "UnitFiles.h"
#include "document/PlaylistSettings.h"
#include "platform/archive/KeyedArchiveDictionary.h"
#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"
#include "support/QtPrinters.h"
#include "support/TestMedia.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// The tests run the built orvanta-playlist binary on copies of the test movies. What the playlist file
// holds and how it reads is PlaylistFileFormatTest's; here, what each command makes of it.
namespace {

using V = KeyedArchiveValue;

KeyedArchiveDictionary readTree(const QString& path) {
    const KeyedUnarchiveResult result = KeyedUnarchiver::unarchiveObjectWithData(fileContents(path));
    EXPECT_TRUE(result.ok()) << path.toStdString() << ": " << result.error.toStdString();
    return result.value.toDictionary();
}

QStringList clipNamesInFile(const KeyedArchiveDictionary& root) {
    QStringList names;
    for (const V& entry : root.value("clipCollection").elements())
        names.append(QFileInfo(entry.toDictionary().value("url").toUrl().toLocalFile()).fileName());
    return names;
}

QJsonObject showJson(const QString& path) {
    const ToolRun run = runTool({"show", "--json", path});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(run.out.toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << run.out.toStdString();
    return document.object();
}

QStringList clipNamesShown(const QJsonObject& shown) {
    QStringList names;
    for (const QJsonValue& clip : shown["clips"].toArray())
        names.append(clip["name"].toString());
    return names;
}

class PlaylistTool : public ::testing::Test {
protected:
    QTemporaryDir dir;

    QString copy(const QString& from, const QString& to) {
        const QString path = dir.filePath(to);
        QDir().mkpath(QFileInfo(path).absolutePath());
        EXPECT_TRUE(QFile::copy(testMediaPath(from), path)) << path.toStdString();
        return path;
    }
    QString path(const QString& name) const { return dir.filePath(name); }
};

} // namespace

TEST_F(PlaylistTool, NewStandardImportsFilesAndFoldersAsTheAddCommandDoes) {
    copy("clip-1s.mp4", "shows/b.mp4");
    copy("notes.txt", "shows/notes.txt");
    copy("clip-1s.mkv", "shows/sub/c.mkv");
    const QString shows = path("shows");
    const QStringList inputs = {testMediaPath("clip-2s.mp4"),
                                testMediaPath("notes.txt"),
                                testMediaPath("protected-audio.mp4"),
                                testMediaPath("text.mp4"),
                                shows,
                                testMediaPath("video-only-1s.mp4")};

    const ToolRun run = runTool(QStringList{"new", "-o", path("list.orvplaylist")} + inputs);
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(testMediaPath("protected-audio.mp4")) && run.err.contains("DRM"))
        << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("notes.txt"));
    EXPECT_TRUE(run.out.contains("with 4 clips")) << run.out.toStdString();
    EXPECT_EQ(clipNamesInFile(readTree(path("list.orvplaylist"))),
              (QStringList{"clip-2s.mp4", "b.mp4", "c.mkv", "video-only-1s.mp4"}));

    const ToolRun flat =
        runTool(QStringList{"new", "--no-subdirectories", "-o", path("flat.orvplaylist")} + inputs);
    ASSERT_EQ(flat.status, 0) << flat.err.toStdString();
    EXPECT_EQ(clipNamesInFile(readTree(path("flat.orvplaylist"))),
              (QStringList{"clip-2s.mp4", "b.mp4", "video-only-1s.mp4"}));

    // A path that does not exist is a mistake in the script: nothing is written.
    const ToolRun typo = runTool({"new", "-o", path("typo.orvplaylist"), shows, path("shwos")});
    EXPECT_EQ(typo.status, 1);
    EXPECT_TRUE(typo.err.contains(path("shwos"))) << typo.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path("typo.orvplaylist")));
}

TEST_F(PlaylistTool, NewDynamicIsBoundToItsFolderAndShowRebuildsItsClips) {
    copy("clip-1s.mp4", "source/a.mp4");
    copy("clip-1s.mkv", "source/sub/b.mkv");
    const QString source = path("source");
    const QString file = path("folder.orvdynamic");

    ASSERT_EQ(runTool({"new", "--dynamic", source, "-o", file}).status, 0);
    const QJsonObject shown = showJson(file);
    EXPECT_EQ(shown["type"].toString(), "OrvantaDynamicPlaylist");
    EXPECT_EQ(shown["isDynamicPlaylist"], QJsonValue(true));
    EXPECT_EQ(shown["dynamicSourceFolder"].toString(), QUrl::fromLocalFile(source).toString());
    EXPECT_EQ(shown["includeSubdirectories"], QJsonValue(true));
    EXPECT_EQ(clipNamesShown(shown), (QStringList{"a.mp4", "b.mkv"}));

    // The clips come from the folder as it is now, not from the file.
    copy("clip-2s.mp4", "source/c.mp4");
    copy("notes.txt", "source/d.txt");
    EXPECT_EQ(clipNamesShown(showJson(file)), (QStringList{"a.mp4", "c.mp4", "b.mkv"}));

    ASSERT_EQ(
        runTool({"new", "--dynamic", source, "--no-subdirectories", "-o", path("flat.orvdynamic")}).status,
        0);
    EXPECT_EQ(readTree(path("flat.orvdynamic")).value("includeSubdirectories").toNumber(),
              TypedNumber::boolean(false));

    const ToolRun text = runTool({"show", file});
    EXPECT_EQ(text.status, 0);
    EXPECT_TRUE(text.out.contains("Kind:      dynamic\nFolder:    " + source + " (subdirectories included)"))
        << text.out.toStdString();

    // The folder must be a folder that exists; files cannot be added to a dynamic playlist.
    const ToolRun missing = runTool({"new", "--dynamic", path("nowhere"), "-o", path("x.orvdynamic")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.err.contains(path("nowhere"))) << missing.err.toStdString();
    EXPECT_EQ(runTool({"new", "--dynamic", path("source/a.mp4"), "-o", path("x.orvdynamic")}).status, 1);
    EXPECT_EQ(runTool({"new", "--dynamic", source, "-o", path("x.orvdynamic"), path("source/a.mp4")}).status,
              2);
    EXPECT_FALSE(QFileInfo::exists(path("x.orvdynamic")));
}

TEST_F(PlaylistTool, NewSetsSettingsOfEachKindRefusesWrongOnesAndReplacesOnlyWithForce) {
    const QString file = path("set.orvplaylist");
    // What each text makes is SettingAssignmentTest's; here, that the settings given are the file's.
    const ToolRun run = runTool({"new", "--set", "autoplay=true", "--set", "looping=-1", "-o", file});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    KeyedArchiveDictionary expected;
    for (const auto& [key, value] : PlaylistSettings::defaultEntries())
        expected.insert(key, V::number(value));
    expected.insert("autoplay", V::number(TypedNumber::boolean(true)));
    expected.insert("looping", V::number(TypedNumber::integer(-1)));
    EXPECT_TRUE(readTree(file).value("settings").toDictionary() == expected);

    const QString refusedFile = path("refused.orvplaylist");
    for (const char* wrong : {"speed=fast", "bogus=1"}) {
        const ToolRun refused = runTool({"new", "--set", wrong, "-o", refusedFile});
        EXPECT_EQ(refused.status, 2) << wrong;
        EXPECT_TRUE(refused.err.contains(QString::fromUtf8(wrong).section('=', 0, 0)))
            << refused.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(refusedFile)) << wrong;
    }

    // An existing file is replaced only with --force.
    const QString clip = copy("clip-1s.mp4", "one.mp4");
    const QByteArray before = fileContents(file);
    const ToolRun taken = runTool({"new", "-o", file, clip});
    EXPECT_EQ(taken.status, 1);
    EXPECT_TRUE(taken.err.contains(file) && taken.err.contains("--force")) << taken.err.toStdString();
    EXPECT_EQ(fileContents(file), before);
    ASSERT_EQ(runTool({"new", "--force", "-o", file, clip}).status, 0);
    EXPECT_EQ(clipNamesInFile(readTree(file)), QStringList{"one.mp4"});
}

TEST_F(PlaylistTool, SetChangesOnlyTheNamedSettingsAndKeepsClipsAndUnknownKeys) {
    const QString first = copy("clip-1s.mp4", "first.mp4");
    const QString second = copy("clip-2s.mkv", "second.mkv");
    const QString file = path("keep.orvplaylist");
    ASSERT_EQ(runTool({"new", "-o", file, first, second}).status, 0);

    // Keys of a later version, and a settings dictionary without "muted".
    KeyedArchiveDictionary before = readTree(file);
    KeyedArchiveDictionary was = before.value("settings").toDictionary();
    was.remove("muted");
    was.insert("futureKnob", V::number(TypedNumber::float64(0.25)));
    before.insert("settings", V::dictionary(was));
    before.insert("futureRoot", V::string("kept"));
    ASSERT_TRUE(writeFile(file, KeyedArchiver::archivedDataWithRootObject(V::dictionary(before)).data));

    // A clip whose disk is not there right now must survive.
    ASSERT_TRUE(QFile::remove(second));
    const ToolRun run = runTool({"set", file, "speed=2", "autoplay=true", "muted=true"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();

    // The named settings changed in place or added; everything else, with its key order, as it was.
    was.insert("speed", V::number(TypedNumber::float32(2.0f)));
    was.insert("autoplay", V::number(TypedNumber::boolean(true)));
    was.insert("muted", V::number(TypedNumber::boolean(true)));
    before.insert("settings", V::dictionary(was));
    EXPECT_TRUE(readTree(file) == before);

    // Mistakes change nothing.
    const QByteArray unchanged = fileContents(file);
    EXPECT_EQ(runTool({"set", file}).status, 2);
    EXPECT_EQ(runTool({"set", file, "speed=quick"}).status, 2);
    EXPECT_EQ(runTool({"set", file, "volume=1", "nonsense=1"}).status, 2);
    EXPECT_EQ(fileContents(file), unchanged);
}

TEST_F(PlaylistTool, ShowDescribesEveryFieldAndTheClipsThatAreGone) {
    const QString first = copy("clip-1s.mp4", "one \"clip\" é.mp4");
    const QString second = copy("clip-2s.mp4", "two.mp4");
    const QString gone = copy("clip-1s.mp4", "gone.mp4");
    const QString file = path("show.orvplaylist");
    ASSERT_EQ(
        runTool({"new", "--set", "volume=0.5", "--set", "looping=3", "-o", file, first, second, gone}).status,
        0);
    ASSERT_TRUE(QFile::remove(gone));

    const ToolRun run = runTool({"show", "--json", file});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    // Floats keep their decimal point; the settings keep the file's order.
    for (const char* value : {"\"speed\": 1.0,", "\"volume\": 0.5,", "\"looping\": 3,",
                              "\"autoplay\": false,", R"("name": "one \"clip\" é.mp4")"})
        EXPECT_TRUE(run.out.contains(QString::fromUtf8(value))) << value << "\n" << run.out.toStdString();
    qsizetype previous = -1;
    for (const QString& key : PlaylistSettings::knownKeys()) {
        const qsizetype at = run.out.indexOf('"' + key + '"');
        EXPECT_GT(at, previous) << key.toStdString();
        previous = at;
    }

    const auto clip = [](const QString& path, const char* qttimeDuration, const char* duration) {
        return QJsonObject{{"url", QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded)},
                           {"name", QFileInfo(path).fileName()},
                           {"qttimeDuration", qttimeDuration},
                           {"duration", duration},
                           {"bookmark", true},
                           {"secureBookmark", true}};
    };
    QJsonObject missing = clip(gone, "", "");
    missing.insert("missing", true);
    missing.insert("missingReason", "The file “" + gone + "” cannot be found.");
    QJsonObject settings; // the defaults, but for the two set
    for (const auto& [key, value] : PlaylistSettings::defaultEntries())
        settings.insert(key, value.kind() == TypedNumber::Kind::Boolean ? QJsonValue(value.boolValue())
                                                                        : QJsonValue(value.doubleValue()));
    settings.insert("volume", 0.5);
    settings.insert("looping", 3);
    const QJsonArray clips{clip(first, "12800/12800", "00:00:01.000"),
                           clip(second, "25600/12800", "00:00:02.000"), missing};
    EXPECT_EQ(QJsonDocument::fromJson(run.out.toUtf8()).object(),
              (QJsonObject{{"type", "OrvantaStandardPlaylist"},
                           {"isDynamicPlaylist", false},
                           {"settings", settings},
                           {"clips", clips},
                           {"missingItems", QJsonArray{gone}},
                           {"dynamicSourceFolder", QJsonValue::Null},
                           {"includeSubdirectories", false},
                           {"totalTime", "Total Time:  0:00:03.000"}}));
    EXPECT_TRUE(run.out.contains("/one%20%22clip%22%20%C3%A9.mp4\""));

    const ToolRun text = runTool({"show", file});
    ASSERT_EQ(text.status, 0);
    const QString out = text.out;
    EXPECT_TRUE(out.contains("Kind:      standard")) << out.toStdString();
    EXPECT_TRUE(out.contains(QRegularExpression("\\n  speed +1\\.0\\n")));
    EXPECT_TRUE(out.contains("Clips:     3 (1 missing)\n  1  00:00:01.000  one \"clip\" é.mp4  " + first +
                             "\n  2  00:00:02.000  two.mp4  " + second + "\n  3  MISSING       gone.mp4  " +
                             gone + "  (The file “" + gone + "” cannot be found.)\nMissing:   1\n  " + gone +
                             "\nTotal Time:  0:00:03.000\n"))
        << out.toStdString();
}

TEST_F(PlaylistTool, RefusesFilesThatAreNotPlaylists) {
    const QString notes = copy("notes.txt", "shopping list.orvplaylist");
    for (const QStringList& command : {QStringList{"show", notes}, QStringList{"set", notes, "speed=2"}}) {
        const ToolRun run = runTool(command);
        EXPECT_EQ(run.status, 1) << command.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("shopping list.orvplaylist") && run.err.contains("It is not a playlist"))
            << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }
    EXPECT_EQ(fileContents(notes), fileContents(testMediaPath("notes.txt")));
}

TEST_F(PlaylistTool, UsageErrorsExitWithTwoAndHelpExplainsEachCommand) {
    const QString file = path("any.orvplaylist");
    for (const QStringList& wrong :
         {QStringList{}, QStringList{"frobnicate"}, QStringList{"show"}, QStringList{"show", file, file},
          QStringList{"show", "--bogus", file}, QStringList{"new"}, QStringList{"new", "-o"},
          QStringList{"new", "-o", file, "-o", file}, QStringList{"set"},
          QStringList{"help", "frobnicate"}}) {
        const ToolRun run = runTool(wrong);
        EXPECT_EQ(run.status, 2) << wrong.join(' ').toStdString();
        EXPECT_FALSE(run.err.isEmpty()) << wrong.join(' ').toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(file));

    const struct {
        QStringList arguments;
        const char* part;
    } helps[] = {{{"--help"}, "show [--json] FILE"},
                 {{"help", "new"}, "--dynamic FOLDER"},
                 {{"set", "--help"}, "orvanta-playlist set FILE KEY=VALUE..."}};
    for (const auto& help : helps) {
        const ToolRun run = runTool(help.arguments);
        EXPECT_EQ(run.status, 0);
        EXPECT_TRUE(run.out.contains(QString::fromUtf8(help.part))) << help.part << "\n"
                                                                    << run.out.toStdString();
    }
    const ToolRun version = runTool({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(QRegularExpression("^orvanta-playlist \\d+\\.\\d+\\.\\d+\\n$").match(version.out).hasMatch())
        << version.out.toStdString();
}
