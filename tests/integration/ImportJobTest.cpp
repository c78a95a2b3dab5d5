// Imports run in the background. A long one that is cancelled (the Cancel button, Escape), or whose
// window goes meanwhile (closed, or closed when its clip has finished), adds nothing and leaves the
// playlist and its file as they were; one that runs through is undone in one step. SIGTERM during a
// start-up import: ApplicationBinaryTest.
#include "document/PlaylistSettings.h"
#include "platform/TypedNumber.h"
#include "support/PlaylistWindows.h"
#include "support/Wait.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QTest>

namespace {

QByteArray contentsOf(const QUrl& url) {
    QFile file(url.toLocalFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class ImportJobTest : public PlaylistWindowTest {
protected:
    void SetUp() override {
        // A long run: many names of one small movie, each opened and probed.
        ASSERT_TRUE(QDir().mkpath(path("many")));
        const QString clip = testMediaPath(QStringLiteral("clip-0.5s.mp4"));
        for (int i = 0; i < 1500; ++i)
            ASSERT_TRUE(QFile::link(clip, path(QStringLiteral("many/clip%1.mp4").arg(i))));
    }

    // The playlist's window, active so that it takes the keys.
    OrvantaWindowController* openActive(const QString& name, const QStringList& clips,
                                        bool closeWhenFinished = false) {
        OrvantaWindowController* wc = open(name, clips, [&](PlaylistSettings& settings) {
            settings.setValue(QStringLiteral("closeWhenFinished"), TypedNumber::boolean(closeWhenFinished));
        });
        if (!wc)
            return nullptr;
        QApplication::setActiveWindow(wc->window());
        EXPECT_TRUE(QTest::qWaitForWindowActive(wc->window()));
        return wc;
    }

    // Starts the long run; the test is worth nothing unless the run is still under way afterwards.
    bool startLongImport(OrvantaWindowController* wc) {
        wc->addClipsWithURLs({url("many")});
        return wc->isImporting() && QTest::qWaitFor([wc] { return wc->importCancelButton()->isVisible(); });
    }
};

TEST_F(ImportJobTest, CancelAndEscapeStopARunThatThenAddsNothingAndAWindowThatGoesLeavesItsPlaylistAsItWas) {
    OrvantaWindowController* wc = openActive("show", {"clip-1s.mp4", "clip-2s.mp4"});
    ASSERT_NE(wc, nullptr);
    OrvantaDocument* document = wc->datasource();
    const QList<ClipRecordPtr> clips = document->clips();
    const int changes = document->changeCount();
    const std::function<void()> cancels[] = {
        [wc] { QTest::keyClick(wc->window(), Qt::Key_Escape); },
        [wc] { QTest::mouseClick(wc->importCancelButton(), Qt::LeftButton); },
    };
    for (const auto& cancel : cancels) {
        ASSERT_TRUE(startLongImport(wc));
        // A long run shows its count once the walk has found every file, and the window keeps painting.
        WAIT_UNTIL(wc->importProgressText()->text().endsWith(QStringLiteral(" of 1500")), 10000);
        EXPECT_TRUE(wc->importSpinner()->isVisible());
        cancel();
        WAIT_UNTIL(!wc->isImporting(), 10000);
        EXPECT_EQ(document->clips(), clips);
        EXPECT_EQ(document->changeCount(), changes);
        EXPECT_FALSE(wc->importCancelButton()->isVisible());
        EXPECT_FALSE(wc->importSpinner()->isVisible());
    }
    EXPECT_TRUE(presenter.alerts.isEmpty());
    EXPECT_EQ(presenter.beeps, 0);

    // Escape cancels only a run: afterwards it is the window's again, and the next run adds its clips,
    // all 1,500 of them one step.
    QTest::keyClick(wc->window(), Qt::Key_Escape);
    wc->addClipsWithURLs({url("many")});
    imported(wc);
    EXPECT_EQ(names(wc).size(), 2 + 1500);
    EXPECT_GT(document->changeCount(), changes);
    wc->validateUserInterfaceItems();
    QAction* undo = wc->window()->findChild<QAction*>("undo");
    EXPECT_EQ(undo->text(), "Undo Add 1500 Clips");
    ASSERT_TRUE(undo->isEnabled());
    undo->trigger();
    EXPECT_EQ(document->clips(), clips);
    EXPECT_EQ(wc->clipsTable()->model()->rowCount(), 2);

    // Other windows go during a long run, which leaves their playlists as they were.
    const struct {
        const char* how;
        const char* clip;
        bool closeWhenFinished;
    } cases[] = {
        {"closed", "clip-1s.mp4", false},
        // Its only clip ends while the run goes on, and the playlist closes.
        {"closed when finished", "clip-0.5s.mp4", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        OrvantaWindowController* other = openActive(c.how, {c.clip}, c.closeWhenFinished);
        ASSERT_NE(other, nullptr);
        const QUrl file = other->document()->fileURL();
        const QByteArray before = contentsOf(file);
        const QPointer<OrvantaWindowController> window(other);
        std::optional<bool> importingAtClose;
        QObject::connect(other->document(), &Document::documentClosed, other,
                         [&] { importingAtClose = other->isImporting(); });
        ASSERT_TRUE(startLongImport(other));
        if (c.closeWhenFinished)
            other->play();
        else
            other->window()->close();
        WAIT_UNTIL(!window, 20000);
        ASSERT_EQ(importingAtClose, std::optional<bool>(true)) << "the run ended before the window went";
        EXPECT_EQ(controller.documents().size(), 1); // only the first playlist is left
        EXPECT_EQ(contentsOf(file), before);
        EXPECT_TRUE(presenter.alerts.isEmpty());
    }
}

} // namespace
