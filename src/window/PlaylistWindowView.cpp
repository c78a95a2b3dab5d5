// The playlist window's widgets, and how its controls show and edit the playlist's settings.
#include "window/PlaylistWindowView.h"

#include "document/ComputePlaylistDuration.h"
#include "document/OrvantaDocument.h"
#include "platform/TypedNumber.h"
#include "platform/ValueTransformerRegistry.h"
#include "playback/ClickableMovieView.h"
#include "window/ClipPosterDelegate.h"
#include "window/ClipTableModel.h"
#include "window/ClipsController.h"
#include "window/ClipsTableView.h"
#include "window/OrvantaWindowController.h"
#include "window/PlaylistWindow.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

bool transformedFlag(const QString& transformerName, qint32 value) {
    const auto transformer = ValueTransformerRegistry::valueTransformerForName(transformerName);
    return transformer && transformer->transformedValue(value).toBool();
}

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
    playerLayout->addWidget(makeSettingsPane());

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
                                        [this](const QString& key) { refreshSettingsControls(key); }));
        m_connections.push_back(connect(playlist, &OrvantaDocument::dynamicSourceChanged, this,
                                        [this] { refreshInformationPane(); }));
    }
    m_connections.push_back(
        connect(&m_clips, &ClipsController::arrangedObjectsChanged, this, [this] { refreshTotalTime(); }));
    refreshSettingsControls(QString());
    refreshInformationPane();
    refreshTotalTime();
}

void PlaylistWindowView::detach() {
    for (const QMetaObject::Connection& connection : m_connections)
        disconnect(connection);
    m_connections.clear();
}

void PlaylistWindowView::showSettingsPane(int tag) {
    m_settingsSelector->setCurrentIndex(tag);
    m_settingsTab->setCurrentIndex(tag);
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
    m_window->statusBar()->addPermanentWidget(m_importProgressText);
    m_window->statusBar()->addPermanentWidget(m_importSpinner);
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

QWidget* PlaylistWindowView::makeSettingsPane() {
    auto* pane = new QWidget(m_window.get());
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 6, 0, 0);
    m_settingsSelector = new QTabBar(pane);
    m_settingsSelector->setObjectName(QStringLiteral("settingsSelector"));
    m_settingsSelector->setExpanding(false);
    m_settingsSelector->setDrawBase(false);
    m_settingsSelector->addTab(QStringLiteral("Playback"));
    m_settingsSelector->addTab(QStringLiteral("Output"));
    m_settingsTab = new QStackedWidget(pane);
    m_settingsTab->setObjectName(QStringLiteral("settingsTab"));
    m_settingsTab->addWidget(makePlaybackSettingsPage());
    m_settingsTab->addWidget(makeOutputSettingsPage());
    connect(m_settingsSelector, &QTabBar::currentChanged, &m_controller,
            [this](int index) { m_controller.switchSettingsPane(index); });
    auto* selectorRow = new QHBoxLayout();
    selectorRow->addStretch();
    selectorRow->addWidget(m_settingsSelector);
    selectorRow->addStretch();
    layout->addLayout(selectorRow);
    auto* frame = new QGroupBox(pane);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(m_settingsTab);
    layout->addWidget(frame);
    return pane;
}

