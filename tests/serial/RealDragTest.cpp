// A drag made with the mouse through a real QDrag between two playlist windows. The drag goes to
// whatever window is on top at the pointer, so these tests run alone on their display.
#include "integration/DragAndDropFixture.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QTest>
#include <gtest/gtest.h>

using namespace dnd_test;

TEST_F(DragAndDropTest, ARealDragMovesCopiesAndCarriesRowsBetweenWindows) {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "a real drag between windows needs the X11 platform (the tests run under Xvfb)";
    OrvantaDocument* standard = standardWithClips(4);
    OrvantaDocument* dynamic = dynamicWithTwoClips();
    OrvantaWindowController* target = windowControllerOf(standard);
    OrvantaWindowController* source = windowControllerOf(dynamic);
    // Side by side, so that each point on the screen belongs to one window.
    target->window()->setGeometry(0, 40, 800, 700);
    source->window()->setGeometry(900, 40, 800, 700);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return target->window()->geometry().topLeft() == QPoint(0, 40); }, 10000));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return source->window()->geometry().topLeft() == QPoint(900, 40); }, 10000));
    ClipsTableView* table = tableOf(target);
    const QList<ClipRecordPtr> original = standard->clips();

    OfferedActions offered;
    table->viewport()->installEventFilter(&offered);

    // Within the table: row 0 before row 3 is a move.
    table->clearSelection();
    ASSERT_TRUE(dragWithTheMouse(table, 0, table, rowPoint(table, 3)));
    ASSERT_EQ(names(standard->clips()), (QStringList{"c1.mp4", "c2.mp4", "c0.mp4", "c3.mp4"}));
    EXPECT_EQ(standard->clips()[2], original[0]);
    EXPECT_EQ(target->clipsController()->selectionIndexes(), QList<int>{2});

    // With Alt held at the drop: a copy, before row 1.
    ASSERT_TRUE(dragWithTheMouse(table, 2, table, rowPoint(table, 1), Qt::AltModifier));
    ASSERT_EQ(standard->clips().size(), 5);
    EXPECT_EQ(names(standard->clips()), (QStringList{"c1.mp4", "c0.mp4", "c2.mp4", "c0.mp4", "c3.mp4"}));
    EXPECT_NE(standard->clips()[1], original[0]);
    EXPECT_NE(standard->clips()[1]->movie, original[0]->movie);
    EXPECT_EQ(standard->clips()[3], original[0]);

    // From the dynamic playlist's window: new clips from its files, at the end.
    const QList<ClipRecordPtr> dragged = dynamic->clips();
    ASSERT_TRUE(dragWithTheMouse(tableOf(source), 1, table, rowPoint(table, 5)));
    ASSERT_EQ(standard->clips().size(), 6);
    EXPECT_EQ(standard->clips().last()->name, "d1.mkv");
    EXPECT_NE(standard->clips().last(), dragged[1]);
    EXPECT_EQ(dynamic->clips(), dragged);

    // And back: the dynamic playlist refuses rows from another table.
    ASSERT_TRUE(dragWithTheMouse(table, 0, tableOf(source), rowPoint(tableOf(source), 0)));
    EXPECT_EQ(dynamic->clips(), dragged);
    EXPECT_EQ(standard->clips().size(), 6);

    // Two selected rows dragged by the second of them go together, to the end.
    target->clipsController()->setSelectionIndexes({0, 1});
    ASSERT_TRUE(dragWithTheMouse(table, 1, table, rowPoint(table, 6)));
    ASSERT_EQ(names(standard->clips()),
              (QStringList{"c2.mp4", "c0.mp4", "c3.mp4", "d1.mkv", "c1.mp4", "c0.mp4"}));
    EXPECT_EQ(target->clipsController()->selectionIndexes(), (QList<int>{4, 5}));

    // Every drag offered copy and link, and never move: a file manager could otherwise move the files.
    ASSERT_FALSE(offered.offered.isEmpty());
    for (const Qt::DropActions actions : offered.offered)
        EXPECT_EQ(actions, Qt::CopyAction | Qt::LinkAction);

    // A press on one of several selected rows that never becomes a drag selects that row alone.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, rowPoint(table, 5));
    EXPECT_EQ(target->clipsController()->selectionIndexes(), QList<int>{5});
}
