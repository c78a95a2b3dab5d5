// Writing of binary property lists: BinaryPlist::write. One pass over the objects, then the offset table
// and the trailer; integers, counts, references and offsets take the fewest bytes that hold them.
#include "platform/archive/BinaryPlist.h"

#include <algorithm>
#include <bit>

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
    void putUint(quint64 value, int width) {
        char bytes[8];
        for (int i = width - 1; i >= 0; --i, value >>= 8)
            bytes[i] = char(value);
        m_out.append(bytes, width);
    }
    void putMarkerAndCount(uchar high, quint64 count) {
        if (count < 15) {
            m_out.append(char(high << 4 | count));
            return;
        }
        m_out.append(char(high << 4 | 0xF));
        putInteger(count);
    }
    void putInteger(quint64 value) {
        const int width = bytesFor(value);
        m_out.append(char(0x10 | std::countr_zero(unsigned(width))));
        putUint(value, width);
    }
    void putRefs(const QList<quint32>& refs) {
        for (quint32 ref : refs)
            putUint(ref, m_refSize);
    }
    void putObject(const PlistObject& object);
    qsizetype estimatedSize() const {
        qsizetype size = 8 + 32;
        for (const PlistObject& object : m_plist.objects())
            size += 12 + object.data().size() + 2 * object.string().size() + m_refSize * object.refs().size();
        return size;
    }

    const BinaryPlist& m_plist;
    const int m_refSize;
    QByteArray m_out;
};

void Writer::putObject(const PlistObject& object) {
    switch (object.kind()) {
    case PlistObject::Kind::Null:
        m_out.append('\x00');
        break;
    case PlistObject::Kind::Boolean:
        m_out.append(object.number().boolValue() ? '\x09' : '\x08');
        break;
    case PlistObject::Kind::Integer:
        if (object.isUnsigned64()) {
            m_out.append('\x14');
            putUint(0, 8);
            putUint(object.unsigned64(), 8);
        } else if (object.number().integerValue() < 0) {
            m_out.append('\x13');
            putUint(quint64(object.number().integerValue()), 8);
        } else {
            putInteger(quint64(object.number().integerValue()));
        }
        break;
    case PlistObject::Kind::Real:
        if (object.number().kind() == TypedNumber::Kind::Float32) {
            m_out.append('\x22');
            putUint(std::bit_cast<quint32>(object.number().floatValue()), 4);
        } else {
            m_out.append('\x23');
            putUint(std::bit_cast<quint64>(object.number().doubleValue()), 8);
        }
        break;
    case PlistObject::Kind::Date:
        m_out.append('\x33');
        putUint(std::bit_cast<quint64>(object.date()), 8);
        break;
    case PlistObject::Kind::Data:
        putMarkerAndCount(0x4, quint64(object.data().size()));
        m_out.append(object.data());
        break;
    case PlistObject::Kind::String: {
        const QString& text = object.string();
        const bool ascii = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
        if (ascii) {
            putMarkerAndCount(0x5, quint64(text.size()));
            m_out.append(text.toLatin1());
        } else {
            putMarkerAndCount(0x6, quint64(text.size()));
            for (QChar c : text)
                putUint(c.unicode(), 2);
        }
        break;
    }
    case PlistObject::Kind::Uid: {
        const int width = bytesFor(object.uid());
        m_out.append(char(0x80 | (width - 1)));
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
    m_out.reserve(estimatedSize());
    m_out.append("bplist00", 8);
    std::vector<quint64> offsets;
    offsets.reserve(m_plist.objects().size());
    for (const PlistObject& object : m_plist.objects()) {
        offsets.push_back(quint64(m_out.size()));
        putObject(object);
    }
    const quint64 tableOffset = quint64(m_out.size());
    const int offsetSize = bytesFor(offsets.empty() ? 0 : offsets.back());
    for (quint64 offset : offsets)
        putUint(offset, offsetSize);
    m_out.append(6, '\0');
    m_out.append(char(offsetSize));
    m_out.append(char(m_refSize));
    putUint(offsets.size(), 8);
    putUint(m_plist.top(), 8);
    putUint(tableOffset, 8);
    return m_out;
}

} // namespace

QByteArray BinaryPlist::write() const {
    return Writer(*this).run();
}
