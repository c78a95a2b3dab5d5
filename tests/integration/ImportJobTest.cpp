// Imports run in the background. A long one that is cancelled (the Cancel button, Escape), or whose
// window goes meanwhile (closed, or closed when its clip has finished), adds nothing and leaves the
// playlist and its file as they were. SIGTERM during a start-up import: ApplicationBinaryTest.
#include "app/OrvantaDocumentController.h"
#include "document/OrvantaDocument.h"
#include "document/PlaylistSettings.h"
#include "platform/TypedNumber.h"
#include "support/PlaylistFixture.h"
#include "support/RecordingPresenter.h"
#include "support/TestMedia.h"
#include "support/Wait.h"
#include "window/OrvantaWindowController.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QByteArray contentsOf(const QUrl& url) {
    QFile file(url.toLocalFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class ImportJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A long run: many names of one small movie, each opened and probed.
        ASSERT_TRUE(QDir().mkpath(many()));
        const QString clip = testMediaPath(QStringLiteral("clip-0.5s.mp4"));
        for (int i = 0; i < 1500; ++i)
            ASSERT_TRUE(QFile::link(clip, many() + QStringLiteral("/clip%1.mp4").arg(i)));
    }
    void TearDown() override {
        controller.closeAllDocuments();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QString many() const { return dir.filePath(QStringLiteral("many")); }

    OrvantaWindowController* open(const QString& name, const QStringList& clips,
                                  bool closeWhenFinished = false) {
        file = writeTestPlaylist(dir.path(), name, clips, [&](PlaylistSettings& settings) {
            settings.setValue(QStringLiteral("closeWhenFinished"), TypedNumber::boolean(closeWhenFinished));
        });
        DocumentError error;
        Document* document = controller.openDocumentWithContentsOfURL(file, true, &error);
        EXPECT_NE(document, nullptr) << error.localizedDescription.toStdString();
        if (!document)
            return nullptr;
        auto* wc = dynamic_cast<OrvantaWindowController*>(document->windowControllers().front());
        wc->window()->show();
        QApplication::setActiveWindow(wc->window());
        EXPECT_TRUE(QTest::qWaitForWindowActive(wc->window()));
        before = contentsOf(file);
        return wc;
    }

    // Starts the long run; the test is worth nothing unless the run is still under way afterwards.
    static bool startLongImport(OrvantaWindowController* wc, const QString& folder) {
        wc->addClipsWithURLs({QUrl::fromLocalFile(folder)});
        return wc->isImporting() && QTest::qWaitFor([wc] { return wc->importCancelButton()->isVisible(); });
    }

    QTemporaryDir dir;
    RecordingPresenter presenter;
    OrvantaDocumentController controller;
    QUrl file;
    QByteArray before;
};

TEST_F(ImportJobTest, CancelAndEscapeStopARunThatThenAddsNothing) {
    OrvantaWindowController* wc =
        open(QStringLiteral("show"), {QStringLiteral("clip-1s.mp4"), QStringLiteral("clip-2s.mp4")});
    ASSERT_NE(wc, nullptr);
    OrvantaDocument* document = wc->datasource();
    const QList<ClipRecordPtr> clips = document->clips();
    const int changes = document->changeCount();
    const std::function<void()> cancels[] = {
        [wc] { QTest::keyClick(wc->window(), Qt::Key_Escape); },
        [wc] { QTest::mouseClick(wc->importCancelButton(), Qt::LeftButton); },
    };
    for (const auto& cancel : cancels) {
        ASSERT_TRUE(startLongImport(wc, many()));
        cancel();
        WAIT_UNTIL(!wc->isImporting(), 10000);
        EXPECT_EQ(document->clips(), clips);
        EXPECT_EQ(document->changeCount(), changes);
        EXPECT_FALSE(wc->importCancelButton()->isVisible());
    }
    EXPECT_TRUE(presenter.alerts.isEmpty());
    EXPECT_EQ(presenter.beeps, 0);

    // Escape cancels only a run: afterwards it is the window's again, and the next run adds its clips.
    QTest::keyClick(wc->window(), Qt::Key_Escape);
    wc->addClipsWithURLs({QUrl::fromLocalFile(many() + QStringLiteral("/clip7.mp4"))});
    WAIT_UNTIL(!wc->isImporting(), 10000);
    ASSERT_EQ(document->clips().size(), clips.size() + 1);
    EXPECT_EQ(document->clips().last()->name, QStringLiteral("clip7.mp4"));
    EXPECT_GT(document->changeCount(), changes);
}

TEST_F(ImportJobTest, TheWindowGoesDuringALongRunWhichLeavesThePlaylistAsItWas) {
    struct Case {
        const char* how;
        QStringList clips;
        bool closeWhenFinished;
    };
    const QList<Case> cases = {
        {"closed", {QStringLiteral("clip-1s.mp4")}, false},
        // Its only clip ends while the run goes on, and the playlist closes.
        {"closed when finished", {QStringLiteral("clip-0.5s.mp4")}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        OrvantaWindowController* wc = open(QString::fromLatin1(c.how), c.clips, c.closeWhenFinished);
        ASSERT_NE(wc, nullptr);
        const QPointer<OrvantaWindowController> window(wc);
        std::optional<bool> importingAtClose;
        QObject::connect(wc->document(), &Document::documentClosed, wc,
                         [&] { importingAtClose = wc->isImporting(); });
        ASSERT_TRUE(startLongImport(wc, many()));
        if (c.closeWhenFinished)
            wc->play();
        else
            wc->window()->close();
        WAIT_UNTIL(!window, 20000);
        ASSERT_EQ(importingAtClose, std::optional<bool>(true)) << "the run ended before the window went";
        EXPECT_TRUE(controller.documents().isEmpty());
        EXPECT_EQ(contentsOf(file), before);
        EXPECT_TRUE(presenter.alerts.isEmpty());
    }
}

} // namespace
