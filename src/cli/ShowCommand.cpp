#include "cli/ShowCommand.h"

#include "cli/JsonWriter.h"
#include "document/ClipImporter.h"
#include "document/ComputePlaylistDuration.h"
#include "document/OrvantaDocument.h"
#include "platform/media/TimeDisplay.h"

#include <QFileInfo>
#include <algorithm>

const QString ShowCommand::Name = QStringLiteral("show");

namespace {

QString durationText(const ClipRecord& clip) {
    const auto time = MovieTime::fromString(clip.qttimeDuration);
    return time ? makeTimeDisplayFromQTTime(*time) : QString();
}

QString displayedLocation(const QUrl& url) {
    return url.isLocalFile() ? url.toLocalFile() : url.toString();
}

QStringList sortedMissingItems(const OrvantaDocument& document) {
    QStringList items(document.missingItems().begin(), document.missingItems().end());
    std::sort(items.begin(), items.end());
    return items;
}

// The window rebuilds a dynamic playlist's clips from its folder each time it opens; so does the tool.
void rebuildDynamicClips(OrvantaDocument& document, ToolContext& context) {
    const QUrl folder = document.dynamicSourceFolder();
    if (folder.isEmpty() || !QFileInfo(folder.toLocalFile()).isDir()) {
        context.warning(QStringLiteral("the source folder “%1” is not there; the playlist has no clips.")
                            .arg(displayedLocation(folder)));
        return;
    }
    ClipImporter importer({document.includeSubdirectories(), false, 0});
    const ClipImporter::Result result = importer.run({folder});
    context.reportImportProblems(result.DRMClips, result.fileErrorOnImport);
    document.setClips(result.importedClips);
}

} // namespace

QString ShowCommand::help() {
    return QStringLiteral(
        "Usage: orvanta-playlist show [--json] FILE\n"
        "\n"
        "Opens the playlist FILE as Orvanta opens it and prints it: its kind, its settings, the display it\n"
        "plays on, one line per clip with its duration, the files found missing and the total time. The\n"
        "clips of a dynamic playlist are rebuilt from its source folder. A clip whose movie is missing or\n"
        "does not open is shown as missing, with the reason, and adds nothing to the total time.\n"
        "\n"
        "Options:\n"
        "  --json      Print a JSON object instead: type, isDynamicPlaylist, settings (in the file's\n"
        "              order; floats always with a decimal point), selectedDisplay (null for the main\n"
        "              display, else name and frame), clips (url, name, qttimeDuration,\n"
        "              duration, bookmark, secureBookmark; a missing clip adds missing: true and\n"
        "              missingReason), missingItems, dynamicSourceFolder, includeSubdirectories\n"
        "              and totalTime.\n"
        "  -h, --help  Show this help.\n");
}

ExitStatus ShowCommand::run(const QStringList& arguments, ToolContext& context) {
    QCommandLineParser parser;
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON."));
    parser.addOption(json);
    if (const auto status = context.parseArguments(parser, Name, arguments, help()))
        return *status;
    const QStringList files = parser.positionalArguments();
    if (files.size() != 1)
        return context.usageError(Name, files.isEmpty() ? QStringLiteral("a playlist file is required.")
                                                        : QStringLiteral("show takes one playlist file."));

    const QString path = QFileInfo(files.first()).absoluteFilePath();
    OrvantaDocument document;
    DocumentError error;
    if (!document.readFromURL(QUrl::fromLocalFile(path), QString(), &error))
        return context.failure(error.localizedDescription);
    if (document.isDynamicPlaylist())
        rebuildDynamicClips(document, context);

    if (parser.isSet(json))
        context.out() << QString::fromUtf8(jsonText(document));
    else
        context.out() << plainText(document, path);
    context.out().flush();
    return ExitStatus::Success;
}

