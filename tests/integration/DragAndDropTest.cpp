// Drag and drop in the clip table with real windows, real movies and real drag events: reordering and
// copying within a table, rows dragged from one playlist window to another, movie files dropped from
// other programs, and drag data that is missing or hostile.
#include "integration/DragAndDropFixture.h"

#include "document/ClipPasteboard.h"

#include <QFile>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace dnd_test;

TEST_F(DragAndDropTest, RowsAreMovedBeforeTheDropRowAndSelected) {
    OrvantaDocument* document = standardWithClips(6);
    OrvantaWindowController* wc = windowControllerOf(document);
    ClipsTableView* table = tableOf(wc);
    ASSERT_NE(table, nullptr);
    const QList<ClipRecordPtr> original = document->clips();
    struct Case {
        QList<int> rows;
        int dropRow;
        QString order; // digits of the clips' names afterwards
        QList<int> selected;
    };
    const QList<Case> cases = {
        {{1, 3}, 5, "024135", {3, 4}}, {{0}, 6, "123450", {5}},  {{2, 3}, 2, "012345", {2, 3}},
        {{2, 3}, 4, "012345", {2, 3}}, {{2}, -1, "201345", {0}}, {{5, 4}, 0, "450123", {0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.order.toStdString());
        document->setClips(original);
        wc->clipsController()->setSelectionIndexes({0});
        const std::unique_ptr<QMimeData> data = wc->tableViewWriteRowsWithIndexes(c.rows);
        ASSERT_TRUE(data);
        EXPECT_EQ(wc->tableViewValidateDrop(table, c.dropRow, Qt::NoModifier),
                  OrvantaWindowController::MoveDragOperation);
        EXPECT_EQ(table->dropRow(), c.dropRow); // the drop goes above the proposed row
        EXPECT_TRUE(wc->tableViewAcceptDrop(data.get(), table, c.dropRow, Qt::NoModifier));
        QString order;
        for (const ClipRecordPtr& clip : document->clips()) {
            order.append(clip->name.at(1));
            EXPECT_TRUE(original.contains(clip)); // the very records moved
        }
        EXPECT_EQ(order, c.order);
        EXPECT_EQ(names(wc->clipsController()->arrangedObjects()), names(document->clips()));
        EXPECT_EQ(wc->clipsController()->selectionIndexes(), c.selected);
        // The first moved clip is now the current movie.
        EXPECT_EQ(wc->currentMovie(), document->clips()[c.selected.first()]->movie);
    }
}

TEST_F(DragAndDropTest, AltOrCtrlDraggingCopiesRowsAsNewRecordsWithMoviesOfTheirOwn) {
    OrvantaDocument* document = standardWithClips(6);
    OrvantaWindowController* wc = windowControllerOf(document);
    ClipsTableView* table = tableOf(wc);
    const QList<ClipRecordPtr> original = document->clips();
    for (const Qt::KeyboardModifiers modifier :
         {Qt::KeyboardModifiers(Qt::AltModifier), Qt::KeyboardModifiers(Qt::ControlModifier)}) {
        SCOPED_TRACE(int(modifier));
        document->setClips(original);
        const int changes = document->changeCount();
        const std::unique_ptr<QMimeData> data = wc->tableViewWriteRowsWithIndexes({0, 1});
        EXPECT_EQ(wc->tableViewValidateDrop(table, 4, modifier), OrvantaWindowController::CopyDragOperation);
        EXPECT_TRUE(wc->tableViewAcceptDrop(data.get(), table, 4, modifier));
        const QList<ClipRecordPtr> clips = document->clips();
        EXPECT_EQ(names(clips), (QStringList{"c0.mp4", "c1.mp4", "c2.mp4", "c3.mp4", "c0.mp4", "c1.mp4",
                                             "c4.mp4", "c5.mp4"}));
        EXPECT_EQ(wc->clipsController()->selectionIndexes(), (QList<int>{4, 5}));
        EXPECT_EQ(clips[0], original[0]); // the dragged rows stay where they were
        EXPECT_EQ(clips[1], original[1]);
        for (int i : {4, 5}) {
            EXPECT_NE(clips[i], original[i - 4]);
            ASSERT_TRUE(clips[i]->movie);
            EXPECT_NE(clips[i]->movie, original[i - 4]->movie);
            EXPECT_EQ(clips[i]->URL, original[i - 4]->URL);
            EXPECT_EQ(clips[i]->movie->url(), original[i - 4]->URL);
            EXPECT_EQ(clips[i]->qttimeDuration, original[i - 4]->qttimeDuration);
            EXPECT_EQ(clips[i]->bookmark, original[i - 4]->bookmark);
            EXPECT_NE(clips[i]->posterImage.kind, PosterImage::Kind::None);
        }
        EXPECT_NE(clips[4]->movie, clips[5]->movie);
        EXPECT_EQ(wc->currentMovie(), clips[4]->movie);
        EXPECT_GT(document->changeCount(), changes);
    }
}

TEST_F(DragAndDropTest, AMoveWithoutReadableRowsIsRefusedAndLeavesTheTableAlone) {
    OrvantaDocument* document = standardWithClips(4);
    OrvantaWindowController* wc = windowControllerOf(document);
    ClipsTableView* table = tableOf(wc);
    const QList<ClipRecordPtr> original = document->clips();
    const int changes = document->changeCount();
    const QList<std::pair<const char*, std::optional<QByteArray>>> cases = {
        {"missing", std::nullopt},
        {"unreadable", QByteArray("rows 1 and 2")},
        {"rows that are not there", ClipPasteboard::encodeMovedRows({7, 9})},
    };
    for (const auto& [what, rows] : cases) {
        SCOPED_TRACE(what);
        const std::unique_ptr<QMimeData> data = wc->tableViewWriteRowsWithIndexes({0, 1});
        data->removeFormat(MovedRows);
        if (rows)
            data->setData(MovedRows, *rows);
        EXPECT_FALSE(wc->tableViewAcceptDrop(data.get(), table, 3, Qt::NoModifier));
        EXPECT_EQ(document->clips(), original);
        EXPECT_EQ(wc->clipsController()->arrangedObjects(), original);
        EXPECT_EQ(document->changeCount(), changes);
        EXPECT_FALSE(wc->dragIsActive());
    }
}

TEST_F(DragAndDropTest, AnUnreadableCopyFallsThroughToTheClipReferences) {
    OrvantaDocument* document = standardWithClips(4);
    OrvantaWindowController* wc = windowControllerOf(document);
    ClipsTableView* table = tableOf(wc);
    const QList<ClipRecordPtr> original = document->clips();

    // Unreadable copies and unreadable references: nothing to go by, refused.
    std::unique_ptr<QMimeData> data = wc->tableViewWriteRowsWithIndexes({0, 1});
    data->setData(CopiedRows, "garbage");
    data->setData(PrivateClips, "garbage");
    EXPECT_FALSE(wc->tableViewAcceptDrop(data.get(), table, 3, Qt::AltModifier));
    data->setData(PrivateClips, ClipPasteboard::encodePrivateClips({}));
    EXPECT_FALSE(wc->tableViewAcceptDrop(data.get(), table, 3, Qt::AltModifier));
    EXPECT_EQ(document->clips(), original);

    // Unreadable copies, readable references: the clips are made anew from their files at the drop row.
    data = wc->tableViewWriteRowsWithIndexes({0, 1});
    data->setData(CopiedRows, "garbage");
    const int changes = document->changeCount();
    EXPECT_TRUE(wc->tableViewAcceptDrop(data.get(), table, 3, Qt::AltModifier));
    const QList<ClipRecordPtr> clips = document->clips();
    EXPECT_EQ(names(clips), (QStringList{"c0.mp4", "c1.mp4", "c2.mp4", "c0.mp4", "c1.mp4", "c3.mp4"}));
    EXPECT_FALSE(original.contains(clips[3]));
    EXPECT_FALSE(original.contains(clips[4]));
    EXPECT_NE(clips[3]->movie, original[0]->movie);
    EXPECT_FALSE(wc->dragIsActive());
    EXPECT_GT(document->changeCount(), changes);
    EXPECT_TRUE(presenter.alerts.isEmpty());
}

TEST_F(DragAndDropTest, RowsDraggedToAnotherWindowArriveAsNewClipsMadeFromTheirFiles) {
    OrvantaDocument* standard = standardWithClips(3);
    OrvantaDocument* dynamic = dynamicWithTwoClips();
    OrvantaWindowController* target = windowControllerOf(standard);
    OrvantaWindowController* source = windowControllerOf(dynamic);
    ASSERT_EQ(names(dynamic->clips()), (QStringList{"d0.mp4", "d1.mkv"}));
    const QList<ClipRecordPtr> dragged = dynamic->clips();

    // From the dynamic playlist's table into the standard playlist: a copy, whatever the keys.
    EXPECT_EQ(target->tableViewValidateDrop(source->clipsTable(), 1, Qt::NoModifier),
              OrvantaWindowController::CopyDragOperation);
    const std::unique_ptr<QMimeData> data = source->tableViewWriteRowsWithIndexes({0, 1});
    EXPECT_TRUE(dropOnto(tableOf(target), data.get(), rowPoint(tableOf(target), 1)));
    const QList<ClipRecordPtr> clips = standard->clips();
    EXPECT_EQ(names(clips), (QStringList{"c0.mp4", "d0.mp4", "d1.mkv", "c1.mp4", "c2.mp4"}));
    for (int i : {1, 2}) {
        EXPECT_NE(clips[i], dragged[i - 1]);
        EXPECT_NE(clips[i]->movie, dragged[i - 1]->movie);
        EXPECT_EQ(clips[i]->URL, dragged[i - 1]->URL);
    }
    EXPECT_EQ(names(dynamic->clips()), (QStringList{"d0.mp4", "d1.mkv"})); // the source keeps its rows
    EXPECT_FALSE(target->dragIsActive());

    // The other way: a dynamic playlist takes no rows from another table.
    const std::unique_ptr<QMimeData> back = target->tableViewWriteRowsWithIndexes({0});
    EXPECT_EQ(source->tableViewValidateDrop(target->clipsTable(), 0, Qt::NoModifier),
              OrvantaWindowController::NoDragOperation);
    EXPECT_FALSE(source->tableViewAcceptDrop(back.get(), target->clipsTable(), 0, Qt::NoModifier));
    EXPECT_FALSE(dropOnto(tableOf(source), back.get(), rowPoint(tableOf(source), 0)));
    EXPECT_EQ(dynamic->clips(), dragged);
}

TEST_F(DragAndDropTest, ADynamicPlaylistReordersItsOwnRowsButRefusesFiles) {
    OrvantaDocument* dynamic = dynamicWithTwoClips();
    OrvantaWindowController* wc = windowControllerOf(dynamic);
    ClipsTableView* table = tableOf(wc);
    EXPECT_EQ(wc->tableViewValidateDrop(table, 0, Qt::NoModifier),
              OrvantaWindowController::MoveDragOperation);
    const std::unique_ptr<QMimeData> data = wc->tableViewWriteRowsWithIndexes({1});
    EXPECT_TRUE(wc->tableViewAcceptDrop(data.get(), table, 0, Qt::NoModifier));
    EXPECT_EQ(names(dynamic->clips()), (QStringList{"d1.mkv", "d0.mp4"}));

    media("clip-2s.mp4", "outside/x.mp4");
    const auto outside = files({url("outside/x.mp4")});
    EXPECT_EQ(wc->tableViewValidateDrop(nullptr, 0, Qt::NoModifier),
              OrvantaWindowController::NoDragOperation);
    EXPECT_FALSE(dropOnto(table, outside.get(), rowPoint(table, 0)));
    EXPECT_FALSE(wc->tableViewAcceptDrop(outside.get(), nullptr, 0, Qt::NoModifier));
    EXPECT_EQ(names(dynamic->clips()), (QStringList{"d1.mkv", "d0.mp4"}));
    EXPECT_EQ(table->dropRow(), -1); // no drop line left behind
}

TEST_F(DragAndDropTest, MovieFilesFromOtherProgramsAreImportedAtTheDropRow) {
    OrvantaDocument* document = standardWithClips(3);
    OrvantaWindowController* wc = windowControllerOf(document);
    ClipsTableView* table = tableOf(wc);
    media("clip-2s.mp4", "outside/x.mp4");
    media("clip-1s.mkv", "outside/y.mkv");
    media("clip-1s.mp4", "outside/folder/inside.mp4");
    media("notes.txt", "outside/notes.txt");
    const auto data = files({url("outside/x.mp4"), url("outside/notes.txt"), url("outside/folder"),
                             QUrl(QStringLiteral("https://example.com/z.mp4")), url("outside/y.mkv")});
    EXPECT_EQ(wc->tableViewValidateDrop(nullptr, 1, Qt::NoModifier),
              OrvantaWindowController::CopyDragOperation);
    EXPECT_TRUE(dropOnto(table, data.get(), rowPoint(table, 1)));
    EXPECT_EQ(names(document->clips()), (QStringList{"c0.mp4", "x.mp4", "y.mkv", "c1.mp4", "c2.mp4"}));
    EXPECT_FALSE(wc->dragIsActive());

    // Below the last row: at the end.
    const auto more = files({url("outside/x.mp4")});
    EXPECT_TRUE(dropOnto(table, more.get(), rowPoint(table, 5)));
    EXPECT_EQ(names(document->clips()).last(), "x.mp4");
    EXPECT_EQ(document->clips().size(), 6);
    EXPECT_TRUE(presenter.alerts.isEmpty());
}

TEST_F(DragAndDropTest, ADropOfOnlyFoldersAndOtherFilesStillRunsTheImportAndSucceeds) {
    OrvantaDocument* document = standardWithClips(2);
    OrvantaWindowController* wc = windowControllerOf(document);
    media("clip-1s.mp4", "outside/folder/inside.mp4");
    media("notes.txt", "outside/notes.txt");
    const QList<ClipRecordPtr> original = document->clips();
    const int changes = document->changeCount();
    // A named pipe with no writer would block whoever opens it.
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("outside/pipe.mp4"))).constData(), 0600),
              0);
    const auto data = files({url("outside/folder"), url("outside/notes.txt"), url("outside/pipe.mp4"),
                             QUrl::fromLocalFile(QStringLiteral("/dev/zero"))});
    EXPECT_TRUE(dropOnto(tableOf(wc), data.get(), rowPoint(tableOf(wc), 1)));
    EXPECT_EQ(document->clips(), original); // the folder was not walked
    // An import run ran, with nothing to add: it adds its one change and clears the drag.
    EXPECT_EQ(document->changeCount(), changes + 1);
    EXPECT_FALSE(wc->dragIsActive());
    EXPECT_TRUE(presenter.alerts.isEmpty());
}

