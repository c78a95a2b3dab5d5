#pragma once

class QMainWindow;
class OrvantaDocumentController;
class Document;

// The application's menus, put on every top-level window (Linux has no global menu bar): File with the
// two new-playlist commands, Open, Open Recent, the document commands when the window shows a
// document (Close, Save, Save As, Revert to Saved), Preferences and Quit.
namespace ApplicationMenus {
void install(QMainWindow* window, OrvantaDocumentController* controller, Document* document = nullptr);
}
