// Damaged and hostile files: each must be refused with a message, without a crash, a hang or a blow-up.
#include "platform/archive/BinaryPlist.h"
#include "platform/archive/KeyedArchiveDictionary.h"
#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"

#include <QtEndian>
#include <gtest/gtest.h>
#include <random>

namespace {

using V = KeyedArchiveValue;

// Builds keyed archives object by object, including ones no archiver would write.
class RawArchive {
public:
    RawArchive() { m_objects.append(m_plist.addString(QStringLiteral("$null"))); }

    quint64 reserve() {
        m_objects.append(0);
        return quint64(m_objects.size() - 1);
    }
    void set(quint64 uid, quint32 plistIndex) { m_objects[qsizetype(uid)] = plistIndex; }
    quint64 inlineValue(quint32 plistIndex) {
        m_objects.append(plistIndex);
        return quint64(m_objects.size() - 1);
    }
    quint64 classUid(const QString& name) {
        const quint32 dict = m_plist.add(PlistObject::dictionary(
            {m_plist.addString(QStringLiteral("$classname"))}, {m_plist.addString(name)}));
        return inlineValue(dict);
    }
    // An object of class cls whose NS.objects are the given UIDs.
    quint32 arrayObject(quint64 cls, const QList<quint64>& uids) {
        QList<quint32> refs;
        for (quint64 uid : uids)
            refs.append(m_plist.addUid(uid));
        return m_plist.add(PlistObject::dictionary(
            {m_plist.addString(QStringLiteral("$class")), m_plist.addString(QStringLiteral("NS.objects"))},
            {m_plist.addUid(cls), m_plist.add(PlistObject::array(refs))}));
    }
    BinaryPlist& plist() { return m_plist; }

    QByteArray finish(quint64 root, const QString& archiver = QStringLiteral("NSKeyedArchiver"),
                      qint64 version = 100000) {
        const quint32 top = m_plist.add(
            PlistObject::dictionary({m_plist.addString(QStringLiteral("root"))}, {m_plist.addUid(root)}));
        const quint32 objects = m_plist.add(PlistObject::array(m_objects));
        m_plist.setTop(m_plist.add(PlistObject::dictionary(
            {m_plist.addString(QStringLiteral("$archiver")), m_plist.addString(QStringLiteral("$version")),
             m_plist.addString(QStringLiteral("$top")), m_plist.addString(QStringLiteral("$objects"))},
            {m_plist.addString(archiver), m_plist.addNumber(TypedNumber::integer(version)), top, objects})));
        return m_plist.write();
    }

private:
    BinaryPlist m_plist;
    QList<quint32> m_objects;
};

// Decoding must fail, and the message must say why (contain the given words).
void expectRefused(const QByteArray& data, const char* words) {
    const KeyedUnarchiveResult result = KeyedUnarchiver::unarchiveObjectWithData(data);
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.error.contains(QLatin1String(words), Qt::CaseInsensitive))
        << "message: " << result.error.toStdString() << "; expected: " << words;
}

QByteArray smallArchive() {
    const KeyedArchiveValue tree =
        V::dictionary({{"settings", V::dictionary({{"speed", V::number(TypedNumber::float32(1.5f))}})},
                       {"clips", V::array({V::data("bookmark"), V::null()})},
                       {"url", V::url(QUrl::fromLocalFile(QStringLiteral("/a b.mov")))}});
    return KeyedArchiver::archivedDataWithRootObject(tree).data;
}

void putUint(QByteArray& bytes, qsizetype at, quint64 value, int width) {
    for (int i = width - 1; i >= 0; --i, value >>= 8)
        bytes[at + i] = char(value & 0xFF);
}

} // namespace

TEST(KeyedArchiveHostile, RefusesDataThatAreNoBinaryPlist) {
    expectRefused(QByteArray(), "not a binary property list");
    expectRefused("hello, world", "not a binary property list");
    expectRefused("bookdata", "not a binary property list");
    expectRefused(QByteArray("bplist15") + QByteArray(40, '\0'), "version");
}

