// Playlist files in hostile places: a full disk, special files where a playlist should be, files owned
// by someone else. The application's documents and the orvanta-playlist tool are checked side by side.
#include "UnitFiles.h"
#include "document/OrvantaDocument.h"
#include "platform/documents/DocumentController.h"
#include "platform/documents/SafeFile.h"
#include "support/RecordingPresenter.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// "exit STATUS: " and what the tool wrote to standard error.
QString toolExit(const QStringList& arguments) {
    const ToolRun run = runTool(arguments);
    return QStringLiteral("exit %1: ").arg(run.status) + run.err;
}

struct stat statOf(const QString& path) {
    struct stat info {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0) << path.toStdString();
    return info;
}

// The document the application opens a playlist into, read from its file.
std::unique_ptr<OrvantaDocument> openDocument(const QString& path) {
    auto document = std::make_unique<OrvantaDocument>();
    DocumentError error;
    EXPECT_TRUE(document->readFromURL(QUrl::fromLocalFile(path), QString(), &error))
        << error.localizedDescription.toStdString();
    document->setFileURL(QUrl::fromLocalFile(path));
    return document;
}

// A small tmpfs, filled up, in a mount namespace of this thread's own: the mount is seen by this (the
// main) thread and the programs it starts, and goes away with the process whatever happens. Worker
// threads still see the folder beneath, so nothing they read may live on it.
class FullDisk : public ::testing::Test {
protected:
    void SetUp() override {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("orvanta-full", QFile::encodeName(disk.path()).constData(), "tmpfs", 0, "size=128k") != 0)
            GTEST_SKIP() << "a tmpfs cannot be mounted here (" << std::strerror(errno)
                         << "); needs root or CAP_SYS_ADMIN, so the full-disk checks did not run";
        mounted = true;
        ASSERT_TRUE(toolExit({"new", "--set", "volume=0.25", "-o", playlist}).startsWith("exit 0"));
        before = fileContents(playlist);
        // Fill every block that is left.
        QFile filler(QDir(disk.path()).filePath("filler"));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size()) {
        }
    }
    void TearDown() override {
        if (mounted)
            ::umount2(QFile::encodeName(disk.path()).constData(), MNT_DETACH);
    }

    QTemporaryDir disk;
    bool mounted = false;
    QString playlist = disk.filePath("full.orvplaylist");
    QByteArray before;
};

} // namespace

TEST_F(FullDisk, EverySaveFailsWithTheReasonAndLeavesTheOldFile) {
    RecordingPresenter presenter;
    auto document = openDocument(playlist);
    const QStringList entries = QDir(disk.path()).entryList(QDir::Files | QDir::Hidden);
    const struct {
        const char* name;
        std::function<QString()> failure; // the message given; empty when it claimed success
        const char* file = "full.orvplaylist";
    } writers[] = {
        {"save",
         [&] {
             document->settings()->setValue("speed", TypedNumber::float32(2.0f));
             document->updateChangeCount(Document::ChangeKind::Done);
             DocumentError error;
             return document->save(&error) ? QString() : error.localizedDescription;
         }},
        {"set",
         [&] {
             return toolExit({"set", playlist, "volume=0.5"});
         }},
        {"new",
         [&] {
             return toolExit({"new", "-o", disk.filePath("fresh.orvplaylist")});
         },
         "fresh.orvplaylist"},
    };
    for (const auto& writer : writers) {
        const QString message = writer.failure();
        EXPECT_TRUE(message.contains("No space left on device") && message.contains(writer.file))
            << writer.name << ": " << message.toStdString();
        EXPECT_TRUE(!message.startsWith("exit ") || message.startsWith("exit 1: ")) << message.toStdString();
        EXPECT_EQ(fileContents(playlist), before) << writer.name;
        EXPECT_EQ(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden), entries) << writer.name;
    }
    EXPECT_TRUE(document->isDocumentEdited()); // the edits wait for the next save
}

