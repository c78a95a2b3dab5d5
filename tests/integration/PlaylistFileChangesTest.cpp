// An open playlist window and other writers of its file: the playlist tool changing it meanwhile, a
// conflict with unsaved edits, and a dynamic playlist that opens without rewriting its file.
#include "app/OrvantaDocumentController.h"
#include "document/OrvantaDocument.h"
#include "platform/HeadlessPresenter.h"
#include "platform/PlayLog.h"
#include "support/PlaylistFixture.h"
#include "support/RecordingPresenter.h"
#include "support/TestMedia.h"
#include "support/Wait.h"
#include "window/ClipsController.h"
#include "window/OrvantaWindowController.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QSlider>
#include <QTableView>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

int runTool(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(ORVANTA_PLAYLIST_TOOL), arguments);
    if (!process.waitForFinished(30000))
        return -1;
    return process.exitCode();
}

// The settings a playlist file holds, as the application reads them.
std::unique_ptr<OrvantaDocument> readBack(const QString& path) {
    auto document = std::make_unique<OrvantaDocument>();
    DocumentError error;
    EXPECT_TRUE(document->readFromURL(QUrl::fromLocalFile(path), QString(), &error))
        << error.localizedDescription.toStdString();
    return document;
}

class PlaylistFileChanges : public ::testing::Test {
protected:
    void TearDown() override {
        controller.closeAllDocuments();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    OrvantaDocument* open(const QString& path, int autosaveDelay) {
        DocumentError error;
        auto* document = qobject_cast<OrvantaDocument*>(
            controller.openDocumentWithContentsOfURL(QUrl::fromLocalFile(path), true, &error));
        EXPECT_NE(document, nullptr) << error.localizedDescription.toStdString();
        if (document)
            document->setAutosaveDelay(autosaveDelay);
        return document;
    }
    QString standardPlaylist(const QString& name) {
        return writeTestPlaylist(dir.path(), name, {"clip-1s.mp4", "clip-2s.mp4"}).toLocalFile();
    }
    template <typename Widget> static Widget* part(OrvantaDocument* document, const char* name) {
        auto* wc = dynamic_cast<OrvantaWindowController*>(document->windowControllers().front());
        return wc->window()->findChild<Widget*>(QString::fromLatin1(name));
    }
    QStringList conflictCopies() const {
        return QDir(dir.path()).entryList({QStringLiteral("* (conflict *).orvplaylist")}, QDir::Files);
    }

    QTemporaryDir dir;
    RecordingPresenter presenter;
    OrvantaDocumentController controller;
};

} // namespace

TEST_F(PlaylistFileChanges, ToolChangesWhileTheWindowIsOpenAreReadAndKept) {
    const QString file = standardPlaylist("lobby");
    OrvantaDocument* document = open(file, 50);
    ASSERT_NE(document, nullptr);
    QSignalSpy reloads(document, &OrvantaDocument::clipsChanged);
    // The show goes on: the clip playing stays, with the new settings.
    auto* wc = dynamic_cast<OrvantaWindowController*>(document->windowControllers().front());
    wc->clipsController()->setSelectionIndexes({1});
    wc->play();
    WAIT_UNTIL(wc->isPlaying() && wc->currentMovie(), 5000);
    const std::shared_ptr<Movie> playing = wc->currentMovie();
    const QList<ClipRecordPtr> clips = document->clips();

    ASSERT_EQ(runTool({"set", file, "volume=0.5", "speed=1.5"}), 0);
    WAIT_EQ(document->settings()->volume(), 0.5f, 5000);
    EXPECT_EQ(document->settings()->speed(), 1.5f);
    EXPECT_EQ(part<QSlider>(document, "volume")->value(), 50);
    EXPECT_FALSE(document->isDocumentEdited());
    EXPECT_EQ(document->clips(), clips);
    EXPECT_EQ(reloads.count(), 0);
    EXPECT_TRUE(wc->isPlaying());
    EXPECT_EQ(wc->currentMovie(), playing);
    EXPECT_EQ(wc->clipsController()->selectionIndexes(), QList<int>{1});
    EXPECT_EQ(playing->preferredRate(), 1.5f);
    EXPECT_EQ(playing->volume(), 0.5f);
    wc->stop();

    // An edit in the window is saved with the tool's settings, and the window's own save is no other
    // writer's change.
    part<QCheckBox>(document, "muted")->setChecked(true);
    WAIT_UNTIL(!document->isDocumentEdited(), 5000);
    QTest::qWait(500);
    const auto saved = readBack(file);
    EXPECT_EQ(saved->settings()->volume(), 0.5f);
    EXPECT_EQ(saved->settings()->speed(), 1.5f);
    EXPECT_TRUE(saved->settings()->muted());
    EXPECT_EQ(reloads.count(), 0);
    EXPECT_TRUE(presenter.fileConflictQuestions.isEmpty());

    // Each write replaced the file; the watch follows the file that has the name now.
    ASSERT_EQ(runTool({"set", file, "muted=false"}), 0);
    WAIT_UNTIL(!document->settings()->muted(), 5000);
    EXPECT_FALSE(part<QCheckBox>(document, "muted")->isChecked());
    EXPECT_TRUE(presenter.alerts.isEmpty());
}

