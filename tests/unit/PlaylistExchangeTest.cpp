#include "UnitFiles.h"
#include "document/M3uList.h"
#include "document/RelinkPlan.h"
#include "document/XspfList.h"
#include "support/TestMedia.h"

#include <QJsonArray>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// M3U and XSPF lists in and out, the relink's choice of file, and the commands that use them
// (orvanta-playlist export, new --from, relink) on real movies, with mpv playing what we write.
namespace {

QUrl file(const QString& path) {
    return QUrl::fromLocalFile(path);
}

QStringList paths(const ExchangeReadResult& read) {
    QStringList out;
    for (const ExchangeEntry& entry : read.entries)
        out.append(entry.url.toLocalFile());
    return out;
}

} // namespace

TEST(M3uList, WritesExtendedUtf8WithPathsRelativeInsideTheListsFolder) {
    const QByteArray written = M3uList::write({{file("/lists/a b.mp4"), "a b.mp4", 1499},
                                               {file("/lists/sub/ü.mkv"), "ü.mkv", std::nullopt},
                                               {file("/movies/c.mp4"), "line\nbreak", 60000},
                                               {file("/lists/#1.mp4"), "#1.mp4", 500}},
                                              "/lists");
    EXPECT_EQ(QString::fromUtf8(written), "#EXTM3U\n"
                                          "#EXTINF:1,a b.mp4\na b.mp4\n"
                                          "#EXTINF:-1,ü.mkv\nsub/ü.mkv\n"
                                          "#EXTINF:60,line break\n/movies/c.mp4\n"
                                          "#EXTINF:1,#1.mp4\n./#1.mp4\n");
}

TEST(M3uList, ReadsWhatPlayersWrite) {
    struct Case {
        const char* name;
        QByteArray data;
        QStringList paths;
        QStringList titles;
        QStringList notLocal;
    };
    const Case cases[] = {
        {"plain",
         "a.mp4\r\n/abs/b.mp4\r\n\r\n../up/c.mp4\n",
         {"/l/a.mp4", "/abs/b.mp4", "/up/c.mp4"},
         {"", "", ""},
         {}},
        {"extended with BOM and directives",
         "\xEF\xBB\xBF#EXTM3U\n#PLAYLIST:x\n#EXTINF:12.5 tvg-id=\"1\",Title, with comma\nsub/a.mp4\n# "
         "comment\nb.mp4\n",
         {"/l/sub/a.mp4", "/l/b.mp4"},
         {"Title, with comma", ""},
         {}},
        {"file URLs and web addresses",
         "file:///m/a%20b.mp4\nfile://localhost/m/c.mp4\nhttp://x/y.mp4\nfile://host/z.mp4\n",
         {"/m/a b.mp4", "/m/c.mp4"},
         {"", ""},
         {"http://x/y.mp4", "file://host/z.mp4"}},
        {"latin-1 and backslashes",
         "caf\xE9.mp4\nsub\\d.mp4\n",
         {"/l/café.mp4", "/l/sub/d.mp4"},
         {"", ""},
         {}},
    };
    for (const Case& c : cases) {
        const ExchangeReadResult read = M3uList::read(c.data, "/l");
        ASSERT_TRUE(read) << c.name;
        EXPECT_EQ(paths(read), c.paths) << c.name;
        QStringList titles;
        for (const ExchangeEntry& entry : read.entries)
            titles.append(entry.title);
        EXPECT_EQ(titles, c.titles) << c.name;
        EXPECT_EQ(read.notLocal, c.notLocal) << c.name;
    }
    EXPECT_EQ(M3uList::read("#EXTM3U\n#EXTINF:12.5,T\na.mp4\n", "/l").entries.value(0).durationMs, 12500);
    EXPECT_FALSE(M3uList::read(QByteArray("\x00\x01binary", 8), "/l"));
}

