// Keyed archives: what we write and how other readers see it, archives other programs wrote, the URL
// strings a playlist stores, and damaged or hostile files, each of which must be refused with a message,
// without a crash, a hang or a blow-up (those files are kept in the fuzz corpus, whose replay test also
// runs each one as a crash test).
#include "platform/archive/BinaryPlist.h"
#include "platform/archive/KeyedArchiveDictionary.h"
#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"

#include "UnitFiles.h"
#include "support/TestMedia.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using V = KeyedArchiveValue;

QByteArray sample(const char* name) {
    return fileContents(sharedPath(QStringLiteral("keyed-archive-samples/") + QLatin1String(name)));
}

V num(qint64 n) {
    return V::number(TypedNumber::integer(n));
}
V str(const char* s) {
    return V::string(QString::fromUtf8(s));
}

// A tree shaped like a playlist file, with every value kind.
V playlistLikeTree() {
    KeyedArchiveDictionary settings{{"autoplay", V::number(TypedNumber::boolean(true))},
                                    {"muted", V::number(TypedNumber::boolean(false))},
                                    {"speed", V::number(TypedNumber::float32(1.25f))},
                                    {"volume", V::number(TypedNumber::float32(0.5f))},
                                    {"looping", num(1)},
                                    {"customFrameY", num(-40)},
                                    {"unknownFutureKey", V::number(TypedNumber::float64(0.1))}};
    const V bookmark = V::data(QByteArray("ORVB\x01\x00\x00\x00", 8));
    KeyedArchiveDictionary clip{
        {"url", V::url(QUrl::fromLocalFile(QStringLiteral("/films/My Film #2 (été) &=;@+~!%?.mov")))},
        {"bookmark", bookmark}};
    return V::dictionary({{"settings", V::dictionary(settings)},
                          {"isDynamicPlaylist", V::number(TypedNumber::boolean(false))},
                          {"clips", V::array({bookmark, V::null()})},
                          {"clipCollection", V::array({V::dictionary(clip)})},
                          {"tags", V::set({str("a"), str("b")})},
                          {"name", str("Ünïcödé ☕")},
                          {"big", num(qint64(1) << 40)},
                          {"link", V::url(QUrl(QStringLiteral("https://example.com/a?b=c")))}});
}

V decodeOk(const QByteArray& data, const QString& key = QStringLiteral("root")) {
    const KeyedUnarchiveResult result = KeyedUnarchiver::unarchiveTopLevelObjectWithData(data, key);
    EXPECT_TRUE(result.ok()) << result.error.toStdString();
    return result.value;
}

QByteArray encodeOk(const V& value) {
    const KeyedArchiveEncoding encoding = KeyedArchiver::archivedDataWithRootObject(value);
    EXPECT_TRUE(encoding.ok()) << encoding.error.toStdString();
    return encoding.data;
}

// A sample with its $top "root" pointed at another object, to read parts of archives whose root is of a
// class playlists do not hold.
QByteArray withRoot(const QByteArray& archive, quint64 uid) {
    BinaryPlist plist = *BinaryPlist::read(archive).plist;
    const quint32 top = *plist.dictionaryValue(plist.top(), u"$top");
    plist.replace(*plist.dictionaryValue(top, u"root"), PlistObject::uid(uid));
    return plist.write();
}

QByteArray corpusFile(const char* name) {
    const QByteArray data =
        fileContents(qEnvironmentVariable("ORVANTA_SOURCE_DIR") + "/fuzz/corpus/keyed_archive/" + name);
    EXPECT_NE(data, "<missing>") << name;
    return data;
}

} // namespace

