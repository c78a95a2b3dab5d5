#pragma once

#include <QTableView>
#include <functional>

class OrvantaWindowController;
class QTimer;

// The clip table. The up and down arrows move the selection and then send the table's own action, if
// it has one; Backspace and Delete remove the selected clips through the window controller (Delete is
// what a Linux list is expected to answer to). Every other key is the table's. The context menu of a
// row offers the row actions of its trailing edge.
//
// Rows are dragged out, and drops taken, through the window controller (see its drag and drop). A drop
// always goes between rows: a line marks the row it would go before. A drag offers other programs the
// clips' files to copy or link, never to move: moving rows within the table is this program's own
// doing, whatever action the drag reports, so a file manager can never be told to move a movie away.
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
    // The row the drop indicator stands before; -1 for none.
    void setDropRow(int row);
    int dropRow() const { return m_dropRow; }
    // The drop actions a drag offers for the controller's source masks (local: within the program,
    // external: towards others). Move is never offered; a move within the program needs no action of
    // the drag (see above).
    static Qt::DropActions dragActionsForMasks(int localMask, int externalMask);
    // The action the table answers a drag that offers the given actions with: copy, else link; none
    // for a drag that offers neither (it would have its files moved).
    static Qt::DropAction dropActionFor(Qt::DropActions offered);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    OrvantaWindowController* m_windowController = nullptr;
    std::function<void(ClipsTableView*)> m_action;
    bool acceptsFormatsOf(const QDropEvent* event) const;
    // Answers a drag over the position; true when it is taken.
    bool validate(QDropEvent* event);

    // While a drag that the table takes is held near its top or bottom edge, the table scrolls (the
    // position is in viewport coordinates; y < 0 for none).
    void followDragForScrolling(const QPoint& position);

    int m_dropRow = -1;
    QTimer* m_dragScrollTimer; // child
    QPoint m_dragPosition;
    int m_dragScrollDirection = 0; // -1 up, 1 down
    // A press on a row that may become a drag; -1 when none is pending.
    int m_pressedRow = -1;
    QPoint m_pressPosition;
    // A plain press on an already selected row keeps the selection until the release, so that a
    // selection of several rows can be dragged; a release without a drag then selects that row alone.
    bool m_selectOnRelease = false;
};