QWidget* PlaylistWindowView::makePlaybackSettingsPage() {
    auto* page = new QWidget();
    auto* layout = new QGridLayout(page);
    auto flag = [&](QCheckBox*& box, const QString& key, const QString& text, int row, int column,
                    bool asInteger = false) {
        box = new QCheckBox(text, page);
        box->setObjectName(key);
        connect(box, &QCheckBox::toggled, this, [this, key, asInteger](bool on) {
            writeSetting(key, asInteger ? TypedNumber::integer(on ? 1 : 0) : TypedNumber::boolean(on));
        });
        layout->addWidget(box, row, column);
    };
    flag(m_autoplayBox, QStringLiteral("autoplay"), QStringLiteral("Play when opened"), 0, 0);
    flag(m_loopBox, QStringLiteral("looping"), QStringLiteral("Loop"), 0, 1, true);
    flag(m_closeOthersBox, QStringLiteral("closeOthersAtStartup"),
         QStringLiteral("Close other playlists when opened"), 1, 0);
    flag(m_closeWhenFinishedBox, QStringLiteral("closeWhenFinished"), QStringLiteral("Close when finished"),
         1, 1);

    layout->addWidget(new QLabel(QStringLiteral("Speed:"), page), 2, 0);
    auto* speedRow = new QHBoxLayout();
    m_speedSlider = new QSlider(Qt::Horizontal, page);
    m_speedSlider->setObjectName(QStringLiteral("speed"));
    m_speedSlider->setRange(25, 400); // hundredths
    m_speedText = new QLabel(page);
    m_speedText->setMinimumWidth(48);
    auto* resetSpeed = new QPushButton(QStringLiteral("Reset"), page);
    resetSpeed->setObjectName(QStringLiteral("resetSpeed"));
    connect(m_speedSlider, &QSlider::valueChanged, &m_controller,
            [this](int value) { m_controller.setSpeed(float(value) / 100.0f); });
    connect(resetSpeed, &QPushButton::clicked, &m_controller, &OrvantaWindowController::resetSpeed);
    speedRow->addWidget(m_speedSlider, 1);
    speedRow->addWidget(m_speedText);
    speedRow->addWidget(resetSpeed);
    layout->addLayout(speedRow, 2, 1);

    layout->addWidget(new QLabel(QStringLiteral("Volume:"), page), 3, 0);
    auto* volumeRow = new QHBoxLayout();
    m_volumeSlider = new QSlider(Qt::Horizontal, page);
    m_volumeSlider->setObjectName(QStringLiteral("volume"));
    m_volumeSlider->setRange(0, 100); // hundredths
    connect(m_volumeSlider, &QSlider::valueChanged, &m_controller,
            [this](int value) { m_controller.setVolume(float(value) / 100.0f); });
    m_muteBox = new QCheckBox(QStringLiteral("Mute"), page);
    m_muteBox->setObjectName(QStringLiteral("muted"));
    connect(m_muteBox, &QCheckBox::toggled, this,
            [this](bool on) { writeSetting(QStringLiteral("muted"), TypedNumber::boolean(on)); });
    volumeRow->addWidget(m_volumeSlider, 1);
    volumeRow->addWidget(m_muteBox);
    layout->addLayout(volumeRow, 3, 1);
    layout->setRowStretch(4, 1);
    return page;
}

QWidget* PlaylistWindowView::makeOutputSettingsPage() {
    auto* page = new QWidget();
    auto* layout = new QGridLayout(page);
    m_fullscreenModeSelector = new QButtonGroup(page);
    m_fullscreenModeSelector->setObjectName(QStringLiteral("fullscreenModeSelector"));
    const QStringList modes{QStringLiteral("Preview in this window"), QStringLiteral("Selected display"),
                            QStringLiteral("All displays"), QStringLiteral("Custom frame")};
    for (int mode = 0; mode < modes.size(); ++mode) {
        auto* button = new QRadioButton(modes[mode], page);
        button->setObjectName(QStringLiteral("fullScreenType%1").arg(mode));
        m_fullscreenModeSelector->addButton(button, mode);
        layout->addWidget(button, mode, 0);
    }
    connect(m_fullscreenModeSelector, &QButtonGroup::idClicked, &m_controller, [this](int mode) {
        writeSetting(QStringLiteral("fullScreenType"), TypedNumber::integer(mode));
        m_controller.handleFullscreenSelection();
    });
    m_selectDisplayPopUp = new QComboBox(page);
    m_selectDisplayPopUp->setObjectName(QStringLiteral("selectDisplayPopUp"));
    // The list is the output controller's. Each time it is made anew (a reset of the model) the popup
    // chooses its first item, the main display.
    m_selectDisplayPopUp->setModel(m_controller.output()->displayChooser());
    // The user's choice only; rebuilding the list fires nothing.
    connect(m_selectDisplayPopUp, &QComboBox::activated, &m_controller,
            &OrvantaWindowController::handleDisplaySelection);
    layout->addWidget(m_selectDisplayPopUp, 1, 1);

    m_customFrameFields = new QWidget(page);
    m_customFrameFields->setObjectName(QStringLiteral("customFrameFields"));
    auto* fields = new QHBoxLayout(m_customFrameFields);
    fields->setContentsMargins(0, 0, 0, 0);
    auto field = [&](QSpinBox*& box, const QString& key, const QString& label) {
        box = new QSpinBox(m_customFrameFields);
        box->setObjectName(key);
        box->setRange(-100000, 100000);
        box->setAccelerated(true);
        connect(box, &QSpinBox::valueChanged, &m_controller, [this, key](int value) {
            writeSetting(key, TypedNumber::integer(value));
            m_controller.handleCustomFrame();
        });
        fields->addWidget(new QLabel(label, m_customFrameFields));
        fields->addWidget(box);
    };
    field(m_customFrameX, QStringLiteral("customFrameX"), QStringLiteral("X"));
    field(m_customFrameY, QStringLiteral("customFrameY"), QStringLiteral("Y"));
    field(m_customFrameWidth, QStringLiteral("customFrameWidth"), QStringLiteral("W"));
    field(m_customFrameHeight, QStringLiteral("customFrameHeight"), QStringLiteral("H"));
    layout->addWidget(m_customFrameFields, 3, 1);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(4, 1);
    return page;
}

