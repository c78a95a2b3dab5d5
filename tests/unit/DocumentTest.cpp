#include "platform/documents/Document.h"
#include "UnitFiles.h"
#include "platform/documents/DocumentController.h"
#include "support/RecordingPresenter.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

// A document whose file is its text, so saving and reading are easy to see.
class TextDocument : public Document {
public:
    QByteArray text;
    bool failWrites = false;

    std::optional<QByteArray> dataOfType(const QString&, DocumentError* error) const override {
        if (failWrites) {
            setDocumentError(error, "Test", 1, "writing refused");
            return std::nullopt;
        }
        return text;
    }
    bool readFromData(const QByteArray& data, const QString&, DocumentError* error) override {
        if (!data.startsWith("TEXT")) {
            setDocumentError(error, "Test", 2, "It is not a text document.");
            return false;
        }
        text = data;
        return true;
    }
    bool autosavesInPlace() const override { return true; }
    void edit(const QByteArray& newText) {
        text = newText;
        updateChangeCount(ChangeKind::Done);
    }
};

class DocumentFiles : public ::testing::Test {
protected:
    QTemporaryDir dir;
    RecordingPresenter presenter;
    DocumentError error;

    QString path(const QString& name) const { return dir.filePath(name); }
    QUrl url(const QString& name) const { return QUrl::fromLocalFile(path(name)); }
    QByteArray contents(const QString& name) const { return fileContents(path(name)); }
    void write(const QString& name, const QByteArray& bytes) { ASSERT_TRUE(writeFile(path(name), bytes)); }
    QStringList files() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); }
    // A document read from a file of the folder, holding these words.
    void open(TextDocument& doc, const QString& name, const QByteArray& text) {
        write(name, text);
        ASSERT_TRUE(doc.readFromURL(url(name), "T", &error));
        doc.setFileURL(url(name));
    }
};

} // namespace

// The change count following edits and undos: OrvantaDocumentTest; the window's mark: ApplicationStartTest.
TEST_F(DocumentFiles, SaveAsClearsTheChangesAndSaveToLeavesThem) {
    TextDocument doc;
    doc.edit("TEXT one");
    ASSERT_TRUE(doc.saveToURL(url("a.txt"), "T", Document::SaveOperation::SaveAs, &error));
    EXPECT_FALSE(doc.isDocumentEdited());
    EXPECT_EQ(doc.displayName(), QStringLiteral("a"));
    EXPECT_EQ(contents("a.txt"), "TEXT one");

    // Save To writes a copy and leaves the document's file and changes alone.
    doc.updateChangeCount(Document::ChangeKind::Done);
    ASSERT_TRUE(doc.saveToURL(url("copy.txt"), "T", Document::SaveOperation::SaveTo, &error));
    EXPECT_TRUE(doc.isDocumentEdited());
    EXPECT_EQ(doc.fileURL(), url("a.txt"));
}

TEST_F(DocumentFiles, AFailedWriteLeavesTheOldFileIntactAndTheChangesPending) {
    TextDocument doc;
    open(doc, "keep.txt", "TEXT the old contents");

    // The write fails halfway (the file size limit; FileSafetyTest fills a real disk where it can). Data
    // that cannot be made: the failing autosave below.
    doc.edit("TEXT " + QByteArray(256 * 1024, 'x'));
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 64 * 1024;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool saved = doc.save(&error);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(saved);
    EXPECT_EQ(contents("keep.txt"), "TEXT the old contents");
    EXPECT_TRUE(doc.isDocumentEdited());
    EXPECT_EQ(files(), QStringList{"keep.txt"}); // no temporary file is left beside it
}

TEST_F(DocumentFiles, ASaveMeetsAnotherWritersVersionFirst) {
    TextDocument doc;
    open(doc, "shared.txt", "TEXT first");

    // Without edits of its own the document takes the other version and writes nothing.
    write("shared.txt", "TEXT theirs");
    EXPECT_TRUE(doc.save(&error));
    EXPECT_EQ(doc.text, "TEXT theirs");
    EXPECT_TRUE(presenter.fileConflictQuestions.isEmpty());

    // With edits the user is asked; keeping them keeps the other version beside the file.
    write("shared.txt", "TEXT theirs again");
    doc.edit("TEXT mine");
    EXPECT_TRUE(doc.save(&error)) << error.localizedDescription.toStdString();
    EXPECT_EQ(contents("shared.txt"), "TEXT mine");
    ASSERT_EQ(presenter.fileConflictQuestions.size(), 1);
    const QString copy = QFileInfo(presenter.fileConflictQuestions.first().second).fileName();
    EXPECT_TRUE(copy.startsWith("shared (conflict ") && copy.endsWith(".txt")) << copy.toStdString();
    EXPECT_EQ(contents(copy), "TEXT theirs again");
    // Taking theirs, and the other writer meeting an open window: PlaylistFileChangesTest.
}

