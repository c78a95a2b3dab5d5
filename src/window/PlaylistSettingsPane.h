#pragma once

#include <QString>
#include <QWidget>

class OrvantaDocument;
class OrvantaWindowController;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QSlider;
class QSpinBox;
class QStackedWidget;
class QTabBar;
class TypedNumber;

// The playlist window's settings: a selector over two pages, playback (autoplay, looping, closing the
// others, closing when finished, speed, volume, muting) and output (the output mode, the display chooser,
// the custom frame). The check boxes write their settings into the playlist; speed, volume, the output
// mode, the display chooser and the custom frame go through the window controller's operations, which
// act on the playback and the output window as well. refresh() shows the playlist's settings without
// anything being written back. Main thread only.
class PlaylistSettingsPane : public QWidget {
    Q_OBJECT
public:
    PlaylistSettingsPane(OrvantaWindowController& controller, QWidget* parent);

    // Shows the setting of the key in its control, every setting for an empty key.
    void refresh(const QString& key);
    void showPage(int tag);

    QComboBox* selectDisplayPopUp() const { return m_selectDisplayPopUp; }
    QButtonGroup* fullscreenModeSelector() const { return m_fullscreenModeSelector; }
    QTabBar* settingsSelector() const { return m_settingsSelector; }
    QStackedWidget* settingsTab() const { return m_settingsTab; }

private:
    QWidget* makePlaybackSettingsPage();
    QWidget* makeOutputSettingsPage();
    OrvantaDocument* document() const;
    void writeSetting(const QString& key, const TypedNumber& value);

    OrvantaWindowController& m_controller;
    QComboBox* m_selectDisplayPopUp = nullptr;
    QButtonGroup* m_fullscreenModeSelector = nullptr;
    QTabBar* m_settingsSelector = nullptr;
    QStackedWidget* m_settingsTab = nullptr;
    QCheckBox* m_autoplayBox = nullptr;
    QCheckBox* m_closeOthersBox = nullptr;
    QCheckBox* m_closeWhenFinishedBox = nullptr;
    QCheckBox* m_loopBox = nullptr;
    QCheckBox* m_muteBox = nullptr;
    QSlider* m_speedSlider = nullptr;
    QLabel* m_speedText = nullptr;
    QSlider* m_volumeSlider = nullptr;
    QSpinBox* m_customFrameX = nullptr;
    QSpinBox* m_customFrameY = nullptr;
    QSpinBox* m_customFrameWidth = nullptr;
    QSpinBox* m_customFrameHeight = nullptr;
    QWidget* m_customFrameFields = nullptr;
};
