#include "platform/archive/KeyedArchiveDictionary.h"

#include <QStringList>

KeyedArchiveDictionary::KeyedArchiveDictionary(std::initializer_list<Entry> entries) {
    for (const Entry& entry : entries)
        insert(entry.first, entry.second);
}

qsizetype KeyedArchiveDictionary::find(const QString& key) const {
    if (m_entries.size() <= kScanned) {
        for (std::size_t i = 0; i < m_entries.size(); ++i) {
            if (m_entries[i].first == key)
                return qsizetype(i);
        }
        return -1;
    }
    const auto it = m_index.constFind(key);
    return it == m_index.constEnd() ? -1 : *it;
}

void KeyedArchiveDictionary::reindex() {
    m_index.clear();
    if (m_entries.size() <= kScanned)
        return;
    m_index.reserve(qsizetype(m_entries.size()));
    for (std::size_t i = 0; i < m_entries.size(); ++i)
        m_index.insert(m_entries[i].first, qsizetype(i));
}

void KeyedArchiveDictionary::insert(const QString& key, const KeyedArchiveValue& value) {
    const qsizetype at = find(key);
    if (at >= 0) {
        m_entries[std::size_t(at)].second = value;
        return;
    }
    m_entries.emplace_back(key, value);
    if (m_entries.size() == kScanned + 1)
        reindex();
    else if (m_entries.size() > kScanned + 1)
        m_index.insert(key, qsizetype(m_entries.size() - 1));
}

bool KeyedArchiveDictionary::remove(const QString& key) {
    const qsizetype at = find(key);
    if (at < 0)
        return false;
    m_entries.erase(m_entries.begin() + at);
    reindex();
    return true;
}

KeyedArchiveValue KeyedArchiveDictionary::value(const QString& key) const {
    const qsizetype at = find(key);
    return at < 0 ? KeyedArchiveValue() : m_entries[std::size_t(at)].second;
}

QStringList KeyedArchiveDictionary::keys() const {
    QStringList result;
    result.reserve(size());
    for (const Entry& entry : m_entries)
        result.append(entry.first);
    return result;
}
