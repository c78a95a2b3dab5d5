#include "cli/RelinkCommand.h"

#include "document/ClipRelinker.h"
#include "document/OrvantaDocument.h"

#include <QFileInfo>

const QString RelinkCommand::Name = QStringLiteral("relink");

QString RelinkCommand::help() {
    return QStringLiteral(
        "Usage: orvanta-playlist relink PLAYLIST FOLDER\n"
        "\n"
        "Finds the movies of the playlist's missing clips in FOLDER and its subfolders, by file name,\n"
        "and points those clips at them, keeping their place and name. When a name is found more than\n"
        "once, the file whose path shares the most trailing folders with the clip's old path wins, then\n"
        "the shortest path. Prints each clip relinked and each one still missing. The playlist is\n"
        "written only when a clip was relinked.\n"
        "\n"
        "Options:\n"
        "  -h, --help  Show this help.\n");
}

ExitStatus RelinkCommand::run(const QStringList& arguments, ToolContext& context) {
    QCommandLineParser parser;
    if (const auto status = context.parseArguments(parser, Name, arguments, help()))
        return *status;
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 2)
        return context.usageError(Name, QStringLiteral("give a playlist file and a folder."));
    const QString path = QFileInfo(positional[0]).absoluteFilePath();
    const QString folder = QFileInfo(positional[1]).absoluteFilePath();
    if (!QFileInfo(folder).isDir())
        return context.failure(QStringLiteral("“%1” is not a folder.").arg(folder));

    OrvantaDocument document;
    DocumentError error;
    const QUrl url = QUrl::fromLocalFile(path);
    if (!document.readFromURL(url, QString(), &error))
        return context.failure(error.localizedDescription);
    if (document.isDynamicPlaylist())
        return context.failure(
            QStringLiteral("“%1” is a dynamic playlist: its clips are those of its folder; "
                           "give it another folder with Choose Source Folder.")
                .arg(QFileInfo(path).fileName()));

    const ClipRelinker::Result result = ClipRelinker::relink(document.clips(), folder, false);
    if (result.folderNotListed)
        context.warning(
            QStringLiteral("one or more folders could not be listed; check their access permissions."));
    for (qsizetype i = 0; i < result.relinked.size(); ++i)
        context.out() << "Relinked " << result.relinkedFrom[i] << " -> "
                      << result.relinked[i].second->URL.toLocalFile() << '\n';
    for (const QString& missing : result.stillMissing)
        context.out() << "Still missing " << missing << '\n';
    if (result.relinked.isEmpty() && result.stillMissing.isEmpty())
        context.out() << "No clip is missing.\n";
    context.out().flush();
    if (result.relinked.isEmpty())
        return ExitStatus::Success;

    document.replaceClipsAtRows(result.relinked);
    if (!document.saveToURL(url, OrvantaDocument::StandardPlaylistType, Document::SaveOperation::Save,
                            &error))
        return context.failure(error.localizedDescription);
    return ExitStatus::Success;
}
