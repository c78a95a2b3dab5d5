// Bookmarks of real files, and the order in which a clip's two bookmarks and its stored URL are tried.
#include "platform/bookmarks/Bookmark.h"
#include "UnitFiles.h"
#include "document/PrivateClipReference.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Files "a é.mp4", b, c and d, bookmarked plain and security-scoped; then c is replaced by another file
// under its name (made while c was there, so it has another inode and the bookmarks go stale) and d is
// removed.
class Bookmarks : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"a é.mp4", "b.mp4", "c.mp4", "d.mp4"}) {
            ASSERT_TRUE(writeFile(path(name), "movie"));
            for (const bool scoped : {false, true})
                bookmarks[{name, scoped}] = *bookmarkData(url(name), scoped);
        }
        ASSERT_TRUE(writeFile(path("c-new.mp4"), "other movie"));
        ASSERT_TRUE(QFile::remove(path("c.mp4")) && QFile::rename(path("c-new.mp4"), path("c.mp4")));
        ASSERT_TRUE(QFile::remove(path("d.mp4")));
    }
    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    QUrl url(const char* name) const { return QUrl::fromLocalFile(path(name)); }
    QByteArray bookmark(const char* name, bool scoped) const { return bookmarks.value({name, scoped}); }

    QTemporaryDir dir;
    QMap<QPair<QString, bool>, QByteArray> bookmarks;
};

} // namespace

TEST_F(Bookmarks, MakeTheRecordAndResolveItCleanly) {
    for (const bool scoped : {false, true}) {
        const QByteArray data = bookmark("a é.mp4", scoped);
        EXPECT_EQ(data.mid(28), path("a é.mp4").toUtf8()); // after the header: the path, as its length says
        EXPECT_EQ(Bookmark::fromData(data)->isSecurityScoped(), scoped);
        const BookmarkResolution resolved = resolveBookmarkData(data);
        EXPECT_EQ(resolved.url, url("a é.mp4"));
        EXPECT_TRUE(!resolved.isStale && resolved.error.isEmpty());
        EXPECT_TRUE(startAccessingSecurityScopedResource(resolved.url));
    }
    const std::optional<QByteArray> folder =
        bookmarkData(QUrl::fromLocalFile(dir.path() + QLatin1Char('/')), false);
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->mid(28), dir.path().toUtf8()); // no trailing slash
    EXPECT_FALSE(resolveBookmarkData(*folder).isStale);

    // None for missing or remote files.
    EXPECT_FALSE(bookmarkData(url("d.mp4"), false));
    EXPECT_FALSE(bookmarkData(QUrl(QStringLiteral("https://example.com/a.mov")), false));
    EXPECT_FALSE(bookmarkData(QUrl(), true));
}

TEST_F(Bookmarks, ReplacedAndMissingFilesResolveStaleWithAnError) {
    for (const char* name : {"c.mp4", "d.mp4"}) {
        const BookmarkResolution resolved = resolveBookmarkData(bookmark(name, false));
        EXPECT_EQ(resolved.url, url(name));
        EXPECT_TRUE(resolved.isStale && !resolved.error.isEmpty()) << name;
    }
}

TEST_F(Bookmarks, DataThatDoNotParseNeverResolve) {
    const QByteArray valid = bookmark("b.mp4", true);
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

TEST_F(Bookmarks, AClipsSecureBookmarkIsTriedFirstThenThePlainOneThenTheStoredURL) {
    const QUrl stored = url("stored.mp4");
    const QByteArray garbage("not a bookmark");
    const struct {
        const char* what;
        std::optional<QByteArray> secureBookmark, bookmark;
        QUrl url, expected;
    } cases[] = {
        {"the secure bookmark first", bookmark("a é.mp4", true), bookmark("b.mp4", false), stored,
         url("a é.mp4")},
        {"a stale secure bookmark, then the plain one", bookmark("c.mp4", true), bookmark("b.mp4", false),
         stored, url("b.mp4")},
        {"unreadable secure bookmark, then the plain one", garbage, bookmark("b.mp4", false), stored,
         url("b.mp4")},
        {"both stale: the stored URL", bookmark("c.mp4", true), bookmark("c.mp4", false), stored, stored},
        {"both unreadable: the stored URL", garbage, garbage, stored, stored},
        {"only a plain bookmark", std::nullopt, bookmark("a é.mp4", false), stored, url("a é.mp4")},
        {"only a stale plain bookmark", std::nullopt, bookmark("c.mp4", false), stored, stored},
        {"only a secure bookmark, gone", bookmark("d.mp4", true), std::nullopt, stored, stored},
        {"no bookmark", std::nullopt, std::nullopt, stored, stored},
        {"nothing at all", std::nullopt, std::nullopt, QUrl(), QUrl()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ((PrivateClipReference{c.url, c.bookmark, c.secureBookmark}.resolvedURL()), c.expected);
    }
}
