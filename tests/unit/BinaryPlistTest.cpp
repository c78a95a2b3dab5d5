#include "platform/archive/BinaryPlist.h"

#include "UnitFiles.h"
#include "support/TestMedia.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A plist as archive_check.py --plist prints what Python's plistlib reads: integers, data, UIDs and dates
// tagged, so that JSON keeps them apart and exact.
QJsonValue tagged(const BinaryPlist& plist, quint32 index) {
    const PlistObject& o = plist.object(index);
    QJsonArray elements;
    QJsonObject entries;
    switch (o.kind()) {
    case PlistObject::Kind::Null:
        return QJsonValue::Null;
    case PlistObject::Kind::Boolean:
        return o.number().boolValue();
    case PlistObject::Kind::Integer:
        return QJsonObject{{"int", o.isUnsigned64() ? QString::number(o.unsigned64())
                                                    : QString::number(o.number().integerValue())}};
    case PlistObject::Kind::Real:
        return o.number().doubleValue();
    case PlistObject::Kind::Date:
        return QJsonObject{{"date", o.date()}};
    case PlistObject::Kind::Data:
        return QJsonObject{{"data", QString::fromLatin1(o.data().toHex())}};
    case PlistObject::Kind::String:
        return o.string();
    case PlistObject::Kind::Uid:
        return QJsonObject{{"uid", qint64(o.uid())}};
    case PlistObject::Kind::Array:
    case PlistObject::Kind::Set:
        for (quint32 ref : o.refs())
            elements.append(tagged(plist, ref));
        return elements;
    case PlistObject::Kind::Dictionary:
        for (qsizetype i = 0; i < o.count(); ++i)
            entries.insert(plist.object(o.keyRef(i)).string(), tagged(plist, o.valueRef(i)));
        return entries;
    }
    return {};
}

QJsonValue plistlibReading(const QString& file) {
    return QJsonDocument::fromJson("[" + archiveCheck({"--plist", file}) + "]").array().first();
}

BinaryPlist roundTrip(const BinaryPlist& plist) {
    const BinaryPlistReadResult read = BinaryPlist::read(plist.write());
    EXPECT_TRUE(read.plist) << read.error.toStdString();
    return read.plist.value_or(BinaryPlist());
}

// A list holding one object of every kind (a set only where plistlib, which has none, does not read it).
BinaryPlist everyKind(bool withSet) {
    BinaryPlist plist;
    QList<quint32> refs;
    refs << plist.add(PlistObject()) << plist.addNumber(TypedNumber::boolean(true))
         << plist.addNumber(TypedNumber::boolean(false)) << plist.addNumber(TypedNumber::integer(200))
         << plist.addNumber(TypedNumber::integer(300)) << plist.addNumber(TypedNumber::integer(70000))
         << plist.addNumber(TypedNumber::integer(qint64(1) << 40))
         << plist.addNumber(TypedNumber::integer(-5)) << plist.add(PlistObject::unsignedInteger(~quint64(0)))
         << plist.addNumber(TypedNumber::float32(0.5f)) << plist.addNumber(TypedNumber::float64(0.1))
         << plist.add(PlistObject::date(123.25)) << plist.addData(QByteArray("\x00\x01\xff", 3))
         << plist.addString(QStringLiteral("ascii")) << plist.addString(QStringLiteral("Café ☕"))
         << plist.addString(QString(20, u'é')) << plist.addData(QByteArray(20, 'd')) << plist.addUid(300);
    if (withSet)
        refs << plist.add(PlistObject::set({plist.addUid(1)}));
    const quint32 key = plist.addString(QStringLiteral("key"));
    refs << plist.add(PlistObject::dictionary({key}, {refs[3]}));
    plist.setTop(plist.add(PlistObject::array(refs)));
    return plist;
}

} // namespace

TEST(BinaryPlist, EveryObjectKindSurvivesARoundTripAndReadsAsPlistlibReadsIt) {
    const BinaryPlist original = everyKind(true);
    const BinaryPlist copy = roundTrip(original);
    ASSERT_EQ(copy.size(), original.size());
    EXPECT_EQ(copy.top(), original.top());
    for (quint32 i = 0; i < quint32(original.size()); ++i)
        EXPECT_TRUE(copy.object(i) == original.object(i)) << "object " << i;

    QTemporaryDir dir;
    const BinaryPlist withoutSet = everyKind(false);
    ASSERT_TRUE(writeFile(dir.filePath("kinds.plist"), withoutSet.write()));
    EXPECT_EQ(plistlibReading(dir.filePath("kinds.plist")), tagged(withoutSet, withoutSet.top()));
}

TEST(BinaryPlist, LargeTablesUseWiderReferencesAndLongCounts) {
    BinaryPlist plist;
    QList<quint32> refs;
    for (int i = 0; i < 70000; ++i)
        refs.append(plist.addNumber(TypedNumber::integer(i)));
    plist.setTop(plist.add(PlistObject::array(refs)));
    EXPECT_TRUE(roundTrip(plist).object(plist.top()) == plist.object(plist.top()));
}

TEST(BinaryPlist, ReadsEverySampleArchiveAsPlistlibReadsIt) {
    REQUIRE_SHARED_PATH(QStringLiteral("keyed-archive-samples"));
    const QDir dir(sharedPath(QStringLiteral("keyed-archive-samples")));
    const QStringList samples = dir.entryList({"*.plist", "*.bin", "*.archive"}, QDir::Files);
    ASSERT_EQ(samples.size(), 6);
    for (const QString& sample : samples) {
        SCOPED_TRACE(sample.toStdString());
        const BinaryPlistReadResult read = BinaryPlist::read(fileContents(dir.filePath(sample)));
        ASSERT_TRUE(read.plist) << read.error.toStdString();
        EXPECT_EQ(tagged(*read.plist, read.plist->top()), plistlibReading(dir.filePath(sample)));
    }
}
