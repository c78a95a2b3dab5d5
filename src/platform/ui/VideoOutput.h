#pragma once

#include <QMetaObject>
#include <QString>
#include <functional>

class MpvPlayer;
class QObject;
class QWidget;

// How video reaches the screen on this machine: OpenGL where a context sharing with the global one can
// be made current, libmpv's software renderer otherwise (-platform offscreen without X, for instance).
class VideoOutput {
public:
    enum class Kind { OpenGL, Software };

    struct AttachResult {
        QString error; // empty on success
        explicit operator bool() const { return error.isEmpty(); }
    };

    // A trial context, made and made current: surfaces and capability flags answer yes even without GL.
    // Platforms without OpenGL widgets (offscreen, minimal) always get the software views.
    static Kind detect();

    // Gives each handle of a player made with renderApi its renderer. Call right after making the
    // player, before it loads anything: a file loaded without a renderer never shows video.
    static AttachResult attach(MpvPlayer& player, Kind kind);

    // A view of the matching kind showing the player, owned by parent.
    static QWidget* createView(MpvPlayer* player, Kind kind, QWidget* parent = nullptr);
    // Calls action, in context, each time a view made by createView has painted a movie's picture; the
    // call comes after that paint is done, so the picture is on its way to the screen.
    static QMetaObject::Connection whenPicturePainted(QWidget* view, QObject* context,
                                                      std::function<void()> action);
};
