#pragma once

#include <QString>
#include <Qt>

// What a key or a mouse press on a movie view asks of the transport. Pure: the view supplies what it
// knows of the press and of what it shows.
namespace MovieViewInput {

enum class Command { None, Play, Pause, Stop, PassOn };

struct Press {
    Qt::MouseButton button = Qt::LeftButton;
    int clickCount = 1;              // 1 for a press, 2 for the second press of a double click
    bool controlHeld = false;        // a Control-click is the view's own (a context menu)
    bool followsDoubleClick = false; // the third press of a triple click
};

struct Shown {
    bool hasMovie = false;
    bool playing = false;        // the shown movie's rate is not zero
    bool dismissesEmpty = false; // an output view: without a movie, Escape and a click take it away
};

// A click pauses, a double click plays; only the primary button counts, and the third press of a
// triple click does nothing. Without a movie, an output view is taken away by a click.
Command forPress(const Press& press, const Shown& shown);

// Space plays or pauses by the shown movie's rate, Return plays, Escape stops; other keys go on.
// Without a movie, an output view is taken away by Escape and every other key is dropped.
Command forKey(const QString& text, const Shown& shown);

} // namespace MovieViewInput
