#pragma once

#include <QPersistentModelIndex>
#include <QTableView>
#include <functional>

class OrvantaWindowController;

// The clip table. The up and down arrows move the selection and then send the table's own action, if
// it has one; Backspace and Delete remove the selected clips through the window controller (Delete is
// what a Linux list is expected to answer to). Every other key is the table's. The context menu of a
// row offers the row actions of its trailing edge.
//
// Rows are dragged as Qt's item views drag them, with what the model gives: a press on one of several
// selected rows keeps them selected so that they go together, and the drag's picture is the dragged
// rows. The drag proposes a link, so that a file manager links to the movies rather than copying them.
// Drops are the model's to judge and take; the table does itself what Qt's views do otherwise. They
// answer a drag with the action it proposes (a move, if it proposes one: its source would then delete
// what it gave) and tell the model that answer rather than what the user asked for. Here a drag is
// answered with copy or link (DropPlan), and the model is told whether the user asked for a move or a
// copy. A drop always goes between rows: a line marks the row it goes before, after the last row too,
// and follows the rows as the table scrolls near its edges (Qt's scrolling).
class ClipsTableView : public QTableView {
    Q_OBJECT
public:
    explicit ClipsTableView(QWidget* parent = nullptr);

    // The controller that removes clips; not owned.
    void setWindowController(OrvantaWindowController* controller) { m_windowController = controller; }
    // Sent, with the table as sender, after an arrow key moved the selection; none by default.
    void setAction(std::function<void(ClipsTableView*)> action) { m_action = std::move(action); }

    // Removes a row from view with a slide up over the given time, then calls done (unless the table
    // went away meanwhile).
    void slideUpRow(int row, int durationMs, std::function<void()> done);

    // The row before which a drop at the position (viewport coordinates) goes: the row under it, or the
    // next one in its lower half; the row count below the last row.
    int proposedDropRow(const QPoint& position) const;
    // The row the drop line stands before; -1 for none.
    void setDropRow(int row);
    int dropRow() const { return m_dropRow; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Answers a drag over its position, and shows the drop line where the drag is taken; true when it is.
    bool answerDrag(QDropEvent* event);

    OrvantaWindowController* m_windowController = nullptr;
    std::function<void(ClipsTableView*)> m_action;
    // The mouse release that ended a drag from here is handed back to the table after the drag. Qt's view
    // takes it as the release of the press that started the drag, which selects the row under it alone,
    // or nothing below the rows: the drop's selection of the rows it placed would be lost.
    bool m_releaseEndedDrag = false;
    int m_dropRow = -1;
    QList<QPersistentModelIndex> m_sliding; // rows sliding away (slideUpRow)
    QPoint m_dragPosition;                  // of the drag last answered, in viewport coordinates
};
