#include "window/ClipsTableView.h"

#include "window/OrvantaWindowController.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>
#include <QVariantAnimation>
#include <algorithm>

namespace {

// How often a drag held near the top or bottom edge scrolls the table.
constexpr int DragScrollInterval = 50; // ms

} // namespace

ClipsTableView::ClipsTableView(QWidget* parent)
    : QTableView(parent) {
    // The drag and drop events are all this table's own (below); Qt's item drag and drop stays unused.
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);

    m_dragScrollTimer = new QTimer(this);
    m_dragScrollTimer->setInterval(DragScrollInterval);
    connect(m_dragScrollTimer, &QTimer::timeout, this, [this] {
        QScrollBar* bar = verticalScrollBar();
        const int before = bar->value();
        bar->setValue(before + m_dragScrollDirection * std::max(bar->singleStep(), rowHeight(0) / 2));
        if (bar->value() == before) {
            m_dragScrollTimer->stop();
            return;
        }
        // The rows moved under the pointer; the drop line follows them.
        if (m_dropRow >= 0)
            setDropRow(proposedDropRow(m_dragPosition));
    });
}

void ClipsTableView::followDragForScrolling(const QPoint& position) {
    m_dragPosition = position;
    const int margin = autoScrollMargin();
    m_dragScrollDirection = position.y() < 0                                ? 0
                            : position.y() < margin                         ? -1
                            : position.y() >= viewport()->height() - margin ? 1
                                                                            : 0;
    if (m_dragScrollDirection != 0 && hasAutoScroll()) {
        if (!m_dragScrollTimer->isActive())
            m_dragScrollTimer->start();
    } else {
        m_dragScrollTimer->stop();
    }
}

void ClipsTableView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
        QTableView::keyPressEvent(event);
        if (m_action)
            m_action(this);
        return;
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        if (m_windowController)
            m_windowController->removeClips();
        event->accept();
        return;
    default:
        QTableView::keyPressEvent(event);
    }
}

void ClipsTableView::contextMenuEvent(QContextMenuEvent* event) {
    const int row = indexAt(event->pos()).row();
    if (row < 0 || !m_windowController)
        return;
    const QList<OrvantaWindowController::RowAction> actions =
        m_windowController->tableViewRowActionsForRow(row, OrvantaWindowController::TrailingEdge);
    if (actions.isEmpty())
        return;
    QMenu menu(this);
    for (const OrvantaWindowController::RowAction& action : actions) {
        QAction* item = menu.addAction(action.title);
        connect(item, &QAction::triggered, this, [handler = action.handler, row] { handler(row); });
    }
    menu.exec(event->globalPos());
}

