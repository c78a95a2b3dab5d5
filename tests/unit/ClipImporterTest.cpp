// The walk over folders and links. What a run reports and the records it makes are tested through windows
// (WindowImportTest, ImportPostersTest) and the playlist file tests.
#include "document/ClipImporter.h"
#include "support/PlaylistFixture.h"
#include "support/QtPrinters.h"
#include "support/TestMedia.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Copies of the test media in a folder of the test's own: each "to" gets the media file "from".
class ClipImporterTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString copies(const QList<std::pair<QString, QString>>& files) {
        for (const auto& [from, to] : files)
            copyTestMedia(from, dir.filePath(to));
        return dir.path();
    }
};

} // namespace

TEST_F(ClipImporterTest, WalksFoldersDepthFirstInFileManagerOrder) {
    const QString root = copies({{"clip-1s.mp4", "clip10.mp4"},
                                 {"clip-1s.mp4", "clip2.mp4"},
                                 {"clip-1s.mp4", "B sub/inner.mp4"},
                                 {"clip-1s.mp4", "B sub/deeper/deepest.mp4"},
                                 {"clip-1s.mp4", ".hidden.mp4"},
                                 {"notes.txt", "A notes.txt"},
                                 {"clip-1s.mp4", "zz last.mp4"}});
    const auto all = ClipImporter({true, false, 1}).run({QUrl::fromLocalFile(root)});
    EXPECT_EQ(clipNames(all.importedClips),
              (QStringList{"deepest.mp4", "inner.mp4", "clip2.mp4", "clip10.mp4", "zz last.mp4"}));
    EXPECT_FALSE(all.fileErrorOnImport);
    EXPECT_TRUE(all.DRMClips.isEmpty());
    for (const ClipRecordPtr& clip : all.importedClips) // both kinds of bookmark, which differ
        EXPECT_TRUE(clip->bookmark && clip->secureBookmark && *clip->bookmark != *clip->secureBookmark);

    ClipImporter flat({false, false, 1});
    EXPECT_EQ(clipNames(flat.run({QUrl::fromLocalFile(root)}).importedClips),
              (QStringList{"clip2.mp4", "clip10.mp4", "zz last.mp4"}));
    // A hidden file named directly is taken; a folder named directly is listed even when not recursing.
    const QList<QUrl> named{QUrl::fromLocalFile(root + "/.hidden.mp4"), QUrl::fromLocalFile(root + "/B sub")};
    EXPECT_EQ(clipNames(flat.run(named).importedClips), (QStringList{".hidden.mp4", "inner.mp4"}));
}

TEST_F(ClipImporterTest, LinksBackIntoTheWalkNeitherLoopNorImportTwice) {
    const QString root = copies({{"clip-1s.mp4", "a.mp4"}, {"clip-1s.mp4", "sub/b.mp4"}});
    ASSERT_TRUE(QFile::link(root, root + "/sub/back-to-top"));
    ASSERT_TRUE(QFile::link(root + "/sub", root + "/also-sub"));
    ASSERT_TRUE(QFile::link(root + "/a.mp4", root + "/sub/link-to-a.mp4"));
    // "also-sub" is the first way into sub; links to files are followed.
    EXPECT_EQ(clipNames(ClipImporter({true, false, 1}).run({QUrl::fromLocalFile(root)}).importedClips),
              (QStringList{"a.mp4", "b.mp4", "link-to-a.mp4"}));
}
