// A clip's references to its file: bookmarks of real files, the order in which a clip's two bookmarks and
// its stored URL are tried, and the pasteboard payloads that carry clips and their references.
#include "platform/bookmarks/Bookmark.h"
#include "UnitFiles.h"
#include "document/ClipPasteboard.h"
#include "document/PrivateClipReference.h"

#include <QTemporaryDir>
#include <QtEndian>
#include <algorithm>
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

ClipRecordPtr clip(const QString& path, bool withBookmarks) {
    auto record = std::make_shared<ClipRecord>();
    record->URL = QUrl::fromLocalFile(path);
    record->name = path.mid(path.lastIndexOf(u'/') + 1);
    record->qttimeDuration = QStringLiteral("25600/12800");
    if (withBookmarks) {
        record->bookmark = QByteArray("plain\0bookmark", 14);
        record->secureBookmark = QByteArray("secure bookmark");
    }
    return record;
}

QByteArray u32(quint32 value) {
    const quint32 le = qToLittleEndian(value);
    return QByteArray(reinterpret_cast<const char*>(&le), 4);
}

QByteArray header(quint8 kind, quint32 count, quint8 version = ClipPasteboard::kVersion) {
    return QByteArray("ORVD") + char(version) + char(kind) + u32(count);
}

// Whether any of the three decoders takes the data.
bool anyDecodes(const QByteArray& data) {
    return ClipPasteboard::decodeMovedRows(data) || ClipPasteboard::decodeCopiedRows(data) ||
           ClipPasteboard::decodePrivateClips(data);
}

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

TEST(ClipPasteboard, EachPayloadReadsBackWhatWasWritten) {
    const QList<int> rows = {1, 3, 0x7fffffff};
    EXPECT_EQ(ClipPasteboard::decodeMovedRows(ClipPasteboard::encodeMovedRows(rows)), rows);
    EXPECT_EQ(ClipPasteboard::decodeMovedRows(ClipPasteboard::encodeMovedRows({})), QList<int>());
    const QList<ClipRecordPtr> clips = {clip(QStringLiteral("/movies/clip one é.mp4"), true),
                                        clip(QStringLiteral("/movies/50% #2?.mkv"), false)};
    const auto copied = ClipPasteboard::decodeCopiedRows(ClipPasteboard::encodeCopiedRows(clips));
    const auto references = ClipPasteboard::decodePrivateClips(ClipPasteboard::encodePrivateClips(
        {PrivateClipReference::forClip(*clips[0]), PrivateClipReference::forClip(*clips[1])}));
    ASSERT_TRUE(copied && references);
    ASSERT_EQ(copied->size(), 2);
    ASSERT_EQ(references->size(), 2);
    for (qsizetype i = 0; i < clips.size(); ++i) {
        const ClipRecord& clip = *clips[i];
        EXPECT_EQ((*copied)[i].URL.toLocalFile(), clip.URL.toLocalFile());
        EXPECT_EQ((*copied)[i].name, clip.name);
        EXPECT_EQ((*copied)[i].qttimeDuration, clip.qttimeDuration);
        EXPECT_EQ((*copied)[i].bookmark, clip.bookmark);
        EXPECT_EQ((*copied)[i].secureBookmark, clip.secureBookmark);
        EXPECT_EQ((*references)[i].url, clip.URL);
        EXPECT_EQ((*references)[i].bookmark, clip.bookmark);
        EXPECT_EQ((*references)[i].secureBookmark, clip.secureBookmark);
    }
}

// Payloads cut short are the next test's; here, whole ones that claim what they do not hold.
TEST(ClipPasteboard, MalformedPayloadsAreRefused) {
    const QByteArray moved = ClipPasteboard::encodeMovedRows({1, 2});
    const QByteArray references = ClipPasteboard::encodePrivateClips(
        {PrivateClipReference::forClip(*clip(QStringLiteral("/movies/a.mp4"), true))});
    struct Case {
        const char* what;
        QByteArray data;
    };
    const QList<Case> cases = {
        {"another program's data", QByteArray("file:///movies/a.mp4\r\n")},
        {"another version", header(1, 0, 2)},
        {"an unknown kind", header(7, 0)},
        {"more rows than bytes", header(1, 0xffffffff) + u32(1)},
        {"a row beyond the int range", header(1, 1) + u32(0x80000000)},
        {"a byte left over", moved + '\0'},
        {"a reference whose URL runs past the end", header(3, 1) + u32(0x7fffffff) + "file:///a"},
        {"a presence byte that is neither 0 nor 1", header(3, 1) + u32(0) + char(2) + char(0)},
        {"a bookmark longer than the data", header(3, 1) + u32(0) + char(1) + u32(1000) + "abc" + char(0)},
        {"more clips than bytes", header(2, 0x10000000) + QByteArray(64, '\0')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(anyDecodes(c.data));
    }
    // A payload of one kind is no payload of another.
    EXPECT_FALSE(ClipPasteboard::decodeCopiedRows(moved));
    EXPECT_FALSE(ClipPasteboard::decodePrivateClips(moved));
    EXPECT_FALSE(ClipPasteboard::decodeMovedRows(references));
}

TEST(ClipPasteboard, NoCutOrChangedByteCrashesTheDecoders) {
    const QList<ClipRecordPtr> clips = {clip(QStringLiteral("/movies/a.mp4"), true),
                                        clip(QStringLiteral("/movies/b.mp4"), true)};
    for (const QByteArray& payload :
         {ClipPasteboard::encodeMovedRows({0, 5, 9}), ClipPasteboard::encodeCopiedRows(clips),
          ClipPasteboard::encodePrivateClips({PrivateClipReference::forClip(*clips[0])})}) {
        ASSERT_TRUE(anyDecodes(payload));
        for (qsizetype size = 0; size < payload.size(); ++size)
            EXPECT_FALSE(anyDecodes(payload.left(size))) << size; // every shorter prefix is refused
        // Every byte set to each of a few telling values decodes to no more elements than bytes, or not.
        for (qsizetype at = 0; at < payload.size(); ++at) {
            for (const char value : {'\0', '\x01', '\x7f', '\x80', '\xff'}) {
                QByteArray changed = payload;
                changed[at] = value;
                const auto count = [](const auto& decoded) { return decoded ? decoded->size() : 0; };
                EXPECT_LE(count(ClipPasteboard::decodeMovedRows(changed)) * 4, changed.size());
                EXPECT_LE(std::max(count(ClipPasteboard::decodeCopiedRows(changed)),
                                   count(ClipPasteboard::decodePrivateClips(changed))),
                          changed.size());
            }
        }
    }
}
