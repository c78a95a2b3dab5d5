#include "app/ApplicationMenus.h"

#include "app/OpenAtLogin.h"
#include "app/OrvantaDocumentController.h"
#include "document/OrvantaDocument.h"
#include "platform/documents/Document.h"
#include "window/OrvantaWindowController.h"

#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

namespace {

void fillRecentMenu(QMenu* menu, OrvantaDocumentController* controller) {
    menu->clear();
    const QList<QUrl> urls = controller->recentDocumentURLs();
    for (const QUrl& url : urls) {
        QAction* action = menu->addAction(QFileInfo(url.toLocalFile()).fileName());
        action->setToolTip(url.toLocalFile());
        QObject::connect(action, &QAction::triggered, controller,
                         [controller, url] { controller->openDocumentPresentingErrors(url); });
    }
    if (!urls.isEmpty())
        menu->addSeparator();
    QAction* clear = menu->addAction(QStringLiteral("Clear Menu"));
    clear->setEnabled(!urls.isEmpty());
    QObject::connect(clear, &QAction::triggered, controller,
                     &OrvantaDocumentController::clearRecentDocuments);
}

// Import Playlist… (a standard playlist's) and Export Playlist…: other players' lists, through the
// document's window controller.
void addPlaylistExchangeItems(QMenu* file, QMainWindow* window, Document* document) {
    QPointer<Document> doc(document);
    auto windowController = [doc]() -> OrvantaWindowController* {
        if (!doc)
            return nullptr;
        for (WindowController* each : doc->windowControllers()) {
            if (auto* controller = qobject_cast<OrvantaWindowController*>(each))
                return controller;
        }
        return nullptr;
    };
    file->addSeparator();
    QAction* importList = file->addAction(QStringLiteral("Import Playlist…"));
    importList->setObjectName(QStringLiteral("importPlaylist"));
    QObject::connect(importList, &QAction::triggered, window, [windowController] {
        if (OrvantaWindowController* controller = windowController())
            controller->importPlaylist();
    });
    QAction* exportList = file->addAction(QStringLiteral("Export Playlist…"));
    exportList->setObjectName(QStringLiteral("exportPlaylist"));
    QObject::connect(exportList, &QAction::triggered, window, [windowController] {
        if (OrvantaWindowController* controller = windowController())
            controller->exportPlaylist();
    });
    QObject::connect(file, &QMenu::aboutToShow, importList, [importList, windowController] {
        const OrvantaWindowController* controller = windowController();
        importList->setEnabled(controller && controller->datasource() &&
                               !controller->datasource()->isDynamicPlaylist());
    });
}

} // namespace

void ApplicationMenus::install(QMainWindow* window, OrvantaDocumentController* controller,
                               Document* document) {
    QMenu* file = window->menuBar()->addMenu(QStringLiteral("&File"));
    QAction* newStandard = file->addAction(QStringLiteral("New Standard Playlist"));
    newStandard->setShortcut(QKeySequence::New);
    newStandard->setObjectName(QStringLiteral("newStandardPlaylistDocument"));
    QObject::connect(newStandard, &QAction::triggered, controller,
                     [controller] { controller->newStandardPlaylistDocument(); });
    QAction* newDynamic = file->addAction(QStringLiteral("New Dynamic Playlist…"));
    newDynamic->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
    newDynamic->setObjectName(QStringLiteral("newDynamicPlaylistDocument"));
    QObject::connect(newDynamic, &QAction::triggered, controller,
                     [controller] { controller->newDynamicPlaylistDocument(); });
    QAction* open = file->addAction(QStringLiteral("Open…"));
    open->setShortcut(QKeySequence::Open);
    QObject::connect(open, &QAction::triggered, controller, &OrvantaDocumentController::openDocument);
    QMenu* recent = file->addMenu(QStringLiteral("Open Recent"));
    QObject::connect(recent, &QMenu::aboutToShow, recent,
                     [recent, controller] { fillRecentMenu(recent, controller); });
    fillRecentMenu(recent, controller);

    if (document) {
        QPointer<Document> doc(document);
        file->addSeparator();
        QAction* close = file->addAction(QStringLiteral("Close"));
        close->setShortcut(QKeySequence::Close);
        QObject::connect(close, &QAction::triggered, window, &QMainWindow::close);
        QAction* save = file->addAction(QStringLiteral("Save"));
        save->setShortcut(QKeySequence::Save);
        QObject::connect(save, &QAction::triggered, window, [doc] {
            if (doc)
                doc->saveDocument();
        });
        QAction* saveAs = file->addAction(QStringLiteral("Save As…"));
        saveAs->setShortcut(QKeySequence::SaveAs);
        QObject::connect(saveAs, &QAction::triggered, window, [doc] {
            if (doc)
                doc->saveDocumentAs();
        });
        QAction* revert = file->addAction(QStringLiteral("Revert to Saved"));
        QObject::connect(file, &QMenu::aboutToShow, revert, [revert, doc] {
            revert->setEnabled(doc && !doc->fileURL().isEmpty() && doc->isDocumentEdited());
        });
        QObject::connect(revert, &QAction::triggered, window, [doc, controller] {
            DocumentError error;
            if (doc && !doc->revertToSaved(&error))
                controller->presentError(error);
        });
        addPlaylistExchangeItems(file, window, document);
        OpenAtLogin::addMenuItem(file, document);
    }

    file->addSeparator();
    QAction* preferences = file->addAction(QStringLiteral("Preferences…"));
    preferences->setShortcut(QKeySequence::Preferences);
    preferences->setMenuRole(QAction::PreferencesRole);
    QObject::connect(preferences, &QAction::triggered, controller,
                     &OrvantaDocumentController::showPreferencePanel);
    QAction* quit = file->addAction(QStringLiteral("Quit"));
    quit->setShortcut(QKeySequence::Quit);
    quit->setMenuRole(QAction::QuitRole);
    QObject::connect(quit, &QAction::triggered, controller, [controller] { controller->terminate(); });
}
