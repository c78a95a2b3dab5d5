// A drag made with the mouse through a real QDrag between two playlist windows. The drag goes to
// whatever window is on top at the pointer, so these tests run alone on their display.
#include "support/PlaylistWindows.h"

#include <QApplication>
#include <QDrag>
#include <QTest>
#include <QTimer>

namespace {

using DragAndDropTest = PlaylistWindowTest;

// A drag as the mouse makes it: a press on the source row and moves past the drag distance start the
// table's drag, whose QDrag::exec runs its own event loop; from inside that loop a timer moves the
// mouse over the target point and releases it there with the given keys. Answers whether the release
// was made (a drag that never ends is cancelled after a generous while); the drop has been handled then.
bool dragWithTheMouse(ClipsTableView* source, int row, ClipsTableView* target, const QPoint& at,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const QPoint start = PlaylistWindowTest::rowPoint(source, row);
    QTest::mousePress(source->viewport(), Qt::LeftButton, Qt::NoModifier, start);
    int step = 0;
    bool released = false;
    QTimer driver;
    driver.setInterval(20);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        ++step;
        if (step <= 4) {
            QTest::mouseMove(target->viewport(), at + QPoint(step % 2, 0));
        } else if (!released) {
            released = true;
            QTest::mouseRelease(target->viewport(), Qt::LeftButton, modifiers, at);
        } else if (step > 1500) {
            QDrag::cancel();
        }
    });
    driver.start();
    // The first move readies the drag, the next one past the drag distance starts it; it returns when
    // the drag is over.
    QTest::mouseMove(source->viewport(), start + QPoint(0, 1));
    QTest::mouseMove(source->viewport(), start + QPoint(0, 2 * QApplication::startDragDistance()));
    driver.stop();
    // The drag hands the release it took back to the window it happened over, as a posted event; it
    // must arrive before the next press, as it does with a real mouse.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    if (!released) // the drag never started; let go of the button
        QTest::mouseRelease(source->viewport(), Qt::LeftButton, Qt::NoModifier, start);
    return released;
}

// Records the actions that the drags arriving at a widget offer.
class OfferedActions : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::DragMove || event->type() == QEvent::Drop)
            offered.append(static_cast<QDropEvent*>(event)->possibleActions());
        return false;
    }
    QList<Qt::DropActions> offered;
};

} // namespace

TEST_F(DragAndDropTest, ARealDragMovesCopiesAndCarriesRowsBetweenWindows) {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "a real drag between windows needs the X11 platform (the tests run under Xvfb)";
    OrvantaWindowController* target = open("s", QStringList(4, "clip-1s.mp4"));
    OrvantaWindowController* source = open("d", QStringList(2, "clip-1s.mp4"));
    OrvantaDocument* standard = target->datasource();
    OrvantaDocument* dynamic = source->datasource();
    dynamic->setIsDynamicPlaylist(true);
    // Side by side, so that each point on the screen belongs to one window.
    target->window()->setGeometry(0, 40, 800, 700);
    source->window()->setGeometry(900, 40, 800, 700);
    ASSERT_TRUE(QTest::qWaitFor([&] { return source->window()->geometry().topLeft() == QPoint(900, 40); }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return target->window()->geometry().topLeft() == QPoint(0, 40); }));
    ClipsTableView* table = tableOf(target);
    const QList<ClipRecordPtr> original = standard->clips();
    OfferedActions offered;
    table->viewport()->installEventFilter(&offered);

    // Within the table: row 0 before row 3 is a move.
    table->clearSelection();
    ASSERT_TRUE(dragWithTheMouse(table, 0, table, rowPoint(table, 3)));
    EXPECT_EQ(standard->clips(), (QList<ClipRecordPtr>{original[1], original[2], original[0], original[3]}));
    EXPECT_EQ(target->clipsController()->selectionIndexes(), QList<int>{2});

    // With Alt held at the drop: a copy, before row 1.
    ASSERT_TRUE(dragWithTheMouse(table, 2, table, rowPoint(table, 1), Qt::AltModifier));
    EXPECT_EQ(names(target).join(u' '), "s-c1.mp4 s-c0.mp4 s-c2.mp4 s-c0.mp4 s-c3.mp4");
    EXPECT_FALSE(original.contains(standard->clips()[1]));

    // From the dynamic playlist's window: a new clip from its file, at the end.
    const QList<ClipRecordPtr> dragged = dynamic->clips();
    ASSERT_TRUE(dragWithTheMouse(tableOf(source), 1, table, rowPoint(table, 5)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !target->isImporting(); }, 30000));
    ASSERT_EQ(standard->clips().size(), 6);
    EXPECT_EQ(standard->clips().last()->name, "d-c1.mp4");
    EXPECT_NE(standard->clips().last(), dragged[1]);
    // And back: the dynamic playlist refuses rows from another table.
    ASSERT_TRUE(dragWithTheMouse(table, 0, tableOf(source), rowPoint(tableOf(source), 0)));
    EXPECT_EQ(dynamic->clips(), dragged);
    EXPECT_EQ(standard->clips().size(), 6);

    // Two selected rows dragged by the second of them go together, to the end, and stay selected.
    target->clipsController()->setSelectionIndexes({0, 1});
    ASSERT_TRUE(dragWithTheMouse(table, 1, table, rowPoint(table, 6)));
    EXPECT_EQ(names(target).join(u' '), "s-c2.mp4 s-c0.mp4 s-c3.mp4 d-c1.mp4 s-c1.mp4 s-c0.mp4");
    EXPECT_EQ(target->clipsController()->selectionIndexes(), (QList<int>{4, 5}));

    // Every drag offered copy and link, and never move: a file manager could otherwise move the files.
    ASSERT_FALSE(offered.offered.isEmpty());
    for (const Qt::DropActions actions : offered.offered)
        EXPECT_EQ(actions, Qt::CopyAction | Qt::LinkAction);
    // A press on one of several selected rows that never becomes a drag selects that row alone.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, rowPoint(table, 5));
    EXPECT_EQ(target->clipsController()->selectionIndexes(), QList<int>{5});
}
