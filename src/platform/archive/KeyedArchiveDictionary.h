#pragma once

#include "platform/archive/KeyedArchiveValue.h"

#include <QHash>
#include <QString>
#include <utility>
#include <vector>

// A dictionary of a keyed archive: string keys in the order they were first inserted, each with a value.
// Setting an existing key replaces its value in place. Lookups are hashed once a dictionary holds more
// than a few keys (a playlist holds thousands of three-key dictionaries, which a scan serves faster).
class KeyedArchiveDictionary {
public:
    using Entry = std::pair<QString, KeyedArchiveValue>;

    KeyedArchiveDictionary() = default;
    KeyedArchiveDictionary(std::initializer_list<Entry> entries);

    void insert(const QString& key, const KeyedArchiveValue& value);
    bool remove(const QString& key);
    bool contains(const QString& key) const { return find(key) >= 0; }
    // The null marker when the key is missing.
    KeyedArchiveValue value(const QString& key) const;

    qsizetype size() const { return qsizetype(m_entries.size()); }
    bool isEmpty() const { return m_entries.empty(); }
    const std::vector<Entry>& entries() const { return m_entries; }
    QStringList keys() const;

    friend bool operator==(const KeyedArchiveDictionary& a, const KeyedArchiveDictionary& b) {
        return a.m_entries == b.m_entries;
    }

private:
    static constexpr std::size_t kScanned = 8; // up to this many keys, no index
    qsizetype find(const QString& key) const;
    void reindex();

    std::vector<Entry> m_entries;
    QHash<QString, qsizetype> m_index; // empty while there are at most kScanned entries
};
