// The clip table's controller and drag and drop. The controller and the model run without a window over
// a document of real clips, the model's imports recorded: inserting and removing at arranged indexes, the
// document's own changes, drops. A few runs go through a real playlist window: its table's drag events,
// its import and its operations. Drags made with the mouse are in tests/serial.
#include "document/ClipImporter.h"
#include "document/ClipPasteboard.h"
#include "support/PlaylistWindows.h"
#include "window/ClipTableModel.h"

#include <QDropEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <sys/stat.h>

namespace {

using Import = std::pair<QList<QUrl>, int>; // the files, and the row they go before
using DragAndDropTest = PlaylistWindowTest;

// Sends a drag's enter and move events to the table's viewport at the point; answers whether both were
// taken.
bool dragOver(ClipsTableView* table, const QMimeData* data, QPoint position, Qt::DropActions actions) {
    QDragEnterEvent enter(position, actions, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(table->viewport(), &enter);
    QDragMoveEvent move(position, actions, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(table->viewport(), &move);
    return enter.isAccepted() && move.isAccepted();
}

// Drags over the row and drops there; answers whether the drop was taken and with which action.
std::pair<bool, Qt::DropAction> dropOnto(ClipsTableView* table, const QMimeData* data, int row,
                                         Qt::DropActions actions = Qt::CopyAction | Qt::LinkAction) {
    const QPoint position = PlaylistWindowTest::rowPoint(table, row);
    if (!dragOver(table, data, position, actions))
        return {false, Qt::IgnoreAction};
    QDropEvent drop(QPointF(position), actions, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(table->viewport(), &drop);
    return {drop.isAccepted(), drop.dropAction()};
}

// The clips c0 ... c5 (copies of one movie) in a document shown by a clips controller, whose model takes
// the types a playlist window registers and records the imports it asks for.
class ClipModelDropTest : public ::testing::Test {
protected:
    void SetUp() override {
        QList<QUrl> files;
        for (int i = 0; i < 6; ++i)
            files.append(file("clip-1s.mp4", QStringLiteral("c%1.mp4").arg(i)));
        document.setClips(ClipImporter({false, false, 1}).run(files).importedClips);
        original = document.clips();
        controller.setContent(&document);
        model()->registerForDraggedTypes(
            {ClipPasteboard::CopiedRowsType, ClipPasteboard::MovedRowsType, ClipPasteboard::UriListType});
        model()->setDropHost({[] { return true; },
                              [this](const QList<QUrl>& urls, int row) {
                                  imports.append({urls, row});
                              }});
    }
    QUrl file(const QString& from, const QString& to) {
        return QUrl::fromLocalFile(copyTestMedia(from, dir.filePath(to)));
    }
    QUrl url(const QString& name) const { return QUrl::fromLocalFile(dir.filePath(name)); }
    ClipTableModel* model() const { return controller.model(); }
    bool drop(const QMimeData* data, Qt::DropAction action, int row) {
        return model()->dropMimeData(data, action, row, 0, {});
    }
    // New records of the first clip, named <prefix>0, <prefix>1, ...
    QList<ClipRecordPtr> made(int count, const QString& prefix) const {
        QList<ClipRecordPtr> clips;
        for (int i = 0; i < count; ++i) {
            clips.append(std::make_shared<ClipRecord>(*original[0]));
            clips.last()->name = prefix + QString::number(i);
        }
        return clips;
    }
    // The digits of the clips' names, in the table's order.
    QString order() const {
        QString digits;
        for (const ClipRecordPtr& clip : controller.arrangedObjects())
            digits.append(clip->name.at(1));
        return digits;
    }

    QTemporaryDir dir;
    OrvantaDocument document;
    ClipsController controller;
    QList<ClipRecordPtr> original;
    QList<Import> imports;
};

using ClipsControllerTest = ClipModelDropTest;

} // namespace

TEST_F(ClipsControllerTest, InsertsAndRemovesAtArrangedIndexesThroughTheDocument) {
    QSignalSpy arranged(&controller, &ClipsController::arrangedObjectsChanged);
    controller.setSelectionIndexes({3});
    controller.insertObjectsAtArrangedObjectIndex(made(2, "n"), 1);
    EXPECT_EQ(clipNames(document.clips()).join(u' '), "c0.mp4 n0 n1 c1.mp4 c2.mp4 c3.mp4 c4.mp4 c5.mp4");
    EXPECT_EQ(controller.arrangedObjects(), document.clips());
    EXPECT_EQ(clipNames(controller.selectedObjects()),
              QStringList{"c3.mp4"}); // the selection follows its clip
    controller.insertObjectsAtArrangedObjectIndex(made(1, "end"), 99);
    EXPECT_EQ(clipNames(document.clips()).last(), "end0");

    controller.setSelectionIndexes({1, 2, 8});
    controller.remove();
    EXPECT_EQ(document.clips(), original);
    // The selection does not go empty: the clip now where the first removed one stood.
    EXPECT_EQ(controller.selectionIndexes(), QList<int>{1});
    controller.removeObjectsAtArrangedObjectIndexes({5, 4, 4, 17});
    EXPECT_EQ(order(), "0123");
    EXPECT_EQ(arranged.count(), 4);
    controller.removeObjectsAtArrangedObjectIndexes({});
    controller.removeObjectsAtArrangedObjectIndexes({-1, 4});
    EXPECT_EQ(arranged.count(), 4); // nothing to remove, nothing reported
    // With nothing selected, clips coming in select the first row.
    controller.setSelectionIndexes({});
    controller.insertObjectsAtArrangedObjectIndex(made(1, "new"), 2);
    EXPECT_EQ(controller.selectionIndexes(), QList<int>{0});
}

TEST_F(ClipsControllerTest, RearrangingReportsOnlyRealChangesKeepsTheSelectedClipsAndEndsWithTheDocument) {
    QSignalSpy arranged(&controller, &ClipsController::arrangedObjectsChanged);
    QSignalSpy selection(&controller, &ClipsController::selectionDidChange);
    controller.rearrangeObjects();
    EXPECT_EQ(arranged.count(), 0);
    controller.setSelectionIndexes({2, 4});
    selection.clear();
    QList<ClipRecordPtr> changed = original;
    changed.move(4, 0);
    changed.removeAt(1);        // c0
    document.setClips(changed); // the document's own change reaches the table at once
    EXPECT_EQ(arranged.count(), 1);
    EXPECT_EQ(order(), "41235");
    EXPECT_EQ(clipNames(controller.selectedObjects()), (QStringList{"c4.mp4", "c2.mp4"}));
    controller.rearrangeObjects(); // already in line
    EXPECT_EQ(arranged.count(), 1);
    document.setClips(made(2, "new"));
    EXPECT_EQ(controller.selectionIndexes(), QList<int>{0});
    document.setClips({});
    EXPECT_TRUE(controller.selectionIndexes().isEmpty());
    EXPECT_GE(selection.count(), 2);
    // Let go of, the document is followed no more.
    document.setClips(original);
    controller.setContent(nullptr);
    EXPECT_TRUE(controller.arrangedObjects().isEmpty());
    document.setClips(made(1, "x"));
    EXPECT_TRUE(controller.arrangedObjects().isEmpty());
}

TEST_F(ClipModelDropTest, ItsOwnRowsAreMovedBeforeTheDropRowAndSelectedOrTheDropIsRefused) {
    // A drag carries each row once, in order, whichever of its cells it was given.
    std::unique_ptr<QMimeData> data(
        model()->mimeData({model()->index(3, 2), model()->index(1, 0), model()->index(3, 0)}));
    EXPECT_EQ(data->urls(), (QList<QUrl>{original[1]->URL, original[3]->URL}));
    EXPECT_TRUE(drop(data.get(), Qt::MoveAction, 5));
    EXPECT_EQ(order(), "024135");
    EXPECT_EQ(controller.selectionIndexes(), (QList<int>{3, 4}));
    EXPECT_EQ(document.clips(), controller.arrangedObjects());
    // Onto the table below its rows: to the end. The very records move.
    const QPersistentModelIndex first = model()->index(0, 1);
    data = model()->mimeDataForRows({0});
    EXPECT_TRUE(drop(data.get(), Qt::MoveAction, -1));
    EXPECT_EQ(order(), "241350");
    EXPECT_EQ(document.clips().last(), original[0]);
    EXPECT_EQ(first.row(), 5);                       // views keep what they knew of the row
    EXPECT_TRUE(model()->moveRows({}, 0, 2, {}, 5)); // Qt's move of a range of rows
    EXPECT_EQ(order(), "135240");

    // Moved rows that are missing, unreadable or not there: refused, and nothing moves.
    for (const QByteArray& rows :
         {QByteArray(), QByteArray("rows 1, 2"), ClipPasteboard::encodeMovedRows({7})}) {
        data = model()->mimeDataForRows({0, 1});
        data->removeFormat(ClipPasteboard::MovedRowsType);
        if (!rows.isEmpty())
            data->setData(ClipPasteboard::MovedRowsType, rows);
        EXPECT_FALSE(drop(data.get(), Qt::MoveAction, 3));
    }
    EXPECT_EQ(order(), "135240");
    EXPECT_TRUE(imports.isEmpty());
    // Nor is text taken.
    QMimeData text;
    text.setText(QStringLiteral("c0.mp4"));
    EXPECT_FALSE(model()->canDropMimeData(&text, Qt::CopyAction, 0, 0, {}));
}

TEST_F(ClipModelDropTest, ACopyIsOfNewRecordsWithMoviesOfTheirOwnAndLeavesOutClipsWhoseFilesAreGone) {
    std::unique_ptr<QMimeData> data = model()->mimeDataForRows({0, 1, 2});
    ASSERT_TRUE(QFile::remove(original[1]->URL.toLocalFile()));
    EXPECT_TRUE(drop(data.get(), Qt::CopyAction, 4));
    const QList<ClipRecordPtr> clips = document.clips();
    EXPECT_EQ(order(), "01230245");
    EXPECT_EQ(controller.selectionIndexes(), (QList<int>{4, 5}));
    EXPECT_EQ(clips.mid(0, 4), original.mid(0, 4)); // the dragged rows stay where they were
    for (const auto& [copy, of] : {std::pair(clips[4], original[0]), std::pair(clips[5], original[2])}) {
        EXPECT_FALSE(original.contains(copy));
        ASSERT_TRUE(copy->movie);
        EXPECT_NE(copy->movie, of->movie);
        EXPECT_EQ(copy->movie->url(), of->URL);
        EXPECT_EQ(copy->qttimeDuration, of->qttimeDuration);
        EXPECT_EQ(copy->bookmark, of->bookmark);
        EXPECT_NE(copy->posterImage.kind, PosterImage::Kind::None);
    }
    // Unreadable copies: the clips are made anew from their files by the import at the drop row; with
    // unreadable references too, the drop is refused.
    data = model()->mimeDataForRows({0, 2});
    data->setData(ClipPasteboard::CopiedRowsType, "garbage");
    EXPECT_TRUE(drop(data.get(), Qt::CopyAction, 3));
    data->setData(ClipPasteboard::PrivateClipsType, "garbage");
    EXPECT_FALSE(drop(data.get(), Qt::CopyAction, 3));
    EXPECT_EQ(imports, (QList<Import>{{{original[0]->URL, original[2]->URL}, 3}}));
}

TEST_F(ClipModelDropTest, ClipsFromElsewhereAreMadeFromRegularFilesByTheImportAtTheDropRow) {
    // Files of other programs: movie files only, and only regular files (a pipe would block the probe).
    // Rows of another playlist window come in by the import too: RealDragTest.
    QDir(dir.path()).mkdir("folder");
    file("clip-1s.mp4", "folder/inside.mp4");
    file("notes.txt", "notes.txt");
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("pipe.mp4")).constData(), 0600), 0);
    const QList<QUrl> useless = {url("notes.txt"),
                                 url("folder"),
                                 url("pipe.mp4"),
                                 url("gone.mp4"),
                                 QUrl::fromLocalFile("/dev/zero"),
                                 QUrl("https://example.com/z.mp4")};
    QMimeData files;
    files.setUrls(QList<QUrl>{file("clip-2s.mp4", "x.mp4")} + useless +
                  QList<QUrl>{file("clip-1s.mkv", "y.mkv")});
    EXPECT_TRUE(drop(&files, Qt::CopyAction, 2));

