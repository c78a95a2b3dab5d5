#include "playback/ClickableMovieView.h"

#include "platform/media/Movie.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleHints>
#include <QVBoxLayout>

ClickableMovieView::ClickableMovieView(QWidget* parent)
    : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

std::shared_ptr<Movie> ClickableMovieView::movie() const {
    return m_movieSource ? m_movieSource() : nullptr;
}

void ClickableMovieView::setVideoView(QWidget* view) {
    delete m_videoView;
    m_videoView = view;
    if (!view)
        return;
    view->setParent(this);
    view->setFocusPolicy(Qt::NoFocus);
    layout()->addWidget(view);
}

void ClickableMovieView::keyPressEvent(QKeyEvent* event) {
    if (!perform(MovieViewInput::forKey(event->text(), shown())))
        QWidget::keyPressEvent(event);
}

void ClickableMovieView::mousePressEvent(QMouseEvent* event) {
    // The third press of a triple click comes as a plain press within the double-click interval.
    const bool third = m_lastDoubleClick != 0 && event->button() == Qt::LeftButton &&
                       event->timestamp() - m_lastDoubleClick <=
                           ulong(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    m_lastDoubleClick = 0;
    click(event, {event->button(), 1, event->modifiers().testFlag(Qt::ControlModifier), third});
}

void ClickableMovieView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        m_lastDoubleClick = event->timestamp();
    click(event, {event->button(), 2, event->modifiers().testFlag(Qt::ControlModifier), false});
}

void ClickableMovieView::click(QMouseEvent* event, const MovieViewInput::Press& press) {
    if (!perform(MovieViewInput::forPress(press, shown())))
        QWidget::mousePressEvent(event);
}

MovieViewInput::Shown ClickableMovieView::shown() const {
    const std::shared_ptr<Movie> shownMovie = movie();
    return {bool(shownMovie), shownMovie && shownMovie->rate() != 0.0f, m_dismissesWithoutMovie};
}

bool ClickableMovieView::perform(MovieViewInput::Command command) {
    switch (command) {
    case MovieViewInput::Command::PassOn:
        return false;
    case MovieViewInput::Command::Play:
        emit playRequested();
        break;
    case MovieViewInput::Command::Pause:
        emit pauseRequested();
        break;
    case MovieViewInput::Command::Stop:
        emit stopRequested();
        break;
    case MovieViewInput::Command::None:
        break; // dropped, not handed on
    }
    return true;
}
