#include "window/ClipsTableView.h"

#include "window/OrvantaWindowController.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QVariantAnimation>

ClipsTableView::ClipsTableView(QWidget* parent)
    : QTableView(parent) {}

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
