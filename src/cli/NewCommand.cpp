#include "cli/NewCommand.h"

#include "cli/SettingAssignment.h"
#include "document/ClipImporter.h"
#include "document/OrvantaDocument.h"
#include "document/PlaylistExchange.h"

#include <QDir>
#include <QFileInfo>

const QString NewCommand::Name = QStringLiteral("new");

namespace {

QString absolutePath(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// The files a list names that are there; what is not is reported. Nothing when the list does not read.
std::optional<QList<QUrl>> readList(const QString& path, ToolContext& context) {
    const ExchangeReadResult list = PlaylistExchange::readList(path);
    if (!list) {
        context.failure(list.error);
        return std::nullopt;
    }
    for (const QString& entry : list.notLocal)
        context.warning(QStringLiteral("“%1” is not a local file; it was left out.").arg(entry));
    const PlaylistExchange::Split split = PlaylistExchange::splitByPresence(list.entries);
    if (!split.missing.isEmpty()) {
        context.err() << ToolContext::ProgramName << ": these files of " << QFileInfo(path).fileName()
                      << " cannot be found and were left out:\n";
        for (const QString& missing : split.missing)
            context.err() << "  " << missing << '\n';
        context.err().flush();
    }
    return split.present;
}

} // namespace

QString NewCommand::help() {
    return QStringLiteral(
               "Usage: orvanta-playlist new [--dynamic FOLDER] [--no-subdirectories] [--set KEY=VALUE]...\n"
               "                            [--from LIST]... [--force] -o FILE [PATH]...\n"
               "\n"
               "Makes a playlist with the default settings and writes it to FILE.\n"
               "\n"
               "Without --dynamic it is a standard playlist of the movies among the PATHs, in the order\n"
               "given; each folder adds its movies in file-manager order, searching its subfolders where\n"
               "they stand. Files that are not movies or do not open are left out; protected (DRM) movies\n"
               "are refused and listed on standard error. With no PATH the playlist is empty.\n"
               "\n"
               "With --dynamic it is a dynamic playlist bound to FOLDER: Orvanta rebuilds its clips from\n"
               "the folder each time it opens it. No PATH may be given.\n"
               "\n"
               "Options:\n"
               "  -o, --output FILE    The playlist file to write (required).\n"
               "  --dynamic FOLDER     Make a dynamic playlist of FOLDER.\n"
               "  --no-subdirectories  Do not search subfolders (of the PATHs, or of FOLDER).\n"
               "  --set KEY=VALUE      Change a setting; may be repeated.\n"
               "  --from LIST          Add the entries of an M3U, M3U8 or XSPF list first (relative paths\n"
               "                       are the list's; files not there are listed on standard error);\n"
               "                       may be repeated.\n"
               "  --force              Replace FILE if it exists.\n"
               "  -h, --help           Show this help.\n"
               "\n"
               "Settings (booleans take true, false, 1 or 0; floats a decimal number; integers a whole\n"
               "number within 32 bits):\n") +
           SettingAssignment::settingsTable();
}

ExitStatus NewCommand::run(const QStringList& arguments, ToolContext& context) {
    QCommandLineParser parser;
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The playlist file to write."), QStringLiteral("FILE"));
    const QCommandLineOption dynamic(QStringLiteral("dynamic"), QStringLiteral("Make a dynamic playlist."),
                                     QStringLiteral("FOLDER"));
    const QCommandLineOption noSubdirectories(QStringLiteral("no-subdirectories"),
                                              QStringLiteral("Do not search subfolders."));
    const QCommandLineOption set(QStringLiteral("set"), QStringLiteral("Change a setting."),
                                 QStringLiteral("KEY=VALUE"));
    const QCommandLineOption force(QStringLiteral("force"), QStringLiteral("Replace FILE if it exists."));
    const QCommandLineOption from(QStringLiteral("from"), QStringLiteral("Add a list's entries."),
                                  QStringLiteral("LIST"));
    parser.addOptions({output, dynamic, noSubdirectories, set, force, from});
    if (const auto status = context.parseArguments(parser, Name, arguments, help()))
        return *status;

    const QStringList outputs = parser.values(output);
    if (outputs.size() != 1 || outputs.first().isEmpty())
        return context.usageError(Name, outputs.isEmpty()
                                            ? QStringLiteral("an output file is required (-o FILE).")
                                            : QStringLiteral("give one output file."));
    const QStringList folders = parser.values(dynamic);
    if (folders.size() > 1)
        return context.usageError(Name, QStringLiteral("give one folder to --dynamic."));
    const bool isDynamic = !folders.isEmpty();
    const QStringList paths = parser.positionalArguments();
    if (isDynamic && (!paths.isEmpty() || parser.isSet(from)))
        return context.usageError(Name, QStringLiteral("files and folders cannot be given with --dynamic."));
    QString reason;
    const auto assignments = SettingAssignment::parseAll(parser.values(set), &reason);
    if (!assignments)
        return context.usageError(Name, reason);

    const QString file = absolutePath(outputs.first());
    if (QFileInfo::exists(file) && !parser.isSet(force))
        return context.failure(QStringLiteral("“%1” already exists; give --force to replace it.").arg(file));

    OrvantaDocument document;
    document.settings()->setDefaults();
    for (const SettingAssignment& assignment : *assignments) {
        if (assignment.isSelectedDisplay())
            document.setSelectedDisplay(assignment.displayName().isEmpty()
                                            ? std::nullopt
                                            : std::optional(SelectedDisplay{assignment.displayName(), {}}));
        else
            document.settings()->setValue(assignment.key(), assignment.value());
    }
    const bool descend = !parser.isSet(noSubdirectories);

    if (isDynamic) {
        const QString folder = absolutePath(folders.first());
        const QFileInfo info(folder);
        if (!info.exists())
            return context.failure(QStringLiteral("the folder “%1” does not exist.").arg(folder));
        if (!info.isDir())
            return context.failure(QStringLiteral("“%1” is not a folder.").arg(folder));
        document.setIsDynamicPlaylist(true);
        document.setDynamicSourceFolder(QUrl::fromLocalFile(folder));
        document.setIncludeSubdirectories(descend);
    } else {
        QList<QUrl> urls;
        for (const QString& list : parser.values(from)) {
            const auto read = readList(absolutePath(list), context);
            if (!read)
                return ExitStatus::Failure;
            urls.append(*read);
        }
        for (const QString& path : paths) {
            const QString absolute = absolutePath(path);
            if (!QFileInfo::exists(absolute))
                return context.failure(QStringLiteral("“%1” does not exist.").arg(absolute));
            urls.append(QUrl::fromLocalFile(absolute));
        }
        ClipImporter importer({descend, false, 0});
        const ClipImporter::Result result = importer.run(urls);
        context.reportImportProblems(result.DRMClips, result.fileErrorOnImport);
        document.setClips(result.importedClips);
    }

    const QString type =
        isDynamic ? OrvantaDocument::DynamicPlaylistType : OrvantaDocument::StandardPlaylistType;
    DocumentError error;
    if (!document.saveToURL(QUrl::fromLocalFile(file), type, Document::SaveOperation::SaveTo, &error))
        return context.failure(error.localizedDescription);
    if (isDynamic)
        context.out() << "Made dynamic playlist " << file << ".\n";
    else
        context.out() << "Made standard playlist " << file << " with " << document.clips().size()
                      << (document.clips().size() == 1 ? " clip.\n" : " clips.\n");
    context.out().flush();
    return ExitStatus::Success;
}
