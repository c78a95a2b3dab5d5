#pragma once

#include "document/ClipRecord.h"
#include "document/PlaylistSettings.h"
#include "document/SelectedDisplay.h"
#include "platform/archive/KeyedArchiveDictionary.h"
#include "platform/documents/Document.h"

#include <QList>
#include <QSet>
#include <QUrl>
#include <functional>
#include <memory>

// A playlist: its clips in play order, its settings, its kind (standard or dynamic) and, for a
// dynamic playlist, the source folder its clips come from. Main thread only.
class OrvantaDocument : public Document {
    Q_OBJECT
public:
    static const QString StandardPlaylistType; // "OrvantaStandardPlaylist"
    static const QString DynamicPlaylistType;  // "OrvantaDynamicPlaylist"
    static const QString ErrorDomain;          // "Orvanta"
    static constexpr int CreationCancelledCode = 1;

    // A new playlist of the named type, with the default settings. The dynamic type first asks for the
    // source folder; cancelling makes no document and answers the error "Dynamic Playlist creation
    // cancelled" (domain "Orvanta", code 1). Any other type name makes a standard playlist.
    static std::unique_ptr<OrvantaDocument> initWithType(const QString& typeName, DocumentError* error);

    // An empty document, to be filled by reading a file.
    explicit OrvantaDocument(QObject* parent = nullptr);
    ~OrvantaDocument() override;

    const QList<ClipRecordPtr>& clips() const { return m_clips; }
    void setClips(const QList<ClipRecordPtr>& clips);
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
    void dynamicSourceChanged();
    void selectedDisplayChanged();

private:
    // The clips read, each replaced by an old record of the same file (in order) where there is one.
    static QList<ClipRecordPtr> keepingRecordsOf(const QList<ClipRecordPtr>& old,
                                                 const QList<ClipRecordPtr>& read);

    QList<ClipRecordPtr> m_clips;
    std::unique_ptr<PlaylistSettings> m_settings;
    QSet<QString> m_missingItems;
    bool m_moviesAreUnloaded = false;
    bool m_isDynamicPlaylist = false;
    bool m_includeSubdirectories = false;
    QUrl m_dynamicSourceFolder;
    std::optional<SelectedDisplay> m_selectedDisplay;
    KeyedArchiveDictionary m_otherRootEntries;
};
