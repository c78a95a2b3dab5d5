#include "platform/archive/KeyedUnarchiver.h"

#include "platform/archive/BinaryPlist.h"
#include "platform/archive/KeyedArchiveDictionary.h"

#include <QHash>
#include <optional>

namespace {

using Kind = PlistObject::Kind;

// Decodes $objects entries on demand. Each plist object is decoded once and its value kept, so shared
// objects stay shared; an object met again while its own contents are being decoded is a cycle.
class Decoder {
public:
    explicit Decoder(BinaryPlist plist)
        : m_plist(std::move(plist))
        , m_states(std::size_t(m_plist.size()), State::Unvisited)
        , m_values(std::size_t(m_plist.size()))
        , m_weights(std::size_t(m_plist.size()), 0) {}

    KeyedUnarchiveResult run(const QString& topKey);

private:
    enum class State : quint8 { Unvisited, InProgress, Done };
    struct Decoded {
        KeyedArchiveValue value;
        qint64 weight = 0; // nodes of the tree with every shared object written out
    };

    std::optional<Decoded> fail(const QString& message) {
        if (m_error.isEmpty())
            m_error = message;
        return std::nullopt;
    }
    std::optional<Decoded> decode(quint64 uid, int depth);
    std::optional<Decoded> decodeObject(quint64 uid, quint32 index, int depth);
    std::optional<QString> className(quint64 uid, quint32 dictionary);
    std::optional<QList<quint64>> uidList(quint64 uid, quint32 dictionary, const QString& key);
    std::optional<quint64> uidValue(quint64 uid, quint32 dictionary, const QString& key);
    std::optional<Decoded> decodeContainer(quint64 uid, quint32 index, const QString& cls, int depth);
    std::optional<Decoded> decodeUrl(quint64 uid, quint32 index, int depth);
    bool addWeight(qint64& total, qint64 weight);

