#pragma once

#include "document/ClipRecord.h"
#include "document/PlaylistCommands.h"
#include "document/PlaylistSettings.h"
#include "document/RowMove.h"
#include "document/SelectedDisplay.h"
#include "platform/archive/KeyedArchiveDictionary.h"
#include "platform/documents/Document.h"

#include <QList>
#include <QSet>
#include <QUndoStack>
#include <QUrl>
#include <functional>
#include <memory>

// A playlist: its clips in play order, its settings, its kind (standard or dynamic) and, for a
// dynamic playlist, the source folder its clips come from.
//
// The user's edits are undoable: insertClips, removeClipsAt, moveClips, replaceClips, chooseSourceFolder
// and every settings()->setValue of a known key each push one step (PlaylistCommands) onto the
// document's undo stack. The change count follows the stack: a step done, undone or redone is a change,
// and reaching the state last saved again makes the document clean (a save marks that state). Reading
// the file anew clears the stack. setClips and the folder setters change the model as they are, outside
// undo and the change count: for what is not the user's edit (a dynamic playlist's clips, built from its
// folder) and for the undo steps themselves. Main thread only.
class OrvantaDocument : public Document {
    Q_OBJECT
public:
    static const QString StandardPlaylistType; // "OrvantaStandardPlaylist"
    static const QString DynamicPlaylistType;  // "OrvantaDynamicPlaylist"
    static const QString ErrorDomain;          // "Orvanta"
    static constexpr int CreationCancelledCode = 1;
    static constexpr int UndoLimit = 500;

    // A new playlist of the named type, with the default settings. The dynamic type first asks for the
    // source folder; cancelling makes no document and answers the error "Dynamic Playlist creation
    // cancelled" (domain "Orvanta", code 1). Any other type name makes a standard playlist.
    static std::unique_ptr<OrvantaDocument> initWithType(const QString& typeName, DocumentError* error);

    // An empty document, to be filled by reading a file.
    explicit OrvantaDocument(QObject* parent = nullptr);
    ~OrvantaDocument() override;

    const QList<ClipRecordPtr>& clips() const { return m_clips; }
    void setClips(const QList<ClipRecordPtr>& clips);
    // Puts each record in place of the clip at its row, as one undo step (rows out of range are
    // passed over); the replaced clips' files are no longer listed as missing. Relinking moved
    // files (ClipRelinker) is applied through this.
    void replaceClipsAtRows(const QList<std::pair<int, ClipRecordPtr>>& replacements);
    // setClips for undo steps: then clipsTouched(touched), the clips the step put back, moved or added.
    void applyClipsEdit(const QList<ClipRecordPtr>& clips, const QList<ClipRecordPtr>& touched);

    // --- Undoable edits (one step each)
    QUndoStack* undoStack() const { return m_undoStack; }
    // Inserts the clips so that they occupy rows row..row+n-1 (row clamped to the ends). The parts of one
    // import run (the same non-zero run) placed one after another make one step.
    void insertClips(const QList<ClipRecordPtr>& clips, int row, ClipsAction action = ClipsAction::Add,
                     quint64 run = 0);
    // Removes the clips at the rows (those in range).
    void removeClipsAt(const QList<int>& rows, ClipsAction action = ClipsAction::Remove);
    // Moves the clips at the rows before row `before` (see RowMove); the move it made, even when it
    // changed nothing (no step then).
    RowMove moveClips(const QList<int>& rows, int before);
    // Puts each replacement in the place of the clip at the same index of `clips` (a relinked file, a
    // movie opened anew), as one step named `text` ("Locate 3 Clips"). Clips no longer listed are skipped.
    void replaceClips(const QList<ClipRecordPtr>& clips, const QList<ClipRecordPtr>& replacements,
                      const QString& text);
    // A dynamic playlist's new folder: the playlist lets go of its clips for an import run of the folder,
    // whose clips then belong to this step.
    void chooseSourceFolder(const QUrl& folder, bool includeSubdirectories);
    // Between the two, changes of one setting merge into one step (a slider dragged).
    void beginSettingsGesture();
    void endSettingsGesture();
    PlaylistSettings* settings() const { return m_settings.get(); }
    const QSet<QString>& missingItems() const { return m_missingItems; }
    void setMissingItems(const QSet<QString>& items) { m_missingItems = items; }
    bool moviesAreUnloaded() const { return m_moviesAreUnloaded; }
    void setMoviesAreUnloaded(bool value) { m_moviesAreUnloaded = value; }
    bool isDynamicPlaylist() const { return m_isDynamicPlaylist; }
    void setIsDynamicPlaylist(bool value) { m_isDynamicPlaylist = value; }
    bool includeSubdirectories() const { return m_includeSubdirectories; }
    void setIncludeSubdirectories(bool value);
    QUrl dynamicSourceFolder() const { return m_dynamicSourceFolder; }
    void setDynamicSourceFolder(const QUrl& folder);
    // The display chosen to play on; nothing plays on the main display, as a new playlist does.
    const std::optional<SelectedDisplay>& selectedDisplay() const { return m_selectedDisplay; }
    void setSelectedDisplay(const std::optional<SelectedDisplay>& display);
    // Root entries of the file that this version does not know, written back as they were read.
    const KeyedArchiveDictionary& otherRootEntries() const { return m_otherRootEntries; }
    void setOtherRootEntries(const KeyedArchiveDictionary& entries) { m_otherRootEntries = entries; }

    QStringList writableTypesForSaveOperation(SaveOperation operation) const override;
    bool autosavesInPlace() const override { return true; }
    Presenter::SavePanelRequest savePanelRequestForType(const QString& typeName) const override;

    std::optional<QByteArray> dataOfType(const QString& typeName, DocumentError* error) const override;
    bool readFromData(const QByteArray& data, const QString& typeName, DocumentError* error) override;

    // Makes the playlist's one window controller through the factory the application installs.
    void makeWindowControllers() override;
    using WindowControllerFactory =
        std::function<std::unique_ptr<WindowController>(OrvantaDocument& document)>;
    static void setWindowControllerFactory(WindowControllerFactory factory);

signals:
    void clipsChanged();
    void clipsTouched(const QList<ClipRecordPtr>& clips);
    void dynamicSourceChanged();
    void selectedDisplayChanged();

private:
    // The clips read, each replaced by an old record of the same file (in order) where there is one.
    static QList<ClipRecordPtr> keepingRecordsOf(const QList<ClipRecordPtr>& old,
                                                 const QList<ClipRecordPtr>& read);
    void pushClipsEdit(ClipsCommand::Lists lists, const QString& text, quint64 run = 0);
    void recordSettingChange(const QString& key, const std::optional<TypedNumber>& before,
                             const TypedNumber& after);
    void followUndoStack();

    QList<ClipRecordPtr> m_clips;
    std::unique_ptr<PlaylistSettings> m_settings;
    QSet<QString> m_missingItems;
    bool m_moviesAreUnloaded = false;
    bool m_isDynamicPlaylist = false;
    bool m_includeSubdirectories = false;
    QUrl m_dynamicSourceFolder;
    QUndoStack* m_undoStack; // child
    quint64 m_gesture = 0;
    bool m_inGesture = false;
    std::optional<SelectedDisplay> m_selectedDisplay;
    KeyedArchiveDictionary m_otherRootEntries;
};
