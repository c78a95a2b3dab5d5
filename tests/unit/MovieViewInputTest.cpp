#include "playback/MovieViewInput.h"

#include <gtest/gtest.h>

using MovieViewInput::Command;

// Only the primary button pauses or plays, keys follow the shown movie, and Escape or a click takes an
// empty output window away.
TEST(MovieViewInputTest, PressesAndKeysFollowTheShownMovieAndTakeAnEmptyOutputAway) {
    const MovieViewInput::Shown paused{true, false, true}, playing{true, true, false},
        empty{false, false, false}, emptyOutput{false, false, true};
    const struct {
        MovieViewInput::Press press;
        MovieViewInput::Shown shown;
        Command expected;
    } presses[] = {
        {{Qt::LeftButton, 1, false, false}, playing, Command::Pause},
        {{Qt::LeftButton, 2, false, false}, playing, Command::Play},
        {{Qt::LeftButton, 1, false, true}, playing, Command::None}, // the third press of a triple click
        {{Qt::RightButton, 1, false, false}, playing, Command::None},
        {{Qt::MiddleButton, 2, false, false}, playing, Command::None},
        {{Qt::LeftButton, 1, true, false}, playing, Command::PassOn}, // Control-click: the view's own
        {{Qt::LeftButton, 1, false, false}, empty, Command::None},
        {{Qt::LeftButton, 2, false, false}, emptyOutput, Command::Stop},
        {{Qt::RightButton, 1, false, false}, emptyOutput, Command::None},
    };
    for (const auto& c : presses)
        EXPECT_EQ(MovieViewInput::forPress(c.press, c.shown), c.expected)
            << "button " << c.press.button << " count " << c.press.clickCount << " movie "
            << c.shown.hasMovie;
    const struct {
        const char* text;
        MovieViewInput::Shown shown;
        Command expected;
    } keys[] = {
        {" ", paused, Command::Play},      {" ", playing, Command::Pause},
        {"\r", playing, Command::Play},    {"\x1b", paused, Command::Stop},
        {"a", playing, Command::PassOn},   {"\x1b", empty, Command::None},
        {" ", emptyOutput, Command::None}, {"\x1b", emptyOutput, Command::Stop},
    };
    for (const auto& c : keys)
        EXPECT_EQ(MovieViewInput::forKey(QString::fromLatin1(c.text), c.shown), c.expected) << int(c.text[0]);
}
