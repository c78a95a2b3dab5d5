// The playlist window's settings pane: its controls, what each writes, and how they show the settings.
#include "window/PlaylistSettingsPane.h"

#include "document/OrvantaDocument.h"
#include "platform/TypedNumber.h"
#include "platform/ValueTransformerRegistry.h"
#include "playback/OutputController.h"
#include "window/OrvantaWindowController.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

namespace {

bool transformedFlag(const QString& transformerName, qint32 value) {
    const auto transformer = ValueTransformerRegistry::valueTransformerForName(transformerName);
    return transformer && transformer->transformedValue(value).toBool();
}

} // namespace

PlaylistSettingsPane::PlaylistSettingsPane(OrvantaWindowController& controller, QWidget* parent)
    : QWidget(parent)
    , m_controller(controller) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 6, 0, 0);
    m_settingsSelector = new QTabBar(this);
    m_settingsSelector->setObjectName(QStringLiteral("settingsSelector"));
    m_settingsSelector->setExpanding(false);
    m_settingsSelector->setDrawBase(false);
    m_settingsSelector->addTab(QStringLiteral("Playback"));
    m_settingsSelector->addTab(QStringLiteral("Output"));
    m_settingsTab = new QStackedWidget(this);
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
    auto* frame = new QGroupBox(this);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(m_settingsTab);
    layout->addWidget(frame);
}

void PlaylistSettingsPane::showPage(int tag) {
    m_settingsSelector->setCurrentIndex(tag);
    m_settingsTab->setCurrentIndex(tag);
}

OrvantaDocument* PlaylistSettingsPane::document() const {
    return m_controller.datasource();
}

QWidget* PlaylistSettingsPane::makePlaybackSettingsPage() {
    auto* page = new QWidget();
    auto* layout = new QGridLayout(page);
    // The boxes show the titles that undo texts name.
    auto flag = [&](QCheckBox*& box, const QString& key, int row, int column, bool asInteger = false) {
        box = new QCheckBox(PlaylistSettings::titleOfKey(key), page);
        box->setObjectName(key);
        connect(box, &QCheckBox::toggled, this, [this, key, asInteger](bool on) {
            // Looping, the one integer flag, goes through the controller, which remote control uses too.
            if (asInteger)
                m_controller.setLooping(on);
            else
                writeSetting(key, TypedNumber::boolean(on));
        });
        layout->addWidget(box, row, column);
    };
    flag(m_autoplayBox, QStringLiteral("autoplay"), 0, 0);
    flag(m_loopBox, QStringLiteral("looping"), 0, 1, true);
    flag(m_closeOthersBox, QStringLiteral("closeOthersAtStartup"), 1, 0);
    flag(m_closeWhenFinishedBox, QStringLiteral("closeWhenFinished"), 1, 1);

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
    m_muteBox = new QCheckBox(PlaylistSettings::titleOfKey(QStringLiteral("muted")), page);
    m_muteBox->setObjectName(QStringLiteral("muted"));
    connect(m_muteBox, &QCheckBox::toggled, this,
            [this](bool on) { writeSetting(QStringLiteral("muted"), TypedNumber::boolean(on)); });
    volumeRow->addWidget(m_volumeSlider, 1);
    volumeRow->addWidget(m_muteBox);
    layout->addLayout(volumeRow, 3, 1);
    layout->setRowStretch(4, 1);
    // A drag of a slider is one undoable change.
    for (QSlider* slider : {m_speedSlider, m_volumeSlider}) {
        connect(slider, &QSlider::sliderPressed, this, [this] {
            if (OrvantaDocument* playlist = document())
                playlist->beginSettingsGesture();
        });
        connect(slider, &QSlider::sliderReleased, this, [this] {
            if (OrvantaDocument* playlist = document())
                playlist->endSettingsGesture();
        });
    }
    return page;
}

QWidget* PlaylistSettingsPane::makeOutputSettingsPage() {
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
        // A number typed in is taken when confirmed (Return, leaving the field): one change and one undo
        // step, not one per digit, and the output window does not visit the frames on the way.
        box->setKeyboardTracking(false);
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

void PlaylistSettingsPane::writeSetting(const QString& key, const TypedNumber& value) {
    if (OrvantaDocument* playlist = document())
        playlist->settings()->setValue(key, value);
}

void PlaylistSettingsPane::refresh(const QString& key) {
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
