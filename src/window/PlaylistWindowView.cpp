// The playlist window's widgets: how the window is built and how it shows the playlist.
#include "window/PlaylistWindowView.h"

#include "document/ComputePlaylistDuration.h"
#include "document/OrvantaDocument.h"
#include "playback/ClickableMovieView.h"
#include "window/ClipPosterDelegate.h"
#include "window/ClipTableModel.h"
#include "window/ClipsController.h"
#include "window/ClipsTableView.h"
#include "window/OrvantaWindowController.h"
#include "window/PlaylistEditMenu.h"
#include "window/PlaylistSettingsPane.h"
#include "window/PlaylistWindow.h"

#include <QAction>
#include <QDir>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

QLabel* caption(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

} // namespace

PlaylistWindowView::PlaylistWindowView(OrvantaWindowController& controller,
                                       const std::function<void(QMainWindow*)>& installMenus)
    : m_controller(controller)
    , m_clips(*controller.clipsController()) {
    m_window = std::make_unique<PlaylistWindow>([this] { return m_controller.windowShouldClose(); });
    m_window->setObjectName(QStringLiteral("OrvantaDocument"));
    installMenus(m_window.get());
    makeToolbarAndMenu();

    auto* clipsSide = new QWidget(m_window.get());
    auto* clipsLayout = new QVBoxLayout(clipsSide);
    clipsLayout->setContentsMargins(8, 8, 4, 8);
    clipsLayout->addWidget(makeClipsPane(), 1);
    clipsLayout->addWidget(makeInformationPane());

    auto* playerSide = new QWidget(m_window.get());
    auto* playerLayout = new QVBoxLayout(playerSide);
    playerLayout->setContentsMargins(4, 8, 8, 8);
    playerLayout->addWidget(makePreviewPane(), 1);
    m_settingsPane = new PlaylistSettingsPane(m_controller, m_window.get());
    playerLayout->addWidget(m_settingsPane);

    auto* splitter = new QSplitter(Qt::Horizontal, m_window.get());
    splitter->addWidget(clipsSide);
    splitter->addWidget(playerSide);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    splitter->setChildrenCollapsible(false);
    m_window->setCentralWidget(splitter);
    makeStatusBar();
    m_window->resize(1120, 700);
}

PlaylistWindowView::~PlaylistWindowView() {
    detach();
}

OrvantaDocument* PlaylistWindowView::document() const {
    return m_controller.datasource();
}

void PlaylistWindowView::showPlaylist() {
    if (OrvantaDocument* playlist = document()) {
        m_connections.push_back(connect(playlist->settings(), &PlaylistSettings::valueChanged, this,
                                        [this](const QString& key) { m_settingsPane->refresh(key); }));
        m_connections.push_back(connect(playlist, &OrvantaDocument::dynamicSourceChanged, this,
                                        [this] { refreshInformationPane(); }));
    }
    m_connections.push_back(
        connect(&m_clips, &ClipsController::arrangedObjectsChanged, this, [this] { refreshTotalTime(); }));
    m_settingsPane->refresh(QString());
    refreshInformationPane();
    refreshTotalTime();
    m_editMenu->attach();
}

void PlaylistWindowView::detach() {
    if (m_editMenu)
        m_editMenu->detach();
    for (const QMetaObject::Connection& connection : m_connections)
        disconnect(connection);
    m_connections.clear();
}

void PlaylistWindowView::showSettingsPane(int tag) {
    m_settingsPane->showPage(tag);
}

QComboBox* PlaylistWindowView::selectDisplayPopUp() const {
    return m_settingsPane->selectDisplayPopUp();
}

QButtonGroup* PlaylistWindowView::fullscreenModeSelector() const {
    return m_settingsPane->fullscreenModeSelector();
}

QTabBar* PlaylistWindowView::settingsSelector() const {
    return m_settingsPane->settingsSelector();
}

