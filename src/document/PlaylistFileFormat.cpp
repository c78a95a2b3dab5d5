#include "document/PlaylistFileFormat.h"

#include "document/MissingClip.h"
#include "document/OrvantaDocument.h"
#include "platform/ParallelFor.h"
#include "platform/archive/KeyedArchiveDictionary.h"
#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"
#include "platform/bookmarks/Bookmark.h"

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
const QString kSelectedDisplay = QStringLiteral("selectedDisplay");

// The root keys this version reads; any other root entry is kept as it was and written back.
bool isKnownRootKey(const QString& key) {
    static const QSet<QString> known = {kSettings,       kIsDynamicPlaylist,   kClips,
                                        kClipCollection, kDynamicSourceFolder, kIncludeSubdirectories,
                                        kBookmark,       kSecureBookmark};
    return known.contains(key);
}

using Reference = MissingClip::Location;

std::optional<QByteArray> dataValue(const KeyedArchiveDictionary& holder, const QString& key) {
    const Value value = holder.value(key);
    return value.type() == Type::Data ? std::optional<QByteArray>(value.toData()) : std::nullopt;
}

QUrl urlValue(const KeyedArchiveDictionary& holder, const QString& key) {
    const Value value = holder.value(key);
    return value.type() == Type::Url ? value.toUrl() : QUrl();
}

// The fall-back order of one reference: security-scoped bookmark, plain bookmark, stored URL.
std::optional<Reference> findReference(const KeyedArchiveDictionary& holder, const QString& urlKey) {
    return MissingClip::locate(dataValue(holder, kSecureBookmark), dataValue(holder, kBookmark),
                               urlValue(holder, urlKey));
}

// One clip of a standard playlist as its file holds it, and where reading looks for its movie.
struct StoredClip {
    QUrl url;
    std::optional<QByteArray> bookmark;
    std::optional<QByteArray> secureBookmark;
    Reference reference;
};

// A clip entry: where its references lead. An entry that refers to nowhere at all, not even through a
// bookmark that no longer resolves cleanly, is no clip.
std::optional<StoredClip> storedClip(const KeyedArchiveDictionary& entry) {
    StoredClip clip{
        urlValue(entry, kUrl), dataValue(entry, kBookmark), dataValue(entry, kSecureBookmark), {}};
    if (auto found = MissingClip::locate(clip.secureBookmark, clip.bookmark, clip.url)) {
        clip.reference = std::move(*found);
        return clip;
    }
    for (const auto& data : {clip.secureBookmark, clip.bookmark}) {
        if (!data)
            continue;
        if (const auto named = Bookmark::fromData(*data)) {
            clip.url = QUrl::fromLocalFile(named->path());
            clip.reference = Reference{clip.url, std::nullopt};
            return clip;
        }
    }
    return std::nullopt;
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
    if (const auto& display = document.selectedDisplay())
        root.insert(kSelectedDisplay, display->toArchiveValue());
    for (const auto& [key, value] : document.otherRootEntries().entries()) {
        if (!root.contains(key))
            root.insert(key, value);
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
    QList<StoredClip> stored;
    if (isDynamic) {
        includeSubdirectories = root.value(kIncludeSubdirectories).toNumber().boolValue();
        if (auto found = findReference(root, kDynamicSourceFolder))
            folder = found->url;
    } else if (root.contains(kClipCollection)) {
        // Each entry resolves on its own (a stat per bookmark), so the entries resolve in parallel.
        std::vector<std::optional<StoredClip>> found(size_t(collection.size()));
        parallelFor(collection.size(),
                    [&](qsizetype i) { found[size_t(i)] = storedClip(collection[i].toDictionary()); });
        for (auto& clip : found) {
            if (clip)
                stored.append(std::move(*clip));
        }
    } else {
        // Files that hold only bookmark data: resolved whatever their staleness.
        for (const Value& element : root.value(kClips).elements()) {
            if (element.type() != Type::Data)
                continue;
            const BookmarkResolution r = resolveBookmarkData(element.toData());
            if (r.url.isEmpty())
                continue;
            startAccessingSecurityScopedResource(r.url);
            stored.append(StoredClip{r.url, element.toData(), std::nullopt,
                                     Reference{r.url, r.isStale ? std::nullopt : r.bookmark}});
        }
    }

    // Opening the movies is the long part of reading a playlist; it runs on every core, the clips kept
    // in their stored order. A clip whose movie does not open stays, as a missing clip that keeps the
    // references its file held.
    std::vector<ClipRecordPtr> made(size_t(stored.size()));
    parallelFor(stored.size(), [&](qsizetype i) {
        const StoredClip& clip = stored[i];
        const Reference& reference = clip.reference;
        auto record = std::make_shared<ClipRecord>();
        if (options.openMovies) {
            auto opened = Movie::open(reference.url);
            if (!opened) {
                made[size_t(i)] = MissingClip::makeRecord(clip.url, clip.bookmark, clip.secureBookmark,
                                                          reference.url, opened.error.message);
                return;
            }
            record->movie = std::move(opened.movie);
            record->qttimeDuration = record->movie->duration().toString();
        }
        record->URL = reference.url;
        record->name =
            lastPathComponent(reference.bookmark ? reference.bookmark->path() : reference.url.path());
        MissingClip::setFreshBookmarks(*record, reference);
        made[size_t(i)] = std::move(record);
    });
    QList<ClipRecordPtr> clips;
    clips.reserve(qsizetype(made.size()));
    for (qsizetype i = 0; i < stored.size(); ++i) {
        if (made[size_t(i)]->isMissing())
            missingItems.insert(MissingClip::displayedPath(stored[i].reference.url));
        clips.append(std::move(made[size_t(i)]));
    }

    // The chosen display where the file holds one this version understands; anything else it does not
    // know (a later version's keys, a display entry of another form) stays as it was.
    std::optional<SelectedDisplay> display;
    KeyedArchiveDictionary others;
    for (const auto& [key, value] : root.entries()) {
        if (isKnownRootKey(key))
            continue;
        if (key == kSelectedDisplay && (display = SelectedDisplay::fromArchiveValue(value)))
            continue;
        others.insert(key, value);
    }

    document.settings()->setEntries(settings);
    document.setSelectedDisplay(display);
    document.setOtherRootEntries(others);
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
