#pragma once

#include "cli/ToolContext.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <optional>

class SettingAssignment;

// "set FILE KEY=VALUE...": changes settings of an existing playlist and keeps everything else.
//
// Opening a playlist the way the player does drops the clips whose movies do not open and makes fresh
// bookmarks, so saving that document would lose clips whose disk is not mounted right now. This command
// therefore edits the file's archive tree itself: only the `settings` dictionary (a value set in place
// keeps its key's position, a key the file lacks is added at the end) and the `selectedDisplay` entry
// change, and every other entry,
// unknown keys and clip references with their bookmarks included, is written back as it was read.
class SetCommand {
public:
    static const QString Name; // "set"
    static QString help();
    static ExitStatus run(const QStringList& arguments, ToolContext& context);

    // The playlist data with the settings assigned; nothing, with the reader's reason, for data that
    // are not a playlist.
    static std::optional<QByteArray>
    assignSettings(const QByteArray& data, const QList<SettingAssignment>& assignments, QString* error);
};
