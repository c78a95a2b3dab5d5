// Writing of binary property lists: BinaryPlist::write. One pass over the objects, then the offset table
// and the trailer; integers, counts, references and offsets take the fewest bytes that hold them.
#include "platform/archive/BinaryPlist.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

namespace {

int bytesFor(quint64 value) {
    if (value <= 0xFF)
        return 1;
    if (value <= 0xFFFF)
        return 2;
    if (value <= 0xFFFFFFFFu)
        return 4;
    return 8;
}

class Writer {
public:
    explicit Writer(const BinaryPlist& plist)
        : m_plist(plist)
        , m_refSize(bytesFor(quint64(std::max<qsizetype>(plist.size(), 1) - 1))) {}

    QByteArray run();

private:
    // The file is written through a pointer into a buffer sized for the longest form of every object.
    void put(char byte) { *m_p++ = byte; }
    void putUint(quint64 value, int width) {
        for (int i = width - 1; i >= 0; --i, value >>= 8)
            m_p[i] = char(value);
        m_p += width;
    }
    void putMarkerAndCount(uchar high, quint64 count) {
        if (count < 15) {
            put(char(high << 4 | count));
            return;
        }
        put(char(high << 4 | 0xF));
        putInteger(count);
    }
    void putInteger(quint64 value) {
        const int width = bytesFor(value);
        put(char(0x10 | std::countr_zero(unsigned(width))));
        putUint(value, width);
    }
    void putRefs(const QList<quint32>& refs) {
        for (quint32 ref : refs)
            putUint(ref, m_refSize);
    }
    void putObject(const PlistObject& object);
    // At most: marker and 9-byte count or 16-byte integer, contents, and an 8-byte offset per object.
    qsizetype maximumSize() const {
        qsizetype size = 8 + 32;
        for (const PlistObject& object : m_plist.objects())
            size +=
                17 + 8 + object.data().size() + 2 * object.string().size() + m_refSize * object.refs().size();
        return size;
    }

    const BinaryPlist& m_plist;
    const int m_refSize;
    char* m_p = nullptr;
};

void Writer::putObject(const PlistObject& object) {
    switch (object.kind()) {
    case PlistObject::Kind::Null:
        put('\x00');
        break;
    case PlistObject::Kind::Boolean:
        put(object.number().boolValue() ? '\x09' : '\x08');
        break;
    case PlistObject::Kind::Integer:
        if (object.isUnsigned64()) {
            put('\x14');
            putUint(0, 8);
            putUint(object.unsigned64(), 8);
        } else if (object.number().integerValue() < 0) {
            put('\x13');
            putUint(quint64(object.number().integerValue()), 8);
        } else {
            putInteger(quint64(object.number().integerValue()));
        }
        break;
    case PlistObject::Kind::Real:
        if (object.number().kind() == TypedNumber::Kind::Float32) {
            put('\x22');
            putUint(std::bit_cast<quint32>(object.number().floatValue()), 4);
        } else {
            put('\x23');
            putUint(std::bit_cast<quint64>(object.number().doubleValue()), 8);
        }
        break;
    case PlistObject::Kind::Date:
        put('\x33');
        putUint(std::bit_cast<quint64>(object.date()), 8);
        break;
    case PlistObject::Kind::Data: {
        const QByteArray& data = object.data();
        putMarkerAndCount(0x4, quint64(data.size()));
        std::memcpy(m_p, data.constData(), size_t(data.size()));
        m_p += data.size();
        break;
    }
    case PlistObject::Kind::String: {
        const QString& text = object.string();
        const bool ascii = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
        putMarkerAndCount(ascii ? 0x5 : 0x6, quint64(text.size()));
        if (ascii) {
            for (QChar c : text)
                put(char(c.unicode()));
        } else {
            for (QChar c : text)
                putUint(c.unicode(), 2);
        }
        break;
    }
    case PlistObject::Kind::Uid: {
        const int width = bytesFor(object.uid());
        put(char(0x80 | (width - 1)));
        putUint(object.uid(), width);
        break;
    }
    case PlistObject::Kind::Array:
        putMarkerAndCount(0xA, quint64(object.count()));
        putRefs(object.refs());
        break;
    case PlistObject::Kind::Set:
        putMarkerAndCount(0xC, quint64(object.count()));
        putRefs(object.refs());
        break;
    case PlistObject::Kind::Dictionary:
        putMarkerAndCount(0xD, quint64(object.count()));
        putRefs(object.refs());
        break;
    }
}

QByteArray Writer::run() {
    QByteArray out(maximumSize(), Qt::Uninitialized);
    char* const begin = out.data();
    m_p = begin;
    std::memcpy(m_p, "bplist00", 8);
    m_p += 8;
    std::vector<quint64> offsets;
    offsets.reserve(m_plist.objects().size());
    for (const PlistObject& object : m_plist.objects()) {
        offsets.push_back(quint64(m_p - begin));
        putObject(object);
    }
    const quint64 tableOffset = quint64(m_p - begin);
    const int offsetSize = bytesFor(offsets.empty() ? 0 : offsets.back());
    for (quint64 offset : offsets)
        putUint(offset, offsetSize);
    std::memset(m_p, 0, 6);
    m_p += 6;
    put(char(offsetSize));
    put(char(m_refSize));
    putUint(offsets.size(), 8);
    putUint(m_plist.top(), 8);
    putUint(tableOffset, 8);
    out.truncate(m_p - begin);
    return out;
}

} // namespace

QByteArray BinaryPlist::write() const {
    return Writer(*this).run();
}
