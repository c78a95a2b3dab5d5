#include "document/OrvantaDocument.h"

#include "document/PlaylistFileFormat.h"
#include "platform/defaults/UserDefaults.h"

#include <QSignalBlocker>
#include <algorithm>

const QString OrvantaDocument::StandardPlaylistType = QStringLiteral("OrvantaStandardPlaylist");
const QString OrvantaDocument::DynamicPlaylistType = QStringLiteral("OrvantaDynamicPlaylist");
const QString OrvantaDocument::ErrorDomain = QStringLiteral("Orvanta");

namespace {
OrvantaDocument::WindowControllerFactory& windowControllerFactory() {
    static OrvantaDocument::WindowControllerFactory factory;
    return factory;
}
} // namespace

OrvantaDocument::OrvantaDocument(QObject* parent)
    : Document(parent)
    , m_settings(std::make_unique<PlaylistSettings>()) {}

OrvantaDocument::~OrvantaDocument() = default;

std::unique_ptr<OrvantaDocument> OrvantaDocument::initWithType(const QString& typeName,
                                                               DocumentError* error) {
    auto document = std::make_unique<OrvantaDocument>();
    document->m_settings->setDefaults();
    document->m_moviesAreUnloaded = false;
    document->m_isDynamicPlaylist = false;
    document->setFileType(StandardPlaylistType);
    if (typeName != DynamicPlaylistType)
        return document;

    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    Presenter::OpenPanelRequest request;
    request.title = QStringLiteral("Choose the Source Folder of the Dynamic Playlist");
    request.directoryURL = defaults.URLForKey(QStringLiteral("dynamicFolderLocation"));
    request.canChooseFiles = false;
    request.canChooseDirectories = true;
    request.allowsMultipleSelection = false;
    request.includeSubdirectoriesBox = true;
    const Presenter::OpenPanelResult result = Presenter::shared().runOpenPanel(request);
    // A confirmed panel without a folder cannot make a dynamic playlist either.
    if (!result.accepted || result.urls.isEmpty()) {
        setDocumentError(error, ErrorDomain, CreationCancelledCode,
                         QStringLiteral("Dynamic Playlist creation cancelled"));
        return nullptr;
    }
    defaults.setURL(result.directoryURL, QStringLiteral("dynamicFolderLocation"));
    document->m_isDynamicPlaylist = true;
    document->m_dynamicSourceFolder = result.urls.first();
    document->m_includeSubdirectories = result.includeSubdirectories.value_or(false);
    document->setFileType(DynamicPlaylistType);
    return document;
}

void OrvantaDocument::setClips(const QList<ClipRecordPtr>& clips) {
    m_clips = clips;
    emit clipsChanged();
}

void OrvantaDocument::setIncludeSubdirectories(bool value) {
    if (m_includeSubdirectories == value)
        return;
    m_includeSubdirectories = value;
    emit dynamicSourceChanged();
}

void OrvantaDocument::setDynamicSourceFolder(const QUrl& folder) {
    if (m_dynamicSourceFolder == folder)
        return;
    m_dynamicSourceFolder = folder;
    emit dynamicSourceChanged();
}

void OrvantaDocument::setSelectedDisplay(const std::optional<SelectedDisplay>& display) {
    if (m_selectedDisplay == display)
        return;
    m_selectedDisplay = display;
    emit selectedDisplayChanged();
}

QStringList OrvantaDocument::writableTypesForSaveOperation(SaveOperation) const {
    return {m_isDynamicPlaylist ? DynamicPlaylistType : StandardPlaylistType};
}

Presenter::SavePanelRequest OrvantaDocument::savePanelRequestForType(const QString& typeName) const {
    Presenter::SavePanelRequest request = Document::savePanelRequestForType(typeName);
    if (typeName == DynamicPlaylistType) {
        request.title = QStringLiteral("Save Dynamic Playlist");
        request.nameFilter = QStringLiteral("Dynamic Playlist (*.orvdynamic)");
        request.defaultSuffix = QStringLiteral("orvdynamic");
    } else {
        request.title = QStringLiteral("Save Standard Playlist");
        request.nameFilter = QStringLiteral("Standard Playlist (*.orvplaylist)");
        request.defaultSuffix = QStringLiteral("orvplaylist");
    }
    return request;
}

std::optional<QByteArray> OrvantaDocument::dataOfType(const QString&, DocumentError* error) const {
    QString reason;
    auto data = PlaylistFileFormat::write(*this, &reason);
    if (!data)
        setDocumentError(error, ErrorDomain, 2, reason);
    return data;
}

bool OrvantaDocument::readFromData(const QByteArray& data, const QString&, DocumentError* error) {
    // Read again (another program changed the file, or Revert), a playlist keeps the records of the
    // clips the file still lists, so the window keeps its selection and the clip that plays; a dynamic
    // playlist keeps the clips built from its folder, as its file holds none.
    const QList<ClipRecordPtr> before = m_clips;
    const bool wasDynamic = m_isDynamicPlaylist;
    const QUrl folder = m_dynamicSourceFolder;
    const bool includeSubdirectories = m_includeSubdirectories;
    const std::optional<SelectedDisplay> display = m_selectedDisplay;
    QString reason;
    bool read = false;
    {
        const QSignalBlocker quiet(this);
        read = PlaylistFileFormat::read(data, *this, &reason);
    }
    if (!read) {
        setDocumentError(error, ErrorDomain, 2, reason);
        return false;
    }
    const bool sameSource = wasDynamic == m_isDynamicPlaylist && folder == m_dynamicSourceFolder &&
                            includeSubdirectories == m_includeSubdirectories;
    if (wasDynamic && m_isDynamicPlaylist && sameSource)
        m_clips = before;
    else
        m_clips = keepingRecordsOf(before, m_clips);
    if (!sameSource)
        emit dynamicSourceChanged();
    if (m_clips != before)
        emit clipsChanged();
    if (m_selectedDisplay != display)
        emit selectedDisplayChanged();
    return true;
}

QList<ClipRecordPtr> OrvantaDocument::keepingRecordsOf(const QList<ClipRecordPtr>& old,
                                                       const QList<ClipRecordPtr>& read) {
    QList<ClipRecordPtr> kept = read;
    QList<ClipRecordPtr> unused = old;
    for (ClipRecordPtr& clip : kept) {
        const auto same = std::find_if(unused.begin(), unused.end(), [&](const ClipRecordPtr& candidate) {
            return candidate && clip && candidate->URL == clip->URL &&
                   bool(candidate->movie) == bool(clip->movie);
        });
        if (same != unused.end()) {
            clip = *same;
            unused.erase(same);
        }
    }
    return kept;
}

void OrvantaDocument::makeWindowControllers() {
    if (!windowControllers().empty() || !windowControllerFactory())
        return;
    addWindowController(windowControllerFactory()(*this));
}

void OrvantaDocument::setWindowControllerFactory(WindowControllerFactory factory) {
    windowControllerFactory() = std::move(factory);
}
