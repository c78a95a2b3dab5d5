// Reading of binary property lists: BinaryPlist::read. Every count, offset and reference is checked
// against the file before it is used, and the whole file is parsed in one pass over the offset table.
#include "platform/archive/BinaryPlist.h"

#include <QtEndian>
#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

namespace {

constexpr qsizetype kHeaderSize = 8;
constexpr qsizetype kTrailerSize = 32;

struct Trailer {
    int offsetSize = 0;
    int refSize = 0;
    quint64 objectCount = 0;
    quint64 top = 0;
    quint64 tableOffset = 0;
};

// Reads one file's objects; each function answers false with m_error set when the file is refused.
class Reader {
public:
    explicit Reader(const QByteArray& data)
        : m_bytes(reinterpret_cast<const uchar*>(data.constData()))
        , m_size(quint64(data.size())) {}

    BinaryPlistReadResult run();

private:
    quint64 uintAt(quint64 pos, int width) const {
        quint64 v = 0;
        for (int i = 0; i < width; ++i)
            v = (v << 8) | m_bytes[pos + i];
        return v;
    }
    bool fail(const QString& message) {
        m_error = message;
        return false;
    }
    bool readTrailer();
    bool readOffsets();
    bool readObject(quint32 index);
    bool readCount(quint64& pos, int nibble, quint64& count, quint32 index);
    bool claim(quint32 index, quint64 pos, quint64 count, quint64 unit);
    bool readRefs(quint32 index, quint64 pos, quint64 count, QList<quint32>& refs);

    const uchar* m_bytes;
    quint64 m_size;
    Trailer m_trailer;
    std::vector<quint64> m_offsets;
    quint64 m_claimed = 0; // bytes taken by the objects read so far
    quint64 m_objectStart = 0;
    BinaryPlist m_plist;
    QString m_error;
};

BinaryPlistReadResult Reader::run() {
    if (m_size < 6 || std::memcmp(m_bytes, "bplist", 6) != 0)
        return {std::nullopt, QStringLiteral("Not a binary property list")};
    if (m_size < kHeaderSize || std::memcmp(m_bytes + 6, "00", 2) != 0)
        return {std::nullopt, QStringLiteral("Unsupported binary property list version")};
    if (!readTrailer() || !readOffsets())
        return {std::nullopt, m_error};
    m_plist.reserve(qsizetype(m_offsets.size()));
    for (quint32 i = 0; i < m_offsets.size(); ++i) {
        if (!readObject(i))
            return {std::nullopt, m_error};
    }
    m_plist.setTop(quint32(m_trailer.top));
    return {std::move(m_plist), QString()};
}

bool Reader::readTrailer() {
    if (m_size < kHeaderSize + 2 + kTrailerSize)
        return fail(QStringLiteral("The property list is truncated (%1 bytes)").arg(m_size));
    const quint64 t = m_size - kTrailerSize;
    m_trailer.offsetSize = m_bytes[t + 6];
    m_trailer.refSize = m_bytes[t + 7];
    m_trailer.objectCount = uintAt(t + 8, 8);
    m_trailer.top = uintAt(t + 16, 8);
    m_trailer.tableOffset = uintAt(t + 24, 8);
    if (m_trailer.offsetSize < 1 || m_trailer.offsetSize > 8)
        return fail(QStringLiteral("Invalid offset size %1 in the trailer").arg(m_trailer.offsetSize));
    if (m_trailer.refSize < 1 || m_trailer.refSize > 8)
        return fail(QStringLiteral("Invalid object reference size %1 in the trailer").arg(m_trailer.refSize));
    if (m_trailer.objectCount == 0)
        return fail(QStringLiteral("The property list holds no objects"));
    if (m_trailer.tableOffset < kHeaderSize + 1 || m_trailer.tableOffset >= t)
        return fail(QStringLiteral("The offset table lies outside the file (truncated?)"));
    if (m_trailer.objectCount > (t - m_trailer.tableOffset) / quint64(m_trailer.offsetSize) ||
        m_trailer.objectCount > std::numeric_limits<quint32>::max())
        return fail(QStringLiteral("The trailer declares %1 objects, more than the file can hold")
                        .arg(m_trailer.objectCount));
    if (m_trailer.top >= m_trailer.objectCount)
        return fail(QStringLiteral("The top object %1 is out of range").arg(m_trailer.top));
    return true;
}

bool Reader::readOffsets() {
    const quint64 n = m_trailer.objectCount;
    m_offsets.resize(n);
    for (quint64 i = 0; i < n; ++i) {
        const quint64 offset =
            uintAt(m_trailer.tableOffset + i * quint64(m_trailer.offsetSize), m_trailer.offsetSize);
        if (offset < kHeaderSize || offset >= m_trailer.tableOffset)
            return fail(
                QStringLiteral("Object %1 has an offset (%2) outside the object area").arg(i).arg(offset));
        m_offsets[i] = offset;
    }
    // Two objects at one place would let a small file stand for a large one; writers never do it.
    std::vector<quint64> sorted = m_offsets;
    std::sort(sorted.begin(), sorted.end());
    if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end())
        return fail(QStringLiteral("Two objects share one offset"));
    return true;
}

