#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

class QLabel;
class QPropertyAnimation;
class QScreen;
class QWidget;

// Briefly shows a display's number and size in the middle of that display: a frameless window that
// appears without taking the keyboard, sounds the beep, and fades out linearly over two seconds, hiding
// itself at the end. Identifying again while it fades places it anew and starts a fresh fade.
// Main thread only; the controller owns its window.
class DisplayIdentifierWindowController : public QObject {
    Q_OBJECT
public:
    static std::unique_ptr<DisplayIdentifierWindowController> displayIdentifierWindowController();
    ~DisplayIdentifierWindowController() override;

    // The window, made on first use.
    QWidget* window();
    // Centres the window on the screen (none: around the origin) with the number and the screen's size.
    void identifyScreen(QScreen* screen, qint32 number);

    QLabel* displayNumberText() const { return m_displayNumberText; }
    QLabel* displaySizeText() const { return m_displaySizeText; }
    QPropertyAnimation* fadeAnimation() const { return m_fade; }

    static constexpr int FadeDuration = 2000; // ms

private:
    DisplayIdentifierWindowController() = default;
    void loadWindow();

    std::unique_ptr<QWidget> m_window;
    QLabel* m_displayNumberText = nullptr;
    QLabel* m_displaySizeText = nullptr;
    QPropertyAnimation* m_fade = nullptr;
};
