#include "document/PlaylistFileFormat.h"

#include "document/OrvantaDocument.h"
#include "platform/ParallelFor.h"
#include "platform/archive/KeyedArchiveDictionary.h"
#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"
#include "platform/bookmarks/Bookmark.h"

#include <QFileInfo>

namespace {

using Value = KeyedArchiveValue;
using Type = KeyedArchiveValue::Type;

const QString kSettings = QStringLiteral("settings");
const QString kIsDynamicPlaylist = QStringLiteral("isDynamicPlaylist");
const QString kClips = QStringLiteral("clips");
const QString kClipCollection = QStringLiteral("clipCollection");
const QString kDynamicSourceFolder = QStringLiteral("dynamicSourceFolder");
const QString kIncludeSubdirectories = QStringLiteral("includeSubdirectories");
const QString kBookmark = QStringLiteral("bookmark");
const QString kSecureBookmark = QStringLiteral("secureBookmark");
const QString kUrl = QStringLiteral("url");

// Where a reference led, and the bookmark that led there when one resolved cleanly.
struct Reference {
    QUrl url;
    std::optional<Bookmark> bookmark;
};

// A resolution is clean when it gives a URL, not stale, with no error.
std::optional<Reference> resolveClean(const Value& data) {
    if (data.type() != Type::Data)
        return std::nullopt;
    BookmarkResolution r = resolveBookmarkData(data.toData());
    if (r.url.isEmpty() || r.isStale || !r.error.isEmpty())
        return std::nullopt;
    return Reference{r.url, std::move(r.bookmark)};
}

// The fall-back order of one reference: security-scoped bookmark, plain bookmark, stored URL.
std::optional<Reference> findReference(const KeyedArchiveDictionary& holder, const QString& urlKey) {
    if (holder.contains(kSecureBookmark)) {
        if (auto found = resolveClean(holder.value(kSecureBookmark))) {
            startAccessingSecurityScopedResource(found->url);
            return found;
        }
    }
    if (holder.contains(kBookmark)) {
        if (auto found = resolveClean(holder.value(kBookmark)))
            return found;
    }
    const Value stored = holder.value(urlKey);
    if (stored.type() == Type::Url && !stored.toUrl().isEmpty())
        return Reference{stored.toUrl(), std::nullopt};
    return std::nullopt;
}

// Fresh bookmarks of a clip. A bookmark that has just resolved cleanly is byte for byte the one a new
// bookmark of its file would be, so it is reused rather than made again.
void setFreshBookmarks(ClipRecord& clip, const Reference& reference) {
    std::optional<Bookmark> made =
        reference.bookmark ? reference.bookmark : Bookmark::forUrl(reference.url, false);
    if (!made) {
        clip.bookmark.reset();
        clip.secureBookmark.reset();
        return;
    }
    clip.bookmark = made->withSecurityScope(false).toData();
    clip.secureBookmark = made->withSecurityScope(true).toData();
}

QString lastPathComponent(const QString& path) {
    return path.mid(path.lastIndexOf(u'/') + 1);
}

bool expectType(const KeyedArchiveDictionary& root, const QString& key, Type type, const char* what,
                QString* error) {
    if (!root.contains(key) || root.value(key).type() == type)
        return true;
    if (error)
        *error = QStringLiteral("Its “%1” is not %2.").arg(key, QString::fromLatin1(what));
    return false;
}

bool fail(QString* error, const QString& message) {
    if (error)
        *error = message;
    return false;
}

} // namespace

std::optional<QByteArray> PlaylistFileFormat::write(const OrvantaDocument& document, QString* error) {
    KeyedArchiveDictionary settings;
    for (const auto& entry : document.settings()->entries())
        settings.insert(entry.first, Value::number(entry.second));

    KeyedArchiveDictionary root;
    root.insert(kSettings, Value::dictionary(settings));
    root.insert(kIsDynamicPlaylist, Value::number(TypedNumber::boolean(document.isDynamicPlaylist())));
    if (document.isDynamicPlaylist()) {
        const QUrl folder = document.dynamicSourceFolder();
        root.insert(kClips, Value::array({}));
        root.insert(kDynamicSourceFolder, Value::url(folder));
        root.insert(kIncludeSubdirectories,
                    Value::number(TypedNumber::boolean(document.includeSubdirectories())));
        if (const auto plain = bookmarkData(folder, false))
            root.insert(kBookmark, Value::data(*plain));
        if (const auto secure = bookmarkData(folder, true))
            root.insert(kSecureBookmark, Value::data(*secure));
    } else {
        QList<Value> clips;
        QList<Value> collection;
        clips.reserve(document.clips().size());
        collection.reserve(document.clips().size());
        for (const ClipRecordPtr& clip : document.clips()) {
            clips.append(clip->bookmark ? Value::data(*clip->bookmark) : Value::null());
            KeyedArchiveDictionary entry;
            entry.insert(kUrl, Value::url(clip->URL));
            if (clip->bookmark)
                entry.insert(kBookmark, Value::data(*clip->bookmark));
            if (clip->secureBookmark)
                entry.insert(kSecureBookmark, Value::data(*clip->secureBookmark));
            collection.append(Value::dictionary(std::move(entry)));
        }
        root.insert(kClips, Value::array(std::move(clips)));
        root.insert(kClipCollection, Value::array(std::move(collection)));
    }
    KeyedArchiveEncoding encoded =
        KeyedArchiver::archivedDataWithRootObject(Value::dictionary(std::move(root)));
    if (!encoded.ok()) {
        if (error)
            *error = encoded.error;
        return std::nullopt;
    }
    return std::move(encoded.data);
}