TEST_F(DragAndDropTest, HostileClipReferencesAreRefusedOrComeToNothing) {
    OrvantaDocument* document = standardWithClips(2);
    OrvantaWindowController* wc = windowControllerOf(document);
    ClipsTableView* table = tableOf(wc);
    const QList<ClipRecordPtr> original = document->clips();
    const int changes = document->changeCount();
    const QList<QByteArray> refused = {
        QByteArray(),
        QByteArray("garbage"),
        header(3, 0xffffffff) + QByteArray(32, '\xff'),
        header(3, 1) + QByteArray("\xff\xff\xff\x7f", 4) + "file:///etc/passwd",
        ClipPasteboard::encodePrivateClips({}),
        ClipPasteboard::encodeMovedRows({0}),
    };
    for (const QByteArray& payload : refused) {
        QMimeData data;
        data.setData(CopiedRows, "x"); // a type the table is registered for
        data.setData(PrivateClips, payload);
        EXPECT_FALSE(dropOnto(table, &data, rowPoint(table, 0))) << payload.toHex().left(40).toStdString();
    }
    EXPECT_EQ(document->clips(), original);
    EXPECT_EQ(document->changeCount(), changes);

    // Well-formed references to a folder full of movies, a named pipe, a device, a remote file and a
    // missing file: taken, and nothing comes of them.
    media("clip-1s.mp4", "elsewhere/a.mp4");
    ASSERT_EQ(
        ::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("elsewhere/pipe.mp4"))).constData(), 0600), 0);
    QMimeData data;
    data.setData(CopiedRows, "x");
    data.setData(PrivateClips,
                 ClipPasteboard::encodePrivateClips(
                     {{url("elsewhere"), std::nullopt, std::nullopt},
                      {url("elsewhere/pipe.mp4"), std::nullopt, std::nullopt},
                      {QUrl::fromLocalFile(QStringLiteral("/dev/zero")), std::nullopt, std::nullopt},
                      {QUrl(QStringLiteral("https://example.com/a.mp4")), std::nullopt, std::nullopt},
                      {url("elsewhere/missing.mp4"), std::nullopt, std::nullopt}}));
    EXPECT_TRUE(dropOnto(table, &data, rowPoint(table, 0)));
    EXPECT_EQ(document->clips(), original);
    EXPECT_TRUE(presenter.alerts.isEmpty());
}

