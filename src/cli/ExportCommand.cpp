#include "cli/ExportCommand.h"

#include "document/ClipImporter.h"
#include "document/OrvantaDocument.h"
#include "document/PlaylistExchange.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

const QString ExportCommand::Name = QStringLiteral("export");

QString ExportCommand::help() {
    return QStringLiteral(
        "Usage: orvanta-playlist export [--format m3u|xspf] [--force] -o FILE PLAYLIST\n"
        "\n"
        "Writes the clips of PLAYLIST, in order, as a playlist for other players.\n"
        "\n"
        "m3u: UTF-8 text, #EXTM3U, then per clip #EXTINF:<seconds>,<name> and its path, relative to\n"
        "FILE when the movie is in FILE's folder or below it, absolute otherwise.\n"
        "xspf: XSPF 1 with a file:// URI (percent-encoded), the name and the duration in milliseconds\n"
        "of each clip.\n"
        "A missing clip is written with the location the playlist holds for it. The clips of a dynamic\n"
        "playlist are those of its folder now.\n"
        "\n"
        "Options:\n"
        "  -o, --output FILE   The list to write (required).\n"
        "  --format FORMAT     m3u (also m3u8) or xspf; by default FILE's extension decides.\n"
        "  --force             Replace FILE if it exists.\n"
        "  -h, --help          Show this help.\n");
}

ExitStatus ExportCommand::run(const QStringList& arguments, ToolContext& context) {
    QCommandLineParser parser;
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The list to write."), QStringLiteral("FILE"));
    const QCommandLineOption formatOption(QStringLiteral("format"), QStringLiteral("m3u or xspf."),
                                          QStringLiteral("FORMAT"));
    const QCommandLineOption force(QStringLiteral("force"), QStringLiteral("Replace FILE if it exists."));
    parser.addOptions({output, formatOption, force});
    if (const auto status = context.parseArguments(parser, Name, arguments, help()))
        return *status;
    const QStringList playlists = parser.positionalArguments();
    if (playlists.size() != 1)
        return context.usageError(Name, QStringLiteral("give one playlist file."));
    const QStringList outputs = parser.values(output);
    if (outputs.size() != 1 || outputs.first().isEmpty())
        return context.usageError(Name, QStringLiteral("one output file is required (-o FILE)."));
    const QString file = QDir::cleanPath(QFileInfo(outputs.first()).absoluteFilePath());
    const std::optional<PlaylistExchange::Format> format =
        parser.isSet(formatOption) ? PlaylistExchange::formatNamed(parser.value(formatOption).toLower())
                                   : PlaylistExchange::formatForPath(file);
    if (!format)
        return context.usageError(Name, parser.isSet(formatOption)
                                            ? QStringLiteral("the format is m3u or xspf.")
                                            : QStringLiteral("give --format m3u or xspf (FILE's extension "
                                                             "is neither .m3u, .m3u8 nor .xspf)."));
    if (QFileInfo::exists(file) && !parser.isSet(force))
        return context.failure(QStringLiteral("“%1” already exists; give --force to replace it.").arg(file));

    const QString path = QFileInfo(playlists.first()).absoluteFilePath();
    OrvantaDocument document;
    DocumentError error;
    if (!document.readFromURL(QUrl::fromLocalFile(path), QString(), &error))
        return context.failure(error.localizedDescription);
    if (document.isDynamicPlaylist()) {
        const QUrl folder = document.dynamicSourceFolder();
        if (!folder.isEmpty() && QFileInfo(folder.toLocalFile()).isDir()) {
            ClipImporter importer({document.includeSubdirectories(), false, 0});
            const ClipImporter::Result result = importer.run({folder});
            context.reportImportProblems(result.DRMClips, result.fileErrorOnImport);
            document.setClips(result.importedClips);
        } else {
            context.warning(QStringLiteral("the source folder “%1” is not there; the list is empty.")
                                .arg(folder.toLocalFile()));
        }
    }
    const QList<ClipRecordPtr>& clips = document.clips();
    if (const auto failed =
            PlaylistExchange::writeList(file, *format, clips, QFileInfo(path).completeBaseName()))
        return context.failure(*failed);
    const auto missing = std::count_if(clips.begin(), clips.end(),
                                       [](const ClipRecordPtr& clip) { return clip && clip->isMissing(); });
    if (missing > 0)
        context.warning(QStringLiteral("%1 of the clips are missing; they are listed where the playlist last "
                                       "had them.")
                            .arg(missing));
    context.out() << "Exported " << clips.size() << (clips.size() == 1 ? " clip" : " clips") << " to " << file
                  << ".\n";
    context.out().flush();
    return ExitStatus::Success;
}