    BinaryPlist m_plist;
    QList<quint32> m_objects; // $objects
    std::vector<State> m_states;
    std::vector<KeyedArchiveValue> m_values;
    std::vector<qint64> m_weights;
    QHash<quint32, QString> m_classNames;
    QString m_error;
};

QString describe(Kind kind) {
    switch (kind) {
    case Kind::Null:
        return QStringLiteral("null");
    case Kind::Boolean:
        return QStringLiteral("boolean");
    case Kind::Integer:
        return QStringLiteral("integer");
    case Kind::Real:
        return QStringLiteral("real");
    case Kind::Date:
        return QStringLiteral("date");
    case Kind::Data:
        return QStringLiteral("data");
    case Kind::String:
        return QStringLiteral("string");
    case Kind::Uid:
        return QStringLiteral("UID");
    case Kind::Array:
        return QStringLiteral("array");
    case Kind::Set:
        return QStringLiteral("set");
    case Kind::Dictionary:
        return QStringLiteral("dictionary");
    }
    return QString();
}

KeyedUnarchiveResult Decoder::run(const QString& topKey) {
    const quint32 top = m_plist.top();
    if (m_plist.object(top).kind() != Kind::Dictionary)
        return {{}, QStringLiteral("Not a keyed archive: the top object is not a dictionary")};
    const auto archiver = m_plist.dictionaryValue(top, u"$archiver");
    if (!archiver || m_plist.object(*archiver).kind() != Kind::String ||
        m_plist.object(*archiver).string() != QLatin1String("NSKeyedArchiver"))
        return {{}, QStringLiteral("Not a keyed archive: $archiver is not NSKeyedArchiver")};
    const auto version = m_plist.dictionaryValue(top, u"$version");
    if (!version || m_plist.object(*version).kind() != Kind::Integer ||
        m_plist.object(*version).number().integerValue() != 100000)
        return {{}, QStringLiteral("Unsupported keyed archive: $version is not 100000")};
    const auto objects = m_plist.dictionaryValue(top, u"$objects");
    if (!objects || m_plist.object(*objects).kind() != Kind::Array || m_plist.object(*objects).count() == 0)
        return {{}, QStringLiteral("Invalid keyed archive: $objects is not a non-empty array")};
    m_objects = m_plist.object(*objects).refs();
    const PlistObject& nullEntry = m_plist.object(m_objects[0]);
    if (nullEntry.kind() != Kind::String || nullEntry.string() != QLatin1String("$null"))
        return {{}, QStringLiteral("Invalid keyed archive: $objects does not begin with $null")};
    const auto topDict = m_plist.dictionaryValue(top, u"$top");
    if (!topDict || m_plist.object(*topDict).kind() != Kind::Dictionary)
        return {{}, QStringLiteral("Invalid keyed archive: $top is not a dictionary")};
    const auto rootRef = m_plist.dictionaryValue(*topDict, topKey);
    if (!rootRef || m_plist.object(*rootRef).kind() != Kind::Uid)
        return {{}, QStringLiteral("Invalid keyed archive: $top has no UID under \"%1\"").arg(topKey)};
    const quint64 rootUid = m_plist.object(*rootRef).uid();
    if (rootUid == 0)
        return {{}, QStringLiteral("Invalid keyed archive: the root object is nil")};
    const std::optional<Decoded> root = decode(rootUid, 0);
    if (!root)
        return {{}, m_error};
    return {root->value, QString()};
}

bool Decoder::addWeight(qint64& total, qint64 weight) {
    total += weight;
    if (total <= KeyedUnarchiver::kMaxTreeNodes)
        return true;
    fail(QStringLiteral("The archive's tree would hold more than %1 objects")
             .arg(KeyedUnarchiver::kMaxTreeNodes));
    return false;
}

std::optional<Decoder::Decoded> Decoder::decode(quint64 uid, int depth) {
    if (uid == 0)
        return fail(QStringLiteral("A nil object where a value is expected"));
    if (uid >= quint64(m_objects.size()))
        return fail(
            QStringLiteral("UID %1 is out of range ($objects holds %2)").arg(uid).arg(m_objects.size()));
    const quint32 index = m_objects[qsizetype(uid)];
    switch (m_states[index]) {
    case State::Done:
        return Decoded{m_values[index], m_weights[index]};
    case State::InProgress:
        return fail(QStringLiteral("Object %1 contains itself (a reference cycle)").arg(uid));
    case State::Unvisited:
        break;
    }
    if (depth > KeyedUnarchiver::kMaxDepth)
        return fail(
            QStringLiteral("Objects are nested more than %1 levels deep").arg(KeyedUnarchiver::kMaxDepth));
    m_states[index] = State::InProgress;
    std::optional<Decoded> result = decodeObject(uid, index, depth);
    if (!result)
        return std::nullopt;
    m_states[index] = State::Done;
    m_values[index] = result->value;
    m_weights[index] = result->weight;
    return result;
}

std::optional<Decoder::Decoded> Decoder::decodeObject(quint64 uid, quint32 index, int depth) {
    const PlistObject& object = m_plist.object(index);
    switch (object.kind()) {
    case Kind::String:
        return Decoded{KeyedArchiveValue::string(object.string()), 1};
    case Kind::Data:
        return Decoded{KeyedArchiveValue::data(object.data()), 1};
    case Kind::Boolean:
    case Kind::Real:
        return Decoded{KeyedArchiveValue::number(object.number()), 1};
    case Kind::Integer:
        if (object.isUnsigned64())
            return fail(QStringLiteral("Object %1 is an integer beyond the 64-bit signed range").arg(uid));
        return Decoded{KeyedArchiveValue::number(object.number()), 1};
    case Kind::Dictionary:
        break;
    default:
        return fail(QStringLiteral("Object %1 is a plain %2, which a keyed archive does not hold")
                        .arg(uid)
                        .arg(describe(object.kind())));
    }
    const std::optional<QString> cls = className(uid, index);
    if (!cls)
        return std::nullopt;
    if (*cls == QLatin1String("NSNull"))
        return Decoded{KeyedArchiveValue::null(), 1};
    if (*cls == QLatin1String("NSString") || *cls == QLatin1String("NSMutableString")) {
        const auto text = m_plist.dictionaryValue(index, u"NS.string");
        if (!text || m_plist.object(*text).kind() != Kind::String)
            return fail(QStringLiteral("Object %1 (%2) has no NS.string").arg(uid).arg(*cls));
        return Decoded{KeyedArchiveValue::string(m_plist.object(*text).string()), 1};
    }
    if (*cls == QLatin1String("NSData") || *cls == QLatin1String("NSMutableData")) {
        const auto bytes = m_plist.dictionaryValue(index, u"NS.data");
        if (!bytes || m_plist.object(*bytes).kind() != Kind::Data)
            return fail(QStringLiteral("Object %1 (%2) has no NS.data").arg(uid).arg(*cls));
        return Decoded{KeyedArchiveValue::data(m_plist.object(*bytes).data()), 1};
    }
    if (*cls == QLatin1String("NSURL"))
        return decodeUrl(uid, index, depth);
    return decodeContainer(uid, index, *cls, depth);
}

std::optional<QString> Decoder::className(quint64 uid, quint32 dictionary) {
    const std::optional<quint64> classUid = uidValue(uid, dictionary, QStringLiteral("$class"));
    if (!classUid)
        return std::nullopt;
    if (*classUid == 0 || *classUid >= quint64(m_objects.size())) {
        fail(QStringLiteral("Object %1 has an invalid $class UID %2").arg(uid).arg(*classUid));
        return std::nullopt;
    }
    const quint32 classIndex = m_objects[qsizetype(*classUid)];
    if (const auto it = m_classNames.constFind(classIndex); it != m_classNames.constEnd())
        return *it;
    const auto name = m_plist.dictionaryValue(classIndex, u"$classname");
    if (!name || m_plist.object(*name).kind() != Kind::String) {
        fail(QStringLiteral("Object %1 has a class description without $classname").arg(uid));
        return std::nullopt;
    }
    m_classNames.insert(classIndex, m_plist.object(*name).string());
    return m_plist.object(*name).string();
}

std::optional<quint64> Decoder::uidValue(quint64 uid, quint32 dictionary, const QString& key) {
    const auto ref = m_plist.dictionaryValue(dictionary, key);
    if (!ref || m_plist.object(*ref).kind() != Kind::Uid) {
        fail(QStringLiteral("Object %1 has no UID under %2").arg(uid).arg(key));
        return std::nullopt;
    }
    return m_plist.object(*ref).uid();
}

std::optional<QList<quint64>> Decoder::uidList(quint64 uid, quint32 dictionary, const QString& key) {
    const auto ref = m_plist.dictionaryValue(dictionary, key);
    if (!ref || m_plist.object(*ref).kind() != Kind::Array) {
        fail(QStringLiteral("Object %1 has no array under %2").arg(uid).arg(key));
        return std::nullopt;
    }
    QList<quint64> uids;
    uids.reserve(m_plist.object(*ref).count());
    for (quint32 element : m_plist.object(*ref).refs()) {
        if (m_plist.object(element).kind() != Kind::Uid) {
            fail(QStringLiteral("Object %1 has a non-UID element in %2").arg(uid).arg(key));
            return std::nullopt;
        }
        uids.append(m_plist.object(element).uid());
    }
    return uids;
}

std::optional<Decoder::Decoded> Decoder::decodeUrl(quint64 uid, quint32 index, int depth) {
    const std::optional<quint64> baseUid = uidValue(uid, index, QStringLiteral("NS.base"));
    const std::optional<quint64> relativeUid =
        baseUid ? uidValue(uid, index, QStringLiteral("NS.relative")) : std::nullopt;
    if (!relativeUid)
        return std::nullopt;
    const std::optional<Decoded> relative = decode(*relativeUid, depth + 1);
    if (!relative)
        return std::nullopt;
    if (relative->value.type() != KeyedArchiveValue::Type::String)
        return fail(QStringLiteral("Object %1 (NSURL) has no string in NS.relative").arg(uid));
    QUrl url(relative->value.toString());
    if (*baseUid != 0) {
        const std::optional<Decoded> base = decode(*baseUid, depth + 1);
        if (!base)
            return std::nullopt;
        if (base->value.type() != KeyedArchiveValue::Type::Url)
            return fail(QStringLiteral("Object %1 (NSURL) has a base that is not a URL").arg(uid));
        url = base->value.toUrl().resolved(url);
    }
    if (!url.isValid())
        return fail(QStringLiteral("Object %1 (NSURL) holds an invalid URL").arg(uid));
    return Decoded{KeyedArchiveValue::url(url), 1};
}

std::optional<Decoder::Decoded> Decoder::decodeContainer(quint64 uid, quint32 index, const QString& cls,
                                                         int depth) {
    const bool isDictionary =
        cls == QLatin1String("NSDictionary") || cls == QLatin1String("NSMutableDictionary");
    const bool isArray = cls == QLatin1String("NSArray") || cls == QLatin1String("NSMutableArray");
    const bool isSet = cls == QLatin1String("NSSet") || cls == QLatin1String("NSMutableSet");
    if (!isDictionary && !isArray && !isSet)
        return fail(
            QStringLiteral("Object %1 is of class %2, which a playlist does not hold").arg(uid).arg(cls));
    const std::optional<QList<quint64>> objects = uidList(uid, index, QStringLiteral("NS.objects"));
    if (!objects)
        return std::nullopt;
    qint64 weight = 1;
    QList<KeyedArchiveValue> elements;
    elements.reserve(objects->size());
    for (quint64 element : *objects) {
        const std::optional<Decoded> child = decode(element, depth + 1);
        if (!child || !addWeight(weight, child->weight))
            return std::nullopt;
        elements.append(child->value);
    }
    if (isArray)
        return Decoded{KeyedArchiveValue::array(std::move(elements)), weight};
    if (isSet)
        return Decoded{KeyedArchiveValue::set(std::move(elements)), weight};

    const std::optional<QList<quint64>> keys = uidList(uid, index, QStringLiteral("NS.keys"));
    if (!keys)
        return std::nullopt;
    if (keys->size() != objects->size())
        return fail(QStringLiteral("Object %1 has %2 keys for %3 values")
                        .arg(uid)
                        .arg(keys->size())
                        .arg(objects->size()));
    KeyedArchiveDictionary dictionary;
    for (qsizetype i = 0; i < keys->size(); ++i) {
        const std::optional<Decoded> key = decode((*keys)[i], depth + 1);
        if (!key || !addWeight(weight, key->weight))
            return std::nullopt;
        if (key->value.type() != KeyedArchiveValue::Type::String)
            return fail(QStringLiteral("Object %1 has a key that is not a string").arg(uid));
        dictionary.insert(key->value.toString(), elements[i]);
    }
    return Decoded{KeyedArchiveValue::dictionary(std::move(dictionary)), weight};
}

KeyedUnarchiveResult unarchive(const QByteArray& data, const QString& key) {
    BinaryPlistReadResult read = BinaryPlist::read(data);
    if (!read.plist)
        return {{}, QStringLiteral("Not a keyed archive: %1").arg(read.error)};
    return Decoder(std::move(*read.plist)).run(key);
}

} // namespace

KeyedUnarchiveResult KeyedUnarchiver::unarchiveObjectWithData(const QByteArray& data) {
    return unarchive(data, QStringLiteral("root"));
}

KeyedUnarchiveResult KeyedUnarchiver::unarchiveTopLevelObjectWithData(const QByteArray& data,
                                                                      const QString& key) {
    return unarchive(data, key);
}
