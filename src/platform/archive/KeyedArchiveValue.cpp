#include "platform/archive/KeyedArchiveValue.h"

#include "platform/archive/KeyedArchiveDictionary.h"

struct KeyedArchiveValue::Node {
    Type type = Type::Null;
    TypedNumber number;
    QString string;
    QByteArray data;
    QUrl url;
    QList<KeyedArchiveValue> elements;
    KeyedArchiveDictionary dictionary;
};

namespace {

const QList<KeyedArchiveValue>& noElements() {
    static const QList<KeyedArchiveValue> empty;
    return empty;
}

const KeyedArchiveDictionary& noDictionary() {
    static const KeyedArchiveDictionary empty;
    return empty;
}

} // namespace

KeyedArchiveValue::KeyedArchiveValue() = default;

KeyedArchiveValue::KeyedArchiveValue(std::shared_ptr<const Node> node)
    : m_node(std::move(node)) {}

KeyedArchiveValue KeyedArchiveValue::null() {
    return KeyedArchiveValue();
}

KeyedArchiveValue KeyedArchiveValue::number(const TypedNumber& value) {
    auto node = std::make_shared<Node>();
    node->type = Type::Number;
    node->number = value;
    return KeyedArchiveValue(std::move(node));
}

KeyedArchiveValue KeyedArchiveValue::string(const QString& value) {
    auto node = std::make_shared<Node>();
    node->type = Type::String;
    node->string = value;
    return KeyedArchiveValue(std::move(node));
}

KeyedArchiveValue KeyedArchiveValue::data(const QByteArray& value) {
    auto node = std::make_shared<Node>();
    node->type = Type::Data;
    node->data = value;
    return KeyedArchiveValue(std::move(node));
}

KeyedArchiveValue KeyedArchiveValue::url(const QUrl& value) {
    auto node = std::make_shared<Node>();
    node->type = Type::Url;
    node->url = value;
    return KeyedArchiveValue(std::move(node));
}

KeyedArchiveValue KeyedArchiveValue::array(QList<KeyedArchiveValue> elements) {
    auto node = std::make_shared<Node>();
    node->type = Type::Array;
    node->elements = std::move(elements);
    return KeyedArchiveValue(std::move(node));
}

KeyedArchiveValue KeyedArchiveValue::dictionary(KeyedArchiveDictionary entries) {
    auto node = std::make_shared<Node>();
    node->type = Type::Dictionary;
    node->dictionary = std::move(entries);
    return KeyedArchiveValue(std::move(node));
}

KeyedArchiveValue KeyedArchiveValue::set(QList<KeyedArchiveValue> elements) {
    auto node = std::make_shared<Node>();
    node->type = Type::Set;
    node->elements = std::move(elements);
    return KeyedArchiveValue(std::move(node));
}

KeyedArchiveValue::Type KeyedArchiveValue::type() const {
    return m_node ? m_node->type : Type::Null;
}

TypedNumber KeyedArchiveValue::toNumber() const {
    return type() == Type::Number ? m_node->number : TypedNumber();
}

QString KeyedArchiveValue::toString() const {
    return type() == Type::String ? m_node->string : QString();
}

QByteArray KeyedArchiveValue::toData() const {
    return type() == Type::Data ? m_node->data : QByteArray();
}

QUrl KeyedArchiveValue::toUrl() const {
    return type() == Type::Url ? m_node->url : QUrl();
}

const QList<KeyedArchiveValue>& KeyedArchiveValue::elements() const {
    return type() == Type::Array || type() == Type::Set ? m_node->elements : noElements();
}

const KeyedArchiveDictionary& KeyedArchiveValue::toDictionary() const {
    return type() == Type::Dictionary ? m_node->dictionary : noDictionary();
}

bool operator==(const KeyedArchiveValue& a, const KeyedArchiveValue& b) {
    if (a.m_node == b.m_node)
        return true;
    if (a.type() != b.type())
        return false;
    switch (a.type()) {
    case KeyedArchiveValue::Type::Null:
        return true;
    case KeyedArchiveValue::Type::Number:
        return a.m_node->number == b.m_node->number;
    case KeyedArchiveValue::Type::String:
        return a.m_node->string == b.m_node->string;
    case KeyedArchiveValue::Type::Data:
        return a.m_node->data == b.m_node->data;
    case KeyedArchiveValue::Type::Url:
        return a.m_node->url == b.m_node->url;
    case KeyedArchiveValue::Type::Array:
    case KeyedArchiveValue::Type::Set:
        return a.m_node->elements == b.m_node->elements;
    case KeyedArchiveValue::Type::Dictionary:
        return a.m_node->dictionary == b.m_node->dictionary;
    }
    return false;
}
