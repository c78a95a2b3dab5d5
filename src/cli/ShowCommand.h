#pragma once

#include "cli/ToolContext.h"

#include <QStringList>

class OrvantaDocument;

// "show [--json] FILE": opens a playlist as the application opens it (bookmarks resolved, every movie
// opened, missing items collected; a dynamic playlist's clips rebuilt from its folder) and prints it, as
// text for people or as JSON for scripts.
class ShowCommand {
public:
    static const QString Name; // "show"
    static QString help();
    static ExitStatus run(const QStringList& arguments, ToolContext& context);

    // The JSON form: type, isDynamicPlaylist, settings (in the file's order, numbers in their kind),
    // selectedDisplay, clips, missingItems (sorted), dynamicSourceFolder, includeSubdirectories and
    // totalTime.
    static QByteArray jsonText(const OrvantaDocument& document);
    static QString plainText(const OrvantaDocument& document, const QString& path);
};
