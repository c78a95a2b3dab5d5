// Playback latency in the preview of a playlist window: from play to the first frame drawn after it,
// and from the end of one clip to the first frame drawn of the next (looping over two clips).
//
// Run under a display (xvfb-run) or with QT_QPA_PLATFORM=offscreen (software views). Makes two 1 s
// 320x240 H.264 clips with the ffmpeg command-line tool. Prints the median and the worst of each.
#include "app/OrvantaDocumentController.h"
#include "document/ClipImporter.h"
#include "document/OrvantaDocument.h"
#include "platform/HeadlessPresenter.h"
#include "platform/TypedNumber.h"
#include "platform/media/MpvHandle.h"
#include "platform/media/MpvPlayer.h"
#include "platform/ui/MpvGlRenderer.h"
#include "platform/ui/MpvSwRenderer.h"
#include "window/OrvantaWindowController.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <clocale>
#include <cstdio>

namespace {

constexpr int Rounds = 20;

bool makeClip(const QString& path, const QString& colour) {
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i",
                            QStringLiteral("color=c=%1:size=320x240:rate=25:duration=1").arg(colour), "-c:v",
                            "libx264", "-pix_fmt", "yuv420p", path});
    return ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0;
}

// Calls back on every frame either handle of the player draws.
void onFrames(MpvPlayer& player, QObject* context, const std::function<void()>& callback) {
    for (int i = 0; i < MpvPlayer::HandleCount; ++i) {
        QObject* attachment = player.handle(i).renderAttachment();
        if (auto* sw = qobject_cast<MpvSwRenderer*>(attachment))
            QObject::connect(sw, &MpvSwRenderer::frameRendered, context, callback);
        else if (auto* gl = qobject_cast<MpvGlRenderer*>(attachment))
            QObject::connect(gl, &MpvGlRenderer::frameRendered, context, callback);
    }
}

void report(const char* what, std::vector<double> ms) {
    if (ms.empty()) {
        std::printf("%-34s no samples\n", what);
        return;
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-34s median %7.1f ms   worst %7.1f ms   (%zu samples)\n", what, ms[ms.size() / 2],
                ms.back(), ms.size());
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    qputenv("ORVANTA_AUDIO", "null");
    HeadlessPresenter presenter;
    Presenter::setShared(&presenter);

    QTemporaryDir dir;
    const QString a = dir.filePath("a.mp4"), b = dir.filePath("b.mp4");
    if (!makeClip(a, "red") || !makeClip(b, "blue")) {
        std::fprintf(stderr, "transport_bench: needs the ffmpeg program with libx264\n");
        return 1;
    }
    std::vector<double> toFirstFrame, endToNext;
    {
        OrvantaDocumentController controller;
        auto document = OrvantaDocument::initWithType(OrvantaDocument::StandardPlaylistType, nullptr);
        ClipImporter importer({false, false, 1});
        document->setClips(importer.run({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)}).importedClips);
        document->settings()->setValue("looping", TypedNumber::integer(1));
        const QUrl where = QUrl::fromLocalFile(dir.filePath("bench.orvplaylist"));
        DocumentError error;
        document->saveToURL(where, OrvantaDocument::StandardPlaylistType, Document::SaveOperation::SaveAs,
                            &error);
        auto* opened = controller.openDocumentWithContentsOfURL(where, true, &error);
        auto* wc =
            opened ? dynamic_cast<OrvantaWindowController*>(opened->windowControllers().front()) : nullptr;
        if (!wc || !wc->player()) {
            std::fprintf(stderr, "transport_bench: no playlist window with a player\n");
            return 1;
        }
        wc->window()->show();
        MpvPlayer& player = *wc->player();

        QElapsedTimer clock;
        enum class Waiting { Nothing, PlayFrame, NextFrame } waiting = Waiting::Nothing;
        std::shared_ptr<Movie> ended;
        onFrames(player, wc, [&] {
            if (waiting == Waiting::PlayFrame) {
                toFirstFrame.push_back(double(clock.nsecsElapsed()) / 1e6);
                waiting = Waiting::Nothing;
            } else if (waiting == Waiting::NextFrame && player.movie() != ended) {
                endToNext.push_back(double(clock.nsecsElapsed()) / 1e6);
                waiting = Waiting::Nothing;
            }
        });
        QObject::connect(&player, &MpvPlayer::movieDidEnd, wc, [&](const std::shared_ptr<Movie>& movie) {
            ended = movie;
            waiting = Waiting::NextFrame;
            clock.start();
        });

        // From a stopped, loaded clip to its first frame in motion.
        for (int i = 0; i < Rounds; ++i) {
            (void)QTest::qWaitFor([&] { return player.isReady(); }, 10000);
            QTest::qWait(100);
            waiting = Waiting::PlayFrame;
            clock.start();
            wc->play();
            (void)QTest::qWaitFor([&] { return waiting == Waiting::Nothing; }, 10000);
            wc->stop();
            waiting = Waiting::Nothing;
        }
        // From the end of each clip to the next clip's first frame, looping.
        wc->play();
        (void)QTest::qWaitFor([&] { return endToNext.size() >= size_t(Rounds); }, 120000);
        wc->stop();
        controller.closeAllDocuments();
    }
    Presenter::setShared(nullptr);
    std::printf("platform %s\n", qPrintable(QGuiApplication::platformName()));
    report("play to first frame", toFirstFrame);
    report("end to first frame of the next", endToNext);
    return 0;
}
