// A long run of a looping playlist in a real playlist window, for scripts/soak: plays the given clips
// at a high speed until a number of transitions from one clip to the next have happened, and checks
// every one of them; reports the resident memory after a warm-up and at the end.
//
// Usage: bench_soak_run [--transitions N] [--warmup N] [--speed X] CLIP...
//   A transition fails when the clip after the one that ended is not the one the sequencing named, when
//   a clip cannot be played, or when nothing ends for 10 s (playback then starts again at the next
//   clip). Prints the figures and exits 1 when a transition failed or the memory grew by 10% or more.
//
// Run with QT_QPA_PLATFORM=offscreen (software views) or under a display.
#include "app/OrvantaDocumentController.h"
#include "document/ClipImporter.h"
#include "document/OrvantaDocument.h"
#include "platform/HeadlessPresenter.h"
#include "platform/TypedNumber.h"
#include "platform/media/Movie.h"
#include "platform/media/MpvPlayer.h"
#include "window/ClipsController.h"
#include "window/OrvantaWindowController.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <clocale>
#include <cstdio>

namespace {

constexpr int StallMs = 10000;

long residentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

struct Options {
    long transitions = 2000;
    long warmup = 200;
    float speed = 10.0f;
    QStringList clips;
};

bool parse(const QStringList& arguments, Options& options) {
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (argument == QLatin1String("--transitions") && hasValue)
            options.transitions = arguments[++i].toLong();
        else if (argument == QLatin1String("--warmup") && hasValue)
            options.warmup = arguments[++i].toLong();
        else if (argument == QLatin1String("--speed") && hasValue)
            options.speed = arguments[++i].toFloat();
        else if (argument.startsWith(QLatin1String("--")))
            return false;
        else
            options.clips.append(argument);
    }
    return options.clips.size() >= 2 && options.transitions > 0 && options.warmup >= 0 &&
           options.warmup < options.transitions && options.speed > 0.0f;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    Options options;
    if (!parse(app.arguments(), options)) {
        std::fprintf(stderr,
                     "usage: bench_soak_run [--transitions N] [--warmup N] [--speed X] CLIP CLIP...\n");
        return 2;
    }
    HeadlessPresenter presenter;
    Presenter::setShared(&presenter);
    QTemporaryDir dir;

    long transitions = 0, failed = 0, switched = 0, loaded = 0;
    long rssWarm = -1, rssEnd = -1;
    QElapsedTimer runClock;
    {
        OrvantaDocumentController controller;
        auto document = OrvantaDocument::initWithType(OrvantaDocument::StandardPlaylistType, nullptr);
        QList<QUrl> urls;
        for (const QString& clip : options.clips)
            urls.append(QUrl::fromLocalFile(clip));
        ClipImporter importer({false, false, 1});
        document->setClips(importer.run(urls).importedClips);
        document->settings()->setValue("looping", TypedNumber::integer(1));
        document->settings()->setValue("speed", TypedNumber::float32(options.speed));
        const QUrl where = QUrl::fromLocalFile(dir.filePath("soak.orvplaylist"));
        DocumentError error;
        document->saveToURL(where, OrvantaDocument::StandardPlaylistType, Document::SaveOperation::SaveAs,
                            &error);
        auto* opened = controller.openDocumentWithContentsOfURL(where, true, &error);
        auto* wc =
            opened ? dynamic_cast<OrvantaWindowController*>(opened->windowControllers().front()) : nullptr;
        if (!wc || !wc->player() || wc->clipsController()->arrangedObjects().size() != options.clips.size()) {
            std::fprintf(stderr, "soak: no playlist window with a player and every clip\n");
            return 1;
        }
        wc->window()->show();
        MpvPlayer& player = *wc->player();

        std::shared_ptr<Movie> expected;
        int handleAtEnd = -1;
        bool awaitingNext = false;
        QTimer stall;
        stall.setSingleShot(true);
        stall.setInterval(StallMs);
        auto fail = [&](const char* why) {
            ++failed;
            std::fprintf(stderr, "soak: transition %ld failed: %s\n", transitions, why);
        };
        QObject::connect(&player, &MpvPlayer::movieDidEnd, wc, [&] {
            expected = wc->movieThatComesNext();
            handleAtEnd = player.activeIndex();
            awaitingNext = true;
            stall.start();
        });
        QObject::connect(
            &player, &MpvPlayer::movieFailed, wc,
            [&](const std::shared_ptr<Movie>&, const QString& message) { fail(qPrintable(message)); });
        // After the window's own handler: the new current movie is attached by now.
        QObject::connect(wc->clipsController(), &ClipsController::selectionDidChange, wc, [&] {
            if (!awaitingNext)
                return;
            awaitingNext = false;
            ++transitions;
            if (wc->currentMovie() != expected || player.movie() != expected)
                fail("another clip followed");
            (player.activeIndex() != handleAtEnd ? switched : loaded) += 1;
            if (transitions == options.warmup)
                rssWarm = residentKiB();
            if (transitions % 250 == 0)
                std::fprintf(stderr, "soak: %ld transitions, %ld failed, resident %ld KiB\n", transitions,
                             failed, residentKiB());
        });
        QObject::connect(&stall, &QTimer::timeout, wc, [&] {
            fail("nothing ended for 10 s");
            awaitingNext = false;
            const QList<int> rows = wc->clipsController()->selectionIndexes();
            if (!wc->clipsController()->setSelectionIndexes({rows.isEmpty() ? 0 : rows.last() + 1}))
                wc->clipsController()->setSelectionIndexes({0});
            wc->play();
            stall.start();
        });

        runClock.start();
        stall.start();
        wc->play();
        (void)QTest::qWaitFor([&] { return transitions >= options.transitions; },
                              int(std::min<long>(options.transitions * 5000L, 24L * 3600 * 1000)));
        stall.stop();
        wc->stop();
        rssEnd = residentKiB();
        controller.closeAllDocuments();
    }
    Presenter::setShared(nullptr);
    const double growth = rssWarm > 0 ? 100.0 * double(rssEnd - rssWarm) / double(rssWarm) : 0.0;
    std::printf("platform %s, %lld clips at speed %.2f, %.1f s\n",
                qPrintable(QGuiApplication::platformName()), static_cast<long long>(options.clips.size()),
                double(options.speed), double(runClock.elapsed()) / 1000.0);
    std::printf("transitions %ld: to a prepared clip %ld, loaded at the end %ld\n", transitions, switched,
                loaded);
    std::printf(
        "soak: transitions=%ld failed=%ld rss-after-warmup-kib=%ld rss-end-kib=%ld growth-percent=%.1f\n",
        transitions, failed + (options.transitions - std::min(transitions, options.transitions)), rssWarm,
        rssEnd, growth);
    return (failed == 0 && transitions >= options.transitions && growth < 10.0) ? 0 : 1;
}
