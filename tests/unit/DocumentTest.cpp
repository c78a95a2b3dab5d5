#include "platform/documents/Document.h"
#include "platform/documents/DocumentController.h"
#include "support/RecordingPresenter.h"

#include <QDir>
#include <QFile>
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
};

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

TEST(Document, CountsChangesAndClearsThemOnSave) {
    QTemporaryDir dir;
    TextDocument doc;
    QSignalSpy spy(&doc, &Document::changeCountChanged);
    EXPECT_FALSE(doc.isDocumentEdited());
    doc.updateChangeCount(Document::ChangeKind::Done);
    doc.updateChangeCount(Document::ChangeKind::Done);
    doc.updateChangeCount(Document::ChangeKind::Undone);
    EXPECT_EQ(doc.changeCount(), 1);
    EXPECT_TRUE(doc.isDocumentEdited());
    EXPECT_EQ(spy.count(), 3);

    doc.text = "TEXT one";
    DocumentError error;
    ASSERT_TRUE(doc.saveToURL(QUrl::fromLocalFile(dir.filePath("a.txt")), "T",
                              Document::SaveOperation::SaveAs, &error));
    EXPECT_FALSE(doc.isDocumentEdited());
    EXPECT_EQ(doc.displayName(), QStringLiteral("a"));
    EXPECT_EQ(readAll(dir.filePath("a.txt")), QByteArray("TEXT one"));

    // Save To writes a copy and leaves the document's file and changes alone.
    doc.updateChangeCount(Document::ChangeKind::Done);
    ASSERT_TRUE(doc.saveToURL(QUrl::fromLocalFile(dir.filePath("copy.txt")), "T",
                              Document::SaveOperation::SaveTo, &error));
    EXPECT_TRUE(doc.isDocumentEdited());
    EXPECT_EQ(doc.fileURL(), QUrl::fromLocalFile(dir.filePath("a.txt")));
}

TEST(Document, AFailedWriteLeavesTheOldFileIntactAndTheChangesPending) {
    QTemporaryDir dir;
    const QString path = dir.filePath("keep.txt");
    writeAll(path, "TEXT the old contents");
    TextDocument doc;
    DocumentError error;
    ASSERT_TRUE(doc.readFromURL(QUrl::fromLocalFile(path), "T", &error));
    doc.setFileURL(QUrl::fromLocalFile(path));

    // The data cannot be made.
    doc.failWrites = true;
    doc.updateChangeCount(Document::ChangeKind::Done);
    EXPECT_FALSE(doc.save(&error));
    EXPECT_TRUE(error.localizedDescription.contains("keep.txt")) << error.localizedDescription.toStdString();
    EXPECT_EQ(readAll(path), QByteArray("TEXT the old contents"));
    EXPECT_TRUE(doc.isDocumentEdited());

    // The disk fills up halfway through the write: the file size limit makes the write fail.
    doc.failWrites = false;
    doc.text = "TEXT " + QByteArray(256 * 1024, 'x');
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
    EXPECT_EQ(readAll(path), QByteArray("TEXT the old contents"));
    EXPECT_TRUE(doc.isDocumentEdited());
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"keep.txt"});
}