QStackedWidget* PlaylistWindowView::settingsTab() const {
    return m_settingsPane->settingsTab();
}

void PlaylistWindowView::makeStatusBar() {
    m_importSpinner = new QProgressBar(m_window.get());
    m_importSpinner->setObjectName(QStringLiteral("importSpinner"));
    m_importSpinner->setRange(0, 0); // busy
    m_importSpinner->setTextVisible(false);
    m_importSpinner->setMaximumWidth(140);
    m_importSpinner->setMaximumHeight(14);
    m_importSpinner->hide();
    m_importProgressText = new QLabel(m_window.get());
    m_importProgressText->setObjectName(QStringLiteral("importProgressText"));
    m_importProgressText->hide();
    m_importCancelButton = new QPushButton(QStringLiteral("Cancel"), m_window.get());
    m_importCancelButton->setObjectName(QStringLiteral("importCancelButton"));
    m_importCancelButton->setShortcut(QKeySequence(Qt::Key_Escape)); // only while it is shown
    m_importCancelButton->hide();
    m_window->statusBar()->addPermanentWidget(m_importProgressText);
    m_window->statusBar()->addPermanentWidget(m_importSpinner);
    m_window->statusBar()->addPermanentWidget(m_importCancelButton);
}

void PlaylistWindowView::makeToolbarAndMenu() {
    QStyle* style = m_window->style();
    m_toolbar = m_window->addToolBar(QStringLiteral("Playlist"));
    m_toolbar->setObjectName(QStringLiteral("toolbar"));
    m_toolbar->setMovable(false);
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);

    auto toolbarItem = [&](const QString& name, const QString& text, QStyle::StandardPixmap icon, int tag,
                           void (OrvantaWindowController::*action)()) {
        QAction* item = m_toolbar->addAction(style->standardIcon(icon), text);
        item->setObjectName(name);
        item->setData(tag);
        connect(item, &QAction::triggered, &m_controller, action);
        m_toolbarActions.append(item);
        return item;
    };
    toolbarItem(QStringLiteral("addNewClipsItem"), QStringLiteral("Add Clips"),
                QStyle::SP_FileDialogNewFolder, 0, &OrvantaWindowController::addNewClips)
        ->setToolTip(QStringLiteral("Add movie files and folders to the playlist"));
    toolbarItem(QStringLiteral("removeClipsItem"), QStringLiteral("Remove"), QStyle::SP_TrashIcon, 0,
                &OrvantaWindowController::removeClips)
        ->setToolTip(QStringLiteral("Remove the selected clips"));
    toolbarItem(QStringLiteral("setSourceFolderItem"), QStringLiteral("Source Folder"),
                QStyle::SP_DirOpenIcon, 1, &OrvantaWindowController::setSourceFolder)
        ->setToolTip(QStringLiteral("Choose the folder this playlist plays"));

    m_editMenu = new PlaylistEditMenu(m_controller, m_window.get());
    m_menuActions.append(m_editMenu->actions());
    QMenu* menu = m_window->menuBar()->addMenu(QStringLiteral("&Playlist"));
    menu->setObjectName(QStringLiteral("playlistMenu"));
    auto menuItem = [&](const QString& action, const QString& text, const QKeySequence& shortcut,
                        void (OrvantaWindowController::*slot)()) {
        QAction* item = menu->addAction(text);
        item->setObjectName(action);
        item->setShortcut(shortcut);
        connect(item, &QAction::triggered, &m_controller, slot);
        m_menuActions.append(item);
        return item;
    };
    menuItem(QStringLiteral("addNewClips"), QStringLiteral("Add Clips…"), QKeySequence(Qt::CTRL | Qt::Key_I),
             &OrvantaWindowController::addNewClips);
    menuItem(QStringLiteral("removeClips"), QStringLiteral("Remove Clips"),
             QKeySequence(Qt::CTRL | Qt::Key_Backspace), &OrvantaWindowController::removeClips);
    menuItem(QStringLiteral("setSourceFolder"), QStringLiteral("Choose Source Folder…"), QKeySequence(),
             &OrvantaWindowController::setSourceFolder);
    menuItem(QStringLiteral("locateMissingFiles"), QStringLiteral("Locate Missing Files…"), QKeySequence(),
             &OrvantaWindowController::locateMissingFiles);
    menu->addSeparator();
    const QStringList panes{QStringLiteral("Playback Settings"), QStringLiteral("Output Settings")};
    for (int tag = 0; tag < panes.size(); ++tag) {
        QAction* item = menu->addAction(panes[tag]);
        item->setObjectName(QStringLiteral("switchSettingsPane"));
        item->setData(tag);
        item->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | (Qt::Key_1 + tag)));
        connect(item, &QAction::triggered, &m_controller,
                [this, tag] { m_controller.switchSettingsPane(tag); });
        m_menuActions.append(item);
    }
    connect(menu, &QMenu::aboutToShow, &m_controller, [this] { m_controller.validateUserInterfaceItems(); });
}

