#pragma once

#include <QWidget>
#include <functional>
#include <memory>

class Movie;

// A movie view that turns keys and clicks into transport commands: space toggles by the shown movie's
// own rate, return plays, escape stops, a click pauses, a double click plays. A Control-click goes to
// the view's own handling. Without a movie every key and click is dropped.
//
// The picture itself comes from a video view placed inside (setVideoView); it takes no focus and leaves
// mouse presses to this view. The commands are signals, connected by the window controller.
class ClickableMovieView : public QWidget {
    Q_OBJECT
public:
    explicit ClickableMovieView(QWidget* parent = nullptr);

    // The movie the view shows, or none.
    void setMovieSource(std::function<std::shared_ptr<Movie>()> source) { m_movieSource = std::move(source); }
    std::shared_ptr<Movie> movie() const;
    void setVideoView(QWidget* view);
    QWidget* videoView() const { return m_videoView; }

signals:
    void playRequested();
    void pauseRequested();
    void stopRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void click(QMouseEvent* event, int clickCount);

    std::function<std::shared_ptr<Movie>()> m_movieSource;
    QWidget* m_videoView = nullptr;
};
