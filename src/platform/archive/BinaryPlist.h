#pragma once

#include "platform/archive/PlistObject.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>
#include <vector>

struct BinaryPlistReadResult;

// A binary property list ("bplist00") as its flat object table: objects by index, references as indexes,
// and the index of the top object. Reading never expands shared objects and never recurses; writing is
// linear in the size of the table and uses the narrowest integer, reference and offset widths.
//
// As a builder, add() appends an object and answers its index; addString, addNumber, addUid and addData
// store each distinct value once. Not thread-safe; a value type.
class BinaryPlist {
public:
    // Reads and checks a whole file: header, trailer, offset table, every offset and reference in range,
    // counts and lengths inside the file, no two objects at one place and no object overlapping
    // another's bytes beyond what the file holds. Memory stays within a small multiple of data.size().
    static BinaryPlistReadResult read(const QByteArray& data);
    // The file for this table. The top object must be set and every reference must be in range.
    QByteArray write() const;

    const std::vector<PlistObject>& objects() const { return m_objects; }
    const PlistObject& object(quint32 index) const { return m_objects[index]; }
    qsizetype size() const { return qsizetype(m_objects.size()); }
    quint32 top() const { return m_top; }
    void setTop(quint32 index) { m_top = index; }
    // Replaces one object in place (no uniquing); references are not checked until write().
    void replace(quint32 index, const PlistObject& object);
    void reserve(qsizetype count) { m_objects.reserve(std::size_t(count)); }

    // Appends as is; the other add functions answer the index of an equal object already added.
    quint32 add(PlistObject object);
    quint32 addString(const QString& text);
    quint32 addNumber(const TypedNumber& value);
    quint32 addUid(quint64 value);
    quint32 addData(const QByteArray& bytes);

    // The value for a string key of a dictionary object, by a scan of its keys.
    std::optional<quint32> dictionaryValue(quint32 dictionary, QStringView key) const;

private:
    quint32 append(PlistObject&& object);
    static constexpr quint32 kNoIndex = ~quint32(0);

    std::vector<PlistObject> m_objects;
    quint32 m_top = 0;
    QHash<QString, quint32> m_strings;
    QHash<std::pair<int, quint64>, quint32> m_numbers; // by kind and bits
    static constexpr quint64 kDenseUids = 1 << 22;
    std::vector<quint32> m_uids; // by UID value below kDenseUids; kNoIndex where none was added yet
    QHash<quint64, quint32> m_largeUids;
    QHash<QByteArray, quint32> m_datas;
};

struct BinaryPlistReadResult {
    std::optional<BinaryPlist> plist;
    QString error; // empty when plist is set
};