QWidget* PlaylistWindowView::makeClipsPane() {
    auto* table = new ClipsTableView(m_window.get());
    table->setWindowController(&m_controller);
    m_clipsTable = table;
    m_clipsTable->setObjectName(QStringLiteral("clipsTable"));
    m_clipsTable->setModel(m_clips.model());
    QItemSelectionModel* ownSelection = m_clipsTable->selectionModel();
    m_clipsTable->setSelectionModel(m_clips.selectionModel());
    delete ownSelection;
    m_clipsTable->setItemDelegateForColumn(ClipTableModel::PosterColumn,
                                           new ClipPosterDelegate(m_clipsTable));
    m_clipsTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_clipsTable->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_clipsTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_clipsTable->setAlternatingRowColors(true);
    m_clipsTable->setShowGrid(false);
    m_clipsTable->setWordWrap(false);
    m_clipsTable->setTextElideMode(Qt::ElideMiddle);
    m_clipsTable->verticalHeader()->hide();
    m_clipsTable->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_clipsTable->verticalHeader()->setDefaultSectionSize(ClipPosterDelegate::PosterHeight + 8);
    QHeaderView* header = m_clipsTable->horizontalHeader();
    header->setSectionResizeMode(ClipTableModel::PosterColumn, QHeaderView::Fixed);
    header->resizeSection(ClipTableModel::PosterColumn, ClipPosterDelegate::PosterWidth + 10);
    header->setSectionResizeMode(ClipTableModel::NameColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(ClipTableModel::DurationColumn, QHeaderView::ResizeToContents);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return m_clipsTable;
}

QWidget* PlaylistWindowView::makeInformationPane() {
    auto* pane = new QWidget(m_window.get());
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 4, 0, 0);
    m_infoTab = new QStackedWidget(pane);
    m_infoTab->setObjectName(QStringLiteral("infoTab"));

    auto* dynamicPage = new QWidget(m_infoTab);
    auto* dynamicLayout = new QFormLayout(dynamicPage);
    dynamicLayout->setContentsMargins(0, 0, 0, 0);
    m_sourceFolderText = new QLabel(dynamicPage);
    m_sourceFolderText->setObjectName(QStringLiteral("sourceFolderText"));
    m_sourceFolderText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_subdirectoriesText = new QLabel(dynamicPage);
    m_subdirectoriesText->setObjectName(QStringLiteral("subdirectoriesText"));
    dynamicLayout->addRow(caption(QStringLiteral("Source folder:"), dynamicPage), m_sourceFolderText);
    dynamicLayout->addRow(caption(QStringLiteral("Subdirectories:"), dynamicPage), m_subdirectoriesText);
    m_infoTab->addWidget(dynamicPage);

    auto* standardPage = new QWidget(m_infoTab);
    auto* standardLayout = new QFormLayout(standardPage);
    standardLayout->setContentsMargins(0, 0, 0, 0);
    m_clipCountText = new QLabel(standardPage);
    m_clipCountText->setObjectName(QStringLiteral("clipCountText"));
    standardLayout->addRow(caption(QStringLiteral("Standard playlist:"), standardPage), m_clipCountText);
    m_infoTab->addWidget(standardPage);

    layout->addWidget(m_infoTab);
    m_totalTimeText = new QLabel(pane);
    m_totalTimeText->setObjectName(QStringLiteral("totalTime"));
    layout->addWidget(m_totalTimeText);
    return pane;
}

