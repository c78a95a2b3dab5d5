#include "document/ComputePlaylistDuration.h"
#include "document/PlaylistSettings.h"
#include "platform/archive/KeyedArchiveDictionary.h"
#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"
#include "platform/bookmarks/Bookmark.h"
#include "platform/media/Movie.h"
#include "platform/media/TimeDisplay.h"
#include "support/QtPrinters.h"
#include "support/TestMedia.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// The tests run the built orvanta-playlist binary on copies of the test movies.
namespace {

using V = KeyedArchiveValue;

struct ToolRun {
    int status = -1;
    QString out;
    QString err;
};

ToolRun runTool(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(ORVANTA_PLAYLIST_TOOL), arguments);
    ToolRun run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << "orvanta-playlist did not finish normally: " << arguments.join(' ').toStdString();
        return run;
    }
    run.status = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    // A sanitizer report also exits with 1: never let it pass for a refusal.
    EXPECT_FALSE(run.err.contains("Sanitizer") || run.err.contains("runtime error:"))
        << run.err.toStdString();
    return run;
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

KeyedArchiveDictionary readTree(const QString& path) {
    const KeyedUnarchiveResult result = KeyedUnarchiver::unarchiveObjectWithData(contents(path));
    EXPECT_TRUE(result.ok()) << path.toStdString() << ": " << result.error.toStdString();
    return result.value.toDictionary();
}

void writeTree(const QString& path, KeyedArchiveDictionary root) {
    const KeyedArchiveEncoding encoded =
        KeyedArchiver::archivedDataWithRootObject(V::dictionary(std::move(root)));
    ASSERT_TRUE(encoded.ok());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(encoded.data);
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

QString movieDuration(const QString& path) {
    auto opened = Movie::open(QUrl::fromLocalFile(path));
    EXPECT_TRUE(opened) << path.toStdString();
    return opened ? opened.movie->duration().toString() : QString();
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
    EXPECT_TRUE(run.err.contains(testMediaPath("protected-audio.mp4"))) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("DRM"));
    EXPECT_FALSE(run.err.contains("notes.txt"));
    EXPECT_TRUE(run.out.contains("with 4 clips")) << run.out.toStdString();

    const KeyedArchiveDictionary root = readTree(path("list.orvplaylist"));
    EXPECT_FALSE(root.value("isDynamicPlaylist").toNumber().boolValue());
    EXPECT_EQ(clipNamesInFile(root), (QStringList{"clip-2s.mp4", "b.mp4", "c.mkv", "video-only-1s.mp4"}));
    for (const V& entry : root.value("clipCollection").elements()) {
        EXPECT_EQ(entry.toDictionary().value("bookmark").type(), V::Type::Data);
        EXPECT_EQ(entry.toDictionary().value("secureBookmark").type(), V::Type::Data);
    }
    // A new playlist holds the twelve defaults, in order and of their kinds.
    QList<QPair<QString, TypedNumber>> settings;
    for (const auto& [key, value] : root.value("settings").toDictionary().entries())
        settings.append({key, value.toNumber()});
    EXPECT_EQ(settings, PlaylistSettings::defaultEntries());

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

    // No paths at all: an empty playlist.
    ASSERT_EQ(runTool({"new", "-o", path("empty.orvplaylist")}).status, 0);
    EXPECT_TRUE(readTree(path("empty.orvplaylist")).value("clipCollection").elements().isEmpty());
}