TEST_F(DragAndDropTest, ADisabledTableRefusesEveryDrop) {
    OrvantaDocument* document = standardWithClips(2);
    OrvantaWindowController* wc = windowControllerOf(document);
    ClipsTableView* table = tableOf(wc);
    media("clip-1s.mp4", "outside/x.mp4");
    table->setEnabled(false);
    EXPECT_EQ(wc->tableViewValidateDrop(table, 0, Qt::NoModifier), OrvantaWindowController::NoDragOperation);
    EXPECT_EQ(wc->tableViewValidateDrop(nullptr, 0, Qt::NoModifier),
              OrvantaWindowController::NoDragOperation);
    const auto data = files({url("outside/x.mp4")});
    EXPECT_FALSE(dropOnto(table, data.get(), rowPoint(table, 0)));
    EXPECT_EQ(document->clips().size(), 2);
}

TEST_F(DragAndDropTest, TheDropRowIsTheRowUnderThePointOrTheNextInItsLowerHalf) {
    OrvantaDocument* document = standardWithClips(3);
    ClipsTableView* table = tableOf(windowControllerOf(document));
    const int height = table->rowHeight(1);
    const int top = table->rowViewportPosition(1);
    const QList<std::pair<QPoint, int>> cases = {
        {{10, top + 1}, 1},
        {{10, top + height / 2 - 1}, 1},
        {{10, top + height / 2 + 1}, 2},
        {{10, table->rowViewportPosition(2) + height - 1}, 3},
        {{10, table->rowViewportPosition(2) + height + 10}, 3},
        {{10, 0}, 0},
    };
    for (const auto& [point, row] : cases)
        EXPECT_EQ(table->proposedDropRow(point), row) << point.y();
}