QWidget* PlaylistWindowView::makePreviewPane() {
    auto* pane = new QWidget(m_window.get());
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);

    // The preview's movie view goes into this container.
    m_previewMovieView = new ClickableMovieView(pane);
    m_previewMovieView->setObjectName(QStringLiteral("previewMovieView"));
    m_previewMovieView->setMinimumSize(320, 180);
    m_previewMovieView->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    QPalette palette = m_previewMovieView->palette();
    palette.setColor(QPalette::Window, Qt::black);
    m_previewMovieView->setPalette(palette);
    m_previewMovieView->setAutoFillBackground(true);
    layout->addWidget(m_previewMovieView, 1);

    auto* transport = new QHBoxLayout();
    auto* playButton = new QToolButton(pane);
    playButton->setObjectName(QStringLiteral("playButton"));
    playButton->setIcon(pane->style()->standardIcon(QStyle::SP_MediaPlay));
    playButton->setToolTip(QStringLiteral("Play"));
    playButton->setCheckable(true);
    m_playButton = playButton;
    auto* stopButton = new QToolButton(pane);
    stopButton->setObjectName(QStringLiteral("stopButton"));
    stopButton->setIcon(pane->style()->standardIcon(QStyle::SP_MediaStop));
    stopButton->setToolTip(QStringLiteral("Stop"));
    connect(stopButton, &QToolButton::clicked, &m_controller, [this] { m_controller.stop(); });
    m_scrubSlider = new QSlider(Qt::Horizontal, pane);
    m_scrubSlider->setObjectName(QStringLiteral("scrubSlider"));
    m_scrubSlider->setRange(0, 1000); // the position as a fraction of the clip, in thousandths
    m_timeDisplay = new QLabel(pane);
    m_timeDisplay->setObjectName(QStringLiteral("timeDisplay"));
    m_timeDisplay->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    transport->addWidget(m_playButton);
    transport->addWidget(stopButton);
    transport->addWidget(m_scrubSlider, 1);
    transport->addWidget(m_timeDisplay);
    layout->addLayout(transport);
    return pane;
}

void PlaylistWindowView::refreshInformationPane() {
    const OrvantaDocument* playlist = document();
    if (!playlist)
        return;
    const QUrl folder = playlist->dynamicSourceFolder();
    m_sourceFolderText->setText(folder.isEmpty() ? QStringLiteral("—")
                                                 : QDir::toNativeSeparators(folder.toLocalFile()));
    m_subdirectoriesText->setText(playlist->includeSubdirectories() ? QStringLiteral("included")
                                                                    : QStringLiteral("not included"));
}

void PlaylistWindowView::refreshTotalTime() {
    const QList<ClipRecordPtr>& clips = m_clips.arrangedObjects();
    // Missing clips have no duration: the total is that of the clips that can play.
    m_totalTimeText->setText(ComputePlaylistDuration::totalTimeText(clips));
    const auto missing = std::count_if(clips.begin(), clips.end(),
                                       [](const ClipRecordPtr& clip) { return clip && clip->isMissing(); });
    QString count =
        clips.size() == 1 ? QStringLiteral("1 clip") : QStringLiteral("%1 clips").arg(clips.size());
    if (missing > 0)
        count += QStringLiteral(", %1 missing").arg(missing);
    m_clipCountText->setText(count);
}
