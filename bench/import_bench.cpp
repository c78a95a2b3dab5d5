// Import of 1,000 small clips in nested folders through the playlist window, as the add command runs
// it: wall time until the rows are in (walk, probing, the frame-at-one-second check, bookmarks, placing
// the clips), then until every poster is decoded, and how long the window went without painting
// meanwhile. Targets on two cores: rows in under 1.5 s, posters within another 2 s, and no gap between
// paints over 100 ms; for 10,000 clips, rows in under 10 s.
//
// Usage: bench_import_bench [CLIPS] [--cancel-after MS]. CLIPS (default 1000, a multiple of 100) are
// spread over 10 folders x 10 subfolders. With --cancel-after, the run's Cancel button is clicked MS
// milliseconds into the run instead: prints how long the run took to end after it and what it left in
// the playlist (nothing, when Cancel works).
//
// Run under a display (xvfb-run) or with QT_QPA_PLATFORM=offscreen. Makes one 1 s 320x240 H.264/AAC clip
// with the ffmpeg command-line tool and copies it into the folders.
#include "app/OrvantaDocumentController.h"
#include "document/OrvantaDocument.h"
#include "platform/HeadlessPresenter.h"
#include "window/OrvantaWindowController.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMainWindow>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <clocale>
#include <cstdio>

namespace {

constexpr int Folders = 10;
constexpr int Subfolders = 10;

// Answers the add panel with the folder, subfolders included.
class FolderPresenter : public HeadlessPresenter {
public:
    explicit FolderPresenter(QUrl folder)
        : m_folder(std::move(folder)) {}
    OpenPanelResult runOpenPanel(const OpenPanelRequest&) override {
        OpenPanelResult result;
        result.accepted = true;
        result.urls = {m_folder};
        result.directoryURL = m_folder;
        result.includeSubdirectories = true;
        return result;
    }

private:
    QUrl m_folder;
};

// Records when anything in the application paints.
class PaintClock : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && m_timer.isValid()) {
            const qint64 now = m_timer.nsecsElapsed();
            if (now - m_last > m_longestGap) {
                m_longestGap = now - m_last;
                m_longestGapEnd = now;
            }
            m_last = now;
            ++m_paints;
        }
        return false;
    }
    void start() {
        m_timer.start();
        m_last = 0;
    }
    void stop() {
        const qint64 now = m_timer.nsecsElapsed();
        if (now - m_last > m_longestGap) {
            m_longestGap = now - m_last;
            m_longestGapEnd = now;
        }
        m_timer.invalidate();
    }
    double longestGapMs() const { return double(m_longestGap) / 1e6; }
    double longestGapEndMs() const { return double(m_longestGapEnd) / 1e6; }
    int paints() const { return m_paints; }