TEST(Document, ASaveMeetsAnotherWritersVersionFirst) {
    QTemporaryDir dir;
    RecordingPresenter presenter;
    const QString path = dir.filePath("shared.txt");
    writeAll(path, "TEXT first");
    TextDocument doc;
    DocumentError error;
    ASSERT_TRUE(doc.readFromURL(QUrl::fromLocalFile(path), "T", &error));
    doc.setFileURL(QUrl::fromLocalFile(path));

    // Without edits of its own the document takes the other version and writes nothing.
    writeAll(path, "TEXT theirs");
    EXPECT_TRUE(doc.save(&error));
    EXPECT_EQ(doc.text, QByteArray("TEXT theirs"));
    EXPECT_TRUE(presenter.fileConflictQuestions.isEmpty());

    // With edits the user is asked; keeping them keeps the other version beside the file.
    writeAll(path, "TEXT theirs again");
    doc.text = "TEXT mine";
    doc.updateChangeCount(Document::ChangeKind::Done);
    EXPECT_TRUE(doc.save(&error)) << error.localizedDescription.toStdString();
    EXPECT_EQ(readAll(path), QByteArray("TEXT mine"));
    ASSERT_EQ(presenter.fileConflictQuestions.size(), 1);
    const QString copy = presenter.fileConflictQuestions.first().second;
    EXPECT_TRUE(QFileInfo(copy).fileName().startsWith("shared (conflict ")) << copy.toStdString();
    EXPECT_TRUE(copy.endsWith(".txt"));
    EXPECT_EQ(readAll(copy), QByteArray("TEXT theirs again"));

    // Taking theirs drops the edits.
    writeAll(path, "TEXT theirs at last");
    doc.text = "TEXT mine again";
    doc.updateChangeCount(Document::ChangeKind::Done);
    presenter.fileConflictAnswer = Presenter::FileConflictAnswer::TakeTheirs;
    EXPECT_TRUE(doc.save(&error));
    EXPECT_EQ(doc.text, QByteArray("TEXT theirs at last"));
    EXPECT_FALSE(doc.isDocumentEdited());
    EXPECT_EQ(readAll(path), QByteArray("TEXT theirs at last"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST(Document, AutosavesEditsInPlaceAndReportsFailures) {
    QTemporaryDir dir;
    const QString path = dir.filePath("auto.txt");
    writeAll(path, "TEXT before");
    RecordingPresenter presenter;
    TextDocument doc;
    doc.setAutosaveDelay(50);
    doc.setFileURL(QUrl::fromLocalFile(path));
    doc.text = "TEXT after";
    doc.updateChangeCount(Document::ChangeKind::Done);
    EXPECT_EQ(readAll(path), QByteArray("TEXT before")); // not at once
    EXPECT_TRUE(QTest::qWaitFor([&] { return !doc.isDocumentEdited(); }, 5000));
    EXPECT_EQ(readAll(path), QByteArray("TEXT after"));

    // An autosave that fails says so and keeps the changes.
    doc.failWrites = true;
    doc.updateChangeCount(Document::ChangeKind::Done);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !presenter.alerts.isEmpty(); }, 5000));
    EXPECT_TRUE(doc.isDocumentEdited());
    EXPECT_TRUE(presenter.alerts.first().first.contains("auto"))
        << presenter.alerts.first().first.toStdString();

    // An untitled document has nowhere to autosave.
    TextDocument untitled;
    untitled.setAutosaveDelay(10);
    untitled.updateChangeCount(Document::ChangeKind::Done);
    QTest::qWait(50);
    EXPECT_TRUE(untitled.isDocumentEdited());
}