TEST(SpecialFiles, AreRefusedUnreadByTheApplicationAndTheTool) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath("pipe.orvplaylist");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    const QString folder = dir.filePath("folder.orvplaylist");
    ASSERT_TRUE(QDir().mkdir(folder));
    // Sparse: larger than any playlist without taking the disk.
    const QString huge = dir.filePath("huge.orvplaylist");
    QFile hugeFile(huge);
    ASSERT_TRUE(hugeFile.open(QIODevice::WriteOnly) && hugeFile.resize(SafeFile::MaximumReadSize + 1));
    hugeFile.close();
    const QString notes = dir.filePath("shopping list.orvplaylist");
    ASSERT_TRUE(writeFile(notes, "milk, bread"));

    const struct {
        QString path;
        const char* reason;
    } cases[] = {
        {fifo, "it is a named pipe, not a regular file"},
        {"/dev/zero", "it is a device, not a regular file"},
        {folder, "it is a folder, not a file"},
        {huge, "larger than a playlist file can be (256 MB)"},
        {dir.filePath("absent.orvplaylist"), "No such file or directory"},
        {notes, "could not be opened. It is not a playlist"},
    };
    RecordingPresenter presenter;
    DocumentController controller;
    controller.registerDocumentType({OrvantaDocument::StandardPlaylistType, "Standard Playlist",
                                     "orvplaylist", "application/x-orvanta-standard-playlist", nullptr,
                                     [] { return std::make_unique<OrvantaDocument>(); }});
    for (const auto& test : cases) {
        const QString name = QFileInfo(test.path).fileName();
        controller.openDocumentPresentingErrors(QUrl::fromLocalFile(test.path));
        ASSERT_FALSE(presenter.alerts.isEmpty());
        const QString alert = presenter.alerts.takeLast().first;
        EXPECT_TRUE(alert.contains(name) && alert.contains(test.reason)) << alert.toStdString();
        EXPECT_TRUE(controller.documents().isEmpty() && controller.recentDocumentURLs().isEmpty());

        for (const QStringList& command :
             {QStringList{"show", test.path}, QStringList{"set", test.path, "speed=2"}}) {
            const QString run = toolExit(command);
            EXPECT_TRUE(run.startsWith("exit 1: ") && run.contains(name) && run.contains(test.reason))
                << run.toStdString();
        }
    }
    EXPECT_EQ(statOf(huge).st_blocks, 0); // nothing was written into them
    EXPECT_EQ(fileContents(notes), "milk, bread");
}

TEST(ReplacingAFile, KeepsItsOwnerPermissionsAndLinksAndRefusesAnotherWritersVersion) {
    QTemporaryDir dir;
    const QString playlist = dir.filePath("owned.orvplaylist");
    ASSERT_TRUE(toolExit({"new", "-o", playlist}).startsWith("exit 0"));
    ASSERT_EQ(::chmod(QFile::encodeName(playlist).constData(), 0640), 0);
    // Root can give the file away, as an installer setting up a user's playlists would.
    const bool asRoot = ::geteuid() == 0;
    if (asRoot) {
        ASSERT_EQ(::chown(QFile::encodeName(playlist).constData(), 4321, 4322), 0);
    }

    ASSERT_TRUE(toolExit({"set", playlist, "volume=0.5"}).startsWith("exit 0"));
    auto document = openDocument(playlist);
    document->settings()->setValue("speed", TypedNumber::float32(2.0f));
    document->updateChangeCount(Document::ChangeKind::Done);
    DocumentError error;
    ASSERT_TRUE(document->save(&error)) << error.localizedDescription.toStdString();
    const struct stat after = statOf(playlist);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    if (asRoot) {
        EXPECT_EQ(after.st_uid, 4321u);
        EXPECT_EQ(after.st_gid, 4322u);
    }
    EXPECT_TRUE(fileContents(playlist).contains("volume"));

    // A link stays a link: the file it leads to is replaced.
    const QString link = dir.filePath("link.orvplaylist");
    ASSERT_TRUE(QFile::link(playlist, link));
    ASSERT_TRUE(SafeFile::write(link, "new bytes"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(fileContents(playlist), "new bytes");

    // The version read is not the one on disk any more: nothing is written.
    const SafeFile::ReadResult read = SafeFile::read(playlist);
    ASSERT_TRUE(read && SafeFile::write(playlist, "another writer's bytes"));
    const SafeFile::WriteResult refused = SafeFile::write(playlist, "stale bytes", read.identity);
    EXPECT_TRUE(!refused && refused.changedByAnotherWriter);
    EXPECT_EQ(fileContents(playlist), "another writer's bytes");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 2);
}
