#include "cli/SetCommand.h"

#include "cli/SettingAssignment.h"
#include "document/OrvantaDocument.h"
#include "document/PlaylistFileFormat.h"
#include "document/SelectedDisplay.h"
#include "platform/archive/KeyedArchiveDictionary.h"
#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"
#include "platform/documents/SafeFile.h"

#include <QFileInfo>

const QString SetCommand::Name = QStringLiteral("set");

namespace {

const QString kSettings = QStringLiteral("settings");
const QString kSelectedDisplay = QStringLiteral("selectedDisplay");

// Names the display to play on, or with no name the main display. The frame stored with the same name
// stays: it is what finds the display again where its name has changed.
void assignDisplay(KeyedArchiveDictionary& root, const QString& name) {
    if (name.isEmpty()) {
        root.remove(kSelectedDisplay);
        return;
    }
    const auto held = SelectedDisplay::fromArchiveValue(root.value(kSelectedDisplay));
    if (!held || held->name != name)
        root.insert(kSelectedDisplay, SelectedDisplay{name, QRectF()}.toArchiveValue());
}

} // namespace

QString SetCommand::help() {
    return QStringLiteral("Usage: orvanta-playlist set FILE KEY=VALUE...\n"
                          "\n"
                          "Changes settings of the playlist FILE and keeps everything else as it is: the\n"
                          "other settings, keys Orvanta does not know, and the clips with their bookmarks,\n"
                          "even those whose files cannot be reached right now. The file is replaced\n"
                          "atomically and keeps its owner and permissions; when the disk is full, or\n"
                          "another program changes the file meanwhile, nothing is written and the\n"
                          "command fails.\n"
                          "\n"
                          "Options:\n"
                          "  -h, --help  Show this help.\n"
                          "\n"
                          "Settings (booleans take true, false, 1 or 0; floats a decimal number; integers a\n"
                          "whole number within 32 bits; selectedDisplay a screen name such as HDMI-1, or\n"
                          "nothing for the main display):\n") +
           SettingAssignment::settingsTable();
}

std::optional<QByteArray> SetCommand::assignSettings(const QByteArray& data,
                                                     const QList<SettingAssignment>& assignments,
                                                     QString* error) {
    // The reader's own checks decide what is a playlist; movies are not opened for that.
    OrvantaDocument check;
    if (!PlaylistFileFormat::read(data, check, error, {.openMovies = false}))
        return std::nullopt;
    const KeyedUnarchiveResult decoded = KeyedUnarchiver::unarchiveObjectWithData(data);
    if (!decoded.ok()) {
        if (error)
            *error = decoded.error;
        return std::nullopt;
    }

    KeyedArchiveDictionary root = decoded.value.toDictionary();
    KeyedArchiveDictionary settings;
    if (root.contains(kSettings)) {
        settings = root.value(kSettings).toDictionary();
    } else {
        // The player reads a file without settings as holding the defaults; keep that picture.
        for (const auto& [key, value] : PlaylistSettings::defaultEntries())
            settings.insert(key, KeyedArchiveValue::number(value));
    }
    for (const SettingAssignment& assignment : assignments) {
        if (assignment.isSelectedDisplay())
            assignDisplay(root, assignment.displayName());
        else
            settings.insert(assignment.key(), KeyedArchiveValue::number(assignment.value()));
    }
    root.insert(kSettings, KeyedArchiveValue::dictionary(std::move(settings)));

    KeyedArchiveEncoding encoded =
        KeyedArchiver::archivedDataWithRootObject(KeyedArchiveValue::dictionary(std::move(root)));
    if (!encoded.ok()) {
        if (error)
            *error = encoded.error;
        return std::nullopt;
    }
    return std::move(encoded.data);
}

ExitStatus SetCommand::run(const QStringList& arguments, ToolContext& context) {
    QCommandLineParser parser;
    if (const auto status = context.parseArguments(parser, Name, arguments, help()))
        return *status;
    QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return context.usageError(Name, QStringLiteral("a playlist file is required."));
    if (positional.size() == 1)
        return context.usageError(Name, QStringLiteral("give at least one KEY=VALUE to set."));
    const QString path = QFileInfo(positional.takeFirst()).absoluteFilePath();
    QString reason;
    const auto assignments = SettingAssignment::parseAll(positional, &reason);
    if (!assignments)
        return context.usageError(Name, reason);

    const QString name = QFileInfo(path).fileName();
    const SafeFile::ReadResult file = SafeFile::read(path);
    if (!file)
        return context.failure(
            QStringLiteral("The file “%1” could not be opened: %2.").arg(name, file.error));

    const auto changed = assignSettings(*file.data, *assignments, &reason);
    if (!changed)
        return context.failure(QStringLiteral("The file “%1” could not be opened. %2").arg(name, reason));

    // Only over the version that was read: another writer's changes are never lost unseen.
    const SafeFile::WriteResult saved = SafeFile::write(path, *changed, file.identity);
    if (saved.changedByAnotherWriter)
        return context.failure(QStringLiteral("The playlist “%1” was changed by another program while the "
                                              "settings were being set; nothing was written. Try again.")
                                   .arg(name));
    if (!saved)
        return context.failure(
            QStringLiteral("The playlist “%1” could not be saved: %2.").arg(name, saved.error));
    return ExitStatus::Success;
}