TEST(KeyedArchiveHostile, RefusesEveryTruncationAndSurvivesByteFlips) {
    const QByteArray valid = smallArchive();
    ASSERT_TRUE(KeyedUnarchiver::unarchiveObjectWithData(valid).ok());
    for (qsizetype n = 0; n < valid.size(); ++n) {
        const KeyedUnarchiveResult result = KeyedUnarchiver::unarchiveObjectWithData(valid.first(n));
        EXPECT_FALSE(result.ok()) << "truncated at " << n;
        EXPECT_FALSE(result.error.isEmpty());
    }
    std::mt19937 random(20240611);
    int refused = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray damaged = valid;
        for (int flips = 1 + round % 4; flips > 0; --flips)
            damaged[qsizetype(random() % quint32(damaged.size()))] = char(random());
        const KeyedUnarchiveResult result = KeyedUnarchiver::unarchiveObjectWithData(damaged);
        if (!result.ok()) {
            EXPECT_FALSE(result.error.isEmpty());
            ++refused;
        }
    }
    EXPECT_GT(refused, 1000);
}

TEST(KeyedArchiveHostile, RefusesOffsetsReferencesAndCountsOutOfRange) {
    const QByteArray valid = smallArchive();
    const qsizetype trailer = valid.size() - 32;
    const int offsetSize = valid[trailer + 6];
    const int refSize = valid[trailer + 7];
    const quint64 table = qFromBigEndian<quint64>(valid.constData() + trailer + 24);
    ASSERT_EQ(refSize, 1);

    QByteArray offsetPastTable = valid;
    putUint(offsetPastTable, qsizetype(table), table, offsetSize);
    expectRefused(offsetPastTable, "outside the object area");

    QByteArray aliased = valid;
    putUint(aliased, qsizetype(table) + offsetSize, 8, offsetSize);
    expectRefused(aliased, "share one offset");

    QByteArray manyObjects = valid;
    putUint(manyObjects, trailer + 8, quint64(1) << 40, 8);
    expectRefused(manyObjects, "more than the file can hold");

    QByteArray topOutOfRange = valid;
    putUint(topOutOfRange, trailer + 16, 100000, 8);
    expectRefused(topOutOfRange, "top object");

    QByteArray badSizes = valid;
    badSizes[trailer + 7] = 0;
    expectRefused(badSizes, "reference size");

    // The top object is written last: a dictionary of four entries with 1-byte references.
    const quint64 topIndex = qFromBigEndian<quint64>(valid.constData() + trailer + 16);
    quint64 topOffset = 0;
    for (int i = 0; i < offsetSize; ++i)
        topOffset = topOffset << 8 | uchar(valid[qsizetype(table + topIndex * offsetSize) + i]);
    ASSERT_EQ(uchar(valid[qsizetype(topOffset)]), 0xD4);
    QByteArray refOutOfRange = valid;
    refOutOfRange[qsizetype(topOffset) + 1] = char(0xFE);
    expectRefused(refOutOfRange, "refers to object 254");

    // Declared lengths far beyond the file: data of 2^63-1 bytes, an array of 255 references.
    BinaryPlist lengths;
    QList<quint32> refs(20, lengths.addData(QByteArray(300, 'x')));
    lengths.setTop(lengths.add(PlistObject::array(refs)));
    QByteArray hugeData = lengths.write();
    ASSERT_EQ(hugeData.mid(8, 4), QByteArray("\x4f\x11\x01\x2c", 4));
    hugeData[9] = char(0x13);
    putUint(hugeData, 10, quint64(0x7FFFFFFFFFFFFFFF), 8);
    expectRefused(hugeData, "runs past the end");
    QByteArray longArray = lengths.write();
    ASSERT_EQ(longArray.mid(312, 3), QByteArray("\xaf\x10\x14", 3));
    longArray[314] = char(0xFF);
    expectRefused(longArray, "runs past the end");
}

TEST(KeyedArchiveHostile, RefusesBadArchiveHeaders) {
    const auto rootString = [](RawArchive& a) {
        return a.inlineValue(a.plist().addString(QStringLiteral("x")));
    };
    {
        RawArchive a;
        expectRefused(a.finish(rootString(a), QStringLiteral("NSArchiver")), "$archiver");
    }
    {
        RawArchive a;
        expectRefused(a.finish(rootString(a), QStringLiteral("NSKeyedArchiver"), 99999), "$version");
    }
    {
        RawArchive a;
        expectRefused(a.finish(0), "nil");
    }
    {
        RawArchive a;
        rootString(a);
        expectRefused(a.finish(7), "UID 7 is out of range");
    }
    {
        RawArchive a;
        const quint64 cls = a.classUid(QStringLiteral("NSDate"));
        const quint64 root = a.inlineValue(a.arrayObject(cls, {}));
        expectRefused(a.finish(root), "class NSDate");
    }
    {
        RawArchive a;
        const quint64 root = a.inlineValue(a.arrayObject(99, {}));
        expectRefused(a.finish(root), "invalid $class");
    }
    BinaryPlist plainArray;
    plainArray.setTop(plainArray.add(PlistObject::array({})));
    expectRefused(plainArray.write(), "not a dictionary");
}