// Takes count * unit payload bytes at pos for the object being read: they must lie inside the object area,
// and all objects together may not claim more bytes than the area holds (overlapping objects would).
bool Reader::claim(quint32 index, quint64 pos, quint64 count, quint64 unit) {
    const quint64 end = m_trailer.tableOffset;
    if (pos > end || count > (end - pos) / unit)
        return fail(QStringLiteral("Object %1 runs past the end of the object area (truncated?)").arg(index));
    const quint64 span = pos - m_objectStart + count * unit;
    m_claimed += span;
    if (m_claimed > end - kHeaderSize)
        return fail(QStringLiteral("Objects overlap one another"));
    return true;
}

bool Reader::readCount(quint64& pos, int nibble, quint64& count, quint32 index) {
    if (nibble != 0xF) {
        count = quint64(nibble);
        return true;
    }
    if (pos >= m_trailer.tableOffset)
        return fail(QStringLiteral("Object %1 is truncated").arg(index));
    const uchar marker = m_bytes[pos];
    if ((marker & 0xF0) != 0x10 || (marker & 0x0F) > 3)
        return fail(QStringLiteral("Object %1 has an invalid length").arg(index));
    const int width = 1 << (marker & 0x0F);
    if (pos + 1 + quint64(width) > m_trailer.tableOffset)
        return fail(QStringLiteral("Object %1 is truncated").arg(index));
    count = uintAt(pos + 1, width);
    pos += 1 + quint64(width);
    return true;
}

bool Reader::readRefs(quint32 index, quint64 pos, quint64 count, QList<quint32>& refs) {
    refs.resize(qsizetype(count));
    const int width = m_trailer.refSize;
    for (quint64 i = 0; i < count; ++i) {
        const quint64 ref = uintAt(pos + i * quint64(width), width);
        if (ref >= m_trailer.objectCount)
            return fail(QStringLiteral("Object %1 refers to object %2, but the list has %3 objects")
                            .arg(index)
                            .arg(ref)
                            .arg(m_trailer.objectCount));
        refs[qsizetype(i)] = quint32(ref);
    }
    return true;
}

