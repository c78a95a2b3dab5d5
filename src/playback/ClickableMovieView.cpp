#include "playback/ClickableMovieView.h"

#include "platform/media/Movie.h"

#include <QKeyEvent>
#include <QMouseEvent>
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
    const std::shared_ptr<Movie> shown = movie();
    if (!shown) {
        event->accept(); // dropped, not handed on
        return;
    }
    const QString characters = event->text();
    if (characters == QStringLiteral(" ")) {
        if (shown->rate() == 0.0f)
            emit playRequested();
        else
            emit pauseRequested();
    } else if (characters == QStringLiteral("\r")) {
        emit playRequested();
    } else if (characters == QStringLiteral("\x1b")) {
        emit stopRequested();
    } else {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void ClickableMovieView::mousePressEvent(QMouseEvent* event) {
    click(event, 1);
}

void ClickableMovieView::mouseDoubleClickEvent(QMouseEvent* event) {
    click(event, 2);
}

void ClickableMovieView::click(QMouseEvent* event, int clickCount) {
    if (!movie()) {
        event->accept();
        return;
    }
    if (event->modifiers().testFlag(Qt::ControlModifier)) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    if (clickCount == 2)
        emit playRequested();
    else if (clickCount == 1)
        emit pauseRequested();
}
