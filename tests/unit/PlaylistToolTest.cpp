#include "UnitFiles.h"
#include "document/PlaylistSettings.h"
#include "support/QtPrinters.h"
#include "support/TestMedia.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// The tests run the built orvanta-playlist binary on copies of the test movies. What the playlist file
// holds and how it reads is PlaylistFileFormatTest's; here, what each command makes of it.
namespace {

using V = KeyedArchiveValue;

QStringList clipNamesShown(const QJsonObject& shown) {
    QStringList names;
    for (const QJsonValue& clip : shown["clips"].toArray())
        names.append(clip["name"].toString());
    return names;
}

class PlaylistTool : public ::testing::Test {
protected:
    QTemporaryDir dir;

    QString copy(const QString& from, const QString& to) { return copyTestMedia(from, dir.filePath(to)); }
    QString path(const QString& name) const { return dir.filePath(name); }
    // Every file in the folder, with its bytes.
    QMap<QString, QByteArray> snapshot() const {
        QMap<QString, QByteArray> files;
        for (QDirIterator it(dir.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
             it.hasNext();)
            files.insert(it.next(), fileContents(it.filePath()));
        return files;
    }
};

} // namespace

TEST_F(PlaylistTool, NewStandardImportsFilesAndFoldersAsTheAddCommandDoes) {
    copy("clip-1s.mp4", "shows/b.mp4");
    copy("notes.txt", "shows/notes.txt");
    copy("clip-1s.mkv", "shows/sub/c.mkv");
    const QStringList inputs = {testMediaPath("clip-2s.mp4"),
                                testMediaPath("notes.txt"),
                                testMediaPath("protected-audio.mp4"),
                                testMediaPath("text.mp4"),
                                path("shows"),
                                testMediaPath("video-only-1s.mp4")};
    const QString file = path("list.orvplaylist");

    // The settings given with --set: ShowDescribesEveryField; what each text makes: PlaylistSettingsTest.
    const ToolRun run = runTool(QStringList{"new", "-o", file} + inputs);
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(testMediaPath("protected-audio.mp4")) && run.err.contains("DRM"))
        << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("notes.txt"));
    EXPECT_TRUE(run.out.contains("with 4 clips")) << run.out.toStdString();
    EXPECT_EQ(clipNamesShown(showJson(file)),
              (QStringList{"clip-2s.mp4", "b.mp4", "c.mkv", "video-only-1s.mp4"}));

    // An existing file is replaced only with --force (without it: MistakesAreRefusedAndChangeNothing).
    ASSERT_EQ(runTool(QStringList{"new", "--force", "--no-subdirectories", "-o", file} + inputs).status, 0);
    EXPECT_EQ(clipNamesShown(showJson(file)), (QStringList{"clip-2s.mp4", "b.mp4", "video-only-1s.mp4"}));
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

    // The file holds the folder, its bookmarks and no clips.
    const QString flat = path("flat.orvdynamic");
    ASSERT_EQ(runTool({"new", "--dynamic", source, "--no-subdirectories", "-o", flat}).status, 0);
    const KeyedArchiveDictionary root = tree(fileContents(flat));
    EXPECT_EQ(root.keys(), (QStringList{"settings", "isDynamicPlaylist", "clips", "dynamicSourceFolder",
                                        "includeSubdirectories", "bookmark", "secureBookmark"}));
    EXPECT_TRUE(root.value("clips").elements().isEmpty());
    EXPECT_EQ(root.value("includeSubdirectories").toNumber(), TypedNumber::boolean(false));
    EXPECT_EQ(showJson(flat)["includeSubdirectories"], QJsonValue(false));

    const ToolRun text = runTool({"show", file});
    EXPECT_EQ(text.status, 0);
    EXPECT_TRUE(text.out.contains("Kind:      dynamic\nFolder:    " + source + " (subdirectories included)"))
        << text.out.toStdString();
}