    // References, which are not filtered for movies, to no regular file: taken, and nothing comes of them.
    QMimeData references;
    references.setData(ClipPasteboard::CopiedRowsType, "x");
    QList<PrivateClipReference> nowhere;
    for (const QUrl& to : useless.mid(1))
        nowhere.append({to, std::nullopt, std::nullopt});
    references.setData(ClipPasteboard::PrivateClipsType, ClipPasteboard::encodePrivateClips(nowhere));
    EXPECT_TRUE(drop(&references, Qt::CopyAction, 0));
    // Unreadable or no references refuse the drop.
    for (const QByteArray& payload : {QByteArray("garbage"), ClipPasteboard::encodePrivateClips({})}) {
        references.setData(ClipPasteboard::PrivateClipsType, payload);
        EXPECT_FALSE(drop(&references, Qt::CopyAction, 0));
    }
    EXPECT_EQ(imports, (QList<Import>{{{url("x.mp4"), url("y.mkv")}, 2}, {{}, 0}}));
    EXPECT_EQ(document.clips(), original);
}

TEST_F(DragAndDropTest, TheWindowsOperationsMoveAndCopyRowsAndFilesComeInAtTheDropRowInTheirOrder) {
    OrvantaWindowController* wc = open("s", QStringList(4, "clip-1s.mp4"));
    ClipsTableView* table = tableOf(wc);
    const QList<ClipRecordPtr> original = wc->datasource()->clips();
    // What a drop does is DropPlan's; the table marks the row the drop goes above.
    EXPECT_EQ(wc->tableViewValidateDrop(table, 3, Qt::AltModifier), DropPlan::CopyDragOperation);
    EXPECT_EQ(table->dropRow(), 3);
    // A move before row -1, which is the first: the first of the moved rows becomes current. Copies and
    // rows of other windows through real drags: RealDragTest.
    std::unique_ptr<QMimeData> rows = wc->tableViewWriteRowsWithIndexes({2, 3});
    EXPECT_TRUE(wc->tableViewAcceptDrop(rows.get(), table, -1, Qt::NoModifier));
    EXPECT_EQ(names(wc).join(u' '), "s-c2.mp4 s-c3.mp4 s-c0.mp4 s-c1.mp4");
    EXPECT_EQ(wc->currentMovie(), original[2]->movie);

    // Movie files dropped from elsewhere, with the first two clips back.
    wc->datasource()->setClips(original.mid(0, 2));
    wc->clipsController()->setSelectionIndexes({1});
    QMimeData data;
    data.setUrls(
        {media("clip-2s.mp4", "x.mp4"), media("clip-1s.mp4", "y.mp4"), media("clip-1s.mkv", "z.mkv")});
    const struct {
        Qt::DropActions offered;
        int row;
        std::pair<bool, Qt::DropAction> answer;
        const char* clips;
    } cases[] = {
        {Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, 1, {true, Qt::CopyAction}, "s-c0 x y z s-c1"},
        // A program that offers its files only to be moved away would delete them: refused.
        {Qt::MoveAction, 0, {false, Qt::IgnoreAction}, "s-c0 x y z s-c1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(dropOnto(table, &data, c.row, c.offered), c.answer);
        imported(wc);
        EXPECT_EQ(names(wc).join(u' ').remove(".mp4").remove(".mkv"), c.clips);
        EXPECT_EQ(clipNames(wc->clipsController()->selectedObjects()), QStringList{"s-c1.mp4"});
        EXPECT_EQ(table->dropRow(), -1); // no drop line left behind
        EXPECT_FALSE(wc->dragIsActive());
        EXPECT_TRUE(wc->importedClips().isEmpty());
    }
    table->setEnabled(false);
    EXPECT_FALSE(dropOnto(table, &data, 0).first);
    table->setEnabled(true);

    // Nor is a drop taken while an import runs.
    for (int i = 0; i < 16; ++i)
        media("clip-1s.mp4", QStringLiteral("many/m%1.mp4").arg(i));
    // The run works in the background from the moment it starts; the drop is sent before the main loop
    // can see it end.
    wc->addClipsWithURLs({url("many")});
    ASSERT_TRUE(wc->isImporting());
    EXPECT_FALSE(dropOnto(table, &data, 0).first);
    imported(wc);
    EXPECT_EQ(names(wc).size(), 5 + 16);
    EXPECT_TRUE(presenter.alerts.isEmpty());

    // A drag near the bottom edge scrolls a long table, and the drop line follows.
    wc->datasource()->setClips(QList<ClipRecordPtr>(40, wc->datasource()->clips().first()));
    // The drop row is the row under the point, or the next one in its lower half.
    const int top = table->rowViewportPosition(1);
    const int half = table->rowHeight(1) / 2;
    for (const auto& [y, row] : {std::pair(top + 1, 1), {top + half - 1, 1}, {top + half + 1, 2}, {0, 0}})
        EXPECT_EQ(table->proposedDropRow({10, y}), row) << y;

    const QPoint nearBottom(20, table->viewport()->height() - 3);
    EXPECT_TRUE(dragOver(table, &data, nearBottom, Qt::CopyAction));
    const int before = table->dropRow();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return table->verticalScrollBar()->value() > 0 && table->dropRow() > before; }, 10000));
    EXPECT_EQ(table->dropRow(), table->proposedDropRow(nearBottom));
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(table->viewport(), &leave);
    EXPECT_EQ(table->dropRow(), -1);
}