void PlaylistWindowView::writeSetting(const QString& key, const TypedNumber& value) {
    if (OrvantaDocument* playlist = document())
        playlist->settings()->setValue(key, value);
}

void PlaylistWindowView::refreshSettingsControls(const QString& key) {
    if (!document())
        return;
    const PlaylistSettings* settings = document()->settings();
    const bool all = key.isEmpty();
    auto showFlag = [&](QCheckBox* box, const QString& name, bool value) {
        if (all || key == name) {
            const QSignalBlocker quiet(box);
            box->setChecked(value);
        }
    };
    showFlag(m_autoplayBox, QStringLiteral("autoplay"), settings->autoplay());
    showFlag(m_closeOthersBox, QStringLiteral("closeOthersAtStartup"), settings->closeOthersAtStartup());
    showFlag(m_closeWhenFinishedBox, QStringLiteral("closeWhenFinished"), settings->closeWhenFinished());
    showFlag(m_loopBox, QStringLiteral("looping"), settings->looping() != 0);
    showFlag(m_muteBox, QStringLiteral("muted"), settings->muted());
    if (all || key == QLatin1String("speed")) {
        const QSignalBlocker quiet(m_speedSlider);
        m_speedSlider->setValue(qRound(settings->speed() * 100.0f));
        m_speedText->setText(QStringLiteral("%1×").arg(double(settings->speed()), 0, 'f', 2));
    }
    if (all || key == QLatin1String("volume")) {
        const QSignalBlocker quiet(m_volumeSlider);
        m_volumeSlider->setValue(qRound(settings->volume() * 100.0f));
    }
    if (all || key == QLatin1String("fullScreenType")) {
        const qint32 mode = settings->fullScreenType();
        if (QAbstractButton* button = m_fullscreenModeSelector->button(mode)) {
            button->setChecked(true);
        } else {
            // A mode the control does not know: show none of the four.
            m_fullscreenModeSelector->setExclusive(false);
            for (QAbstractButton* b : m_fullscreenModeSelector->buttons())
                b->setChecked(false);
            m_fullscreenModeSelector->setExclusive(true);
        }
        m_selectDisplayPopUp->setEnabled(transformedFlag(QStringLiteral("isSelectedDisplay"), mode));
        m_customFrameFields->setEnabled(transformedFlag(QStringLiteral("isCustomFrame"), mode));
    }
    const std::pair<QSpinBox*, qint32> frame[] = {{m_customFrameX, settings->customFrameX()},
                                                  {m_customFrameY, settings->customFrameY()},
                                                  {m_customFrameWidth, settings->customFrameWidth()},
                                                  {m_customFrameHeight, settings->customFrameHeight()}};
    for (const auto& [box, value] : frame) {
        if (all || key == box->objectName()) {
            const QSignalBlocker quiet(box);
            box->setValue(value);
        }
    }
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
