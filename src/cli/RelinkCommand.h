#pragma once

#include "cli/ToolContext.h"

#include <QStringList>

// "relink PLAYLIST FOLDER": finds the movies of the playlist's missing clips in FOLDER (searched with its
// subfolders; by file name, the closest relative path winning) and points those clips at them, keeping
// their rows and names; prints what was relinked and what is still missing. The playlist is written only
// when something was relinked, and only over the version that was read.
class RelinkCommand {
public:
    static const QString Name; // "relink"
    static QString help();
    static ExitStatus run(const QStringList& arguments, ToolContext& context);
};