TEST_F(DragAndDropTest, DragsOfferCopyAndLinkButNeverMove) {
    struct Case {
        int local;
        int external;
        Qt::DropActions actions;
    };
    const QList<Case> cases = {
        {17, 2, Qt::CopyAction | Qt::LinkAction},
        {1, 0, Qt::CopyAction},
        {0, 2, Qt::LinkAction},
        {16, 16, Qt::IgnoreAction},
        {19, 19, Qt::CopyAction | Qt::LinkAction},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClipsTableView::dragActionsForMasks(c.local, c.external), c.actions)
            << c.local << " " << c.external;

    // What a playlist window's table offers: copy or move within, link outside.
    OrvantaWindowController* wc = windowControllerOf(standardWithClips(1));
    const Qt::DropActions offered = ClipsTableView::dragActionsForMasks(
        wc->draggingSourceOperationMaskForLocal(true), wc->draggingSourceOperationMaskForLocal(false));
    EXPECT_FALSE(offered & Qt::MoveAction);
    EXPECT_TRUE(offered & Qt::CopyAction);
    EXPECT_TRUE(offered & Qt::LinkAction);
}

TEST_F(DragAndDropTest, DropsAreAnsweredWithCopyOrLinkAndNeverMove) {
    OrvantaDocument* document = standardWithClips(1);
    ClipsTableView* table = tableOf(windowControllerOf(document));
    media("clip-1s.mp4", "outside/x.mp4");
    const auto data = files({url("outside/x.mp4")});
    struct Case {
        Qt::DropActions offered;
        bool taken;
        Qt::DropAction answer;
    };
    const QList<Case> cases = {
        {Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, true, Qt::CopyAction},
        {Qt::MoveAction | Qt::CopyAction, true, Qt::CopyAction},
        {Qt::MoveAction | Qt::LinkAction, true, Qt::LinkAction},
        // A program that offers its files only to be moved away is refused.
        {Qt::MoveAction, false, Qt::MoveAction},
    };
    qsizetype expected = document->clips().size();
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.offered));
        Qt::DropAction answer = Qt::IgnoreAction;
        EXPECT_EQ(dropOnto(table, data.get(), rowPoint(table, 0), Qt::NoModifier, c.offered, &answer),
                  c.taken);
        if (c.taken) {
            EXPECT_EQ(answer, c.answer);
            ++expected;
        }
        EXPECT_EQ(document->clips().size(), expected);
    }
}

