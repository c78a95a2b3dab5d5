#include "document/PrivateClipReference.h"
#include "UnitFiles.h"
#include "platform/bookmarks/Bookmark.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Files a, b and c, bookmarked; c is then replaced by another file under its name (its bookmark goes
// stale) and d is bookmarked and then removed.
class PrivateClipReferenceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        for (const char* name : {"a.mp4", "b.mp4", "c.mp4", "d.mp4"})
            ASSERT_TRUE(writeFile(dir.filePath(QString::fromLatin1(name)), "movie"));
        for (const bool scoped : {false, true}) {
            for (const char* name : {"a.mp4", "b.mp4", "c.mp4", "d.mp4"})
                bookmarks[{QString::fromLatin1(name), scoped}] = *bookmarkData(url(name), scoped);
        }
        const QString c = dir.filePath(QStringLiteral("c.mp4"));
        const QString replacement = dir.filePath(QStringLiteral("c-new.mp4"));
        ASSERT_TRUE(writeFile(replacement, "other movie"));
        ASSERT_TRUE(QFile::remove(c));
        ASSERT_TRUE(QFile::rename(replacement, c));
        ASSERT_TRUE(QFile::remove(dir.filePath(QStringLiteral("d.mp4"))));
    }
    QUrl url(const char* name) const { return QUrl::fromLocalFile(dir.filePath(QString::fromLatin1(name))); }
    QByteArray bookmark(const char* name, bool scoped) const {
        return bookmarks.value({QString::fromLatin1(name), scoped});
    }

    QTemporaryDir dir;
    QMap<QPair<QString, bool>, QByteArray> bookmarks;
};

struct Case {
    const char* what;
    std::optional<QByteArray> secureBookmark;
    std::optional<QByteArray> bookmark;
    QUrl url;
    QUrl expected;
};

} // namespace

TEST_F(PrivateClipReferenceTest, EachBookmarkIsJudgedOnItsOwnBeforeTheStoredURL) {
    const QUrl stored = url("stored.mp4");
    const QByteArray garbage("not a bookmark");
    const QList<Case> cases = {
        {"the secure bookmark first", bookmark("a.mp4", true), bookmark("b.mp4", false), stored,
         url("a.mp4")},
        {"a stale secure bookmark, then the plain one", bookmark("c.mp4", true), bookmark("b.mp4", false),
         stored, url("b.mp4")},
        {"unreadable secure bookmark, then the plain one", garbage, bookmark("b.mp4", false), stored,
         url("b.mp4")},
        {"both stale: the stored URL", bookmark("c.mp4", true), bookmark("c.mp4", false), stored, stored},
        {"both unreadable: the stored URL", garbage, garbage, stored, stored},
        {"only a plain bookmark", std::nullopt, bookmark("a.mp4", false), stored, url("a.mp4")},
        {"only a stale plain bookmark", std::nullopt, bookmark("c.mp4", false), stored, stored},
        {"only a secure bookmark, gone", bookmark("d.mp4", true), std::nullopt, stored, stored},
        {"no bookmark", std::nullopt, std::nullopt, stored, stored},
        {"nothing at all", std::nullopt, std::nullopt, QUrl(), QUrl()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const PrivateClipReference reference{c.url, c.bookmark, c.secureBookmark};
        EXPECT_EQ(reference.resolvedURL(), c.expected);
    }
}
