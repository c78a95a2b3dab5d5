#include "support/PlaylistFixture.h"

#include "document/ClipImporter.h"
#include "document/OrvantaDocument.h"
#include "support/TestMedia.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QUrl writeTestPlaylist(const QString& folder, const QString& name, const QStringList& clips,
                       const std::function<void(PlaylistSettings&)>& settings) {
    const QDir dir(folder);
    QList<QUrl> urls;
    for (int i = 0; i < clips.size(); ++i) {
        const QString path =
            dir.filePath(QStringLiteral("%1-c%2.%3").arg(name).arg(i).arg(QFileInfo(clips[i]).suffix()));
        if (!QFile::copy(testMediaPath(clips[i]), path))
            return {};
        urls.append(QUrl::fromLocalFile(path));
    }
    auto document = OrvantaDocument::initWithType(OrvantaDocument::StandardPlaylistType, nullptr);
    ClipImporter importer({false, false, 1});
    document->setClips(importer.run(urls).importedClips);
    if (settings)
        settings(*document->settings());
    DocumentError error;
    const QUrl where = QUrl::fromLocalFile(dir.filePath(name + QStringLiteral(".orvplaylist")));
    if (!document->saveToURL(where, OrvantaDocument::StandardPlaylistType, Document::SaveOperation::SaveAs,
                             &error))
        return {};
    return where;
}
