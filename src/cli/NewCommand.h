#pragma once

#include "cli/ToolContext.h"

#include <QStringList>

// "new [--dynamic FOLDER] [--no-subdirectories] [--set KEY=VALUE]... [--force] -o FILE [PATH]...":
// makes a playlist with the default settings (changed by --set). A standard playlist holds the movies
// of the given files and folders, imported as the add command imports them; a dynamic one is bound to
// FOLDER. The file is written atomically and never replaces an existing one without --force.
class NewCommand {
public:
    static const QString Name; // "new"
    static QString help();
    static ExitStatus run(const QStringList& arguments, ToolContext& context);
};
