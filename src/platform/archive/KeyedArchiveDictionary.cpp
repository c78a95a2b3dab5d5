#include "platform/archive/KeyedArchiveDictionary.h"

#include <QStringList>

KeyedArchiveDictionary::KeyedArchiveDictionary(std::initializer_list<Entry> entries) {
    for (const Entry& entry : entries)
        insert(entry.first, entry.second);
}

void KeyedArchiveDictionary::insert(const QString& key, const KeyedArchiveValue& value) {
    const auto it = m_index.constFind(key);
    if (it != m_index.constEnd()) {
        m_entries[std::size_t(*it)].second = value;
        return;
    }
    m_index.insert(key, qsizetype(m_entries.size()));
    m_entries.emplace_back(key, value);
}

bool KeyedArchiveDictionary::remove(const QString& key) {
    const auto it = m_index.constFind(key);
    if (it == m_index.constEnd())
        return false;
    m_entries.erase(m_entries.begin() + *it);
    m_index.clear();
    for (std::size_t i = 0; i < m_entries.size(); ++i)
        m_index.insert(m_entries[i].first, qsizetype(i));
    return true;
}

KeyedArchiveValue KeyedArchiveDictionary::value(const QString& key) const {
    const auto it = m_index.constFind(key);
    return it == m_index.constEnd() ? KeyedArchiveValue() : m_entries[std::size_t(*it)].second;
}

QStringList KeyedArchiveDictionary::keys() const {
    QStringList result;
    result.reserve(size());
    for (const Entry& entry : m_entries)
        result.append(entry.first);
    return result;
}
