#include "window/PlaylistEditMenu.h"

#include "document/ClipPasteboard.h"
#include "document/OrvantaDocument.h"
#include "document/PlaylistCommands.h"
#include "platform/Presenter.h"
#include "window/ClipsController.h"
#include "window/OrvantaWindowController.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>

namespace {

// An undone or redone output setting takes effect on the output window as the control's own change does.
void followOutputSetting(OrvantaWindowController& controller, const QUndoCommand* step) {
    const auto* setting = dynamic_cast<const SettingCommand*>(step);
    if (setting && (setting->key() == QLatin1String("fullScreenType") ||
                    setting->key().startsWith(QLatin1String("customFrame"))))
        controller.handleFullscreenSelection();
}

} // namespace

PlaylistEditMenu::PlaylistEditMenu(OrvantaWindowController& controller, QMainWindow* window)
    : QObject(window)
    , m_controller(controller) {
    QMenu* menu = window->menuBar()->addMenu(QStringLiteral("&Edit"));
    menu->setObjectName(QStringLiteral("editMenu"));
    auto item = [&](const QString& action, const QString& text, const QList<QKeySequence>& shortcuts,
                    void (PlaylistEditMenu::*slot)()) {
        QAction* added = menu->addAction(text);
        added->setObjectName(action);
        added->setShortcuts(shortcuts);
        connect(added, &QAction::triggered, this, slot);
        m_actions.append(added);
        return added;
    };
    const auto keys = [](QKeySequence::StandardKey key) { return QKeySequence::keyBindings(key); };
    m_undo = item(QStringLiteral("undo"), QStringLiteral("Undo"), keys(QKeySequence::Undo),
                  &PlaylistEditMenu::undo);
    m_redo = item(QStringLiteral("redo"), QStringLiteral("Redo"),
                  {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)},
                  &PlaylistEditMenu::redo);
    menu->addSeparator();
    item(QStringLiteral("cut"), QStringLiteral("Cut"), keys(QKeySequence::Cut), &PlaylistEditMenu::cut);
    item(QStringLiteral("copy"), QStringLiteral("Copy"), keys(QKeySequence::Copy), &PlaylistEditMenu::copy);
    item(QStringLiteral("paste"), QStringLiteral("Paste"), keys(QKeySequence::Paste),
         &PlaylistEditMenu::paste);
    item(QStringLiteral("delete"), QStringLiteral("Delete"), keys(QKeySequence::Delete),
         &PlaylistEditMenu::deleteClips);
    menu->addSeparator();
    item(QStringLiteral("selectAll"), QStringLiteral("Select All"), keys(QKeySequence::SelectAll),
         &PlaylistEditMenu::selectAll);
    connect(menu, &QMenu::aboutToShow, this, [this] {
        clipboardChanged();
        refresh();
    });
}

PlaylistEditMenu::~PlaylistEditMenu() {
    detach();
}

std::optional<bool> PlaylistEditMenu::validate(const QString& action, const Situation& s) {
    if (action == QLatin1String("undo"))
        return s.canUndo && !s.importing;
    if (action == QLatin1String("redo"))
        return s.canRedo && !s.importing;
    if (action == QLatin1String("cut") || action == QLatin1String("delete"))
        return s.hasSelection && !s.dynamic;
    if (action == QLatin1String("copy"))
        return s.hasSelection;
    if (action == QLatin1String("paste"))
        return s.clipboardHasFiles && !s.dynamic && !s.importing;
    if (action == QLatin1String("selectAll"))
        return s.hasClips;
    return std::nullopt;
}

PlaylistEditMenu::Situation PlaylistEditMenu::situation() const {
    const OrvantaDocument* playlist = m_controller.datasource();
    const ClipsController* clips = m_controller.clipsController();
    if (!playlist || !clips)
        return {.dynamic = true};
    return {.dynamic = playlist->isDynamicPlaylist(),
            .importing = m_controller.isImporting(),
            .hasClips = !clips->arrangedObjects().isEmpty(),
            .hasSelection = !clips->selectionIndexes().isEmpty(),
            .canUndo = playlist->undoStack()->canUndo(),
            .canRedo = playlist->undoStack()->canRedo(),
            .clipboardHasFiles = m_clipboardHasFiles};
}

