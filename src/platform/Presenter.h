#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

// Everything that asks or tells the user something goes through the presenter: modal alerts, the
// system beep, the open and save panels, the save-changes question and the question about another
// program's version of a file. The application installs the
// widget presenter; tests install one that answers at once and records what was asked, and unattended
// runs install one that never blocks.
class Presenter {
public:
    virtual ~Presenter() = default;

    // An informational alert with one button, "Continue". Nothing depends on the answer.
    virtual void showAlert(const QString& messageText, const QString& informativeText) = 0;
    virtual void beep() = 0;

    enum class SaveChangesAnswer { Save, DontSave, Cancel };
    virtual SaveChangesAnswer askSaveChanges(const QString& documentName) = 0;
    // The same question, knowing whether the document has a file to save into.
    virtual SaveChangesAnswer askSaveChangesForDocument(const QString& documentName, bool hasFile) {
        (void)hasFile;
        return askSaveChanges(documentName);
    }

    // Another program changed a document's file while the document had unsaved changes. Keeping mine
    // writes the document over the file and keeps the other version beside it, at conflictCopyPath;
    // taking theirs reads the file again and drops the changes.
    enum class FileConflictAnswer { KeepMine, TakeTheirs };
    virtual FileConflictAnswer askResolveFileConflict(const QString& documentName,
                                                      const QString& conflictCopyPath) = 0;

    struct OpenPanelRequest {
        QString title;
        QUrl directoryURL; // where the panel starts; empty for its own default place
        bool canChooseFiles = true;
        bool canChooseDirectories = false;
        bool allowsMultipleSelection = false;
        QStringList nameFilters;                      // for files: "Playlists (*.orvplaylist)", ...
        std::optional<bool> includeSubdirectoriesBox; // shows the accessory check box, in this state
    };
    struct OpenPanelResult {
        bool accepted = false;
        QList<QUrl> urls;
        QUrl directoryURL; // the folder the panel was showing when the user confirmed
        // The accessory check box as the user left it, also when the panel was cancelled; none where the
        // panel had no box or no person answered it.
        std::optional<bool> includeSubdirectories;
    };
    virtual OpenPanelResult runOpenPanel(const OpenPanelRequest& request) = 0;

    struct SavePanelRequest {
        QString title;
        QUrl directoryURL;
        QString suggestedName;
        QString nameFilter; // "Standard Playlist (*.orvplaylist)"
        QString defaultSuffix;
    };
    // The chosen file, or nothing when cancelled.
    virtual std::optional<QUrl> runSavePanel(const SavePanelRequest& request) = 0;

    // The presenter in use: the one installed at start-up, or a headless one that never blocks.
    static Presenter& shared();
    static void setShared(Presenter* presenter);
};