TEST_F(PlaylistFileChanges, AConflictWithUnsavedEditsAsksOrKeepsBothVersionsUnattended) {
    enum class Answer { KeepMine, TakeTheirs, Unattended };
    for (const Answer answer : {Answer::KeepMine, Answer::TakeTheirs, Answer::Unattended}) {
        SCOPED_TRACE(int(answer));
        const QString name = QStringLiteral("conflict%1").arg(int(answer));
        const QString file = standardPlaylist(name);
        HeadlessPresenter headless;
        PlayLog::OpenResult log = PlayLog::open(dir.filePath(name + ".log"));
        ASSERT_TRUE(log);
        PlayLogPresenter logged(headless);
        if (answer == Answer::Unattended) {
            PlayLog::install(log.log.get());
            Presenter::setShared(&logged);
        }
        presenter.fileConflictAnswer = answer == Answer::TakeTheirs
                                           ? Presenter::FileConflictAnswer::TakeTheirs
                                           : Presenter::FileConflictAnswer::KeepMine;
        presenter.fileConflictQuestions.clear();

        // Edits wait for an autosave far off while the tool writes the file.
        OrvantaDocument* document = open(file, 60000);
        ASSERT_NE(document, nullptr);
        part<QCheckBox>(document, "muted")->setChecked(true);
        ASSERT_TRUE(document->isDocumentEdited());
        ASSERT_EQ(runTool({"set", file, "volume=0.5"}), 0);
        WAIT_UNTIL(!document->isDocumentEdited(), 5000);
        const auto onDisk = readBack(file);

        if (answer == Answer::TakeTheirs) {
            EXPECT_EQ(document->settings()->volume(), 0.5f);
            EXPECT_FALSE(part<QCheckBox>(document, "muted")->isChecked());
            EXPECT_EQ(onDisk->settings()->volume(), 0.5f);
            EXPECT_TRUE(conflictCopies().isEmpty());
        } else {
            // Mine is in the file; theirs beside it.
            EXPECT_TRUE(onDisk->settings()->muted());
            EXPECT_EQ(onDisk->settings()->volume(), 1.0f);
            ASSERT_EQ(conflictCopies().size(), 1) << conflictCopies().join(", ").toStdString();
            const QString copy = dir.filePath(conflictCopies().first());
            EXPECT_TRUE(copy.startsWith(dir.filePath(name + " (conflict "))) << copy.toStdString();
            const auto theirs = readBack(copy);
            EXPECT_EQ(theirs->settings()->volume(), 0.5f);
            EXPECT_FALSE(theirs->settings()->muted());
            if (answer == Answer::Unattended) {
                QFile logFile(dir.filePath(name + ".log"));
                ASSERT_TRUE(logFile.open(QIODevice::ReadOnly));
                EXPECT_TRUE(logFile.readAll().contains("\"event\":\"fileConflict\"")) << name.toStdString();
            } else {
                EXPECT_EQ(presenter.fileConflictQuestions, (QList<QPair<QString, QString>>{{name, copy}}));
            }
            QFile::remove(copy);
        }
        EXPECT_TRUE(presenter.alerts.isEmpty());
        document->close();
        Presenter::setShared(&presenter);
        PlayLog::install(nullptr);
    }
}

TEST_F(PlaylistFileChanges, ADynamicPlaylistLeftAloneIsNotRewritten) {
    QDir().mkpath(dir.filePath("source"));
    for (const char* clip : {"clip-1s.mp4", "clip-2s.mp4"})
        ASSERT_TRUE(QFile::copy(testMediaPath(clip), dir.filePath(QStringLiteral("source/") + clip)));
    const QString file = dir.filePath("lobby.orvdynamic");
    ASSERT_EQ(runTool({"new", "--dynamic", dir.filePath("source"), "-o", file}), 0);
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &before), 0);

    // Opening rebuilds the clips from the folder, which counts as a change, and autosaves nothing new.
    OrvantaDocument* document = open(file, 50);
    ASSERT_NE(document, nullptr);
    bool edited = false; // the import places the clips from the event loop, autosaved soon after
    QObject::connect(document, &Document::changeCountChanged, document,
                     [&] { edited = edited || document->isDocumentEdited(); });
    WAIT_EQ(document->clips().size(), 2, 10000);
    EXPECT_TRUE(edited);
    WAIT_UNTIL(!document->isDocumentEdited(), 5000);
    QTest::qWait(300);
    struct stat after {};
    ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);

    // Read again after the tool changed it, it keeps the clips built from its folder.
    QSignalSpy clipsChanged(document, &OrvantaDocument::clipsChanged);
    ASSERT_EQ(runTool({"set", file, "speed=2.0"}), 0);
    WAIT_EQ(document->settings()->speed(), 2.0f, 5000);
    EXPECT_EQ(document->clips().size(), 2);
    EXPECT_EQ(part<QTableView>(document, "clipsTable")->model()->rowCount(), 2);
    EXPECT_EQ(clipsChanged.count(), 0);
    EXPECT_FALSE(document->isDocumentEdited());
    EXPECT_TRUE(presenter.alerts.isEmpty());
}
