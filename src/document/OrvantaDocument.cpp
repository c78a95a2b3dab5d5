#include "document/OrvantaDocument.h"

#include "document/ClipRelinker.h"
#include "document/MissingClip.h"
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
    , m_settings(std::make_unique<PlaylistSettings>())
    , m_undoStack(new QUndoStack(this)) {
    // Each step keeps two lists of the clips; a long session keeps its last few hundred steps.
    m_undoStack->setUndoLimit(UndoLimit);
    m_settings->setChangeRecorder(
        [this](const QString& key, const std::optional<TypedNumber>& before, const TypedNumber& after) {
            recordSettingChange(key, before, after);
        });
    connect(m_undoStack, &QUndoStack::indexChanged, this, &OrvantaDocument::followUndoStack);
    // A save (or a revert) clears the change count: the state saved is the stack's clean state.
    connect(this, &Document::changeCountChanged, this, [this] {
        if (!isDocumentEdited() && !m_undoStack->isClean())
            m_undoStack->setClean();
    });
}

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

void OrvantaDocument::replaceClipsAtRows(const QList<std::pair<int, ClipRecordPtr>>& replacements) {
    QList<ClipRecordPtr> replaced, replacing;
    for (const auto& [row, clip] : replacements) {
        if (row < 0 || row >= m_clips.size() || !clip || !m_clips[row])
            continue;
        if (m_clips[row]->isMissing()) {
            m_missingItems.remove(MissingClip::displayedPath(m_clips[row]->URL));
            m_missingItems.remove(ClipRelinker::oldPathOf(*m_clips[row]));
        }
        replaced.append(m_clips[row]);
        replacing.append(clip);
    }
    replaceClips(replaced, replacing,
                 replaced.size() == 1 ? QStringLiteral("Locate Clip")
                                      : QStringLiteral("Locate %1 Clips").arg(replaced.size()));
}

void OrvantaDocument::applyClipsEdit(const QList<ClipRecordPtr>& clips, const QList<ClipRecordPtr>& touched) {
    setClips(clips);
    emit clipsTouched(touched);
}

void OrvantaDocument::followUndoStack() {
    if (!m_undoStack->isClean())
        updateChangeCount(ChangeKind::Done);
    else if (isDocumentEdited())
        updateChangeCount(ChangeKind::Cleared);
}

void OrvantaDocument::pushClipsEdit(ClipsCommand::Lists lists, const QString& text, quint64 run) {
    m_undoStack->push(new ClipsCommand(*this, std::move(lists), text, run));
}

void OrvantaDocument::insertClips(const QList<ClipRecordPtr>& clips, int row, ClipsAction action,
                                  quint64 run) {
    if (clips.isEmpty())
        return;
    const qsizetype at = std::clamp<qsizetype>(row, 0, m_clips.size());
    QList<ClipRecordPtr> after = m_clips;
    for (qsizetype i = 0; i < clips.size(); ++i)
        after.insert(at + i, clips[i]);
    const int top = m_undoStack->index();
    if (run != 0 && top > 0 && top == m_undoStack->count()) {
        auto* last = dynamic_cast<ClipsCommand*>(const_cast<QUndoCommand*>(m_undoStack->command(top - 1)));
        if (last && last->extend(after, clips, run, action)) {
            // The step changed after it was saved: the state saved is no longer on the stack.
            if (m_undoStack->isClean())
                m_undoStack->resetClean();
            updateChangeCount(ChangeKind::Done);
            return;
        }
    }
    pushClipsEdit({m_clips, after, {}, clips}, PlaylistCommands::textFor(action, clips.size()), run);
}

void OrvantaDocument::removeClipsAt(const QList<int>& rows, ClipsAction action) {
    QList<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    sorted.removeIf([this](int row) { return row < 0 || row >= m_clips.size(); });
    if (sorted.isEmpty())
        return;
    QList<ClipRecordPtr> after = m_clips;
    QList<ClipRecordPtr> removed;
    for (int row : sorted)
        removed.append(m_clips[row]);
    for (auto it = sorted.crbegin(); it != sorted.crend(); ++it)
        after.removeAt(*it);
    pushClipsEdit({m_clips, after, removed, {}}, PlaylistCommands::textFor(action, removed.size()));
}

RowMove OrvantaDocument::moveClips(const QList<int>& rows, int before) {
    const RowMove move = RowMove::plan(rows, before, int(m_clips.size()));
    if (move.isEmpty() || !move.changesOrder())
        return move;
    QList<ClipRecordPtr> moved;
    for (int row : move.rows)
        moved.append(m_clips[row]);
    pushClipsEdit({m_clips, move.apply(m_clips), moved, moved},
                  PlaylistCommands::textFor(ClipsAction::Move, moved.size()));
    return move;
}

void OrvantaDocument::replaceClips(const QList<ClipRecordPtr>& clips,
                                   const QList<ClipRecordPtr>& replacements, const QString& text) {
    QList<ClipRecordPtr> after = m_clips;
    QList<ClipRecordPtr> replaced, replacing;
    for (qsizetype i = 0; i < std::min(clips.size(), replacements.size()); ++i) {
        const qsizetype at = after.indexOf(clips[i]);
        if (at < 0 || !replacements[i])
            continue;
        after[at] = replacements[i];
        replaced.append(clips[i]);
        replacing.append(replacements[i]);
    }
    if (!replaced.isEmpty())
        pushClipsEdit({m_clips, after, replaced, replacing}, text);
}

void OrvantaDocument::chooseSourceFolder(const QUrl& folder, bool includeSubdirectories) {
    m_undoStack->push(new SourceFolderCommand(*this, folder, includeSubdirectories));
}

void OrvantaDocument::beginSettingsGesture() {
    ++m_gesture;
    m_inGesture = true;
}

void OrvantaDocument::endSettingsGesture() {
    m_inGesture = false;
}

void OrvantaDocument::recordSettingChange(const QString& key, const std::optional<TypedNumber>& before,
                                          const TypedNumber& after) {
    m_undoStack->push(new SettingCommand(*this, key, before, after, m_inGesture ? m_gesture : 0));
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
    // The steps were steps of another version of the playlist.
    m_undoStack->clear();
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
