#include "playback/MovieViewInput.h"

namespace MovieViewInput {

Command forPress(const Press& press, const Shown& shown) {
    if (press.button != Qt::LeftButton || press.followsDoubleClick)
        return Command::None;
    if (!shown.hasMovie)
        return shown.dismissesEmpty ? Command::Stop : Command::None;
    if (press.controlHeld)
        return Command::PassOn;
    return press.clickCount == 2 ? Command::Play : Command::Pause;
}

Command forKey(const QString& text, const Shown& shown) {
    const bool escape = text == QStringLiteral("\x1b");
    if (!shown.hasMovie)
        return escape && shown.dismissesEmpty ? Command::Stop : Command::None;
    if (text == QStringLiteral(" "))
        return shown.playing ? Command::Pause : Command::Play;
    if (text == QStringLiteral("\r"))
        return Command::Play;
    if (escape)
        return Command::Stop;
    return Command::PassOn;
}

} // namespace MovieViewInput
