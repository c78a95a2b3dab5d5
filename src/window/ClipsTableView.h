#pragma once

#include <QTableView>
#include <functional>

class OrvantaWindowController;

// The clip table. The up and down arrows move the selection and then send the table's own action, if
// it has one; Backspace and Delete remove the selected clips through the window controller (Delete is
// what a Linux list is expected to answer to). Every other key is the table's. The context menu of a
// row offers the row actions of its trailing edge.
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

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    OrvantaWindowController* m_windowController = nullptr;
    std::function<void(ClipsTableView*)> m_action;
};