TEST(KeyedArchiveHostile, RefusesReferenceCycles) {
    RawArchive a;
    const quint64 cls = a.classUid(QStringLiteral("NSArray"));
    const quint64 first = a.reserve();
    const quint64 second = a.reserve();
    a.set(first, a.arrayObject(cls, {second}));
    a.set(second, a.arrayObject(cls, {first}));
    expectRefused(a.finish(first), "cycle");
}

TEST(KeyedArchiveHostile, NestedArraysAreReadFlatAndRefusedAsTreesBeyondTheDepthLimit) {
    // 100,000 plain arrays, each holding the next: read as a flat table, without recursion.
    BinaryPlist nested;
    for (quint32 i = 0; i < 100000; ++i)
        nested.add(i + 1 < 100000 ? PlistObject::array({i + 1}) : PlistObject::array({}));
    const QByteArray bytes = nested.write();
    EXPECT_LT(bytes.size(), 1000000);
    const BinaryPlistReadResult read = BinaryPlist::read(bytes);
    ASSERT_TRUE(read.plist) << read.error.toStdString();
    EXPECT_EQ(read.plist->size(), 100000);
    expectRefused(bytes, "not a dictionary");

    // The same as a keyed archive of NSArrays.
    RawArchive a;
    const quint64 cls = a.classUid(QStringLiteral("NSArray"));
    const quint64 first = a.reserve();
    quint64 uid = first;
    for (int i = 0; i < 100000; ++i) {
        const quint64 next = i + 1 < 100000 ? a.reserve() : 0;
        a.set(uid, a.arrayObject(cls, next ? QList<quint64>{next} : QList<quint64>{}));
        uid = next;
    }
    expectRefused(a.finish(first), "nested more than 512");

    // Up to the limit, nesting is fine both ways.
    V deep = V::array({});
    for (int i = 0; i < KeyedUnarchiver::kMaxDepth; ++i)
        deep = V::array({deep});
    const KeyedArchiveEncoding encoded = KeyedArchiver::archivedDataWithRootObject(deep);
    ASSERT_TRUE(encoded.ok());
    EXPECT_TRUE(KeyedUnarchiver::unarchiveObjectWithData(encoded.data).ok());
    EXPECT_FALSE(KeyedArchiver::archivedDataWithRootObject(V::array({deep})).ok());
}

TEST(KeyedArchiveHostile, SharedLevelsStaySharedAndHugeExpansionsAreRefused) {
    // Each level an array holding the next level twice.
    const auto dag = [](int levels) {
        RawArchive a;
        const quint64 cls = a.classUid(QStringLiteral("NSArray"));
        QList<quint64> uids;
        for (int i = 0; i < levels; ++i)
            uids.append(a.reserve());
        for (int i = 0; i < levels; ++i) {
            const QList<quint64> children =
                i + 1 < levels ? QList<quint64>{uids[i + 1], uids[i + 1]} : QList<quint64>{};
            a.set(uids[i], a.arrayObject(cls, children));
        }
        return a.finish(uids[0]);
    };
    const KeyedUnarchiveResult twenty = KeyedUnarchiver::unarchiveObjectWithData(dag(20));
    ASSERT_TRUE(twenty.ok()) << twenty.error.toStdString();
    EXPECT_EQ(twenty.value.elements()[0].identity(), twenty.value.elements()[1].identity());
    // Written back, the shared levels stay shared: the file stays small.
    EXPECT_LT(KeyedArchiver::archivedDataWithRootObject(twenty.value).data.size(), 2000);

    const QByteArray big = dag(32);
    EXPECT_LT(big.size(), 2000);
    ASSERT_TRUE(BinaryPlist::read(big).plist);
    expectRefused(big, "more than 4194304 objects");
}
