#include "platform/bookmarks/Bookmark.h"
#include "UnitFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class BookmarkTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(writeFile(m_file, "movie")); }
    QTemporaryDir m_dir;
    QString m_file = m_dir.filePath(QStringLiteral("clip one é.mov"));
};

} // namespace

TEST_F(BookmarkTest, MakesTheRecordAndResolvesItCleanly) {
    for (const bool scoped : {false, true}) {
        const std::optional<QByteArray> data = bookmarkData(QUrl::fromLocalFile(m_file), scoped);
        ASSERT_TRUE(data);
        EXPECT_EQ(data->mid(28), m_file.toUtf8()); // after the header: the path, as the header's length says
        EXPECT_EQ(Bookmark::fromData(*data)->isSecurityScoped(), scoped);

        const BookmarkResolution resolved = resolveBookmarkData(*data);
        EXPECT_EQ(resolved.url, QUrl::fromLocalFile(m_file));
        EXPECT_TRUE(!resolved.isStale && resolved.error.isEmpty());
        EXPECT_TRUE(startAccessingSecurityScopedResource(resolved.url));
    }
    const std::optional<QByteArray> folder =
        bookmarkData(QUrl::fromLocalFile(m_dir.path() + QLatin1Char('/')), false);
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->mid(28), m_dir.path().toUtf8()); // no trailing slash
    EXPECT_FALSE(resolveBookmarkData(*folder).isStale);

    // None for missing or remote files.
    EXPECT_FALSE(bookmarkData(QUrl::fromLocalFile(m_dir.filePath(QStringLiteral("missing.mov"))), false));
    EXPECT_FALSE(bookmarkData(QUrl(QStringLiteral("https://example.com/a.mov")), false));
    EXPECT_FALSE(bookmarkData(QUrl(), true));
}

TEST_F(BookmarkTest, ReplacedAndMissingFilesResolveStaleWithAnError) {
    const QByteArray data = *bookmarkData(QUrl::fromLocalFile(m_file), false);
    // Another file at the same path: a new inode (the old one is kept alive so it cannot be reused).
    ASSERT_TRUE(QFile::rename(m_file, m_dir.filePath(QStringLiteral("kept.mov"))));
    ASSERT_TRUE(writeFile(m_file, "another movie"));
    for (const bool replaced : {true, false}) {
        if (!replaced) {
            ASSERT_TRUE(QFile::remove(m_file));
        }
        const BookmarkResolution resolved = resolveBookmarkData(data);
        EXPECT_EQ(resolved.url, QUrl::fromLocalFile(m_file));
        EXPECT_TRUE(resolved.isStale && !resolved.error.isEmpty()) << replaced;
    }
}

TEST_F(BookmarkTest, DataThatDoNotParseNeverResolve) {
    const QByteArray valid = *bookmarkData(QUrl::fromLocalFile(m_file), true);
    QByteArray wrongVersion = valid, longPath = valid, relative = valid;
    wrongVersion[4] = 2;
    longPath[24] = char(uchar(longPath[24]) + 1);
    relative[28] = 'x';
    const QByteArray garbage[] = {
        QByteArray(),
        QByteArray("book\x00\x00\x00\x00\x30\x02\x00\x00", 12) +
            QByteArray(600, '\x01'), // another platform's
        valid.first(27),
        valid.first(valid.size() - 1),
        valid + 'x',
        wrongVersion,
        longPath,
        relative,
        QByteArray("ORVB\x01\x00\x00\x00", 8) + QByteArray(16, '\0') + QByteArray("\xff\xff\xff\xff", 4),
    };
    for (const QByteArray& data : garbage) {
        const BookmarkResolution resolved = resolveBookmarkData(data);
        EXPECT_TRUE(resolved.url.isEmpty() && !resolved.error.isEmpty()) << data.toHex().toStdString();
    }
}
