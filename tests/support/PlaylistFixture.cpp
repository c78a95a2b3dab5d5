#include "support/PlaylistFixture.h"

#include "document/ClipImporter.h"
#include "document/OrvantaDocument.h"
#include "support/TestMedia.h"

#include <QDir>
#include <QFileInfo>

namespace {

QUrl save(OrvantaDocument& document, const QString& path, const SettingsSetup& settings) {
    if (settings)
        settings(*document.settings());
    DocumentError error;
    const QUrl where = QUrl::fromLocalFile(path);
    const QString type = document.isDynamicPlaylist() ? OrvantaDocument::DynamicPlaylistType
                                                      : OrvantaDocument::StandardPlaylistType;
    return document.saveToURL(where, type, Document::SaveOperation::SaveAs, &error) ? where : QUrl();
}

} // namespace

QUrl writeTestPlaylist(const QString& folder, const QString& name, const QStringList& clips,
                       const SettingsSetup& settings) {
    const QDir dir(folder);
    QList<QUrl> urls;
    for (int i = 0; i < clips.size(); ++i) {
        const QString path = copyTestMedia(
            clips[i],
            dir.filePath(QStringLiteral("%1-c%2.%3").arg(name).arg(i).arg(QFileInfo(clips[i]).suffix())));
        if (path.isEmpty())
            return {};
        urls.append(QUrl::fromLocalFile(path));
    }
    auto document = OrvantaDocument::initWithType(OrvantaDocument::StandardPlaylistType, nullptr);
    document->setClips(ClipImporter({false, false, 1}).run(urls).importedClips);
    return save(*document, dir.filePath(name + QStringLiteral(".orvplaylist")), settings);
}

QUrl writeDynamicTestPlaylist(const QString& file, const QString& sourceFolder, bool includeSubdirectories,
                              const SettingsSetup& settings) {
    auto document = OrvantaDocument::initWithType(OrvantaDocument::StandardPlaylistType, nullptr);
    document->setIsDynamicPlaylist(true);
    document->setDynamicSourceFolder(QUrl::fromLocalFile(sourceFolder));
    document->setIncludeSubdirectories(includeSubdirectories);
    return save(*document, file, settings);
}

QStringList clipNames(const QList<ClipRecordPtr>& clips) {
    QStringList names;
    for (const ClipRecordPtr& clip : clips)
        names.append(clip->name);
    return names;
}
