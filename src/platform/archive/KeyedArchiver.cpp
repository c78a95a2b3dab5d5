#include "platform/archive/KeyedArchiver.h"

#include "platform/archive/BinaryPlist.h"
#include "platform/archive/KeyedArchiveDictionary.h"
#include "platform/archive/KeyedUnarchiver.h"

#include <QHash>
#include <QStringList>
#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

namespace {

// The classes an archive holds, each with its chain of class names.
enum class ArchivedClass { Null, Url, Dictionary, Array, Set, Count };

QStringList classChain(ArchivedClass archivedClass) {
    switch (archivedClass) {
    case ArchivedClass::Null:
        return {QStringLiteral("NSNull"), QStringLiteral("NSObject")};
    case ArchivedClass::Url:
        return {QStringLiteral("NSURL"), QStringLiteral("NSObject")};
    case ArchivedClass::Dictionary:
        return {QStringLiteral("NSMutableDictionary"), QStringLiteral("NSDictionary"),
                QStringLiteral("NSObject")};
    case ArchivedClass::Array:
        return {QStringLiteral("NSMutableArray"), QStringLiteral("NSArray"), QStringLiteral("NSObject")};
    case ArchivedClass::Set:
    case ArchivedClass::Count:
        break;
    }
    return {QStringLiteral("NSMutableSet"), QStringLiteral("NSSet"), QStringLiteral("NSObject")};
}

// The keys every archive of many objects repeats: each stored once and then found without hashing.
enum class Key { Class, Keys, Objects, Base, Relative, Count };

QString keyText(Key key) {
    switch (key) {
    case Key::Class:
        return QStringLiteral("$class");
    case Key::Keys:
        return QStringLiteral("NS.keys");
    case Key::Objects:
        return QStringLiteral("NS.objects");
    case Key::Base:
        return QStringLiteral("NS.base");
    case Key::Relative:
    case Key::Count:
        break;
    }
    return QStringLiteral("NS.relative");
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
    quint64 classUid(ArchivedClass archivedClass);
    quint32 key(Key which) {
        std::optional<quint32>& index = m_keys[size_t(which)];
        if (!index)
            index = m_plist.addString(keyText(which));
        return *index;
    }
    // Fills a reserved UID with an object of the class holding keys and values (plist indexes).
    void finishObject(quint64 uid, ArchivedClass archivedClass, std::initializer_list<quint32> keys,
                      std::initializer_list<quint32> values);
    quint32 uidArray(const QList<quint64>& uids);

    BinaryPlist m_plist;
    QList<quint32> m_objects; // $objects: plist index of each UID
    QHash<const void*, quint64> m_shared;
    std::vector<quint64> m_inline; // plist index of a string, number or data -> its UID (0: none yet)
    std::array<std::optional<quint64>, size_t(ArchivedClass::Count)> m_classes;
    std::array<std::optional<quint32>, size_t(Key::Count)> m_keys;
    std::optional<quint64> m_nullUid;
    QString m_error;
};

quint64 Encoder::encodeInline(quint32 plistIndex) {
    if (plistIndex >= m_inline.size())
        m_inline.resize(std::max<size_t>(plistIndex + 1, 2 * m_inline.size()), 0);
    if (m_inline[plistIndex] != 0)
        return m_inline[plistIndex];
    m_objects.append(plistIndex);
    const quint64 uid = quint64(m_objects.size() - 1);
    m_inline[plistIndex] = uid;
    return uid;
}

quint64 Encoder::classUid(ArchivedClass archivedClass) {
    std::optional<quint64>& known = m_classes[size_t(archivedClass)];
    if (known)
        return *known;
    const QStringList names = classChain(archivedClass);
    QList<quint32> chain;
    for (const QString& name : names)
        chain.append(m_plist.addString(name));
    const quint32 classes = m_plist.add(PlistObject::array(chain));
    const quint32 dict = m_plist.add(PlistObject::dictionary(
        {m_plist.addString(QStringLiteral("$classname")), m_plist.addString(QStringLiteral("$classes"))},
        {m_plist.addString(names.first()), classes}));
    m_objects.append(dict);
    const quint64 uid = quint64(m_objects.size() - 1);
    known = uid;
    return uid;
}

void Encoder::finishObject(quint64 uid, ArchivedClass archivedClass, std::initializer_list<quint32> keys,
                           std::initializer_list<quint32> values) {
    const quint64 cls = classUid(archivedClass);
    const quint32 classKey = key(Key::Class);
    const quint32 classRef = m_plist.addUid(cls);
    QList<quint32> refs;
    refs.reserve(qsizetype(2 + keys.size() + values.size()));
    refs.append(classKey);
    for (quint32 ref : keys)
        refs.append(ref);
    refs.append(classRef);
    for (quint32 ref : values)
        refs.append(ref);
    m_objects[qsizetype(uid)] = m_plist.add(PlistObject::dictionaryOfRefs(std::move(refs)));
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
            finishObject(*m_nullUid, ArchivedClass::Null, {}, {});
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
        finishObject(uid, ArchivedClass::Url, {key(Key::Base), key(Key::Relative)},
                     {m_plist.addUid(0), m_plist.addUid(relative)});
        return uid;
    }
    QList<quint64> keys;
    if (value.type() == Type::Dictionary) {
        keys.reserve(value.toDictionary().size());
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
        elements.reserve(keys.size());
        for (const auto& [key, element] : value.toDictionary().entries()) {
            if (!encodeElement(element))
                return std::nullopt;
        }
        finishObject(uid, ArchivedClass::Dictionary, {key(Key::Keys), key(Key::Objects)},
                     {uidArray(keys), uidArray(elements)});
        return uid;
    }
    elements.reserve(value.elements().size());
    for (const KeyedArchiveValue& element : value.elements()) {
        if (!encodeElement(element))
            return std::nullopt;
    }
    finishObject(uid, value.type() == Type::Set ? ArchivedClass::Set : ArchivedClass::Array,
                 {key(Key::Objects)}, {uidArray(elements)});
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

// Bytes of a path whose written form reads back as the same URL without asking: letters, digits,
// "-_~", '/' and '.' (but see plainPath), a space (written %20) and the bytes of non-ASCII characters.
bool isPlainByte(uchar c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == '~' || c == '/' || c == '.' || c == ' ' || c >= 0x80;
}

// Writes the path percent-encoded to out; answers whether it is plain: an absolute path of plain bytes
// with no empty, "." or ".." segment (a '.' or '/' never follows a '/').
bool appendEncodedPath(const QByteArray& utf8, QByteArray& out) {
    static const char hex[] = "0123456789ABCDEF";
    const qsizetype start = out.size();
    out.resize(start + 3 * utf8.size());
    char* p = out.data() + start;
    bool plain = utf8.startsWith('/');
    uchar previous = 0;
    for (const char byte : utf8) {
        const uchar c = uchar(byte);
        if (!isPlainByte(c) || (previous == '/' && (c == '.' || c == '/')))
            plain = false;
        previous = c;
        if (keptInPath(c)) {
            *p++ = char(c);
        } else {
            *p++ = '%';
            *p++ = hex[c >> 4];
            *p++ = hex[c & 0xF];
        }
    }
    out.truncate(p - out.constData());
    return plain;
}

} // namespace

