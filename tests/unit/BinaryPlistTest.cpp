#include "platform/archive/BinaryPlist.h"

#include "support/TestMedia.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <charconv>
#include <gtest/gtest.h>

namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The object as Python's plistlib shows it (repr of the loaded value), for comparison with the samples'
// README, which lists each archive's objects in that form.
QString pythonRepr(const BinaryPlist& plist, quint32 index);

QString pythonString(const QString& text) {
    QString out = QStringLiteral("'");
    for (QChar c : text) {
        if (c == QLatin1Char('\'') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\') + c;
        else if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out + QLatin1Char('\'');
}

QString pythonBytes(const QByteArray& bytes) {
    QString out = QStringLiteral("b'");
    for (char byte : bytes) {
        const uchar c = uchar(byte);
        if (c == '\'' || c == '\\')
            out += QStringLiteral("\\") + QLatin1Char(char(c));
        else if (c == '\t')
            out += QStringLiteral("\\t");
        else if (c == '\n')
            out += QStringLiteral("\\n");
        else if (c == '\r')
            out += QStringLiteral("\\r");
        else if (c < 0x20 || c >= 0x7F)
            out += QStringLiteral("\\x%1").arg(c, 2, 16, QLatin1Char('0'));
        else
            out += QLatin1Char(char(c));
    }
    return out + QLatin1Char('\'');
}

QString pythonFloat(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    QString text = QString::fromLatin1(buffer, result.ptr - buffer);
    if (!text.contains(QLatin1Char('.')) && !text.contains(QLatin1Char('e')) &&
        !text.contains(QLatin1Char('n')))
        text += QStringLiteral(".0");
    return text;
}

QString pythonRepr(const BinaryPlist& plist, quint32 index) {
    const PlistObject& o = plist.object(index);
    QStringList parts;
    switch (o.kind()) {
    case PlistObject::Kind::Null:
        return QStringLiteral("None");
    case PlistObject::Kind::Boolean:
        return o.number().boolValue() ? QStringLiteral("True") : QStringLiteral("False");
    case PlistObject::Kind::Integer:
        return o.isUnsigned64() ? QString::number(o.unsigned64())
                                : QString::number(o.number().integerValue());
    case PlistObject::Kind::Real:
        return pythonFloat(o.number().doubleValue());
    case PlistObject::Kind::Date:
        return QStringLiteral("date(%1)").arg(o.date());
    case PlistObject::Kind::Data:
        return pythonBytes(o.data());
    case PlistObject::Kind::String:
        return pythonString(o.string());
    case PlistObject::Kind::Uid:
        return QStringLiteral("UID(%1)").arg(o.uid());
    case PlistObject::Kind::Array:
    case PlistObject::Kind::Set:
        for (quint32 ref : o.refs())
            parts.append(pythonRepr(plist, ref));
        return QLatin1Char('[') + parts.join(QStringLiteral(", ")) + QLatin1Char(']');
    case PlistObject::Kind::Dictionary:
        for (qsizetype i = 0; i < o.count(); ++i)
            parts.append(pythonRepr(plist, o.keyRef(i)) + QStringLiteral(": ") +
                         pythonRepr(plist, o.valueRef(i)));
        parts.sort(); // the README does not keep the files' key order
        return QLatin1Char('{') + parts.join(QStringLiteral(", ")) + QLatin1Char('}');
    }
    return QString();
}

// Re-renders a Python literal from the README with its dictionary entries sorted, as pythonRepr renders
// them. Strings, bytes, numbers and UIDs are kept as written.
class LiteralNormalizer {
public:
    explicit LiteralNormalizer(const QString& text)
        : m_text(text) {}
    QString run() {
        QString value = parseValue();
        return m_pos == m_text.size() ? value : QStringLiteral("<unparsed: %1>").arg(m_text);
    }

private:
    void skipSpaces() {
        while (m_pos < m_text.size() && m_text[m_pos] == QLatin1Char(' '))
            ++m_pos;
    }
    bool take(QChar c) {
        skipSpaces();
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }
    QStringList parseItems(QChar close, bool pairs) {
        QStringList items;
        while (m_pos < m_text.size() && !take(close)) {
            QString item = parseValue();
            if (pairs && take(QLatin1Char(':')))
                item += QStringLiteral(": ") + parseValue();
            items.append(item);
            take(QLatin1Char(','));
        }
        return items;
    }
    QString parseValue() {
        skipSpaces();
        if (take(QLatin1Char('{'))) {
            QStringList items = parseItems(QLatin1Char('}'), true);
            items.sort();
            return QLatin1Char('{') + items.join(QStringLiteral(", ")) + QLatin1Char('}');
        }
        if (take(QLatin1Char('[')))
            return QLatin1Char('[') + parseItems(QLatin1Char(']'), false).join(QStringLiteral(", ")) +
                   QLatin1Char(']');
        const qsizetype start = m_pos;
        if (m_text.mid(m_pos, 2) == QStringLiteral("b'"))
            ++m_pos;
        if (m_pos < m_text.size() && m_text[m_pos] == QLatin1Char('\'')) {
            for (++m_pos; m_pos < m_text.size() && m_text[m_pos] != QLatin1Char('\''); ++m_pos) {
                if (m_text[m_pos] == QLatin1Char('\\'))
                    ++m_pos;
            }
            ++m_pos;
        } else {
            while (m_pos < m_text.size() && !QStringLiteral(",:]} ").contains(m_text[m_pos]))
                ++m_pos;
        }
        return m_text.mid(start, m_pos - start);
    }

    QString m_text;
    qsizetype m_pos = 0;
};

struct SampleListing {
    QString top;
    QMap<int, QString> objects;
};

// The "$top = ..." line and the "[n] value" entries of one sample's section in the README.
SampleListing readmeListing(const QString& readme, const QString& sample) {
    SampleListing listing;
    const qsizetype section = readme.indexOf(QStringLiteral("## ") + sample + QLatin1Char('\n'));
    const qsizetype open = readme.indexOf(QStringLiteral("```\n"), section);
    const qsizetype close = readme.indexOf(QStringLiteral("```"), open + 4);
    if (section < 0 || open < 0 || close < 0)
        return listing;
    static const QRegularExpression entry(QStringLiteral("(?:^|\\s{2,})\\[(\\d+)\\] "));
    for (const QString& line : readme.mid(open + 4, close - open - 4).split(QLatin1Char('\n'))) {
        if (line.startsWith(QStringLiteral("$top = "))) {
            listing.top = line.mid(7).trimmed();
            continue;
        }
        QList<QRegularExpressionMatch> matches;
        for (auto it = entry.globalMatch(line); it.hasNext();)
            matches.append(it.next());
        for (qsizetype i = 0; i < matches.size(); ++i) {
            const qsizetype start = matches[i].capturedEnd();
            const qsizetype end = i + 1 < matches.size() ? matches[i + 1].capturedStart() : line.size();
            listing.objects.insert(matches[i].captured(1).toInt(), line.mid(start, end - start).trimmed());
        }
    }
    return listing;
}

BinaryPlist roundTrip(const BinaryPlist& plist) {
    const BinaryPlistReadResult read = BinaryPlist::read(plist.write());
    EXPECT_TRUE(read.plist) << read.error.toStdString();
    return read.plist.value_or(BinaryPlist());
}

// A small list holding one object of every kind.
BinaryPlist everyKind() {
    BinaryPlist plist;
    QList<quint32> refs;
    refs << plist.add(PlistObject()) << plist.addNumber(TypedNumber::boolean(true))
         << plist.addNumber(TypedNumber::boolean(false)) << plist.addNumber(TypedNumber::integer(7))
         << plist.addNumber(TypedNumber::integer(300)) << plist.addNumber(TypedNumber::integer(70000))
         << plist.addNumber(TypedNumber::integer(qint64(1) << 40))
         << plist.addNumber(TypedNumber::integer(-5)) << plist.add(PlistObject::unsignedInteger(~quint64(0)))
         << plist.addNumber(TypedNumber::float32(0.5f)) << plist.addNumber(TypedNumber::float64(0.1))
         << plist.add(PlistObject::date(123.25)) << plist.addData(QByteArray("\x00\x01\xff", 3))
         << plist.addString(QStringLiteral("ascii")) << plist.addString(QStringLiteral("Café ☕"))
         << plist.addUid(300) << plist.add(PlistObject::set({plist.addUid(1)}));
    const quint32 key = plist.addString(QStringLiteral("key"));
    refs << plist.add(PlistObject::dictionary({key}, {refs[3]}));
    plist.setTop(plist.add(PlistObject::array(refs)));
    return plist;
}

} // namespace

TEST(BinaryPlist, EveryObjectKindSurvivesARoundTrip) {
    const BinaryPlist original = everyKind();
    const BinaryPlist copy = roundTrip(original);
    ASSERT_EQ(copy.size(), original.size());
    EXPECT_EQ(copy.top(), original.top());
    for (quint32 i = 0; i < quint32(original.size()); ++i)
        EXPECT_TRUE(copy.object(i) == original.object(i)) << "object " << i;

    const PlistObject& top = copy.object(copy.top());
    EXPECT_EQ(copy.object(top.refs()[1]).kind(), PlistObject::Kind::Boolean);
    EXPECT_EQ(copy.object(top.refs()[9]).number().kind(), TypedNumber::Kind::Float32);
    EXPECT_EQ(copy.object(top.refs()[10]).number().kind(), TypedNumber::Kind::Float64);
    EXPECT_EQ(copy.object(top.refs()[8]).unsigned64(), ~quint64(0));
    EXPECT_EQ(copy.object(top.refs()[14]).string(), QStringLiteral("Café ☕"));
    EXPECT_EQ(copy.object(top.refs()[7]).number().integerValue(), -5);
}

TEST(BinaryPlist, WritesNarrowestWidthsAndMarkers) {
    BinaryPlist plist;
    const quint32 f = plist.addNumber(TypedNumber::float32(1.5f));
    const quint32 d = plist.addNumber(TypedNumber::float64(1.5));
    const quint32 small = plist.addNumber(TypedNumber::integer(200));
    plist.setTop(plist.add(PlistObject::array({f, d, small})));
    const QByteArray bytes = plist.write();
    // header, 4-byte real, 8-byte real, 1-byte integer, array of three 1-byte references
    EXPECT_EQ(bytes.mid(8, 5), QByteArray("\x22\x3f\xc0\x00\x00", 5));
    EXPECT_EQ(bytes.mid(13, 9), QByteArray("\x23\x3f\xf8\x00\x00\x00\x00\x00\x00", 9));
    EXPECT_EQ(bytes.mid(22, 2), QByteArray("\x10\xc8", 2));
    EXPECT_EQ(bytes.mid(24, 4), QByteArray("\xa3\x00\x01\x02", 4));
    EXPECT_EQ(bytes.size(), 8 + 5 + 9 + 2 + 4 + 4 + 32);
    EXPECT_EQ(bytes.at(bytes.size() - 26), 1); // offset size
    EXPECT_EQ(bytes.at(bytes.size() - 25), 1); // reference size
}

TEST(BinaryPlist, UniquesEqualScalarsButKeepsKindsApart) {
    BinaryPlist plist;
    EXPECT_EQ(plist.addString(QStringLiteral("a")), plist.addString(QStringLiteral("a")));
    EXPECT_EQ(plist.addNumber(TypedNumber::integer(1)), plist.addNumber(TypedNumber::integer(1)));
    EXPECT_NE(plist.addNumber(TypedNumber::integer(1)), plist.addNumber(TypedNumber::boolean(true)));
    EXPECT_NE(plist.addNumber(TypedNumber::float32(1)), plist.addNumber(TypedNumber::float64(1)));
    EXPECT_NE(plist.addUid(1), plist.addNumber(TypedNumber::integer(1)));
    EXPECT_EQ(plist.addData("x"), plist.addData("x"));
}

TEST(BinaryPlist, LargeTablesUseWiderReferencesAndLongCounts) {
    BinaryPlist plist;
    QList<quint32> refs;
    for (int i = 0; i < 70000; ++i)
        refs.append(plist.addNumber(TypedNumber::integer(i)));
    refs.append(plist.addString(QString(100, QLatin1Char('x'))));
    plist.setTop(plist.add(PlistObject::array(refs)));
    const BinaryPlist copy = roundTrip(plist);
    ASSERT_EQ(copy.object(copy.top()).count(), 70001);
    EXPECT_EQ(copy.object(copy.object(copy.top()).refs()[69999]).number().integerValue(), 69999);
    EXPECT_EQ(copy.object(copy.object(copy.top()).refs()[70000]).string().size(), 100);
}

TEST(BinaryPlist, ReadsEverySampleArchiveAsItsReadmeListsIt) {
    REQUIRE_SHARED_PATH(QStringLiteral("keyed-archive-samples"));
    const QString dir = sharedPath(QStringLiteral("keyed-archive-samples"));
    const QString readme = QString::fromUtf8(readFile(dir + QStringLiteral("/README.md")));
    ASSERT_FALSE(readme.isEmpty()) << "samples not found in " << dir.toStdString();
    const QStringList samples = QDir(dir).entryList(
        {QStringLiteral("*.plist"), QStringLiteral("*.bin"), QStringLiteral("*.archive")}, QDir::Files);
    ASSERT_EQ(samples.size(), 6);
    for (const QString& sample : samples) {
        SCOPED_TRACE(sample.toStdString());
        const SampleListing listing = readmeListing(readme, sample);
        ASSERT_FALSE(listing.objects.isEmpty());
        const BinaryPlistReadResult read = BinaryPlist::read(readFile(dir + QLatin1Char('/') + sample));
        ASSERT_TRUE(read.plist) << read.error.toStdString();
        const BinaryPlist& plist = *read.plist;
        const auto top = plist.dictionaryValue(plist.top(), u"$top");
        const auto objects = plist.dictionaryValue(plist.top(), u"$objects");
        ASSERT_TRUE(top && objects);
        EXPECT_EQ(pythonRepr(plist, *top).toStdString(), LiteralNormalizer(listing.top).run().toStdString());
        const PlistObject& list = plist.object(*objects);
        ASSERT_EQ(list.count(), listing.objects.size());
        for (auto it = listing.objects.cbegin(); it != listing.objects.cend(); ++it)
            EXPECT_EQ(pythonRepr(plist, list.refs()[it.key()]).toStdString(),
                      LiteralNormalizer(it.value()).run().toStdString())
                << "object " << it.key();
    }
}