TEST(KeyedArchive, NumbersObjectsInTheOrderOfThatPlatformsArchiver) {
    const BinaryPlist plist =
        *BinaryPlist::read(encodeOk(V::dictionary({{"a", V::array({V::null()})}}))).plist;
    QStringList order; // each object as its string, its class's name, or the UID of its class
    for (quint32 ref : plist.object(*plist.dictionaryValue(plist.top(), u"$objects")).refs()) {
        const auto name = plist.dictionaryValue(ref, u"$classname"),
                   of = plist.dictionaryValue(ref, u"$class");
        order << (name ? plist.object(*name).string()
                  : of ? QString::number(plist.object(*of).uid())
                       : plist.object(ref).string());
    }
    EXPECT_EQ(order,
              (QStringList{"$null", "7", "a", "6", "5", "NSNull", "NSMutableArray", "NSMutableDictionary"}));
}

// Decoded, the tree is equal in every value, number kind and key order; Python's plistlib, reading the
// file on its own, finds the layout that platform's unarchiver expects and the same tree, with file URLs
// written as that platform writes them.
TEST(KeyedArchive, EveryValueKindSurvivesARoundTripAndAnIndependentReaderAgrees) {
    const QByteArray bytes = encodeOk(playlistLikeTree());
    EXPECT_TRUE(decodeOk(bytes) == playlistLikeTree());

    QTemporaryDir dir;
    ASSERT_TRUE(writeFile(dir.filePath("playlist.orvplaylist"), bytes));
    const QByteArray checked = archiveCheck({dir.filePath("playlist.orvplaylist")});
    const QString expected = QStringLiteral(
        R"({"tree":{"settings":{"autoplay":true,"muted":false,"speed":1.25,"volume":0.5,"looping":1,)"
        R"("customFrameY":-40,"unknownFutureKey":0.1},"isDynamicPlaylist":false,)"
        R"("clips":[{"$data":"4f52564201000000"},null],)"
        R"("clipCollection":[{"url":{"$url":"file:///films/My%20Film%20%232%20(%C3%A9t%C3%A9)%20&=;@+~!%25%3F.mov"},)"
        R"("bookmark":{"$data":"4f52564201000000"}}],"tags":{"$set":["a","b"]},"name":"Ünïcödé ☕",)"
        R"("big":1099511627776,"link":{"$url":"https://example.com/a?b=c"}},"reals4":2,"reals8":1})");
    EXPECT_EQ(QString::fromUtf8(checked).trimmed().toStdString(), expected.toStdString());
}

TEST(KeyedArchive, ReadsTheArraysAndSetsSampleAndKeepsRealWidthsWhenWritingItBack) {
    REQUIRE_SHARED_PATH(QStringLiteral("keyed-archive-samples"));
    const QByteArray bytes = sample("danielpaulus-nskeyedarchiver__arrays.bin");
    const V one = num(1), real = V::number(TypedNumber::float64(1.0)),
            yes = V::number(TypedNumber::boolean(true)), no = V::number(TypedNumber::boolean(false)),
            hello = str("Hello, World!"), answer = num(42);
    const V first = V::array({one, one, real, V::number(TypedNumber::float64(1.5)),
                              V::data("asdfasdfadsfadsf"), yes, hello, hello, hello, no, no, answer});
    EXPECT_TRUE(decodeOk(bytes, QStringLiteral("$0")) == first);
    EXPECT_TRUE(decodeOk(bytes, QStringLiteral("$1")) == V::array({yes, hello, answer}));
    EXPECT_TRUE(decodeOk(bytes, QStringLiteral("$2")) == V::set({yes}));
    EXPECT_TRUE(decodeOk(bytes, QStringLiteral("$3")) == V::set({answer, yes, hello}));
    EXPECT_FALSE(KeyedUnarchiver::unarchiveObjectWithData(bytes).ok()); // no "root" in $top

    EXPECT_TRUE(decodeOk(encodeOk(decodeOk(bytes, QStringLiteral("$0")))) == first); // with the kinds
}

// The roots of these samples are of classes playlists do not hold (refused as the hostile test's NSDate
// is); the parts that are of playlist classes read.
TEST(KeyedArchive, ReadsThePlaylistPartsOfSamplesWithOtherRoots) {
    REQUIRE_SHARED_PATH(QStringLiteral("keyed-archive-samples"));
    const QByteArray complex = sample("swift-corelibs-foundation__NSKeyedUnarchiver-ComplexTest.plist");
    const QByteArray attributed = sample("swift-corelibs-foundation__NSMutableAttributedString.archive");
    // ComplexTest: the array holds NSNull, the shared "hello", a number and an NSDictionary; the URL has a
    // base.
    EXPECT_TRUE(decodeOk(withRoot(complex, 6)) ==
                V::array({V::null(), str("hello"), num(34545), V::dictionary({{"key", str("val")}})}));
    EXPECT_EQ(decodeOk(withRoot(complex, 16)).toUrl(),
              QUrl(QStringLiteral("https://www.swift.org/index.xml")));
    // NSMutableAttributedString: NSMutableString, NSMutableData and an NSMutableArray of NSDictionary.
    EXPECT_TRUE(decodeOk(withRoot(attributed, 2)) == str("0123456789"));
    EXPECT_EQ(decodeOk(withRoot(attributed, 17)).toData(),
              QByteArray("\x01\x00\x01\x01\x04\x02\x02\x01\x01\x03\x01\x00", 12));
    const V times = V::dictionary({{"Size", num(456)}, {"Font", str("Times")}});
    EXPECT_TRUE(decodeOk(withRoot(attributed, 4)) ==
                V::array({V::dictionary({}), V::dictionary({{"Size", num(123)}, {"Font", str("Helvetica")}}),
                          times, times}));
}

// The string a playlist stores for a clip's URL. Plain paths skip the check that the string reads back
// as the same URL: the table holds the kinds of paths that take that way, each of which must still read
// back exactly, beside paths that take the checked way (one more is in the round trip above).
TEST(ArchivedUrlString, FileUrlsAreWrittenAsThatPlatformWritesThemAndReadBackAsTheSameUrl) {
    const struct {
        const char* path;
        const char* written;
    } cases[] = {
        // Plain: written without the check.
        {"/films/clip 1.mp4", "file:///films/clip%201.mp4"},
        {"/a/b-c_d~e/f.g.h", "file:///a/b-c_d~e/f.g.h"},
        {"/日本/映画 é.mkv", "file:///%E6%97%A5%E6%9C%AC/%E6%98%A0%E7%94%BB%20%C3%A9.mkv"},
        {"/ends with slash/", "file:///ends%20with%20slash/"},
        // Checked: sub-delimiters, reserved and escaped characters, dot segments, empty segments.
        {"/x[1]/y{2}\\z.mp4", "file:///x[1]/y%7B2%7D%5Cz.mp4"}, // as Qt writes it: no exact form
        {"/.hidden/x.mp4", "file:///.hidden/x.mp4"},
        {"/a/./b/../c.mp4", "file:///a/./b/../c.mp4"},
        {"/a//b.mp4", "file:///a//b.mp4"},
        {"/pct%41.mp4", "file:///pct%2541.mp4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const QUrl url = QUrl::fromLocalFile(QString::fromUtf8(c.path));
        const QString written = KeyedArchiver::archivedUrlString(url);
        EXPECT_EQ(written, QString::fromUtf8(c.written));
        EXPECT_EQ(QUrl(written), url);
    }
    // Other URLs are written as Qt encodes them.
    EXPECT_EQ(KeyedArchiver::archivedUrlString(QUrl(QStringLiteral("https://example.com/a b?c=d#e"))),
              QStringLiteral("https://example.com/a%20b?c=d#e"));
    EXPECT_EQ(KeyedArchiver::archivedUrlString(QUrl(QStringLiteral("file://host/share/x y.mp4"))),
              QStringLiteral("file://host/share/x%20y.mp4"));
}

TEST(KeyedArchiveHostile, RefusesEachDamageWithItsReason) {
    const struct {
        const char* file;
        const char* reason;
    } cases[] = {
        {"refused-empty", "not a binary property list"},
        {"refused-text", "not a binary property list"},
        {"refused-plist-version-15", "version"},
        // A small archive with its trailer, offset table or top object changed.
        {"refused-offset-past-table", "outside the object area"},
        {"refused-shared-offset", "share one offset"},
        {"refused-object-count", "more than the file can hold"}, // 2^40 objects
        {"refused-top-out-of-range", "top object"},
        {"refused-reference-size-0", "reference size"},
        {"refused-reference-254", "refers to object 254"},
        // An array of 20 data objects: the data's length made 2^63-1, the array's made 255.
        {"refused-data-length-huge", "runs past the end"},
        {"refused-array-length-255", "runs past the end"},
        // Keyed archives no archiver writes.
        {"refused-archiver-NSArchiver", "$archiver"},
        {"refused-version-99999", "$version"},
        {"refused-root-nil", "nil"},
        {"refused-root-uid-7", "UID 7 is out of range"},
        {"refused-class-NSDate", "class NSDate"},
        {"refused-class-uid-99", "invalid $class"},
        {"refused-plain-array", "not a dictionary"},
        {"refused-cycle-of-two", "cycle"},
        {"michaelwright235-nskeyedunarchiver__circularReference.plist", "cycle"}, // an array holding itself
        {"refused-nested-600", "nested more than 512"},
        // 32 levels of arrays, each holding the next twice: a small file standing for 2^32 objects.
        {"refused-shared-levels-32", "more than 4194304 objects"},
    };
    for (const auto& c : cases) {
        const KeyedUnarchiveResult result = KeyedUnarchiver::unarchiveObjectWithData(corpusFile(c.file));
        EXPECT_FALSE(result.ok()) << c.file;
        EXPECT_TRUE(result.error.contains(QLatin1String(c.reason), Qt::CaseInsensitive))
            << c.file << ": " << result.error.toStdString() << "; expected: " << c.reason;
    }
}

// Changed bytes are the fuzzer's (scripts/fuzz), which starts from the same corpus.
TEST(KeyedArchiveHostile, RefusesEveryTruncation) {
    const QByteArray valid = corpusFile("orvanta-standard.orvplaylist");
    ASSERT_TRUE(KeyedUnarchiver::unarchiveObjectWithData(valid).ok());
    for (qsizetype n = 0; n < valid.size(); ++n) {
        const KeyedUnarchiveResult result = KeyedUnarchiver::unarchiveObjectWithData(valid.first(n));
        EXPECT_FALSE(result.ok()) << "truncated at " << n;
        EXPECT_FALSE(result.error.isEmpty());
    }
}

TEST(KeyedArchiveHostile, DeepAndSharedStructuresStayWithinTheLimits) {
    // 100,000 plain arrays, each holding the next: read as a flat table, without recursion.
    BinaryPlist nested;
    for (quint32 i = 0; i < 100000; ++i)
        nested.add(i + 1 < 100000 ? PlistObject::array({i + 1}) : PlistObject::array({}));
    const BinaryPlistReadResult read = BinaryPlist::read(nested.write());
    ASSERT_TRUE(read.plist) << read.error.toStdString();
    EXPECT_EQ(read.plist->size(), 100000);

    // Up to the depth limit, nesting is fine both ways.
    V deep = V::array({});
    for (int i = 0; i < KeyedUnarchiver::kMaxDepth; ++i)
        deep = V::array({deep});
    const KeyedArchiveEncoding encoded = KeyedArchiver::archivedDataWithRootObject(deep);
    ASSERT_TRUE(encoded.ok());
    EXPECT_TRUE(KeyedUnarchiver::unarchiveObjectWithData(encoded.data).ok());
    EXPECT_FALSE(KeyedArchiver::archivedDataWithRootObject(V::array({deep})).ok());

    // 20 levels, each an array holding the next twice: read shared, and written back shared, small.
    const KeyedUnarchiveResult twenty =
        KeyedUnarchiver::unarchiveObjectWithData(corpusFile("shared-levels-20"));
    ASSERT_TRUE(twenty.ok()) << twenty.error.toStdString();
    EXPECT_EQ(twenty.value.elements()[0].identity(), twenty.value.elements()[1].identity());
    EXPECT_LT(KeyedArchiver::archivedDataWithRootObject(twenty.value).data.size(), 2000);
}
