// The clip table's keys and its "Delete" row action, with real widgets and real clips.
#include "app/OrvantaDocumentController.h"
#include "document/ClipImporter.h"
#include "document/OrvantaDocument.h"
#include "support/RecordingPresenter.h"
#include "support/TestMedia.h"
#include "support/Wait.h"
#include "window/ClipsController.h"
#include "window/ClipsTableView.h"
#include "window/OrvantaWindowController.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

OrvantaWindowController* windowControllerOf(Document* document) {
    if (!document || document->windowControllers().empty())
        return nullptr;
    return dynamic_cast<OrvantaWindowController*>(document->windowControllers().front());
}

class TransportTableTest : public ::testing::Test {
protected:
    void SetUp() override { qputenv("ORVANTA_AUDIO", "null"); }
    void TearDown() override {
        controller.closeAllDocuments();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    OrvantaDocument* open(const QString& file, int clips, bool dynamic = false) {
        QDir().mkpath(dir.filePath(file));
        QList<QUrl> urls;
        for (int i = 0; i < clips; ++i) {
            const QString path = dir.filePath(QStringLiteral("%1/c%2.mp4").arg(file).arg(i));
            EXPECT_TRUE(QFile::copy(testMediaPath("clip-0.5s.mp4"), path));
            urls.append(QUrl::fromLocalFile(path));
        }
        auto document = OrvantaDocument::initWithType(OrvantaDocument::StandardPlaylistType, nullptr);
        document->setIsDynamicPlaylist(dynamic);
        if (dynamic) {
            document->setDynamicSourceFolder(QUrl::fromLocalFile(dir.filePath(file)));
        } else {
            ClipImporter importer({false, false, 1});
            document->setClips(importer.run(urls).importedClips);
        }
        const QString type =
            dynamic ? OrvantaDocument::DynamicPlaylistType : OrvantaDocument::StandardPlaylistType;
        DocumentError error;
        const QUrl where = QUrl::fromLocalFile(dir.filePath(file + QStringLiteral(".orvplaylist")));
        EXPECT_TRUE(document->saveToURL(where, type, Document::SaveOperation::SaveAs, &error));
        return qobject_cast<OrvantaDocument*>(controller.openDocumentWithContentsOfURL(where, true, &error));
    }

    static QStringList names(OrvantaWindowController* wc) {
        QStringList list;
        for (const ClipRecordPtr& clip : wc->clipsController()->arrangedObjects())
            list.append(clip->name);
        return list;
    }

    QTemporaryDir dir;
    RecordingPresenter presenter;
    OrvantaDocumentController controller;
};

} // namespace

TEST_F(TransportTableTest, ArrowsMoveTheSelectionAndBackspaceOrDeleteRemoves) {
    OrvantaWindowController* wc = windowControllerOf(open(QStringLiteral("keys"), 4));
    ASSERT_NE(wc, nullptr);
    wc->window()->show();
    auto* table = qobject_cast<ClipsTableView*>(wc->clipsTable());
    ASSERT_NE(table, nullptr);
    table->setFocus();
    table->setCurrentIndex(table->model()->index(0, 1));
    int actions = 0;
    table->setAction([&](ClipsTableView* sender) {
        EXPECT_EQ(sender, table);
        ++actions;
    });

    QTest::keyClick(table, Qt::Key_Down);
    EXPECT_EQ(wc->clipsController()->selectionIndexes(), QList<int>{1});
    EXPECT_EQ(wc->currentMovie(), wc->clipsController()->arrangedObjects().at(1)->movie);
    QTest::keyClick(table, Qt::Key_Down);
    QTest::keyClick(table, Qt::Key_Up);
    EXPECT_EQ(wc->clipsController()->selectionIndexes(), QList<int>{1});
    EXPECT_EQ(actions, 3);

    QTest::keyClick(table, Qt::Key_Backspace);
    EXPECT_EQ(names(wc), (QStringList{"c0.mp4", "c2.mp4", "c3.mp4"}));
    wc->clipsController()->setSelectionIndexes({2});
    QTest::keyClick(table, Qt::Key_Delete);
    EXPECT_EQ(names(wc), (QStringList{"c0.mp4", "c2.mp4"}));
    // Other keys are the table's: no removal, no action.
    QTest::keyClick(table, Qt::Key_A);
    EXPECT_EQ(names(wc).size(), 2);
    EXPECT_EQ(actions, 3);
    EXPECT_EQ(presenter.beeps, 0);
}

TEST_F(TransportTableTest, DeleteInAnEmptyPlaylistOrADynamicOneOnlyBeeps) {
    OrvantaWindowController* empty = windowControllerOf(open(QStringLiteral("empty"), 0));
    ASSERT_NE(empty, nullptr);
    empty->window()->show();
    QTest::keyClick(empty->clipsTable(), Qt::Key_Delete);
    QTest::keyClick(empty->clipsTable(), Qt::Key_Down);
    EXPECT_EQ(presenter.beeps, 1);
    EXPECT_EQ(empty->currentMovie(), nullptr);

    OrvantaWindowController* dynamic = windowControllerOf(open(QStringLiteral("folder"), 2, true));
    ASSERT_NE(dynamic, nullptr);
    dynamic->window()->show();
    ASSERT_EQ(names(dynamic).size(), 2);
    QTest::keyClick(dynamic->clipsTable(), Qt::Key_Backspace);
    EXPECT_EQ(names(dynamic).size(), 2);
    EXPECT_EQ(presenter.beeps, 2);
    // A dynamic playlist offers no row action at either edge.
    EXPECT_TRUE(dynamic->tableViewRowActionsForRow(0, OrvantaWindowController::TrailingEdge).isEmpty());
    EXPECT_TRUE(dynamic->tableViewRowActionsForRow(0, OrvantaWindowController::LeadingEdge).isEmpty());
}

TEST_F(TransportTableTest, TheDeleteRowActionSlidesTheRowAwayThenRemovesItsClip) {
    OrvantaDocument* document = open(QStringLiteral("rows"), 3);
    OrvantaWindowController* wc = windowControllerOf(document);
    ASSERT_NE(wc, nullptr);
    wc->window()->show();
    EXPECT_TRUE(wc->tableViewRowActionsForRow(1, OrvantaWindowController::LeadingEdge).isEmpty());
    const QList<OrvantaWindowController::RowAction> actions =
        wc->tableViewRowActionsForRow(1, OrvantaWindowController::TrailingEdge);
    ASSERT_EQ(actions.size(), 1);
    EXPECT_EQ(actions[0].title, QStringLiteral("Delete"));
    EXPECT_TRUE(actions[0].destructive);

    const int height = wc->clipsTable()->rowHeight(1);
    actions[0].handler(1);
    // The record stays while the row slides away.
    EXPECT_EQ(names(wc).size(), 3);
    WAIT_UNTIL(wc->clipsTable()->rowHeight(1) < height, 5000);
    WAIT_EQ(names(wc), (QStringList{"c0.mp4", "c2.mp4"}), 5000);
    EXPECT_TRUE(document->isDocumentEdited());
    EXPECT_EQ(wc->clipsTable()->rowHeight(1), height);
}