private:
    QElapsedTimer m_timer;
    qint64 m_last = 0;
    qint64 m_longestGap = 0;
    qint64 m_longestGapEnd = 0;
    int m_paints = 0;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    int filesEach = 10;
    int cancelAfterMs = -1;
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    for (int i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--cancel-after") && i + 1 < arguments.size())
            cancelAfterMs = arguments[++i].toInt();
        else if (arguments[i].toInt() >= Folders * Subfolders)
            filesEach = arguments[i].toInt() / (Folders * Subfolders);
        else {
            std::fprintf(stderr, "usage: bench_import_bench [CLIPS] [--cancel-after MS]\n");
            return 2;
        }
    }
    QTemporaryDir dir;
    const QString source = dir.filePath("source.mp4");
    const int made =
        QProcess::execute("ffmpeg", {"-nostdin", "-loglevel", "error",   "-y",
                                     "-f",       "lavfi",     "-i",      "testsrc2=s=320x240:r=25:d=1",
                                     "-f",       "lavfi",     "-i",      "sine=f=440:sample_rate=48000:d=1",
                                     "-c:v",     "libx264",   "-preset", "ultrafast",
                                     "-pix_fmt", "yuv420p",   "-g",      "25",
                                     "-c:a",     "aac",       source});
    if (made != 0) {
        std::fprintf(stderr, "import_bench: ffmpeg could not make the source clip\n");
        return 1;
    }
    const QString root = dir.filePath("show");
    for (int f = 0; f < Folders; ++f) {
        for (int s = 0; s < Subfolders; ++s) {
            const QString folder = QStringLiteral("%1/folder%2/sub%3").arg(root).arg(f).arg(s);
            QDir().mkpath(folder);
            for (int i = 0; i < filesEach; ++i)
                QFile::copy(source, QStringLiteral("%1/clip%2.mp4").arg(folder).arg(i));
        }
    }

    FolderPresenter presenter(QUrl::fromLocalFile(root));
    Presenter::setShared(&presenter);
    double seconds = 0;
    double posterSeconds = 0;
    qsizetype clips = 0;
    double cancelledMs = -1;
    PaintClock clock;
    {
        OrvantaDocumentController controller;
        auto* document = qobject_cast<OrvantaDocument*>(controller.newStandardPlaylistDocument());
        auto* window = dynamic_cast<OrvantaWindowController*>(document->windowControllers().front());
        if (!QTest::qWaitForWindowExposed(window->window()))
            std::fprintf(stderr, "import_bench: the window did not show\n");
        QTest::qWait(200);
        app.installEventFilter(&clock);
        QElapsedTimer wall;
        wall.start();
        clock.start();
        window->addNewClips();
        if (cancelAfterMs >= 0) {
            QTest::qWait(cancelAfterMs);
            QElapsedTimer sinceCancel;
            sinceCancel.start();
            window->importCancelButton()->click();
            if (!QTest::qWaitFor([&] { return !window->isImporting(); }, 120000))
                std::fprintf(stderr, "import_bench: the run did not end after Cancel\n");
            cancelledMs = double(sinceCancel.nsecsElapsed()) / 1e6;
        }
        // The import runs in the background; the window paints while it waits.
        if (!QTest::qWaitFor([&] { return !window->isImporting(); }, 120000))
            std::fprintf(stderr, "import_bench: the import did not end\n");
        seconds = double(wall.nsecsElapsed()) / 1e9;
        const auto postersPending = [&] {
            for (const ClipRecordPtr& clip : document->clips()) {
                if (clip->posterImage.kind == PosterImage::Kind::Pending)
                    return true;
            }
            return false;
        };
        if (!QTest::qWaitFor([&] { return !postersPending(); }, 120000))
            std::fprintf(stderr, "import_bench: the posters did not come\n");
        clock.stop();
        posterSeconds = double(wall.nsecsElapsed()) / 1e9 - seconds;
        app.removeEventFilter(&clock);
        clips = document->clips().size();
        controller.closeAllDocuments();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    Presenter::setShared(nullptr);
    const int expected = Folders * Subfolders * filesEach;
    if (cancelledMs >= 0) {
        std::printf("cancelled %d ms into the run: it ended %.1f ms after Cancel; clips left: %lld\n",
                    cancelAfterMs, cancelledMs, static_cast<long long>(clips));
        std::printf("longest gap between paints: %.1f ms\n", clock.longestGapMs());
        return clips == 0 ? 0 : 1;
    }
    std::printf("clips imported:           %lld of %d\n", static_cast<long long>(clips), expected);
    std::printf("threads:                  %d\n", QThread::idealThreadCount());
    std::printf("wall time:                %.2f s (rows in; target for 1,000: < 1.5 s, 10,000: < 10 s)\n",
                seconds);
    std::printf("posters complete:         %.2f s later (target for 1,000: < 2 s)\n", posterSeconds);
    std::printf("per clip:                 %.2f ms\n",
                seconds * 1000.0 / double(std::max<qsizetype>(clips, 1)));
    std::printf("paints during the run:    %d\n", clock.paints());
    std::printf("longest gap between paints: %.1f ms (target <= 100 ms), ending %.0f ms into the run\n",
                clock.longestGapMs(), clock.longestGapEndMs());
    return clips == expected ? 0 : 1;
}