TEST_F(PlaylistTool, NewDynamicIsBoundToItsFolderAndShowRebuildsItsClips) {
    copy("clip-1s.mp4", "source/a.mp4");
    copy("clip-1s.mkv", "source/sub/b.mkv");
    const QString source = path("source");
    const QString file = path("folder.orvdynamic");

    ASSERT_EQ(runTool({"new", "--dynamic", source, "-o", file}).status, 0);
    const KeyedArchiveDictionary root = readTree(file);
    EXPECT_TRUE(root.value("isDynamicPlaylist").toNumber().boolValue());
    EXPECT_TRUE(root.value("clips").elements().isEmpty());
    EXPECT_FALSE(root.contains("clipCollection"));
    EXPECT_EQ(root.value("dynamicSourceFolder").toUrl(), QUrl::fromLocalFile(source));
    EXPECT_TRUE(root.value("includeSubdirectories").toNumber().boolValue());
    EXPECT_EQ(root.value("bookmark").type(), V::Type::Data);

    QJsonObject shown = showJson(file);
    EXPECT_EQ(shown["type"].toString(), "OrvantaDynamicPlaylist");
    EXPECT_EQ(shown["isDynamicPlaylist"], QJsonValue(true));
    EXPECT_EQ(shown["dynamicSourceFolder"].toString(), QUrl::fromLocalFile(source).toString());
    EXPECT_EQ(shown["includeSubdirectories"], QJsonValue(true));
    EXPECT_EQ(clipNamesShown(shown), (QStringList{"a.mp4", "b.mkv"}));

    // The clips come from the folder as it is now, not from the file.
    copy("clip-2s.mp4", "source/c.mp4");
    copy("notes.txt", "source/d.txt");
    EXPECT_EQ(clipNamesShown(showJson(file)), (QStringList{"a.mp4", "c.mp4", "b.mkv"}));

    const QString flat = path("flat.orvdynamic");
    ASSERT_EQ(runTool({"new", "--dynamic", source, "--no-subdirectories", "-o", flat}).status, 0);
    shown = showJson(flat);
    EXPECT_EQ(shown["includeSubdirectories"], QJsonValue(false));
    EXPECT_EQ(clipNamesShown(shown), (QStringList{"a.mp4", "c.mp4"}));

    const ToolRun text = runTool({"show", file});
    EXPECT_EQ(text.status, 0);
    EXPECT_TRUE(text.out.contains("Kind:      dynamic")) << text.out.toStdString();
    EXPECT_TRUE(text.out.contains("Folder:    " + source + " (subdirectories included)"));

    // The folder must be a folder that exists; files cannot be added to a dynamic playlist.
    const ToolRun missing = runTool({"new", "--dynamic", path("nowhere"), "-o", path("x.orvdynamic")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.err.contains(path("nowhere"))) << missing.err.toStdString();
    EXPECT_EQ(runTool({"new", "--dynamic", path("source/a.mp4"), "-o", path("x.orvdynamic")}).status, 1);
    EXPECT_EQ(runTool({"new", "--dynamic", source, "-o", path("x.orvdynamic"), path("source/a.mp4")}).status,
              2);
    EXPECT_FALSE(QFileInfo::exists(path("x.orvdynamic")));
}

TEST_F(PlaylistTool, NewSetsEachKindOfSettingAndRefusesWrongOnes) {
    const QString file = path("set.orvplaylist");
    const ToolRun run = runTool({"new", "--set", "autoplay=true", "--set", "muted=1", "--set", "speed=0.5",
                                 "--set", "volume=2", "--set", "looping=-1", "--set",
                                 "customFrameWidth=2147483647", "--set", "closeWhenFinished=0", "-o", file});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const KeyedArchiveDictionary settings = readTree(file).value("settings").toDictionary();
    EXPECT_EQ(settings.keys(), PlaylistSettings::knownKeys());
    EXPECT_EQ(settings.value("autoplay").toNumber(), TypedNumber::boolean(true));
    EXPECT_EQ(settings.value("muted").toNumber(), TypedNumber::boolean(true));
    EXPECT_EQ(settings.value("closeWhenFinished").toNumber(), TypedNumber::boolean(false));
    EXPECT_EQ(settings.value("speed").toNumber(), TypedNumber::float32(0.5f));
    EXPECT_EQ(settings.value("volume").toNumber(), TypedNumber::float32(2.0f));
    EXPECT_EQ(settings.value("looping").toNumber(), TypedNumber::integer(-1));
    EXPECT_EQ(settings.value("customFrameWidth").toNumber(), TypedNumber::integer(2147483647));
    EXPECT_EQ(settings.value("customFrameHeight").toNumber(), TypedNumber::integer(0));

    const QString refusedFile = path("refused.orvplaylist");
    for (const char* wrong :
         {"speed=fast", "looping=1.5", "autoplay=yes", "customFrameX=2147483648", "bogus=1", "speed"}) {
        const ToolRun refused = runTool({"new", "--set", wrong, "-o", refusedFile});
        EXPECT_EQ(refused.status, 2) << wrong;
        const QString key = QString::fromUtf8(wrong).section('=', 0, 0);
        EXPECT_TRUE(refused.err.contains(key)) << refused.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(refusedFile)) << wrong;
    }
}