TEST(Document, ClosingSavesSilentlyWithAFileAndAsksWithout) {
    QTemporaryDir dir;
    RecordingPresenter presenter;

    // With a file: pending edits are written without a question, by the user's close and the plain one.
    TextDocument withFile;
    withFile.setFileURL(QUrl::fromLocalFile(dir.filePath("f.txt")));
    withFile.text = "TEXT pending";
    withFile.updateChangeCount(Document::ChangeKind::Done);
    EXPECT_TRUE(withFile.canClose());
    EXPECT_EQ(readAll(dir.filePath("f.txt")), QByteArray("TEXT pending"));
    withFile.text = "TEXT pending again";
    withFile.updateChangeCount(Document::ChangeKind::Done);
    QSignalSpy closed(&withFile, &Document::documentClosed);
    EXPECT_TRUE(withFile.close());
    EXPECT_EQ(readAll(dir.filePath("f.txt")), QByteArray("TEXT pending again"));
    EXPECT_EQ(closed.count(), 1);
    EXPECT_TRUE(presenter.saveChangesQuestions.isEmpty());

    // Untitled with changes: the user's close asks; Cancel keeps it, Don't Save lets it go.
    TextDocument untitled;
    untitled.updateChangeCount(Document::ChangeKind::Done);
    presenter.saveChangesAnswer = Presenter::SaveChangesAnswer::Cancel;
    EXPECT_FALSE(untitled.canClose());
    presenter.saveChangesAnswer = Presenter::SaveChangesAnswer::DontSave;
    EXPECT_TRUE(untitled.canClose());
    EXPECT_EQ(presenter.saveChangesQuestions, (QStringList{"Untitled", "Untitled"}));

    // Save asks for a file; a cancelled panel keeps the document open, a chosen one saves there.
    presenter.saveChangesAnswer = Presenter::SaveChangesAnswer::Save;
    untitled.text = "TEXT saved on close";
    EXPECT_FALSE(untitled.canClose());
    presenter.savePanelAnswers.push_back(QUrl::fromLocalFile(dir.filePath("chosen.txt")));
    EXPECT_TRUE(untitled.canClose());
    EXPECT_EQ(readAll(dir.filePath("chosen.txt")), QByteArray("TEXT saved on close"));

    // The plain close never asks: an untitled document is discarded.
    TextDocument discarded;
    discarded.updateChangeCount(Document::ChangeKind::Done);
    const auto questions = presenter.saveChangesQuestions.size();
    EXPECT_TRUE(discarded.close());
    EXPECT_EQ(presenter.saveChangesQuestions.size(), questions);
}

TEST(Document, APlainCloseWhoseSaveFailsKeepsTheDocument) {
    QTemporaryDir dir;
    RecordingPresenter presenter;
    TextDocument doc;
    doc.setFileURL(QUrl::fromLocalFile(dir.filePath("never.txt")));
    doc.failWrites = true;
    doc.updateChangeCount(Document::ChangeKind::Done);
    EXPECT_FALSE(doc.close());
    EXPECT_FALSE(doc.isClosed());
    EXPECT_EQ(presenter.alerts.size(), 1);
}

TEST(DocumentController, RefusesAFileThatDoesNotReadAndNamesIt) {
    QTemporaryDir dir;
    RecordingPresenter presenter;
    DocumentController controller;
    controller.registerDocumentType(
        {"T", "Text", "txt", "text/plain", nullptr, [] { return std::make_unique<TextDocument>(); }});
    writeAll(dir.filePath("holiday.jpg"), "\xff\xd8\xff\xe0 not text");
    controller.openDocumentPresentingErrors(QUrl::fromLocalFile(dir.filePath("holiday.jpg")));
    ASSERT_EQ(presenter.alerts.size(), 1);
    EXPECT_TRUE(presenter.alerts.first().first.contains("holiday.jpg"))
        << presenter.alerts.first().first.toStdString();
    EXPECT_TRUE(controller.documents().isEmpty());
    EXPECT_TRUE(controller.recentDocumentURLs().isEmpty());

    controller.openDocumentPresentingErrors(QUrl::fromLocalFile(dir.filePath("nowhere.txt")));
    EXPECT_EQ(presenter.alerts.size(), 2);
    EXPECT_TRUE(presenter.alerts.last().first.contains("nowhere.txt"));

    // A good file opens once, however often it is asked for, and becomes a recent file.
    writeAll(dir.filePath("good.txt"), "TEXT fine");
    Document* first = controller.openDocumentWithContentsOfURL(QUrl::fromLocalFile(dir.filePath("good.txt")),
                                                               false, nullptr);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(controller.openDocumentWithContentsOfURL(QUrl::fromLocalFile(dir.filePath("good.txt")), false,
                                                       nullptr),
              first);
    EXPECT_EQ(controller.documents().size(), 1);
    EXPECT_EQ(controller.recentDocumentURLs(), QList<QUrl>{QUrl::fromLocalFile(dir.filePath("good.txt"))});
    first->close();
    EXPECT_TRUE(controller.documents().isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