QByteArray ShowCommand::jsonText(const OrvantaDocument& document) {
    JsonWriter w;
    w.beginObject();
    w.key(QStringLiteral("type"));
    w.writeString(document.isDynamicPlaylist() ? OrvantaDocument::DynamicPlaylistType
                                               : OrvantaDocument::StandardPlaylistType);
    w.key(QStringLiteral("isDynamicPlaylist"));
    w.writeBool(document.isDynamicPlaylist());

    w.key(QStringLiteral("settings"));
    w.beginObject();
    for (const auto& [key, value] : document.settings()->entries()) {
        w.key(key);
        w.writeNumber(value);
    }
    w.endObject();

    w.key(QStringLiteral("selectedDisplay"));
    if (const auto& display = document.selectedDisplay()) {
        w.beginObject();
        w.key(QStringLiteral("name"));
        w.writeString(display->name);
        w.key(QStringLiteral("frame"));
        if (display->frame.isEmpty())
            w.writeNull();
        else
            w.writeString(SelectedDisplay::frameText(display->frame));
        w.endObject();
    } else {
        w.writeNull();
    }

    w.key(QStringLiteral("clips"));
    w.beginArray();
    for (const ClipRecordPtr& clip : document.clips()) {
        w.beginObject();
        w.key(QStringLiteral("url"));
        w.writeString(clip->URL.toString(QUrl::FullyEncoded));
        w.key(QStringLiteral("name"));
        w.writeString(clip->name);
        w.key(QStringLiteral("qttimeDuration"));
        w.writeString(clip->qttimeDuration);
        w.key(QStringLiteral("duration"));
        w.writeString(durationText(*clip));
        w.key(QStringLiteral("bookmark"));
        w.writeBool(clip->bookmark.has_value());
        w.key(QStringLiteral("secureBookmark"));
        w.writeBool(clip->secureBookmark.has_value());
        if (clip->isMissing()) {
            w.key(QStringLiteral("missing"));
            w.writeBool(true);
            w.key(QStringLiteral("missingReason"));
            w.writeString(clip->missing->reason);
        }
        w.endObject();
    }
    w.endArray();

    w.key(QStringLiteral("missingItems"));
    w.beginArray();
    for (const QString& item : sortedMissingItems(document))
        w.writeString(item);
    w.endArray();

    w.key(QStringLiteral("dynamicSourceFolder"));
    if (document.isDynamicPlaylist() && !document.dynamicSourceFolder().isEmpty())
        w.writeString(document.dynamicSourceFolder().toString(QUrl::FullyEncoded));
    else
        w.writeNull();
    w.key(QStringLiteral("includeSubdirectories"));
    w.writeBool(document.includeSubdirectories());
    w.key(QStringLiteral("totalTime"));
    w.writeString(ComputePlaylistDuration::totalTimeText(document.clips()));
    w.endObject();
    return w.text();
}

QString ShowCommand::plainText(const OrvantaDocument& document, const QString& path) {
    QString text;
    text += QStringLiteral("Playlist:  %1\n").arg(path);
    if (document.isDynamicPlaylist()) {
        text += QStringLiteral("Kind:      dynamic\n");
        text += QStringLiteral("Folder:    %1 (subdirectories %2)\n")
                    .arg(displayedLocation(document.dynamicSourceFolder()),
                         document.includeSubdirectories() ? QStringLiteral("included")
                                                          : QStringLiteral("not included"));
    } else {
        text += QStringLiteral("Kind:      standard\n");
    }

    text += QStringLiteral("Settings:\n");
    for (const auto& [key, value] : document.settings()->entries())
        text += QStringLiteral("  %1 %2\n").arg(key, -22).arg(JsonWriter::numberText(value));

    const auto& display = document.selectedDisplay();
    text += QStringLiteral("Display:   %1\n")
                .arg(!display ? QStringLiteral("main display")
                     : display->frame.isEmpty()
                         ? display->name
                         : QStringLiteral("%1 (last seen at %2)")
                               .arg(display->name, SelectedDisplay::frameText(display->frame)));

    const QList<ClipRecordPtr>& clips = document.clips();
    const auto missingClips = std::count_if(clips.begin(), clips.end(),
                                            [](const ClipRecordPtr& clip) { return clip->isMissing(); });
    text += missingClips == 0
                ? QStringLiteral("Clips:     %1\n").arg(clips.size())
                : QStringLiteral("Clips:     %1 (%2 missing)\n").arg(clips.size()).arg(missingClips);
    const int width = int(QString::number(clips.size()).size());
    for (qsizetype i = 0; i < clips.size(); ++i) {
        const ClipRecord& clip = *clips[i];
        // A missing clip says so where the duration stands, and why after its location.
        const QString duration =
            clip.isMissing() ? QStringLiteral("MISSING").leftJustified(12) : durationText(clip);
        text += QStringLiteral("  %1  %2  %3  %4")
                    .arg(i + 1, width)
                    .arg(duration, clip.name, displayedLocation(clip.URL));
        if (clip.isMissing())
            text += QStringLiteral("  (%1)").arg(clip.missing->reason);
        text += u'\n';
    }

    const QStringList missing = sortedMissingItems(document);
    if (missing.isEmpty()) {
        text += QStringLiteral("Missing:   none\n");
    } else {
        text += QStringLiteral("Missing:   %1\n").arg(missing.size());
        for (const QString& item : missing)
            text += QStringLiteral("  %1\n").arg(item);
    }
    text += ComputePlaylistDuration::totalTimeText(clips) + u'\n';
    return text;
}
