#include "platform/archive/KeyedArchiver.h"

#include "platform/archive/BinaryPlist.h"
#include "platform/archive/KeyedArchiveDictionary.h"
#include "platform/archive/KeyedUnarchiver.h"

#include <QHash>
#include <QStringList>
#include <cstring>
#include <optional>

namespace {

QStringList classChain(const QString& className) {
    if (className == QLatin1String("NSMutableDictionary"))
        return {className, QStringLiteral("NSDictionary"), QStringLiteral("NSObject")};
    if (className == QLatin1String("NSMutableArray"))
        return {className, QStringLiteral("NSArray"), QStringLiteral("NSObject")};
    if (className == QLatin1String("NSMutableSet"))
        return {className, QStringLiteral("NSSet"), QStringLiteral("NSObject")};
    return {className, QStringLiteral("NSObject")};
}

class Encoder {
public:
    KeyedArchiveEncoding run(const KeyedArchiveValue& root);

private:
    std::optional<quint64> encode(const KeyedArchiveValue& value, int depth);
    quint64 encodeInline(quint32 plistIndex);
    quint64 reserveUid() {
        m_objects.append(0);
        return quint64(m_objects.size() - 1);
    }
    quint64 classUid(const QString& className);
    // Fills a reserved UID with an object of className holding keys and values (plist indexes).
    void finishObject(quint64 uid, const QString& className, QList<quint32> keys, QList<quint32> values);
    quint32 uidArray(const QList<quint64>& uids);