bool Reader::readObject(quint32 index) {
    m_objectStart = m_offsets[index];
    quint64 pos = m_objectStart;
    const uchar marker = m_bytes[pos++];
    const int high = marker >> 4;
    const int low = marker & 0x0F;
    quint64 count = 0;
    switch (high) {
    case 0x0:
        if (marker != 0x00 && marker != 0x08 && marker != 0x09)
            break;
        if (!claim(index, pos, 0, 1))
            return false;
        m_plist.add(marker == 0x00 ? PlistObject() : PlistObject::boolean(marker == 0x09));
        return true;
    case 0x1: {
        if (low > 4)
            break;
        const int width = 1 << low;
        if (!claim(index, pos, quint64(width), 1))
            return false;
        if (width < 8) {
            m_plist.add(PlistObject::integer(qint64(uintAt(pos, width))));
        } else if (width == 8) {
            m_plist.add(PlistObject::integer(qint64(uintAt(pos, 8))));
        } else {
            const quint64 hi = uintAt(pos, 8);
            const quint64 lo = uintAt(pos + 8, 8);
            if (hi == 0)
                m_plist.add(PlistObject::unsignedInteger(lo));
            else if (hi == ~quint64(0) && qint64(lo) < 0)
                m_plist.add(PlistObject::integer(qint64(lo)));
            else
                return fail(QStringLiteral("Object %1 is an integer wider than 64 bits").arg(index));
        }
        return true;
    }
    case 0x2:
        if (low != 2 && low != 3)
            break;
        if (!claim(index, pos, quint64(1) << low, 1))
            return false;
        if (low == 2)
            m_plist.add(
                PlistObject::number(TypedNumber::float32(std::bit_cast<float>(quint32(uintAt(pos, 4))))));
        else
            m_plist.add(PlistObject::number(TypedNumber::float64(std::bit_cast<double>(uintAt(pos, 8)))));
        return true;
    case 0x3:
        if (low != 3)
            break;
        if (!claim(index, pos, 8, 1))
            return false;
        m_plist.add(PlistObject::date(std::bit_cast<double>(uintAt(pos, 8))));
        return true;
    case 0x4:
    case 0x5:
    case 0x6: {
        if (!readCount(pos, low, count, index) || !claim(index, pos, count, high == 0x6 ? 2 : 1))
            return false;
        const char* p = reinterpret_cast<const char*>(m_bytes + pos);
        if (high == 0x4) {
            m_plist.add(PlistObject::data(QByteArray(p, qsizetype(count))));
        } else if (high == 0x5) {
            m_plist.add(PlistObject::string(QString::fromLatin1(p, qsizetype(count))));
        } else {
            QString text(qsizetype(count), Qt::Uninitialized);
            for (quint64 i = 0; i < count; ++i)
                text[qsizetype(i)] = QChar(ushort(uintAt(pos + 2 * i, 2)));
            m_plist.add(PlistObject::string(text));
        }
        return true;
    }
    case 0x8:
        if (low > 7)
            break;
        if (!claim(index, pos, quint64(low) + 1, 1))
            return false;
        m_plist.add(PlistObject::uid(uintAt(pos, low + 1)));
        return true;
    case 0xA:
    case 0xC:
    case 0xD: {
        const quint64 per = high == 0xD ? 2 : 1;
        if (!readCount(pos, low, count, index))
            return false;
        if (count > std::numeric_limits<quint64>::max() / (per * quint64(m_trailer.refSize)) ||
            !claim(index, pos, count * per, quint64(m_trailer.refSize)))
            return false;
        QList<quint32> refs;
        if (!readRefs(index, pos, count * per, refs))
            return false;
        if (high == 0xA)
            m_plist.add(PlistObject::array(std::move(refs)));
        else if (high == 0xC)
            m_plist.add(PlistObject::set(std::move(refs)));
        else
            m_plist.add(PlistObject::dictionary(refs.first(qsizetype(count)), refs.sliced(qsizetype(count))));
        return true;
    }
    default:
        break;
    }
    return fail(QStringLiteral("Object %1 has an unknown kind (marker 0x%2)")
                    .arg(index)
                    .arg(int(marker), 2, 16, QLatin1Char('0')));
}

} // namespace

BinaryPlistReadResult BinaryPlist::read(const QByteArray& data) {
    return Reader(data).run();
}
