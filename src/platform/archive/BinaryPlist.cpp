#include "platform/archive/BinaryPlist.h"

#include <algorithm>
#include <bit>

void BinaryPlist::replace(quint32 index, const PlistObject& object) {
    if (index < m_objects.size())
        m_objects[index] = object;
}

quint32 BinaryPlist::append(PlistObject&& object) {
    m_objects.push_back(std::move(object));
    return quint32(m_objects.size() - 1);
}

quint32 BinaryPlist::add(PlistObject object) {
    return append(std::move(object));
}

quint32 BinaryPlist::addString(const QString& text) {
    const auto it = m_strings.constFind(text);
    if (it != m_strings.constEnd())
        return *it;
    const quint32 index = append(PlistObject::string(text));
    m_strings.insert(text, index);
    return index;
}

quint32 BinaryPlist::addNumber(const TypedNumber& value) {
    int tag = 'i';
    quint64 bits = quint64(value.integerValue());
    switch (value.kind()) {
    case TypedNumber::Kind::Boolean:
        tag = 'b';
        break;
    case TypedNumber::Kind::Integer:
        break;
    case TypedNumber::Kind::Float32:
        tag = 'f';
        bits = std::bit_cast<quint32>(value.floatValue());
        break;
    case TypedNumber::Kind::Float64:
        tag = 'd';
        bits = std::bit_cast<quint64>(value.doubleValue());
        break;
    }
    const std::pair<int, quint64> key{tag, bits};
    const auto it = m_numbers.constFind(key);
    if (it != m_numbers.constEnd())
        return *it;
    const quint32 index = append(PlistObject::number(value));
    m_numbers.insert(key, index);
    return index;
}

quint32 BinaryPlist::addUid(quint64 value) {
    // UIDs number the objects of an archive: small and dense, so they are looked up by value; larger
    // ones by hash.
    if (value >= kDenseUids) {
        const auto it = m_largeUids.constFind(value);
        if (it != m_largeUids.constEnd())
            return *it;
        const quint32 index = append(PlistObject::uid(value));
        m_largeUids.insert(value, index);
        return index;
    }
    if (value >= m_uids.size())
        m_uids.resize(std::max<size_t>(size_t(value) + 1, 2 * m_uids.size()), kNoIndex);
    if (m_uids[size_t(value)] != kNoIndex)
        return m_uids[size_t(value)];
    const quint32 index = append(PlistObject::uid(value));
    m_uids[size_t(value)] = index;
    return index;
}

quint32 BinaryPlist::addData(const QByteArray& bytes) {
    const auto it = m_datas.constFind(bytes);
    if (it != m_datas.constEnd())
        return *it;
    const quint32 index = append(PlistObject::data(bytes));
    m_datas.insert(bytes, index);
    return index;
}

std::optional<quint32> BinaryPlist::dictionaryValue(quint32 dictionary, QStringView key) const {
    if (dictionary >= m_objects.size())
        return std::nullopt;
    const PlistObject& dict = m_objects[dictionary];
    if (dict.kind() != PlistObject::Kind::Dictionary)
        return std::nullopt;
    for (qsizetype i = 0; i < dict.count(); ++i) {
        const quint32 k = dict.keyRef(i);
        if (k < m_objects.size() && m_objects[k].kind() == PlistObject::Kind::String &&
            m_objects[k].string() == key)
            return dict.valueRef(i);
    }
    return std::nullopt;
}
