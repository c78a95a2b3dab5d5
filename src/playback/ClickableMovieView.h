#pragma once

#include "playback/MovieViewInput.h"

#include <QWidget>
#include <functional>
#include <memory>

class Movie;

// A movie view that turns keys and clicks into transport commands (MovieViewInput decides which):
// space toggles by the shown movie's own rate, return plays, escape stops, a click of the primary
// button pauses, a double click plays. A Control-click goes to the view's own handling. Without a
// movie, keys and clicks are dropped, except that an output view is taken away by Escape or a click.
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
    // An output view stops playback on Escape or a click also when it shows no movie, so that an
    // empty output window never stays up without a way out.
    void setDismissesWithoutMovie(bool dismisses) { m_dismissesWithoutMovie = dismisses; }

signals:
    void playRequested();
    void pauseRequested();
    void stopRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void click(QMouseEvent* event, const MovieViewInput::Press& press);
    MovieViewInput::Shown shown() const;
    // Emits the command's signal; false when the event is to go to the widget's own handling.
    bool perform(MovieViewInput::Command command);

    std::function<std::shared_ptr<Movie>()> m_movieSource;
    QWidget* m_videoView = nullptr;
    bool m_dismissesWithoutMovie = false;
    ulong m_lastDoubleClick = 0; // time stamp of the last double click of the primary button
};