TEST(XspfList, ReadsListsAsOtherPlayersWriteThem) {
    const QByteArray other = R"(<?xml version="1.0" encoding="UTF-8"?>
<!-- written by another player -->
<playlist xmlns="http://xspf.org/ns/0/" xmlns:vlc="http://www.videolan.org/vlc/playlist/ns/0/" version="1">
  <title>Lobby</title>
  <trackList>
    <track><location>file:///media/show/caf%C3%A9%20one.mp4</location><title>Café</title>
      <duration>2000</duration><extension application="http://www.videolan.org/vlc/playlist/0"><vlc:id>0</vlc:id></extension></track>
    <track><location>rel/two%231.mkv</location></track>
    <track><location>https://example.com/x.mp4</location></track>
    <track><location>http://a/b.mp4</location><location>file:///alt/b.mp4</location><title/></track>
    <track><title>no location</title></track>
  </trackList>
  <extension application="x"><track><location>file:///not/a/track.mp4</location></track></extension>
</playlist>)";
    const ExchangeReadResult read = XspfList::read(other, file("/lists/l.xspf"));
    ASSERT_TRUE(read) << read.error.toStdString();
    EXPECT_EQ(paths(read), QStringList({"/media/show/café one.mp4", "/lists/rel/two#1.mkv", "/alt/b.mp4"}));
    EXPECT_EQ(read.entries[0].title, "Café");
    EXPECT_EQ(read.entries[0].durationMs, 2000);
    EXPECT_EQ(read.notLocal, QStringList{"https://example.com/x.mp4"});
    // Without the namespace too.
    EXPECT_EQ(
        paths(XspfList::read("<playlist><trackList><track><location>a.mp4</location></track></trackList>"
                             "</playlist>",
                             file("/l/x.xspf"))),
        QStringList{"/l/a.mp4"});
    for (const QByteArray& corrupt :
         {QByteArray(""), QByteArray("<playlist><trackList><track>"), QByteArray("<html><body/></html>"),
          QByteArray("\x00\xff garbage", 10)}) {
        const ExchangeReadResult bad = XspfList::read(corrupt, file("/l/x.xspf"));
        EXPECT_FALSE(bad) << corrupt.toStdString();
        EXPECT_TRUE(bad.entries.isEmpty());
    }
}

TEST(XspfList, WhatItWritesReadsBack) {
    const QList<ExchangeEntry> entries = {{file("/m/a b%#?.mp4"), "a b%#?.mp4", 1000},
                                          {file("/m/ünï/c&d<e>.mkv"), "c&d<e>.mkv", std::nullopt}};
    const QByteArray written = XspfList::write(entries, "Show & tell");
    EXPECT_TRUE(written.contains("<location>file:///m/a%20b%25%23%3F.mp4</location>"))
        << written.toStdString();
    EXPECT_EQ(XspfList::read(written, file("/x/l.xspf")).entries, entries);
}