bool PlaylistFileFormat::read(const QByteArray& data, OrvantaDocument& document, QString* error,
                              const ReadOptions& options) {
    const KeyedUnarchiveResult decoded = KeyedUnarchiver::unarchiveObjectWithData(data);
    if (!decoded.ok())
        return fail(error, QStringLiteral("It is not a playlist: %1").arg(decoded.error));
    if (decoded.value.type() != Type::Dictionary)
        return fail(error, QStringLiteral("It is not a playlist: its root object is not a dictionary."));
    const KeyedArchiveDictionary& root = decoded.value.toDictionary();

    if (!expectType(root, kSettings, Type::Dictionary, "a dictionary", error) ||
        !expectType(root, kIsDynamicPlaylist, Type::Number, "a boolean", error) ||
        !expectType(root, kClips, Type::Array, "an array", error) ||
        !expectType(root, kClipCollection, Type::Array, "an array", error) ||
        !expectType(root, kDynamicSourceFolder, Type::Url, "a URL", error) ||
        !expectType(root, kIncludeSubdirectories, Type::Number, "a boolean", error) ||
        !expectType(root, kBookmark, Type::Data, "bookmark data", error) ||
        !expectType(root, kSecureBookmark, Type::Data, "bookmark data", error))
        return false;

    // Settings: exactly what the file holds; a file without settings gets those of a new playlist.
    QList<QPair<QString, TypedNumber>> settings;
    if (root.contains(kSettings)) {
        for (const auto& [key, value] : root.value(kSettings).toDictionary().entries()) {
            if (value.type() != Type::Number)
                return fail(error, QStringLiteral("Its setting “%1” is not a number.").arg(key));
            settings.append({key, value.toNumber()});
        }
    } else {
        settings = PlaylistSettings::defaultEntries();
    }
    const QList<Value> collection = root.value(kClipCollection).elements();
    for (const Value& entry : collection) {
        if (entry.type() != Type::Dictionary)
            return fail(error, QStringLiteral("An entry of its clip collection is not a dictionary."));
    }

    const bool isDynamic = root.value(kIsDynamicPlaylist).toNumber().boolValue();
    bool includeSubdirectories = false;
    QUrl folder;
    QSet<QString> missingItems;
    QList<Reference> references;
    if (isDynamic) {
        includeSubdirectories = root.value(kIncludeSubdirectories).toNumber().boolValue();
        if (auto found = findReference(root, kDynamicSourceFolder))
            folder = found->url;
    } else if (root.contains(kClipCollection)) {
        // Each entry resolves on its own (a stat per bookmark), so the entries resolve in parallel.
        std::vector<std::optional<Reference>> found(size_t(collection.size()));
        parallelFor(collection.size(), [&](qsizetype i) {
            found[size_t(i)] = findReference(collection[i].toDictionary(), kUrl);
        });
        for (auto& reference : found) {
            if (reference)
                references.append(std::move(*reference));
        }
    } else {
        // Files that hold only bookmark data: resolved whatever their staleness; gone files are listed.
        for (const Value& element : root.value(kClips).elements()) {
            if (element.type() != Type::Data)
                continue;
            const BookmarkResolution r = resolveBookmarkData(element.toData());
            if (r.url.isEmpty())
                continue;
            startAccessingSecurityScopedResource(r.url);
            if (QFileInfo::exists(r.url.toLocalFile()))
                references.append(Reference{r.url, r.isStale ? std::nullopt : r.bookmark});
            else
                missingItems.insert(r.url.toLocalFile());
        }
    }

    // Opening the movies is the long part of reading a playlist; it runs on every core, the clips kept
    // in their stored order.
    std::vector<ClipRecordPtr> made(size_t(references.size()));
    parallelFor(references.size(), [&](qsizetype i) {
        const Reference& reference = references[i];
        auto record = std::make_shared<ClipRecord>();
        if (options.openMovies) {
            auto opened = Movie::open(reference.url);
            if (!opened)
                return;
            record->movie = std::move(opened.movie);
            record->qttimeDuration = record->movie->duration().toString();
        }
        record->URL = reference.url;
        record->name =
            lastPathComponent(reference.bookmark ? reference.bookmark->path() : reference.url.path());
        setFreshBookmarks(*record, reference);
        made[size_t(i)] = std::move(record);
    });
    QList<ClipRecordPtr> clips;
    clips.reserve(references.size());
    for (auto& record : made) {
        if (record)
            clips.append(std::move(record));
    }

    document.settings()->setEntries(settings);
    document.setIsDynamicPlaylist(isDynamic);
    document.setIncludeSubdirectories(includeSubdirectories);
    document.setDynamicSourceFolder(folder);
    document.setMissingItems(missingItems);
    document.setMoviesAreUnloaded(false);
    document.setClips(clips);
    document.setFileType(isDynamic ? OrvantaDocument::DynamicPlaylistType
                                   : OrvantaDocument::StandardPlaylistType);
    return true;
}
