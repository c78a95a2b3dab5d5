#pragma once

#include "cli/ToolContext.h"

#include <QStringList>

// "export [--format m3u|xspf] [--force] -o FILE PLAYLIST": writes the playlist's clips, in order, as an
// M3U (UTF-8, extended) or XSPF list for other players. A dynamic playlist's clips are its folder's, as
// Orvanta opens it.
class ExportCommand {
public:
    static const QString Name; // "export"
    static QString help();
    static ExitStatus run(const QStringList& arguments, ToolContext& context);
};