TEST(RelinkPlan, ChoosesTheClosestFileOfTheSameName) {
    const QStringList found = {"/new/show/b/x.mp4",  "/new/show/a/x.mp4", "/new/x.mp4",
                               "/new/deep/er/y.mp4", "/new/y.mp4",        "/new/z/y.mp4"};
    const struct {
        QString old;
        QString expected;
    } cases[] = {
        {"/old/show/a/x.mp4", "/new/show/a/x.mp4"}, // two trailing folders shared
        {"/old/show/b/x.mp4", "/new/show/b/x.mp4"},
        {"/elsewhere/x.mp4", "/new/x.mp4"}, // none shared: the shortest path
        {"/old/q/y.mp4", "/new/y.mp4"},
        {"/old/z/y.mp4", "/new/z/y.mp4"},
        {"/old/missing.mp4", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RelinkPlan::match({c.old}, found), QStringList{c.expected}) << c.old.toStdString();
    EXPECT_EQ(RelinkPlan::match({"/o/x.mp4"}, {"/n/b/x.mp4", "/n/a/x.mp4"}), QStringList{"/n/a/x.mp4"});
}

TEST(PlaylistExchangeTool, ListsRoundTripAndMpvPlaysOurM3u) {
    QTemporaryDir dir;
    const QStringList names = {"one.mp4", "sub/two words.mkv", "sub/drei-ü.mp4"};
    QStringList movies;
    for (const QString& name : names)
        movies.append(
            copyTestMedia(name.endsWith("mkv") ? "clip-1s.mkv" : "clip-1s.mp4", dir.filePath(name)));
    const QString playlist = dir.filePath("p.orvplaylist");
    ASSERT_EQ(runTool({"new", "-o", playlist, movies[0], movies[1], movies[2]}).status, 0);

    for (const QString& listName : {QString("l.m3u8"), QString("lists/l.xspf")}) {
        const QString list = dir.filePath(listName);
        QDir().mkpath(QFileInfo(list).absolutePath());
        const ToolRun exported = runTool({"export", "-o", list, playlist});
        ASSERT_EQ(exported.status, 0) << exported.err.toStdString();
        EXPECT_EQ(runTool({"export", "-o", list, playlist}).status, 1) << "an existing list is kept";
        const QString back = list + ".orvplaylist";
        const ToolRun made = runTool({"new", "--from", list, "-o", back});
        ASSERT_EQ(made.status, 0) << made.err.toStdString();
        QStringList urls;
        for (const QJsonValue& clip : showJson(back)["clips"].toArray())
            urls.append(QUrl(clip["url"].toString()).toLocalFile());
        EXPECT_EQ(urls, movies) << listName.toStdString();
    }

    // A list naming a file that is not there, a text file and a corrupt list.
    writeFile(dir.filePath("mixed.m3u"), "one.mp4\ngone.mp4\nnotes.txt\n");
    writeFile(dir.filePath("notes.txt"), "text");
    const ToolRun mixed =
        runTool({"new", "--from", dir.filePath("mixed.m3u"), "-o", dir.filePath("m.orvplaylist")});
    EXPECT_EQ(mixed.status, 0);
    EXPECT_TRUE(mixed.err.contains(dir.filePath("gone.mp4"))) << mixed.err.toStdString();
    EXPECT_TRUE(mixed.out.contains("with 1 clip.")) << mixed.out.toStdString();
    writeFile(dir.filePath("bad.xspf"), "<playlist><trackList>");
    const ToolRun bad =
        runTool({"new", "--from", dir.filePath("bad.xspf"), "-o", dir.filePath("b.orvplaylist")});
    EXPECT_EQ(bad.status, 1);
    EXPECT_TRUE(bad.err.contains("could not be read")) << bad.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("b.orvplaylist")));

    const QString mpv = QStandardPaths::findExecutable("mpv");
    if (mpv.isEmpty())
        GTEST_SKIP() << "mpv is not installed";
    QProcess player;
    player.start(mpv, {"--no-config", "--playlist=" + dir.filePath("l.m3u8"), "--vo=null", "--ao=null",
                       "--length=0.2", "--msg-level=all=info"});
    ASSERT_TRUE(player.waitForFinished(30000));
    const QString said = QString::fromUtf8(player.readAllStandardOutput() + player.readAllStandardError());
    EXPECT_EQ(player.exitCode(), 0) << said.toStdString();
    for (const QString& movie : movies)
        EXPECT_TRUE(said.contains("Playing: " + movie)) << said.toStdString();
}

TEST(PlaylistExchangeTool, RelinkFindsMovedMoviesInPlace) {
    QTemporaryDir dir;
    const QString a = copyTestMedia("clip-1s.mp4", dir.filePath("old/a/x.mp4"));
    const QString b = copyTestMedia("clip-1s.mkv", dir.filePath("old/b/x.mp4"));
    const QString c = copyTestMedia("clip-1s.mp4", dir.filePath("old/c.mp4"));
    const QString playlist = dir.filePath("p.orvplaylist");
    ASSERT_EQ(runTool({"new", "-o", playlist, a, b, c}).status, 0);
    ASSERT_TRUE(QDir().rename(dir.filePath("old"), dir.filePath("moved")));
    QFile::remove(dir.filePath("moved/c.mp4"));

    const ToolRun run = runTool({"relink", playlist, dir.path()});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("Still missing " + c)) << run.out.toStdString();
    const QJsonObject shown = showJson(playlist);
    QStringList found;
    for (const QJsonValue& clip : shown["clips"].toArray())
        found.append(QUrl(clip["url"].toString()).toLocalFile() +
                     (clip["missing"].toBool() ? " missing" : ""));
    EXPECT_EQ(found,
              (QStringList{dir.filePath("moved/a/x.mp4"), dir.filePath("moved/b/x.mp4"), c + " missing"}));
    EXPECT_EQ(shown["missingItems"].toArray(), QJsonArray{c});
}
