#pragma once

#include "platform/media/MpvHandle.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <memory>
#include <optional>

class Movie;

// The player of one playlist window: plays the window's current movie on one of two libmpv handles,
// and can prepare the next movie, paused on its first frame, on the other handle and switch to it.
//
// Attaching loads a movie paused at its current time, with its volume and preferred rate. Every change
// of position, rate and volume is applied to the engine at once and mirrored into the Movie, which
// holds the playback state between attachments; detaching writes the state back and stops the movie.
// The end of the attached movie is reported once each time playback reaches it, one frame interval
// after the engine reaches it: the engine says so right after drawing the last frame, which must still
// stay on screen for its own interval before whatever follows replaces it.
//
// Main thread only; nothing here blocks on the engine. The player must be destroyed before the
// application object (render attachments hold OpenGL contexts).
class MpvPlayer : public QObject {
    Q_OBJECT
public:
    static constexpr int HandleCount = 2;

    struct Config {
        // Attach a render context to each handle (see handle()) right after creation; otherwise the
        // handles decode without showing anything.
        bool renderApi = false;
        bool audioOutput = true;
    };
    struct CreateResult {
        std::unique_ptr<MpvPlayer> player; // null on failure
        QString error;
        explicit operator bool() const { return player != nullptr; }
    };

    static CreateResult create(const Config& config);
    ~MpvPlayer() override;

    MpvHandle& handle(int index) const { return *m_slots[size_t(index)].handle; }
    // The handle of the attached movie.
    int activeIndex() const { return m_active; }
    MpvHandle& activeHandle() const { return handle(m_active); }
    // The handle whose picture is shown: the active one, except right after a switch to a prepared movie
    // that had not drawn its first frame yet. Until it has, the other handle keeps the previous movie's
    // last picture, paused, and nothing is prepared on it.
    int shownIndex() const { return m_shown; }
    MpvHandle& shownHandle() const { return handle(m_shown); }
    bool isSwitchPending() const { return m_shown != m_active; }

    // Attaches a movie (null detaches): the previous one is written back and let go. A movie that was
    // prepared is switched in instead of being loaded again, also while it is still loading (see
    // shownIndex). The movie starts paused.
    void attach(std::shared_ptr<Movie> movie);
    void detach() { attach(nullptr); }
    std::shared_ptr<Movie> movie() const;

    // Transport, acting on the attached movie; without one they do nothing.
    void play();                         // at the movie's preferred rate
    void stop();                         // rate 0, position kept
    void setRate(float rate);            // 0 stops; otherwise runs at once at that rate (0.01 to 100)
    void setVolume(float volume);        // 0 to 1, kept within range by the movie
    void setCurrentTime(double seconds); // an exact seek
    void gotoBeginning();

    // The engine's state as last reported for the attached movie.
    double position() const;
    bool isPaused() const;
    double speed() const;
    double engineVolume() const; // 0 to 100
    bool isReady() const;        // loaded and positioned on its first frame

    // Loads a movie paused on the other handle. When it is ready (positioned, and with a render
    // context also drawn) nextPrepared is emitted and switchToPrepared may swap it in. While a switch is
    // pending the other handle still shows the previous picture: the movie is loaded once it is gone.
    void prepareNext(std::shared_ptr<Movie> movie);
    std::shared_ptr<Movie> preparedMovie() const;
    bool isNextPrepared() const;
    // Makes the prepared movie the attached one; it runs at its preferred rate when the movie it
    // replaces was running. False, changing nothing, when nothing prepared is ready. After a switch
    // (here or in attach) the first frame stays one frame interval before playing moves on from it:
    // the engine, released from its pause, shows the second frame almost at once. A movie with sound
    // on a real output is released at once: its sound follows the previous movie's without a gap, and
    // times its pictures. The previous movie, when its end moved playing on, is not paused: the
    // sound it still holds plays out rather than being cut off.
    bool switchToPrepared();

signals:
    // Another movie (or none) became the attached one.
    void movieChanged(std::shared_ptr<Movie> movie);
    void movieDidEnd(std::shared_ptr<Movie> movie);
    void movieFailed(std::shared_ptr<Movie> movie, QString message);
    // Position of the attached movie, at most about 30 times a second.
    void positionChanged(double seconds);
    // The attached movie is loaded and positioned (after attaching and after each seek).
    void movieReady(std::shared_ptr<Movie> movie);
    void nextPrepared(std::shared_ptr<Movie> movie);
    // The handle whose picture is shown changed (see shownIndex).
    void shownHandleChanged(int index);
    // Pause, speed or volume as reported by the engine changed.
    void engineStateChanged();

private:
    enum class Stage { Empty, Requested, Loading, Loaded, Ready };

    struct Slot {
        std::unique_ptr<MpvHandle> handle;
        std::shared_ptr<Movie> movie;
        Stage stage = Stage::Empty;
        quint64 loadRequest = 0;
        std::optional<qint64> expectedEntry;
        std::optional<qint64> startedEntry;
        double startTime = 0.0;
        std::optional<double> pendingSeek;
        bool seeking = false;
        double position = 0.0;
        bool eofReached = false;
        bool endReported = false;
        bool paused = true;
        double speed = 1.0;
        double volume = 100.0;
        double frameRate = 0.0; // of the file, as its container says; 0 while unknown
        bool audible = false;   // its sound goes to a real output (not the null one, not none)
        quint64 framesAtRestart = 0;
        bool announced = false; // nextPrepared sent for this load
        bool holdsFile = false; // let go of, but the engine still holds its file, paused
    };

    MpvPlayer() = default;
    Slot& active() { return m_slots[size_t(m_active)]; }
    const Slot& active() const { return m_slots[size_t(m_active)]; }
    Slot& other() { return m_slots[size_t(1 - m_active)]; }
    const Slot& other() const { return m_slots[size_t(1 - m_active)]; }

    void handleEvent(int index, const mpv_event& event);
    void handleProperty(int index, const mpv_event& event);
    void beginFile(int index);
    void load(int index, std::shared_ptr<Movie> movie);
    // Lets go of the slot's movie; the engine stops its file, or with keepPicture only pauses on it (a
    // later load replaces the file).
    void unload(int index, bool keepPicture = false);
    // After a switch, once the active handle has drawn its first frame: it is shown instead of the other.
    void checkShown();
    void showActive();
    void holdFirstFrame();
    void writeBack(Slot& slot);
    void seek(Slot& slot, double seconds);
    void applyRate(Slot& slot, float rate);
    void noteEof(int index, bool reached);
    void checkPrepared();
    void switchSlots(bool keepRunning);
    void reportEnd();
    void reportEndAfterLastFrame();
    int frameMilliseconds(const Slot& slot, double speed) const;
    void releaseFirstFrame();
    void takePosition(int index, double seconds);
    void notePosition();

    std::array<Slot, HandleCount> m_slots;
    int m_active = 0;
    int m_shown = 0;
    // What prepareNext was asked for while a switch was pending.
    std::optional<std::shared_ptr<Movie>> m_deferredNext;
    QElapsedTimer m_sincePositionSignal;
    QTimer m_positionTimer;
    QTimer m_endTimer;
    // Since the last switch, while its first frame is held (see switchToPrepared).
    QElapsedTimer m_sinceSwitch;
    int m_firstFrameHold = 0; // ms
    QTimer m_releaseTimer;
};
