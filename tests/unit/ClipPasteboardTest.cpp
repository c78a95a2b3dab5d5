#include "document/ClipPasteboard.h"

#include <QtEndian>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

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

TEST(ClipPasteboardTest, EachPayloadReadsBackWhatWasWritten) {
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
TEST(ClipPasteboardTest, MalformedPayloadsAreRefused) {
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

TEST(ClipPasteboardTest, NoCutOrChangedByteCrashesTheDecoders) {
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
