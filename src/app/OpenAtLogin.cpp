#include "app/OpenAtLogin.h"

#include "platform/AutostartEntry.h"
#include "platform/Presenter.h"
#include "platform/documents/Document.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QPointer>

namespace {

QString playlistFile(const QPointer<Document>& document) {
    return document ? document->fileURL().toLocalFile() : QString();
}

// The check mark follows the disk, not the last choice: entries can be removed by other means.
void showState(QAction* item, const QPointer<Document>& document) {
    const QString file = playlistFile(document);
    item->setEnabled(!file.isEmpty());
    item->setChecked(!file.isEmpty() && !AutostartEntry::find(file).isEmpty());
}

} // namespace

void OpenAtLogin::addMenuItem(QMenu* file, Document* document) {
    QAction* item = file->addAction(QStringLiteral("Open at Login"));
    item->setObjectName(QStringLiteral("openAtLogin"));
    item->setCheckable(true);
    const QPointer<Document> doc(document);
    showState(item, doc);
    QObject::connect(file, &QMenu::aboutToShow, item, [item, doc] { showState(item, doc); });
    QObject::connect(item, &QAction::triggered, item, [item, doc](bool on) {
        const QString playlist = playlistFile(doc);
        if (playlist.isEmpty())
            return;
        const QString error = on ? AutostartEntry::install(QCoreApplication::applicationFilePath(), playlist)
                                 : AutostartEntry::remove(playlist);
        showState(item, doc);
        if (!error.isEmpty())
            Presenter::shared().showAlert(
                on ? QStringLiteral("The Playlist Could Not Be Set to Open at Login")
                   : QStringLiteral("The Playlist Could Still Open at Login"),
                error);
    });
}
