#include "document/ClipImporter.h"
#include "support/QtPrinters.h"
#include "support/TestMedia.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace {

QStringList names(const QList<ClipRecordPtr>& clips) {
    QStringList list;
    for (const auto& clip : clips)
        list.append(clip->name);
    return list;
}

void copyMedia(const QString& from, const QString& to) {
    QDir().mkpath(QFileInfo(to).absolutePath());
    ASSERT_TRUE(QFile::copy(testMediaPath(from), to)) << to.toStdString();
}

QUrl url(const QString& path) {
    return QUrl::fromLocalFile(path);
}

} // namespace

TEST(ClipImporter, WalksFoldersDepthFirstInFileManagerOrder) {
    QTemporaryDir dir;
    const QString root = dir.filePath("show");
    copyMedia("clip-1s.mp4", root + "/clip10.mp4");
    copyMedia("clip-1s.mp4", root + "/clip2.mp4");
    copyMedia("clip-1s.mp4", root + "/B sub/inner.mp4");
    copyMedia("clip-1s.mp4", root + "/B sub/deeper/deepest.mp4");
    copyMedia("clip-1s.mp4", root + "/.hidden.mp4");
    copyMedia("notes.txt", root + "/A notes.txt");
    copyMedia("clip-1s.mp4", root + "/zz last.mp4");

    ClipImporter recursive({true, false, 1});
    const auto all = recursive.run({url(root)});
    EXPECT_EQ(names(all.importedClips),
              (QStringList{"deepest.mp4", "inner.mp4", "clip2.mp4", "clip10.mp4", "zz last.mp4"}));
    EXPECT_FALSE(all.fileErrorOnImport);
    EXPECT_TRUE(all.DRMClips.isEmpty());

    ClipImporter flat({false, false, 1});
    EXPECT_EQ(names(flat.run({url(root)}).importedClips),
              (QStringList{"clip2.mp4", "clip10.mp4", "zz last.mp4"}));

    // A hidden file named directly is taken; a folder named directly is listed even when not recursing.
    EXPECT_EQ(names(flat.run({url(root + "/.hidden.mp4"), url(root + "/B sub")}).importedClips),
              (QStringList{".hidden.mp4", "inner.mp4"}));
}

TEST(ClipImporter, MakesRecordsWithDurationsBookmarksAndPosters) {
    ClipImporter importer({true, true, 2});
    const auto result = importer.run({url(testMediaPath("clip-2s.mp4")), url(testMediaPath("clip-0.5s.mp4")),
                                      url(testMediaPath("notes.txt")), url(testMediaPath("text.mp4")),
                                      url(testMediaPath("sound.mp3")), url(testMediaPath("missing.mp4")),
                                      url(testMediaPath("clip-2s.mkv"))});
    ASSERT_EQ(names(result.importedClips), (QStringList{"clip-2s.mp4", "clip-0.5s.mp4", "clip-2s.mkv"}));
    const ClipRecordPtr& two = result.importedClips[0];
    EXPECT_EQ(two->URL, url(testMediaPath("clip-2s.mp4")));
    EXPECT_EQ(two->qttimeDuration, two->movie->duration().toString());
    EXPECT_EQ(MovieTime::fromString(two->qttimeDuration)->seconds(), 2.0);
    EXPECT_TRUE(two->bookmark.has_value());
    EXPECT_TRUE(two->secureBookmark.has_value());
    EXPECT_NE(*two->bookmark, *two->secureBookmark);
    EXPECT_EQ(two->posterImage.kind, PosterImage::Kind::Frame);
    EXPECT_LE(two->posterImage.frame.width, 320);
    // No frame one second in: the missing-item picture stands in.
    EXPECT_EQ(result.importedClips[1]->posterImage.kind, PosterImage::Kind::MissingItem);
    // Each clip has its own movie.
    EXPECT_NE(result.importedClips[0]->movie, result.importedClips[2]->movie);
}

TEST(ClipImporter, ListsProtectedMoviesAndUnreadableFoldersWithoutStopping) {
    QTemporaryDir dir;
    copyMedia("protected-audio.mp4", dir.filePath("in/a-protected.mp4"));
    copyMedia("clip-1s.mp4", dir.filePath("in/b-clear.mp4"));
    copyMedia("protected-audio.mp4", dir.filePath("in/c-protected.mp4"));
    copyMedia("encrypted-video-clear-audio.mp4", dir.filePath("in/d-video-encrypted.mp4"));
    copyMedia("disabled-encrypted-audio.mp4", dir.filePath("in/e-disabled.mp4"));

    ClipImporter importer({true, false, 2});
    const auto result = importer.run({url(dir.filePath("in")), url(dir.filePath("no such folder/"))});
    EXPECT_EQ(names(result.importedClips),
              (QStringList{"b-clear.mp4", "d-video-encrypted.mp4", "e-disabled.mp4"}));
    EXPECT_EQ(result.DRMClips,
              (QStringList{dir.filePath("in/a-protected.mp4"), dir.filePath("in/c-protected.mp4")}));
}

// Root reads every folder; the unreadable folder is tried by an unprivileged child process then.
TEST(ClipImporter, AFolderThatCannotBeListedIsReportedAndTheRestImported) {
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                      QFile::ReadOther | QFile::ExeOther));
    copyMedia("clip-1s.mp4", dir.filePath("open/x.mp4"));
    QFile::setPermissions(dir.filePath("open"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                    QFile::ReadOther | QFile::ExeOther);
    QFile::setPermissions(dir.filePath("open/x.mp4"), QFile::ReadOwner | QFile::ReadOther);
    QDir().mkpath(dir.filePath("locked"));
    QFile::setPermissions(dir.filePath("locked"), QFile::Permissions());

    auto check = [&]() -> int {
        ClipImporter importer({true, false, 1});
        const auto result = importer.run({url(dir.filePath("locked")), url(dir.filePath("open"))});
        if (!result.fileErrorOnImport)
            return 1;
        if (names(result.importedClips) != QStringList{"x.mp4"})
            return 2;
        return 0;
    };
    if (::geteuid() != 0) {
        EXPECT_EQ(check(), 0);
        return;
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(3);
        ::_exit(check());
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0)
        << "1: no failure reported, 2: wrong clips, 3: could not drop privileges";
}

TEST(ClipImporter, LinksBackIntoTheWalkNeitherLoopNorImportTwice) {
    QTemporaryDir dir;
    const QString root = dir.filePath("loop");
    copyMedia("clip-1s.mp4", root + "/a.mp4");
    copyMedia("clip-1s.mp4", root + "/sub/b.mp4");
    ASSERT_TRUE(QFile::link(root, root + "/sub/back-to-top"));
    ASSERT_TRUE(QFile::link(root + "/sub", root + "/also-sub"));
    ASSERT_TRUE(QFile::link(root + "/a.mp4", root + "/sub/link-to-a.mp4"));
    ClipImporter importer({true, false, 1});
    const auto result = importer.run({url(root)});
    // "also-sub" is the first way into sub; links to files are followed.
    EXPECT_EQ(names(result.importedClips), (QStringList{"a.mp4", "b.mp4", "link-to-a.mp4"}));
}
