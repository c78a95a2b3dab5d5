#include "window/ClipsTableView.h"

#include "window/DropPlan.h"
#include "window/OrvantaWindowController.h"

#include <QContextMenuEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QVariantAnimation>
#include <algorithm>
#include <utility>

ClipsTableView::ClipsTableView(QWidget* parent)
    : QTableView(parent) {
    setDragDropMode(QAbstractItemView::DragDrop);
    viewport()->setAcceptDrops(true);
    setDefaultDropAction(Qt::LinkAction);
    setDropIndicatorShown(false); // the drop line is drawn below
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (m_dropRow >= 0)
            setDropRow(proposedDropRow(m_dragPosition));
    });
}

void ClipsTableView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
        QTableView::keyPressEvent(event);
        if (m_action)
            m_action(this);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Return plays the selected clip, as a double click on its row does.
        if (m_windowController && selectionModel() && selectionModel()->hasSelection())
            m_windowController->play();
        event->accept();
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

void ClipsTableView::mouseDoubleClickEvent(QMouseEvent* event) {
    // The first press selected the row, which made its clip the current one: the double click plays it.
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid() &&
        m_windowController)
        m_windowController->play();
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
    // The sliding row is followed by its index, so that rows removed or moved meanwhile (another slide
    // ending first) do not make it shrink another row.
    const QPersistentModelIndex sliding(model()->index(row, 0));
    m_sliding.append(sliding);
    auto* animation = new QVariantAnimation(this);
    animation->setDuration(durationMs);
    animation->setStartValue(rowHeight(row));
    animation->setEndValue(0);
    connect(animation, &QVariantAnimation::valueChanged, this, [this, sliding](const QVariant& height) {
        if (sliding.isValid())
            verticalHeader()->resizeSection(sliding.row(), height.toInt());
    });
    connect(animation, &QVariantAnimation::finished, this, [this, sliding, done = std::move(done)] {
        m_sliding.removeOne(sliding);
        done();
        // Every row not sliding has the usual height again (a removed row's section passes its height on).
        for (int r = 0; r < model()->rowCount(); ++r) {
            const bool slides = std::any_of(m_sliding.cbegin(), m_sliding.cend(),
                                            [r](const QPersistentModelIndex& i) { return i.row() == r; });
            if (!slides)
                verticalHeader()->resizeSection(r, verticalHeader()->defaultSectionSize());
        }
    });
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void ClipsTableView::mousePressEvent(QMouseEvent* event) {
    m_releaseEndedDrag = false;
    QTableView::mousePressEvent(event);
}

void ClipsTableView::startDrag(Qt::DropActions supportedActions) {
    m_releaseEndedDrag = true;
    QTableView::startDrag(supportedActions);
}

void ClipsTableView::mouseReleaseEvent(QMouseEvent* event) {
    if (std::exchange(m_releaseEndedDrag, false)) {
        setState(NoState);
        event->accept();
        return;
    }
    QTableView::mouseReleaseEvent(event);
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

bool ClipsTableView::answerDrag(QDropEvent* event) {
    m_dragPosition = event->position().toPoint();
    const Qt::DropAction answer = DropPlan::answerTo(event->possibleActions());
    const int row = proposedDropRow(m_dragPosition);
    const bool taken = answer != Qt::IgnoreAction && model() &&
                       model()->canDropMimeData(event->mimeData(),
                                                DropPlan::requestedAction(event->modifiers()), row, 0, {});
    setDropRow(taken ? row : -1);
    event->setDropAction(answer);
    event->setAccepted(taken);
    return taken;
}

void ClipsTableView::dragEnterEvent(QDragEnterEvent* event) {
    QTableView::dragEnterEvent(event); // Qt's view follows the drag: it scrolls near the edges
    answerDrag(event);
}

void ClipsTableView::dragMoveEvent(QDragMoveEvent* event) {
    QTableView::dragMoveEvent(event);
    answerDrag(event);
}

void ClipsTableView::dragLeaveEvent(QDragLeaveEvent* event) {
    QTableView::dragLeaveEvent(event);
    setDropRow(-1);
}

void ClipsTableView::dropEvent(QDropEvent* event) {
    stopAutoScroll();
    setState(NoState);
    const bool taken = answerDrag(event) &&
                       model()->dropMimeData(event->mimeData(), DropPlan::requestedAction(event->modifiers()),
                                             m_dropRow, 0, {});
    setDropRow(-1);
    event->setAccepted(taken);
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