    BinaryPlist m_plist;
    QList<quint32> m_objects; // $objects: plist index of each UID
    QHash<const void*, quint64> m_shared;
    QHash<quint32, quint64> m_inline; // plist index of a string, number or data -> its UID
    QHash<QString, quint64> m_classes;
    std::optional<quint64> m_nullUid;
    QString m_error;
};

quint64 Encoder::encodeInline(quint32 plistIndex) {
    const auto it = m_inline.constFind(plistIndex);
    if (it != m_inline.constEnd())
        return *it;
    m_objects.append(plistIndex);
    const quint64 uid = quint64(m_objects.size() - 1);
    m_inline.insert(plistIndex, uid);
    return uid;
}

quint64 Encoder::classUid(const QString& className) {
    const auto it = m_classes.constFind(className);
    if (it != m_classes.constEnd())
        return *it;
    QList<quint32> chain;
    for (const QString& name : classChain(className))
        chain.append(m_plist.addString(name));
    const quint32 classes = m_plist.add(PlistObject::array(chain));
    const quint32 dict = m_plist.add(PlistObject::dictionary(
        {m_plist.addString(QStringLiteral("$classname")), m_plist.addString(QStringLiteral("$classes"))},
        {m_plist.addString(className), classes}));
    m_objects.append(dict);
    const quint64 uid = quint64(m_objects.size() - 1);
    m_classes.insert(className, uid);
    return uid;
}

void Encoder::finishObject(quint64 uid, const QString& className, QList<quint32> keys,
                           QList<quint32> values) {
    const quint64 cls = classUid(className);
    keys.prepend(m_plist.addString(QStringLiteral("$class")));
    values.prepend(m_plist.addUid(cls));
    m_objects[qsizetype(uid)] = m_plist.add(PlistObject::dictionary(keys, values));
}

quint32 Encoder::uidArray(const QList<quint64>& uids) {
    QList<quint32> refs;
    refs.reserve(uids.size());
    for (quint64 uid : uids)
        refs.append(m_plist.addUid(uid));
    return m_plist.add(PlistObject::array(std::move(refs)));
}

std::optional<quint64> Encoder::encode(const KeyedArchiveValue& value, int depth) {
    if (depth > KeyedUnarchiver::kMaxDepth) {
        m_error =
            QStringLiteral("The value is nested more than %1 levels deep").arg(KeyedUnarchiver::kMaxDepth);
        return std::nullopt;
    }
    using Type = KeyedArchiveValue::Type;
    switch (value.type()) {
    case Type::Null:
        if (!m_nullUid) {
            m_nullUid = reserveUid();
            finishObject(*m_nullUid, QStringLiteral("NSNull"), {}, {});
        }
        return m_nullUid;
    case Type::Number:
        return encodeInline(m_plist.addNumber(value.toNumber()));
    case Type::String:
        return encodeInline(m_plist.addString(value.toString()));
    case Type::Data:
        return encodeInline(m_plist.addData(value.toData()));
    default:
        break;
    }
    if (const auto it = m_shared.constFind(value.identity()); it != m_shared.constEnd())
        return *it;
    const quint64 uid = reserveUid();
    m_shared.insert(value.identity(), uid);
    if (value.type() == Type::Url) {
        const quint64 relative =
            encodeInline(m_plist.addString(KeyedArchiver::archivedUrlString(value.toUrl())));
        finishObject(
            uid, QStringLiteral("NSURL"),
            {m_plist.addString(QStringLiteral("NS.base")), m_plist.addString(QStringLiteral("NS.relative"))},
            {m_plist.addUid(0), m_plist.addUid(relative)});
        return uid;
    }
    QList<quint64> keys;
    if (value.type() == Type::Dictionary) {
        for (const auto& [key, element] : value.toDictionary().entries())
            keys.append(encodeInline(m_plist.addString(key)));
    }
    QList<quint64> elements;
    const auto encodeElement = [&](const KeyedArchiveValue& element) {
        const std::optional<quint64> child = encode(element, depth + 1);
        if (child)
            elements.append(*child);
        return child.has_value();
    };
    if (value.type() == Type::Dictionary) {
        for (const auto& [key, element] : value.toDictionary().entries()) {
            if (!encodeElement(element))
                return std::nullopt;
        }
        finishObject(
            uid, QStringLiteral("NSMutableDictionary"),
            {m_plist.addString(QStringLiteral("NS.keys")), m_plist.addString(QStringLiteral("NS.objects"))},
            {uidArray(keys), uidArray(elements)});
        return uid;
    }
    for (const KeyedArchiveValue& element : value.elements()) {
        if (!encodeElement(element))
            return std::nullopt;
    }
    finishObject(
        uid, value.type() == Type::Set ? QStringLiteral("NSMutableSet") : QStringLiteral("NSMutableArray"),
        {m_plist.addString(QStringLiteral("NS.objects"))}, {uidArray(elements)});
    return uid;
}

KeyedArchiveEncoding Encoder::run(const KeyedArchiveValue& root) {
    m_objects.append(m_plist.addString(QStringLiteral("$null")));
    const std::optional<quint64> rootUid = encode(root, 0);
    if (!rootUid)
        return {QByteArray(), m_error};
    const quint32 top = m_plist.add(
        PlistObject::dictionary({m_plist.addString(QStringLiteral("root"))}, {m_plist.addUid(*rootUid)}));
    const quint32 objects = m_plist.add(PlistObject::array(m_objects));
    const quint32 archive = m_plist.add(PlistObject::dictionary(
        {m_plist.addString(QStringLiteral("$version")), m_plist.addString(QStringLiteral("$archiver")),
         m_plist.addString(QStringLiteral("$top")), m_plist.addString(QStringLiteral("$objects"))},
        {m_plist.addNumber(TypedNumber::integer(100000)),
         m_plist.addString(QStringLiteral("NSKeyedArchiver")), top, objects}));
    m_plist.setTop(archive);
    return {m_plist.write(), QString()};
}

// The characters a file URL's path keeps as they are: RFC 3986 unreserved, sub-delimiters, ':', '@', '/'.
bool keptInPath(uchar c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return std::strchr("-._~!$&'()*+,;=:@/", c) != nullptr && c != '\0';
}

} // namespace

KeyedArchiveEncoding KeyedArchiver::archivedDataWithRootObject(const KeyedArchiveValue& root) {
    return Encoder().run(root);
}

QString KeyedArchiver::archivedUrlString(const QUrl& url) {
    const QString encoded = QString::fromUtf8(url.toEncoded(QUrl::FullyEncoded));
    if (!url.isLocalFile())
        return encoded;
    static const char hex[] = "0123456789ABCDEF";
    QString path;
    for (const char byte : url.path(QUrl::FullyDecoded).toUtf8()) {
        const uchar c = uchar(byte);
        if (keptInPath(c)) {
            path.append(QLatin1Char(char(c)));
        } else {
            path.append(QLatin1Char('%'));
            path.append(QLatin1Char(hex[c >> 4]));
            path.append(QLatin1Char(hex[c & 0xF]));
        }
    }
    QString result = path.startsWith(QLatin1Char('/'))
                         ? QStringLiteral("file://") + url.host(QUrl::FullyEncoded) + path
                         : QStringLiteral("file:") + path;
    if (url.hasQuery())
        result += QLatin1Char('?') + url.query(QUrl::FullyEncoded);
    if (url.hasFragment())
        result += QLatin1Char('#') + url.fragment(QUrl::FullyEncoded);
    // A URL this form cannot express exactly (odd hosts, relative paths) is written as Qt encodes it.
    return QUrl(result) == url ? result : encoded;
}
