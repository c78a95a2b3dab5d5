#include "playback/DisplayIdentifierWindowController.h"

#include "platform/Presenter.h"
#include "playback/OutputFrames.h"

#include <QEasingCurve>
#include <QLabel>
#include <QPropertyAnimation>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>

std::unique_ptr<DisplayIdentifierWindowController>
DisplayIdentifierWindowController::displayIdentifierWindowController() {
    return std::unique_ptr<DisplayIdentifierWindowController>(new DisplayIdentifierWindowController());
}

DisplayIdentifierWindowController::~DisplayIdentifierWindowController() {
    // The animation belongs to the window; stop it before both go.
    if (m_fade)
        m_fade->stop();
}

QWidget* DisplayIdentifierWindowController::window() {
    if (!m_window)
        loadWindow();
    return m_window.get();
}

void DisplayIdentifierWindowController::loadWindow() {
    m_window =
        std::make_unique<QWidget>(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                                               Qt::WindowDoesNotAcceptFocus);
    m_window->setObjectName(QStringLiteral("DisplayIdentifierWindow"));
    m_window->setAttribute(Qt::WA_ShowWithoutActivating);
    m_window->setFixedSize(400, 240);
    QPalette palette = m_window->palette();
    palette.setColor(QPalette::Window, QColor(32, 32, 32));
    palette.setColor(QPalette::WindowText, Qt::white);
    m_window->setPalette(palette);
    m_window->setAutoFillBackground(true);

    auto* layout = new QVBoxLayout(m_window.get());
    m_displayNumberText = new QLabel(m_window.get());
    m_displayNumberText->setObjectName(QStringLiteral("displayNumberText"));
    m_displayNumberText->setAlignment(Qt::AlignCenter);
    QFont numberFont = m_displayNumberText->font();
    numberFont.setPointSize(72);
    numberFont.setBold(true);
    m_displayNumberText->setFont(numberFont);
    m_displaySizeText = new QLabel(m_window.get());
    m_displaySizeText->setObjectName(QStringLiteral("displaySizeText"));
    m_displaySizeText->setAlignment(Qt::AlignCenter);
    QFont sizeFont = m_displaySizeText->font();
    sizeFont.setPointSize(18);
    m_displaySizeText->setFont(sizeFont);
    layout->addWidget(m_displayNumberText, 1);
    layout->addWidget(m_displaySizeText);

    m_fade = new QPropertyAnimation(m_window.get(), "windowOpacity", m_window.get());
    m_fade->setDuration(FadeDuration);
    m_fade->setEasingCurve(QEasingCurve::Linear);
    m_fade->setStartValue(1.0);
    m_fade->setEndValue(0.0);
    connect(m_fade, &QPropertyAnimation::finished, m_window.get(), &QWidget::hide);
}

void DisplayIdentifierWindowController::identifyScreen(QScreen* screen, qint32 number) {
    QWidget* w = window();
    // Centred on the display, in single precision.
    const QRectF display = screen ? QRectF(screen->geometry()) : QRectF();
    const QPointF origin = OutputFrames::centredOrigin(QSizeF(w->frameGeometry().size()), display);
    m_displayNumberText->setText(QString::number(number));
    m_displaySizeText->setText(QStringLiteral("%1 by %2")
                                   .arg(static_cast<int>(float(display.width())))
                                   .arg(static_cast<int>(float(display.height()))));
    // A fade still running ends here; the window shows in full again.
    m_fade->stop();
    w->setWindowOpacity(1.0);
    if (screen)
        w->setScreen(screen);
    w->move(qRound(origin.x()), qRound(origin.y()));
    w->show();
    w->raise();
    Presenter::shared().beep();
    m_fade->start();
}