TEST_F(DocumentFiles, AutosavesEditsInPlaceAndReportsFailures) {
    TextDocument doc;
    open(doc, "auto.txt", "TEXT before");
    doc.setAutosaveDelay(50);
    doc.edit("TEXT after");
    EXPECT_EQ(contents("auto.txt"), "TEXT before"); // not at once
    EXPECT_TRUE(QTest::qWaitFor([&] { return !doc.isDocumentEdited(); }, 5000));
    EXPECT_EQ(contents("auto.txt"), "TEXT after");

    // An autosave whose data cannot be made says so, naming the file, and keeps the changes and the file.
    doc.failWrites = true;
    doc.updateChangeCount(Document::ChangeKind::Done);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !presenter.alerts.isEmpty(); }, 5000));
    EXPECT_TRUE(doc.isDocumentEdited());
    EXPECT_EQ(contents("auto.txt"), "TEXT after");
    const auto& [title, detail] = presenter.alerts.first();
    EXPECT_TRUE(title.contains("auto") && detail.contains("auto.txt")) << detail.toStdString();

    // An untitled document has nowhere to autosave: it does not try, so it has no failure to tell.
    TextDocument untitled;
    untitled.setAutosaveDelay(10);
    untitled.updateChangeCount(Document::ChangeKind::Done);
    QTest::qWait(50);
    EXPECT_EQ(presenter.alerts.size(), 1);
}

TEST_F(DocumentFiles, ClosingSavesSilentlyWithAFileAndAsksWithout) {
    // With a file: pending edits are written without a question, by the user's close and the plain one.
    TextDocument withFile;
    withFile.setFileURL(url("f.txt"));
    withFile.edit("TEXT pending");
    EXPECT_TRUE(withFile.canClose());
    EXPECT_EQ(contents("f.txt"), "TEXT pending");
    withFile.edit("TEXT pending again");
    QSignalSpy closed(&withFile, &Document::documentClosed);
    EXPECT_TRUE(withFile.close());
    EXPECT_EQ(contents("f.txt"), "TEXT pending again");
    EXPECT_EQ(closed.count(), 1);
    EXPECT_TRUE(presenter.saveChangesQuestions.isEmpty());

    // Untitled with changes, the user's close asks (Cancel and Don't Save: ApplicationStartTest). Save asks
    // for a file; a cancelled panel keeps the document open, a chosen one saves there.
    TextDocument untitled;
    untitled.updateChangeCount(Document::ChangeKind::Done);
    presenter.saveChangesAnswer = Presenter::SaveChangesAnswer::Save;
    untitled.text = "TEXT saved on close";
    EXPECT_FALSE(untitled.canClose());
    presenter.savePanelAnswers.push_back(url("chosen.txt"));
    EXPECT_TRUE(untitled.canClose());
    EXPECT_EQ(contents("chosen.txt"), "TEXT saved on close");
    EXPECT_EQ(presenter.saveChangesQuestions, (QStringList{"Untitled", "Untitled"}));

    // The plain close never asks (an untitled one is discarded: WindowControllerTest); one whose save
    // fails keeps the document, and says why.
    TextDocument failing;
    failing.setFileURL(url("never.txt"));
    failing.failWrites = true;
    failing.updateChangeCount(Document::ChangeKind::Done);
    EXPECT_FALSE(failing.close());
    EXPECT_FALSE(failing.isClosed());
    EXPECT_EQ(presenter.alerts.size(), 1);
}

// Files that do not open, and how the controller names them: FileSafetyTest.
TEST_F(DocumentFiles, TheControllerOpensAFileOnceAndRemembersItAsRecent) {
    DocumentController controller;
    controller.registerDocumentType(
        {"T", "Text", "txt", "text/plain", nullptr, [] { return std::make_unique<TextDocument>(); }});
    write("good.txt", "TEXT fine");
    Document* first = controller.openDocumentWithContentsOfURL(url("good.txt"), false, nullptr);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(controller.openDocumentWithContentsOfURL(url("good.txt"), false, nullptr), first);
    EXPECT_EQ(controller.documents().size(), 1);
    EXPECT_EQ(controller.recentDocumentURLs(), QList<QUrl>{url("good.txt")});
    first->close();
    EXPECT_TRUE(controller.documents().isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