TEST_F(PlaylistTool, NewRefusesToReplaceAFileWithoutForce) {
    const QString file = path("taken.orvplaylist");
    {
        QFile existing(file);
        ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
        existing.write("keep me");
    }
    const QString clip = copy("clip-1s.mp4", "one.mp4");
    const ToolRun refused = runTool({"new", "-o", file, clip});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.contains(file) && refused.err.contains("--force")) << refused.err.toStdString();
    EXPECT_EQ(contents(file), "keep me");

    ASSERT_EQ(runTool({"new", "--force", "-o", file, clip}).status, 0);
    EXPECT_EQ(clipNamesInFile(readTree(file)), QStringList{"one.mp4"});
}

TEST_F(PlaylistTool, SetChangesOnlyTheNamedSettingsAndKeepsClipsAndUnknownKeys) {
    const QString first = copy("clip-1s.mp4", "first.mp4");
    const QString second = copy("clip-2s.mkv", "second.mkv");
    const QString file = path("keep.orvplaylist");
    ASSERT_EQ(runTool({"new", "-o", file, first, second}).status, 0);

    // Keys of a later version, and a settings dictionary without "muted".
    KeyedArchiveDictionary root = readTree(file);
    KeyedArchiveDictionary settings = root.value("settings").toDictionary();
    settings.remove("muted");
    settings.insert("futureKnob", V::number(TypedNumber::float64(0.25)));
    root.insert("settings", V::dictionary(settings));
    root.insert("futureRoot", V::string("kept"));
    writeTree(file, root);
    const KeyedArchiveDictionary before = readTree(file);

    // A clip whose disk is not there right now must survive.
    ASSERT_TRUE(QFile::remove(second));
    const ToolRun run = runTool({"set", file, "speed=2", "autoplay=true", "muted=true"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();

    const KeyedArchiveDictionary after = readTree(file);
    EXPECT_EQ(after.keys(), before.keys());
    for (const auto& [key, value] : before.entries()) {
        if (key != "settings") {
            EXPECT_TRUE(after.value(key) == value) << key.toStdString();
        }
    }
    EXPECT_EQ(clipNamesInFile(after), (QStringList{"first.mp4", "second.mkv"}));

    const KeyedArchiveDictionary was = before.value("settings").toDictionary();
    const KeyedArchiveDictionary now = after.value("settings").toDictionary();
    EXPECT_EQ(now.keys(), was.keys() + QStringList{"muted"});
    for (const auto& [key, value] : was.entries()) {
        if (key == "speed") {
            EXPECT_EQ(now.value(key).toNumber(), TypedNumber::float32(2.0f));
        } else if (key == "autoplay") {
            EXPECT_EQ(now.value(key).toNumber(), TypedNumber::boolean(true));
        } else {
            EXPECT_TRUE(now.value(key) == value) << key.toStdString();
        }
    }
    EXPECT_EQ(now.value("muted").toNumber(), TypedNumber::boolean(true));
    EXPECT_EQ(now.value("futureKnob").toNumber().kind(), TypedNumber::Kind::Float64);

    // Mistakes change nothing.
    const QByteArray unchanged = contents(file);
    EXPECT_EQ(runTool({"set", file}).status, 2);
    EXPECT_EQ(runTool({"set", file, "speed=quick"}).status, 2);
    EXPECT_EQ(runTool({"set", file, "volume=1", "nonsense=1"}).status, 2);
    EXPECT_EQ(contents(file), unchanged);
}

TEST_F(PlaylistTool, ShowJsonDescribesEveryField) {
    const QString first = copy("clip-1s.mp4", "one \"clip\" é.mp4");
    const QString second = copy("clip-2s.mp4", "two.mp4");
    const QString file = path("show.orvplaylist");
    ASSERT_EQ(runTool({"new", "--set", "volume=0.5", "--set", "looping=3", "-o", file, first, second}).status,
              0);

    const ToolRun run = runTool({"show", "--json", file});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    // Floats keep their decimal point; the settings keep the file's order.
    EXPECT_TRUE(run.out.contains("\"speed\": 1.0,")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("\"volume\": 0.5,"));
    EXPECT_TRUE(run.out.contains("\"looping\": 3,"));
    EXPECT_TRUE(run.out.contains("\"autoplay\": false,"));
    qsizetype previous = -1;
    for (const QString& key : PlaylistSettings::knownKeys()) {
        const qsizetype at = run.out.indexOf('"' + key + '"');
        EXPECT_GT(at, previous) << key.toStdString();
        previous = at;
    }

    QJsonParseError error;
    const QJsonObject shown = QJsonDocument::fromJson(run.out.toUtf8(), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError);
    EXPECT_EQ(shown.keys().size(), 8);
    EXPECT_EQ(shown["type"].toString(), "OrvantaStandardPlaylist");
    EXPECT_EQ(shown["isDynamicPlaylist"], QJsonValue(false));
    EXPECT_TRUE(shown["dynamicSourceFolder"].isNull());
    EXPECT_EQ(shown["includeSubdirectories"], QJsonValue(false));
    EXPECT_EQ(shown["missingItems"], QJsonValue(QJsonArray{}));

    const QJsonObject settings = shown["settings"].toObject();
    EXPECT_EQ(settings.size(), 12);
    EXPECT_EQ(settings["speed"], QJsonValue(1.0));
    EXPECT_EQ(settings["volume"], QJsonValue(0.5));
    EXPECT_EQ(settings["muted"], QJsonValue(false));
    EXPECT_EQ(settings["looping"], QJsonValue(3));

    const QJsonArray clips = shown["clips"].toArray();
    ASSERT_EQ(clips.size(), 2);
    QStringList durations;
    const QStringList paths{first, second};
    for (int i = 0; i < 2; ++i) {
        const QJsonObject clip = clips[i].toObject();
        EXPECT_EQ(clip.keys().size(), 6);
        EXPECT_EQ(clip["url"].toString(), QUrl::fromLocalFile(paths[i]).toString(QUrl::FullyEncoded));
        EXPECT_EQ(clip["name"].toString(), QFileInfo(paths[i]).fileName());
        const QString duration = movieDuration(paths[i]);
        durations.append(duration);
        EXPECT_EQ(clip["qttimeDuration"].toString(), duration);
        EXPECT_EQ(clip["duration"].toString(), makeTimeDisplayFromQTTime(*MovieTime::fromString(duration)));
        EXPECT_EQ(clip["bookmark"], QJsonValue(true));
        EXPECT_EQ(clip["secureBookmark"], QJsonValue(true));
    }
    EXPECT_TRUE(clips[0]["url"].toString().endsWith("/one%20%22clip%22%20%C3%A9.mp4"));
    EXPECT_TRUE(run.out.contains(R"("name": "one \"clip\" é.mp4")")) << run.out.toStdString();
    EXPECT_EQ(clips[1]["duration"].toString(), "00:00:02.000");
    EXPECT_EQ(shown["totalTime"].toString(), ComputePlaylistDuration::totalTimeText(durations));
    EXPECT_TRUE(shown["totalTime"].toString().startsWith("Total Time:  0:00:03.0"));
}

TEST_F(PlaylistTool, ShowListsTheFilesThatAreGoneInPlace) {
    const QString kept = copy("clip-1s.mp4", "kept.mp4");
    const QString zeta = copy("clip-1s.mp4", "zeta.mp4");
    const QString alpha = copy("clip-1s.mp4", "alpha.mp4");
    // A playlist as Orvanta writes it, and an older layout that holds only bookmark data.
    const QString current = path("current.orvplaylist");
    ASSERT_EQ(runTool({"new", "-o", current, zeta, kept}).status, 0);
    QList<V> bookmarks;
    for (const QString& clip : {kept, zeta, alpha})
        bookmarks.append(V::data(*bookmarkData(QUrl::fromLocalFile(clip), false)));
    ASSERT_TRUE(QFile::remove(zeta));
    ASSERT_TRUE(QFile::remove(alpha));
    KeyedArchiveDictionary settings;
    for (const auto& [key, value] : PlaylistSettings::defaultEntries())
        settings.insert(key, V::number(value));
    const QString file = path("old.orvplaylist");
    writeTree(file, {{"settings", V::dictionary(settings)},
                     {"isDynamicPlaylist", V::number(TypedNumber::boolean(false))},
                     {"clips", V::array(bookmarks)}});

    const QJsonObject shownCurrent = showJson(current);
    EXPECT_EQ(clipNamesShown(shownCurrent), (QStringList{"zeta.mp4", "kept.mp4"}));
    EXPECT_EQ(shownCurrent["missingItems"], QJsonValue(QJsonArray{zeta}));
    const QJsonObject shown = showJson(file);
    EXPECT_EQ(clipNamesShown(shown), (QStringList{"kept.mp4", "zeta.mp4", "alpha.mp4"}));
    EXPECT_EQ(shown["missingItems"], QJsonValue(QJsonArray{alpha, zeta}));
    const QJsonArray clips = shown["clips"].toArray();
    EXPECT_FALSE(clips[0].toObject().contains("missing")); // present clips keep their six keys
    EXPECT_EQ(clips[1]["missing"], QJsonValue(true));
    EXPECT_EQ(clips[1]["duration"].toString(), "");
    EXPECT_EQ(clips[1]["missingReason"].toString(), "The file “" + zeta + "” cannot be found.");
    EXPECT_EQ(shown["totalTime"].toString(), "Total Time:  0:00:01.000");

    const ToolRun text = runTool({"show", file});
    ASSERT_EQ(text.status, 0);
    const QString out = text.out;
    EXPECT_TRUE(out.contains("Kind:      standard")) << out.toStdString();
    EXPECT_TRUE(out.contains(QRegularExpression("\\n  speed +1\\.0\\n")));
    EXPECT_TRUE(out.contains("Clips:     3 (2 missing)\n  1  00:00:01.000  kept.mp4  " + kept +
                             "\n  2  MISSING       zeta.mp4  " + zeta + "  (The file “" + zeta +
                             "” cannot be found.)\n"))
        << out.toStdString();
    EXPECT_TRUE(out.contains("Missing:   2\n  " + alpha + "\n  " + zeta + "\n"));
    EXPECT_TRUE(out.endsWith("Total Time:  0:00:01.000\n"));
}

TEST_F(PlaylistTool, RefusesFilesThatAreNotPlaylists) {
    const QString notes = copy("notes.txt", "shopping list.orvplaylist");
    for (const QStringList& command : {QStringList{"show", notes}, QStringList{"show", "--json", notes},
                                       QStringList{"set", notes, "speed=2"}}) {
        const ToolRun run = runTool(command);
        EXPECT_EQ(run.status, 1) << command.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("shopping list.orvplaylist")) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("It is not a playlist")) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }
    EXPECT_EQ(contents(notes), contents(testMediaPath("notes.txt")));

    const ToolRun missing = runTool({"show", path("absent.orvplaylist")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.err.contains("absent.orvplaylist")) << missing.err.toStdString();
    EXPECT_EQ(runTool({"set", path("absent.orvplaylist"), "speed=2"}).status, 1);
    EXPECT_FALSE(QFileInfo::exists(path("absent.orvplaylist")));
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

    const ToolRun overview = runTool({"--help"});
    EXPECT_EQ(overview.status, 0);
    for (const char* command : {"show [--json] FILE", "new [OPTIONS] -o FILE", "set FILE KEY=VALUE"})
        EXPECT_TRUE(overview.out.contains(command)) << overview.out.toStdString();

    const ToolRun helpNew = runTool({"help", "new"});
    EXPECT_EQ(helpNew.status, 0);
    for (const char* part : {"--dynamic FOLDER", "--no-subdirectories", "--set KEY=VALUE", "--force",
                             "customFrameHeight", "speed                  float    default 1.0"})
        EXPECT_TRUE(helpNew.out.contains(part)) << part << "\n" << helpNew.out.toStdString();
    EXPECT_EQ(runTool({"new", "--help"}).out, helpNew.out);
    EXPECT_TRUE(runTool({"show", "--help"}).out.contains("--json"));
    EXPECT_TRUE(runTool({"help", "set"}).out.contains("orvanta-playlist set FILE KEY=VALUE..."));

    const ToolRun version = runTool({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(QRegularExpression("^orvanta-playlist \\d+\\.\\d+\\.\\d+\\n$").match(version.out).hasMatch())
        << version.out.toStdString();
}
