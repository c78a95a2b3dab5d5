#pragma once

#include "app/PreferencesWindowController.h"
#include "platform/documents/DocumentController.h"

#include <functional>
#include <memory>

class OrvantaWindowController;

// The application's document controller and delegate: it registers the initial defaults and the named
// transformers before any document exists, knows the two playlist types, carries the new-playlist and
// preferences commands, and decides quitting. The application makes one, in main().
class OrvantaDocumentController : public DocumentController {
    Q_OBJECT
public:
    // Class initialisation: the initial user defaults and the transformers "isSelectedDisplay" and
    // "isCustomFrame". Runs once, before the first controller; the constructor calls it.
    static void initialize();

    explicit OrvantaDocumentController(QObject* parent = nullptr);
    ~OrvantaDocumentController() override;

    QString documentType() const { return m_documentType; }
    void setDocumentType(const QString& type) { m_documentType = type; }
    PreferencesWindowController* preferenceController() const { return m_preferenceController.get(); }

    // The type a new document gets: the kind last asked for, nothing before the first command.
    QString defaultType() const override { return m_documentType; }

    Document* newStandardPlaylistDocument();
    Document* newDynamicPlaylistDocument();
    void showPreferencePanel();

    // No untitled playlist at launch, and the application keeps running without windows.
    bool applicationShouldOpenUntitledFile() const { return false; }
    bool applicationShouldTerminateAfterLastWindowClosed() const { return false; }

    // The Quit command: saves or asks as closing each playlist would, then quits. False when cancelled.
    // With a quit handler (unattended runs), the handler ends the program instead, asking nobody.
    bool terminate();
    void setQuitHandler(std::function<void()> handler) { m_quitHandler = std::move(handler); }

signals:
    // A playlist's window controller was made (before its window is loaded); it lives until its playlist
    // closes. Remote control follows the windows through this.
    void windowControllerMade(OrvantaWindowController* controller);

private:
    std::unique_ptr<PreferencesWindowController> m_preferenceController;
    QString m_documentType;
    std::function<void()> m_quitHandler;
};