KeyedArchiveEncoding KeyedArchiver::archivedDataWithRootObject(const KeyedArchiveValue& root) {
    return Encoder().run(root);
}

QString KeyedArchiver::archivedUrlString(const QUrl& url) {
    if (!url.isLocalFile())
        return QString::fromUtf8(url.toEncoded(QUrl::FullyEncoded));
    const QByteArray path = url.path(QUrl::FullyDecoded).toUtf8();
    const QString host = url.host(QUrl::FullyEncoded);
    const bool absolute = path.startsWith('/');
    QByteArray text;
    text.reserve(8 + host.size() + 3 * path.size());
    text.append(absolute ? "file://" : "file:");
    if (absolute)
        text.append(host.toLatin1());
    const bool plain = appendEncodedPath(path, text);
    const bool hasQuery = url.hasQuery();
    const bool hasFragment = url.hasFragment();
    if (hasQuery)
        text.append('?').append(url.query(QUrl::FullyEncoded).toLatin1());
    if (hasFragment)
        text.append('#').append(url.fragment(QUrl::FullyEncoded).toLatin1());
    QString result = QString::fromLatin1(text);
    // The common case (a plain path on this machine) needs no check; a URL this form cannot express
    // exactly (odd hosts, relative paths) is written as Qt encodes it.
    if (plain && host.isEmpty() && !hasQuery && !hasFragment)
        return result;
    return QUrl(result) == url ? result : QString::fromUtf8(url.toEncoded(QUrl::FullyEncoded));
}
