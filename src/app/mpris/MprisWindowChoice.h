#pragma once

#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <memory>

class Movie;
class OrvantaDocumentController;
class OrvantaWindowController;
class QWindow;

// Which playlist window remote control drives: the one that played last, or, while none has played
// (or it closed), the one last in front, or else the one opened last. It follows every window
// controller the document controller makes and says when anything the remote side shows may have
// changed (the state, the current clip, the clips, the settings of any window, or the choice itself),
// and passes on the position reports of the chosen window's player. Main thread only.
class MprisWindowChoice : public QObject {
    Q_OBJECT
public:
    explicit MprisWindowChoice(OrvantaDocumentController& controller, QObject* parent = nullptr);

    // Null when no playlist is open.
    OrvantaWindowController* target() const;
    // A seek of the chosen window's movie was asked for: the next time its player is ready counts as
    // that seek, even when the movie is still loading (then it is not ready again, but for the first time).
    void seekRequested() { m_seekRequested = true; }

signals:
    void changed();
    // The chosen window's player was moved within its clip (a scrub, a remote Seek, a clip starting
    // over), to the position given in seconds.
    void seeked(double seconds);

private:
    void follow(OrvantaWindowController* controller);
    void focusWindowChanged(QWindow* window);
    // Listens to the player of the window now chosen (a window's player comes with its window).
    void watchTargetPlayer();

    QList<QPointer<OrvantaWindowController>> m_controllers; // in the order they were made
    QPointer<OrvantaWindowController> m_lastPlayed;
    QPointer<OrvantaWindowController> m_lastInFront;
    QPointer<QObject> m_watchedPlayer;
    QList<QMetaObject::Connection> m_playerConnections;
    // The attached movie once the player had it ready; ready again is a seek, reported with the next
    // position.
    std::weak_ptr<Movie> m_readyMovie;
    bool m_seekPending = false;
    bool m_seekRequested = false;
};