TEST_F(DragAndDropTest, ADragNearTheBottomEdgeScrollsALongTable) {
    OrvantaDocument* document = standardWithClips(1);
    OrvantaWindowController* wc = windowControllerOf(document);
    ClipsTableView* table = tableOf(wc);
    QList<ClipRecordPtr> many;
    for (int i = 0; i < 40; ++i)
        many.append(document->clips().first());
    document->setClips(many);
    QScrollBar* scroll = table->verticalScrollBar();
    ASSERT_GT(scroll->maximum(), 0);
    ASSERT_EQ(scroll->value(), 0);

    media("clip-1s.mp4", "outside/x.mp4");
    const auto data = files({url("outside/x.mp4")});
    const QPoint nearBottom(20, table->viewport()->height() - 3);
    QDragEnterEvent enter(nearBottom, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(table->viewport(), &enter);
    QDragMoveEvent move(nearBottom, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(table->viewport(), &move);
    EXPECT_TRUE(move.isAccepted());
    ASSERT_TRUE(QTest::qWaitFor([&] { return scroll->value() > 0; }, 10000));

    // The drop line follows the rows that moved under the pointer.
    ASSERT_TRUE(QTest::qWaitFor([&] { return table->dropRow() > 1; }, 10000));
    EXPECT_EQ(table->dropRow(), table->proposedDropRow(nearBottom));

    // Leaving takes the drop line away.
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(table->viewport(), &leave);
    EXPECT_EQ(table->dropRow(), -1);
    EXPECT_EQ(document->clips().size(), 40);
}

TEST_F(DragAndDropTest, ACopyLeavesOutClipsWhoseFilesAreGone) {
    OrvantaDocument* document = standardWithClips(4);
    OrvantaWindowController* wc = windowControllerOf(document);
    ClipsTableView* table = tableOf(wc);
    const std::unique_ptr<QMimeData> data = wc->tableViewWriteRowsWithIndexes({0, 1, 2});
    ASSERT_TRUE(QFile::remove(document->clips()[1]->URL.toLocalFile()));
    EXPECT_TRUE(wc->tableViewAcceptDrop(data.get(), table, 4, Qt::AltModifier));
    EXPECT_EQ(names(document->clips()),
              (QStringList{"c0.mp4", "c1.mp4", "c2.mp4", "c3.mp4", "c0.mp4", "c2.mp4"}));
    EXPECT_EQ(wc->clipsController()->selectionIndexes(), (QList<int>{4, 5}));
}
