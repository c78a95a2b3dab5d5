#pragma once

class Document;
class QMenu;

// File ▸ "Open at Login" of a playlist window: checked while an autostart entry starts this playlist's
// file (AutostartEntry); choosing it writes or removes the entry, and an error is shown in an alert.
// Disabled for a playlist without a file.
namespace OpenAtLogin {
void addMenuItem(QMenu* file, Document* document);
}
