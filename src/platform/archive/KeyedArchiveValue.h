#pragma once

#include "platform/TypedNumber.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>
#include <memory>

class KeyedArchiveDictionary;

// A value of a keyed archive as playlists hold them: the null marker (NSNull), a number that keeps its
// kind, a string, data, a URL, an array, a dictionary with string keys in insertion order, or a set.
//
// Values are immutable and cheap to copy: a copy shares the node, and a decoded archive in which one
// object is referenced from several places shares that node too, so a small archive never grows into a
// large tree in memory. Sharing is by identity; the archiver writes a shared node once.
class KeyedArchiveValue {
public:
    enum class Type { Null, Number, String, Data, Url, Array, Dictionary, Set };

    KeyedArchiveValue(); // the null marker
    static KeyedArchiveValue null();
    static KeyedArchiveValue number(const TypedNumber& value);
    static KeyedArchiveValue string(const QString& value);
    static KeyedArchiveValue data(const QByteArray& value);
    static KeyedArchiveValue url(const QUrl& value);
    static KeyedArchiveValue array(QList<KeyedArchiveValue> elements);
    static KeyedArchiveValue dictionary(KeyedArchiveDictionary entries);
    static KeyedArchiveValue set(QList<KeyedArchiveValue> elements);

    Type type() const;
    bool isNull() const { return type() == Type::Null; }

    // Each answers an empty value when the type differs.
    TypedNumber toNumber() const;
    QString toString() const;
    QByteArray toData() const;
    QUrl toUrl() const;
    // The elements of an array or a set.
    const QList<KeyedArchiveValue>& elements() const;
    const KeyedArchiveDictionary& toDictionary() const;

    // Identity of the shared node, for writers that store each shared object once.
    const void* identity() const { return m_node.get(); }

    // Deep equality; numbers compare with their kind, sets compare in order.
    friend bool operator==(const KeyedArchiveValue& a, const KeyedArchiveValue& b);

private:
    struct Node;
    explicit KeyedArchiveValue(std::shared_ptr<const Node> node);

    std::shared_ptr<const Node> m_node;
};
