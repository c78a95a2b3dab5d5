#include "app/mpris/MprisRootAdaptor.h"

#include "app/OrvantaDocumentController.h"
#include "app/mpris/MprisWindowChoice.h"
#include "window/OrvantaWindowController.h"

#include <QMainWindow>

MprisRootAdaptor::MprisRootAdaptor(QObject* object, MprisWindowChoice& choice,
                                   OrvantaDocumentController& documents)
    : QDBusAbstractAdaptor(object)
    , m_choice(choice)
    , m_documents(documents) {}

QStringList MprisRootAdaptor::supportedMimeTypes() const {
    return {QStringLiteral("application/x-orvanta-standard-playlist"),
            QStringLiteral("application/x-orvanta-dynamic-playlist")};
}

void MprisRootAdaptor::Raise() {
    if (OrvantaWindowController* wc = m_choice.target()) {
        QMainWindow* window = wc->window();
        window->show();
        window->raise();
        window->activateWindow();
    }
}

void MprisRootAdaptor::Quit() {
    // From the event loop, after the reply: quitting may ask about unsaved playlists in a dialog.
    QMetaObject::invokeMethod(
        &m_documents, [documents = &m_documents] { documents->terminate(); }, Qt::QueuedConnection);
}
