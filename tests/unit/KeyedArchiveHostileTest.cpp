// Damaged and hostile files: each must be refused with a message, without a crash, a hang or a blow-up.
// The files are kept in the fuzz corpus, whose replay test also runs each one as a crash test.
#include "UnitFiles.h"
#include "platform/archive/BinaryPlist.h"
#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"

#include <gtest/gtest.h>

namespace {

using V = KeyedArchiveValue;

QByteArray corpusFile(const char* name) {
    const QByteArray data =
        fileContents(qEnvironmentVariable("ORVANTA_SOURCE_DIR") + "/fuzz/corpus/keyed_archive/" + name);
    EXPECT_NE(data, "<missing>") << name;
    return data;
}

} // namespace

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
