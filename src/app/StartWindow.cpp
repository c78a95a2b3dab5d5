#include "app/StartWindow.h"

#include "app/ApplicationMenus.h"
#include "app/OrvantaDocumentController.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

StartWindow::StartWindow(OrvantaDocumentController* controller)
    : m_controller(controller) {
    setWindowTitle(QStringLiteral("Orvanta"));
    setObjectName(QStringLiteral("StartWindow"));
    ApplicationMenus::install(this, controller);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    auto* heading =
        new QLabel(QStringLiteral("<h2>Orvanta</h2><p>Play movie playlists on a chosen display.</p>"));
    layout->addWidget(heading);

    auto* newStandard = new QPushButton(QStringLiteral("New Standard Playlist"), central);
    newStandard->setObjectName(QStringLiteral("newStandardButton"));
    newStandard->setToolTip(QStringLiteral("A playlist of clips you add and arrange by hand"));
    connect(newStandard, &QPushButton::clicked, controller,
            [controller] { controller->newStandardPlaylistDocument(); });
    auto* newDynamic = new QPushButton(QStringLiteral("New Dynamic Playlist…"), central);
    newDynamic->setObjectName(QStringLiteral("newDynamicButton"));
    newDynamic->setToolTip(
        QStringLiteral("A playlist of the movies found in a folder, rebuilt each time it opens"));
    connect(newDynamic, &QPushButton::clicked, controller,
            [controller] { controller->newDynamicPlaylistDocument(); });
    auto* open = new QPushButton(QStringLiteral("Open…"), central);
    connect(open, &QPushButton::clicked, controller, &OrvantaDocumentController::openDocument);
    layout->addWidget(newStandard);
    layout->addWidget(newDynamic);
    layout->addWidget(open);

    layout->addWidget(new QLabel(QStringLiteral("Recent playlists:"), central));
    m_recent = new QListWidget(central);
    m_recent->setObjectName(QStringLiteral("recentList"));
    connect(m_recent, &QListWidget::itemActivated, controller, [controller](QListWidgetItem* item) {
        controller->openDocumentPresentingErrors(item->data(Qt::UserRole).toUrl());
    });
    layout->addWidget(m_recent);
    setCentralWidget(central);
    resize(420, 420);

    connect(controller, &DocumentController::documentsChanged, this, &StartWindow::updateVisibility);
    connect(controller, &DocumentController::recentDocumentsChanged, this, &StartWindow::refreshRecentFiles);
    refreshRecentFiles();
}

void StartWindow::refreshRecentFiles() {
    m_recent->clear();
    for (const QUrl& url : m_controller->recentDocumentURLs()) {
        auto* item = new QListWidgetItem(QFileInfo(url.toLocalFile()).fileName(), m_recent);
        item->setToolTip(url.toLocalFile());
        item->setData(Qt::UserRole, url);
    }
}

void StartWindow::updateVisibility() {
    if (m_controller->hasOpenDocuments()) {
        hide();
    } else {
        refreshRecentFiles();
        show();
    }
}

void StartWindow::closeEvent(QCloseEvent* event) {
    // Closing the start window is quitting; with no playlist open there is nothing to ask about.
    event->accept();
    QApplication::quit();
}