bool PlaylistEditMenu::takes(const QString& action) const {
    return validate(action, situation()).value_or(false);
}

void PlaylistEditMenu::attach() {
    detach();
    if (OrvantaDocument* playlist = m_controller.datasource())
        m_connections.push_back(
            connect(playlist->undoStack(), &QUndoStack::indexChanged, this, &PlaylistEditMenu::refresh));
    if (ClipsController* clips = m_controller.clipsController()) {
        m_connections.push_back(
            connect(clips, &ClipsController::selectionDidChange, this, &PlaylistEditMenu::refresh));
        m_connections.push_back(
            connect(clips, &ClipsController::arrangedObjectsChanged, this, &PlaylistEditMenu::refresh));
    }
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        m_connections.push_back(
            connect(clipboard, &QClipboard::dataChanged, this, &PlaylistEditMenu::clipboardChanged));
    clipboardChanged();
}

void PlaylistEditMenu::detach() {
    for (const QMetaObject::Connection& connection : m_connections)
        disconnect(connection);
    m_connections.clear();
}

void PlaylistEditMenu::clipboardChanged() {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
    m_clipboardHasFiles = data && !ClipPasteboard::filesToPaste(*data).isEmpty();
    refresh();
}

void PlaylistEditMenu::refresh() {
    const OrvantaDocument* playlist = m_controller.datasource();
    const QUndoStack* stack = playlist ? playlist->undoStack() : nullptr;
    m_undo->setText(stack && stack->canUndo() ? QStringLiteral("Undo ") + stack->undoText()
                                              : QStringLiteral("Undo"));
    m_redo->setText(stack && stack->canRedo() ? QStringLiteral("Redo ") + stack->redoText()
                                              : QStringLiteral("Redo"));
    m_controller.validateUserInterfaceItems();
}

void PlaylistEditMenu::undo() {
    if (!takes(QStringLiteral("undo"))) {
        Presenter::shared().beep();
        return;
    }
    QUndoStack* stack = m_controller.datasource()->undoStack();
    const QUndoCommand* step = stack->command(stack->index() - 1);
    stack->undo();
    followOutputSetting(m_controller, step);
}

void PlaylistEditMenu::redo() {
    if (!takes(QStringLiteral("redo"))) {
        Presenter::shared().beep();
        return;
    }
    QUndoStack* stack = m_controller.datasource()->undoStack();
    const QUndoCommand* step = stack->command(stack->index());
    stack->redo();
    followOutputSetting(m_controller, step);
}

void PlaylistEditMenu::copy() {
    ClipsController* clips = m_controller.clipsController();
    if (!clips || clips->selectedObjects().isEmpty()) {
        Presenter::shared().beep();
        return;
    }
    QGuiApplication::clipboard()->setMimeData(
        ClipPasteboard::mimeDataForClipboard(clips->selectedObjects()).release());
}

void PlaylistEditMenu::cut() {
    if (!takes(QStringLiteral("cut"))) {
        Presenter::shared().beep();
        return;
    }
    copy();
    m_controller.removeMovieIdleCallback();
    m_controller.clipsController()->remove(ClipsAction::Cut);
}

void PlaylistEditMenu::paste() {
    // The clipboard as it is now: the item may have been enabled by an earlier one.
    Situation now = situation();
    now.clipboardHasFiles = true;
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    const QList<QUrl> files = data ? ClipPasteboard::filesToPaste(*data) : QList<QUrl>();
    if (files.isEmpty() || !validate(QStringLiteral("paste"), now).value_or(false)) {
        Presenter::shared().beep();
        return;
    }
    const ClipsController* clips = m_controller.clipsController();
    const QList<int> rows = clips->selectionIndexes();
    m_controller.setDragIsActive(true);
    m_controller.setDropLocation(rows.isEmpty() ? qint32(clips->arrangedObjects().size()) : rows.last() + 1);
    m_controller.addClipsWithURLs(files, {}, ClipsAction::Paste);
}

void PlaylistEditMenu::deleteClips() {
    m_controller.removeClips();
}

void PlaylistEditMenu::selectAll() {
    ClipsController* clips = m_controller.clipsController();
    if (!clips)
        return;
    QList<int> rows;
    for (int row = 0; row < clips->arrangedObjects().size(); ++row)
        rows.append(row);
    clips->setSelectionIndexes(rows);
}
