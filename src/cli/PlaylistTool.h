#pragma once

#include "cli/ToolContext.h"

#include <QStringList>

// The command line of orvanta-playlist: picks the command, answers --help, help COMMAND and --version.
class PlaylistTool {
public:
    // arguments: everything after the program's name.
    static ExitStatus run(const QStringList& arguments, ToolContext& context);
    static QString overview();
};