void ClipsTableView::slideUpRow(int row, int durationMs, std::function<void()> done) {
    auto* animation = new QVariantAnimation(this);
    animation->setDuration(durationMs);
    animation->setStartValue(rowHeight(row));
    animation->setEndValue(0);
    connect(animation, &QVariantAnimation::valueChanged, this,
            [this, row](const QVariant& height) { verticalHeader()->resizeSection(row, height.toInt()); });
    connect(animation, &QVariantAnimation::finished, this, [this, row, done = std::move(done)] {
        done();
        // The row that takes its place has the usual height.
        if (row < model()->rowCount())
            verticalHeader()->resizeSection(row, verticalHeader()->defaultSectionSize());
    });
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

int ClipsTableView::proposedDropRow(const QPoint& position) const {
    const int row = rowAt(position.y());
    if (row < 0)
        return position.y() < 0 ? 0 : model()->rowCount();
    const int top = rowViewportPosition(row);
    return position.y() >= top + rowHeight(row) / 2 ? row + 1 : row;
}

void ClipsTableView::setDropRow(int row) {
    if (row == m_dropRow)
        return;
    m_dropRow = row;
    viewport()->update();
}

Qt::DropActions ClipsTableView::dragActionsForMasks(int localMask, int externalMask) {
    Qt::DropActions actions;
    if ((localMask | externalMask) & OrvantaWindowController::CopyDragOperation)
        actions |= Qt::CopyAction;
    if (externalMask & OrvantaWindowController::LinkDragOperation)
        actions |= Qt::LinkAction;
    return actions;
}

void ClipsTableView::mousePressEvent(QMouseEvent* event) {
    const QPoint position = event->position().toPoint();
    const int row = rowAt(position.y());
    m_pressedRow = event->button() == Qt::LeftButton ? row : -1;
    m_pressPosition = position;
    m_selectOnRelease = m_pressedRow >= 0 && event->modifiers() == Qt::NoModifier &&
                        selectionModel()->isRowSelected(row) && selectionModel()->selectedRows().size() > 1;
    if (m_selectOnRelease) {
        setFocus(Qt::MouseFocusReason);
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}

void ClipsTableView::mouseMoveEvent(QMouseEvent* event) {
    if (m_pressedRow >= 0 && (event->buttons() & Qt::LeftButton) &&
        (event->position().toPoint() - m_pressPosition).manhattanLength() >=
            QApplication::startDragDistance()) {
        m_pressedRow = -1;
        m_selectOnRelease = false;
        const QPointer<ClipsTableView> alive(this);
        startDrag(Qt::CopyAction | Qt::LinkAction);
        if (alive)
            setState(NoState);
        return;
    }
    if (m_selectOnRelease)
        return;
    QTableView::mouseMoveEvent(event);
}

void ClipsTableView::mouseReleaseEvent(QMouseEvent* event) {
    if (m_selectOnRelease) {
        m_selectOnRelease = false;
        const QModelIndex index = model()->index(m_pressedRow, 0);
        selectionModel()->setCurrentIndex(index,
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_pressedRow = -1;
        event->accept();
        return;
    }
    m_pressedRow = -1;
    QTableView::mouseReleaseEvent(event);
}

void ClipsTableView::startDrag(Qt::DropActions) {
    if (!m_windowController)
        return;
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    std::unique_ptr<QMimeData> data = m_windowController->tableViewWriteRowsWithIndexes(rows);
    if (!data)
        return;
    // The drag deletes itself when it is over. What it reports is not looked at: the drop handler has
    // already moved or copied the rows, and nothing is ever removed here.
    auto* drag = new QDrag(this);
    drag->setMimeData(data.release());
    // The picture under the pointer is the first dragged row, held where it was pressed.
    const QRect first(0, rowViewportPosition(rows.first()), viewport()->width(), rowHeight(rows.first()));
    if (first.isValid()) {
        drag->setPixmap(viewport()->grab(first));
        drag->setHotSpot(first.contains(m_pressPosition) ? m_pressPosition - first.topLeft()
                                                         : QPoint(first.width() / 2, first.height() / 2));
    }
    const QPointer<ClipsTableView> alive(this);
    drag->exec(dragActionsForMasks(m_windowController->draggingSourceOperationMaskForLocal(true),
                                   m_windowController->draggingSourceOperationMaskForLocal(false)),
               Qt::LinkAction);
    if (alive)
        setDropRow(-1);
}

bool ClipsTableView::acceptsFormatsOf(const QDropEvent* event) const {
    if (!m_windowController || !event->mimeData())
        return false;
    const QStringList& types = m_windowController->registeredDraggedTypes();
    return std::any_of(types.begin(), types.end(),
                       [event](const QString& type) { return event->mimeData()->hasFormat(type); });
}

bool ClipsTableView::validate(QDropEvent* event) {
    if (!acceptsFormatsOf(event)) {
        setDropRow(-1);
        return false;
    }
    // The table answers copy (or link, where a drag offers no copy) and never move: a program that saw
    // its files moved would delete them. A move within the table travels as a copy too.
    const Qt::DropAction action = dropActionFor(event->possibleActions());
    const int operation =
        action == Qt::IgnoreAction
            ? OrvantaWindowController::NoDragOperation
            : m_windowController->tableViewValidateDrop(
                  event->source(), proposedDropRow(event->position().toPoint()), event->modifiers());
    if (operation == OrvantaWindowController::NoDragOperation) {
        setDropRow(-1);
        return false;
    }
    event->setDropAction(action);
    return true;
}

Qt::DropAction ClipsTableView::dropActionFor(Qt::DropActions offered) {
    if (offered & Qt::CopyAction)
        return Qt::CopyAction;
    if (offered & Qt::LinkAction)
        return Qt::LinkAction;
    return Qt::IgnoreAction;
}

void ClipsTableView::dragEnterEvent(QDragEnterEvent* event) {
    if (validate(event))
        event->accept();
    else
        event->ignore();
}

void ClipsTableView::dragMoveEvent(QDragMoveEvent* event) {
    const bool taken = validate(event);
    followDragForScrolling(taken ? event->position().toPoint() : QPoint(0, -1));
    if (taken)
        event->accept();
    else
        event->ignore();
}

void ClipsTableView::dragLeaveEvent(QDragLeaveEvent* event) {
    m_dragScrollTimer->stop();
    setDropRow(-1);
    event->accept();
}

void ClipsTableView::dropEvent(QDropEvent* event) {
    m_dragScrollTimer->stop();
    const bool taken = validate(event) &&
                       m_windowController->tableViewAcceptDrop(event->mimeData(), event->source(),
                                                               proposedDropRow(event->position().toPoint()),
                                                               event->modifiers());
    setDropRow(-1);
    if (taken) {
        event->setDropAction(dropActionFor(event->possibleActions()));
        event->accept();
    } else {
        event->ignore();
    }
}

void ClipsTableView::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    if (m_dropRow < 0)
        return;
    const int rows = model()->rowCount();
    const int y = m_dropRow < rows ? rowViewportPosition(m_dropRow)
                  : rows > 0       ? rowViewportPosition(rows - 1) + rowHeight(rows - 1) - 1
                                   : 0;
    QPainter painter(viewport());
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.drawLine(0, y, viewport()->width(), y);
}
