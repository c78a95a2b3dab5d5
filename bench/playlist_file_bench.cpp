// Saving and reading a standard playlist of 10,000 clips through the playlist file format, with real
// bookmarks of real (empty) files: what Save and Open cost before any movie is opened. Then the file
// itself: replacing it safely (written, flushed to the disk, renamed), and a save that finds the same
// bytes already there.
#include "document/OrvantaDocument.h"
#include "document/PlaylistFileFormat.h"
#include "platform/bookmarks/Bookmark.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

struct Fixture {
    QTemporaryDir dir;
    OrvantaDocument document;
    QByteArray data;

    explicit Fixture(int count) {
        document.settings()->setDefaults();
        QList<ClipRecordPtr> clips;
        for (int i = 0; i < count; ++i) {
            const QString folder = dir.filePath(QStringLiteral("Show %1").arg(i / 100));
            QDir().mkpath(folder);
            const QString path = QStringLiteral("%1/clip %2.mp4").arg(folder).arg(i);
            QFile(path).open(QIODevice::WriteOnly);
            auto clip = std::make_shared<ClipRecord>();
            clip->URL = QUrl::fromLocalFile(path);
            clip->name = QStringLiteral("clip %1.mp4").arg(i);
            clip->bookmark = bookmarkData(clip->URL, false);
            clip->secureBookmark = bookmarkData(clip->URL, true);
            clips.append(clip);
        }
        document.setClips(clips);
        QString error;
        data = *PlaylistFileFormat::write(document, &error);
    }
};

Fixture& fixture() {
    static Fixture f(10000);
    return f;
}

void writePlaylist(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) {
        QString error;
        auto data = PlaylistFileFormat::write(f.document, &error);
        benchmark::DoNotOptimize(data->constData());
    }
    state.counters["bytes"] = double(f.data.size());
}
BENCHMARK(writePlaylist)->Unit(benchmark::kMillisecond)->UseRealTime();

void readPlaylist(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) {
        OrvantaDocument document;
        QString error;
        PlaylistFileFormat::ReadOptions options;
        options.openMovies = false;
        if (!PlaylistFileFormat::read(f.data, document, &error, options) || document.clips().size() != 10000)
            state.SkipWithError("the playlist did not read back");
    }
}
BENCHMARK(readPlaylist)->Unit(benchmark::kMillisecond)->UseRealTime();

void replacePlaylistFile(benchmark::State& state) {
    Fixture& f = fixture();
    const QUrl file = QUrl::fromLocalFile(f.dir.filePath(QStringLiteral("replaced.orvplaylist")));
    for (auto _ : state) {
        DocumentError error;
        if (!f.document.saveToURL(file, OrvantaDocument::StandardPlaylistType,
                                  Document::SaveOperation::SaveTo, &error))
            state.SkipWithError("the playlist was not written");
    }
}
BENCHMARK(replacePlaylistFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void saveUnchangedPlaylist(benchmark::State& state) {
    Fixture& f = fixture();
    const QUrl file = QUrl::fromLocalFile(f.dir.filePath(QStringLiteral("unchanged.orvplaylist")));
    DocumentError error;
    f.document.saveToURL(file, OrvantaDocument::StandardPlaylistType, Document::SaveOperation::SaveAs,
                         &error);
    for (auto _ : state) {
        f.document.updateChangeCount(Document::ChangeKind::Done);
        if (!f.document.save(&error) || f.document.isDocumentEdited())
            state.SkipWithError("the playlist was not saved");
    }
}
BENCHMARK(saveUnchangedPlaylist)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
