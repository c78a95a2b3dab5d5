#pragma once

#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QString>
#include <optional>
#include <vector>

class OrvantaWindowController;
class QAction;
class QMainWindow;

// The Edit menu of a playlist window: Undo, Redo (the document's undo stack, their texts naming the
// step), Cut, Copy, Paste, Delete and Select All over the clip table. Copy puts the selected clips on
// the clipboard (ClipPasteboard), for another playlist window or a file manager; Paste imports the
// files of our clips or of a file manager's copy after the selection (or at the end), through the
// window's import run, as one "Paste" step. A dynamic playlist's clips are its folder's: of the clip
// items it offers Copy and Select All only. Nothing is undone or redone while an import runs.
//
// The items' object names are their actions ("undo", "redo", "cut", "copy", "paste", "delete",
// "selectAll"); the window controller's validateMenuItem answers for them through validate(). The menu
// and its actions are the window's children. Main thread only.
class PlaylistEditMenu : public QObject {
    Q_OBJECT
public:
    // Adds the menu to the window's menu bar.
    PlaylistEditMenu(OrvantaWindowController& controller, QMainWindow* window);
    ~PlaylistEditMenu() override;

    const QList<QAction*>& actions() const { return m_actions; }

    // What the edit items depend on.
    struct Situation {
        bool dynamic = false;
        bool importing = false;
        bool hasClips = false;
        bool hasSelection = false;
        bool canUndo = false;
        bool canRedo = false;
        bool clipboardHasFiles = false;
    };
    // Whether the edit item of the action is enabled in the situation; nothing for any other action.
    static std::optional<bool> validate(const QString& action, const Situation& situation);
    Situation situation() const;

    // Keeps the items and the undo texts in step with the document's stack, the selection and the
    // clipboard, until detach().
    void attach();
    void detach();

    void undo();
    void redo();
    void cut();
    void copy();
    void paste();
    void deleteClips();
    void selectAll();

private:
    void refresh();
    void clipboardChanged();
    bool takes(const QString& action) const;

    OrvantaWindowController& m_controller;
    QList<QAction*> m_actions;
    QAction* m_undo = nullptr;
    QAction* m_redo = nullptr;
    bool m_clipboardHasFiles = false;
    std::vector<QMetaObject::Connection> m_connections;
};