TEST_F(PlaylistTool, SetChangesOnlyTheNamedSettingsAndKeepsClipsAndUnknownKeys) {
    const QString first = copy("clip-1s.mp4", "first.mp4");
    const QString second = copy("clip-2s.mkv", "second.mkv");
    const QString file = path("keep.orvplaylist");
    ASSERT_EQ(runTool({"new", "-o", file, first, second}).status, 0);

    // Keys of a later version, and a settings dictionary without "muted".
    KeyedArchiveDictionary before = tree(fileContents(file));
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
    EXPECT_TRUE(tree(fileContents(file)) == before);
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
    // Floats keep their decimal point, whole numbers have none, and the settings keep the file's order,
    // all of which parsing loses.
    EXPECT_TRUE(run.out.contains("\"speed\": 1.0,") && run.out.contains("\"looping\": 3,"))
        << run.out.toStdString();
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
                           {"selectedDisplay", QJsonValue::Null},
                           {"clips", clips},
                           {"missingItems", QJsonArray{gone}},
                           {"dynamicSourceFolder", QJsonValue::Null},
                           {"includeSubdirectories", false},
                           {"totalTime", "Total Time:  0:00:03.000"}}));

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

// A mistake in the script exits with 2, a file that cannot be used with 1 (files that are no playlists:
// FileSafetyTest); either way nothing is written.
// Help goes to standard output and exits with 0.
TEST_F(PlaylistTool, MistakesAreRefusedAndChangeNothingAndHelpExplainsEachCommand) {
    const QString clip = copy("clip-1s.mp4", "source/a.mp4"), source = path("source");
    const QString file = path("list.orvplaylist"), x = path("x.orvplaylist");
    ASSERT_EQ(runTool({"new", "-o", file, clip}).status, 0);
    const QMap<QString, QByteArray> before = snapshot();
    const struct {
        QStringList arguments;
        int status;
        QString part; // of the message, or of the help
    } cases[] = {
        {{"--help"}, 0, "show [--json] FILE"},
        {{"help", "new"}, 0, "--dynamic FOLDER"},
        {{"set", "--help"}, 0, "orvanta-playlist set FILE KEY=VALUE..."},
        {{"new", "-o", x, source, path("shwos")}, 1, path("shwos")}, // a path that does not exist
        {{"new", "-o", file, clip}, 1, "--force"},
        {{"new", "--dynamic", path("nowhere"), "-o", x}, 1, path("nowhere")},
        {{"new", "--dynamic", clip, "-o", x}, 1, clip}, // a file is no folder
        {{"new", "--dynamic", source, "-o", x, clip}, 2, "cannot be given with --dynamic"},
        {{"new", "--set", "speed=fast", "-o", x}, 2, "speed"},
        {{"new", "--set", "bogus=1", "-o", x}, 2, "bogus"},
        {{"set", file, "speed=quick"}, 2, "speed"},
        {{"set", file, "volume=1", "nonsense=1"}, 2, "nonsense"},
        {{}, 2, "Usage"},
        {{"frobnicate"}, 2, "frobnicate"},
        {{"show"}, 2, ""},
        {{"show", file, file}, 2, ""},
        {{"show", "--bogus", file}, 2, "bogus"},
        {{"new"}, 2, ""},
        {{"new", "-o"}, 2, ""},
        {{"new", "-o", x, "-o", x}, 2, ""},
        {{"set"}, 2, ""},
        {{"set", file}, 2, ""},
        {{"help", "frobnicate"}, 2, "frobnicate"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const ToolRun run = runTool(c.arguments);
        EXPECT_EQ(run.status, c.status);
        const QString& said = c.status == 0 ? run.out : run.err;
        EXPECT_TRUE(!said.isEmpty() && said.contains(c.part)) << said.toStdString();
        EXPECT_TRUE((c.status == 0 ? run.err : run.out).isEmpty()) << run.out.toStdString();
    }
    EXPECT_EQ(snapshot(), before);
    const ToolRun version = runTool({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(QRegularExpression("^orvanta-playlist \\d+\\.\\d+\\.\\d+\\n$").match(version.out).hasMatch())
        << version.out.toStdString();
}
