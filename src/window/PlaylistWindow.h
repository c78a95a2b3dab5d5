#pragma once

#include <QMainWindow>
#include <functional>

// The playlist's top-level window. Closing it asks its controller first.
class PlaylistWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit PlaylistWindow(std::function<bool()> shouldClose);
    // Closes without asking (the document has already closed).
    void closeForGood();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::function<bool()> m_shouldClose;
    bool m_closing = false;
};
