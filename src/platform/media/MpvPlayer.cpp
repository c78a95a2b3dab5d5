#include "platform/media/MpvPlayer.h"

#include "platform/media/Movie.h"
#include "platform/media/MpvRenderAttachment.h"

#include <QByteArray>
#include <QtDebug>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

enum Observed : quint64 { TimePos = 1, EofReached, Pause, Speed, Volume, FrameRate, AudioOutput };

constexpr quint64 PositionReply = 10;
constexpr quint64 EofReply = 11;
constexpr quint64 LoadReply = quint64(1) << 32;
constexpr qint64 AnyEntry = -1;
constexpr int PositionInterval = 33;      // ms: about 30 updates a second
constexpr double AssumedFrameRate = 25.0; // for files that do not say

double engineSpeed(float rate) {
    return std::clamp(double(rate), 0.01, 100.0);
}

QByteArray number(double value) {
    return QByteArray::number(value, 'f', 6);
}

std::optional<qint64> entryIdOf(const mpv_node& result) {
    if (result.format != MPV_FORMAT_NODE_MAP)
        return std::nullopt;
    const mpv_node_list* map = result.u.list;
    for (int i = 0; i < map->num; ++i) {
        if (std::strcmp(map->keys[i], "playlist_entry_id") == 0 && map->values[i].format == MPV_FORMAT_INT64)
            return map->values[i].u.int64;
    }
    return std::nullopt;
}

} // namespace

MpvPlayer::CreateResult MpvPlayer::create(const Config& config) {
    CreateResult result;
    std::unique_ptr<MpvPlayer> player(new MpvPlayer());
    for (int i = 0; i < HandleCount; ++i) {
        MpvHandle::CreateResult created = MpvHandle::create({config.renderApi, config.audioOutput});
        if (!created) {
            result.error = created.error;
            return result;
        }
        MpvPlayer* self = player.get();
        Slot& slot = player->m_slots[size_t(i)];
        slot.handle = std::move(created.handle);
        slot.handle->setEventHandler([self, i](const mpv_event& event) { self->handleEvent(i, event); });
        slot.handle->observe(TimePos, "time-pos", MPV_FORMAT_DOUBLE);
        slot.handle->observe(EofReached, "eof-reached", MPV_FORMAT_FLAG);
        slot.handle->observe(Pause, "pause", MPV_FORMAT_FLAG);
        slot.handle->observe(Speed, "speed", MPV_FORMAT_DOUBLE);
        slot.handle->observe(Volume, "volume", MPV_FORMAT_DOUBLE);
        slot.handle->observe(FrameRate, "container-fps", MPV_FORMAT_DOUBLE);
        slot.handle->observe(AudioOutput, "current-ao", MPV_FORMAT_STRING);
        connect(slot.handle.get(), &MpvHandle::frameRendered, self, [self] {
            self->checkShown();
            self->checkPrepared();
        });
    }
    player->m_positionTimer.setSingleShot(true);
    connect(&player->m_positionTimer, &QTimer::timeout, player.get(), [self = player.get()] {
        self->m_sincePositionSignal.restart();
        emit self->positionChanged(self->active().position);
    });
    player->m_endTimer.setSingleShot(true);
    player->m_endTimer.setTimerType(Qt::PreciseTimer);
    connect(&player->m_endTimer, &QTimer::timeout, player.get(), [self = player.get()] {
        const Slot& slot = self->active();
        if (slot.movie && slot.eofReached && !slot.endReported && slot.movie->rate() > 0.0f)
            self->reportEnd();
    });
    player->m_releaseTimer.setSingleShot(true);
    player->m_releaseTimer.setTimerType(Qt::PreciseTimer);
    connect(&player->m_releaseTimer, &QTimer::timeout, player.get(), &MpvPlayer::releaseFirstFrame);
    result.player = std::move(player);
    return result;
}

MpvPlayer::~MpvPlayer() {
    for (Slot& slot : m_slots)
        writeBack(slot);
}

std::shared_ptr<Movie> MpvPlayer::movie() const {
    return active().movie;
}
std::shared_ptr<Movie> MpvPlayer::preparedMovie() const {
    return m_deferredNext ? *m_deferredNext : other().movie;
}
double MpvPlayer::position() const {
    return active().position;
}
bool MpvPlayer::isPaused() const {
    return active().paused;
}
double MpvPlayer::speed() const {
    return active().speed;
}
double MpvPlayer::engineVolume() const {
    return active().volume;
}
bool MpvPlayer::isReady() const {
    return active().movie && active().stage == Stage::Ready;
}

bool MpvPlayer::isNextPrepared() const {
    const Slot& slot = other();
    if (!slot.movie || slot.stage != Stage::Ready)
        return false;
    // With a render context, only a drawn first frame can be shown without a black flash.
    return !slot.handle->renderAttachment() || slot.handle->framesRendered() > slot.framesAtRestart;
}

void MpvPlayer::attach(std::shared_ptr<Movie> movie) {
    if (movie == active().movie)
        return;
    if (movie && movie == other().movie) {
        switchSlots(false);
        return;
    }
    writeBack(active());
    if (!movie) {
        unload(m_active);
        m_deferredNext.reset();
        showActive();
        emit movieChanged(nullptr);
        return;
    }
    load(m_active, movie);
    emit movieChanged(movie);
}

void MpvPlayer::prepareNext(std::shared_ptr<Movie> movie) {
    if (isSwitchPending()) {
        m_deferredNext = std::move(movie);
        return;
    }
    if (movie == other().movie && (movie || !other().holdsFile))
        return;
    if (!movie || movie == active().movie) {
        unload(1 - m_active);
        return;
    }
    load(1 - m_active, std::move(movie));
}

bool MpvPlayer::switchToPrepared() {
    if (!isNextPrepared())
        return false;
    switchSlots(true);
    return true;
}

void MpvPlayer::switchSlots(bool keepRunning) {
    const bool wasRunning = active().movie && active().movie->rate() > 0.0f;
    const bool drawn = isNextPrepared();
    writeBack(active());
    // Paused on its last picture, which stays shown until the new movie's first frame is drawn.
    unload(m_active, true);
    m_active = 1 - m_active;
    if (drawn) {
        showActive();
        holdFirstFrame();
    } else {
        m_sinceSwitch.invalidate();
        m_releaseTimer.stop();
        // A load that failed there is tried once more.
        if (active().stage == Stage::Empty)
            load(m_active, active().movie);
    }
    // The movie's volume may have changed since it was prepared.
    setVolume(active().movie->volume());
    emit movieChanged(active().movie);
    if (keepRunning && wasRunning)
        play();
    emit positionChanged(active().position);
}

void MpvPlayer::play() {
    Slot& slot = active();
    if (!slot.movie)
        return;
    applyRate(slot, slot.movie->preferredRate());
    if (slot.eofReached && slot.movie->rate() > 0.0f) {
        // Already at the end: playing ends at once, as it would a moment later anywhere else.
        slot.endReported = false;
        QTimer::singleShot(0, this, [this, movie = slot.movie] {
            if (active().movie == movie && active().eofReached && !active().endReported &&
                movie->rate() > 0.0f)
                reportEnd();
        });
    }
}

void MpvPlayer::stop() {
    if (active().movie)
        applyRate(active(), 0.0f);
}

void MpvPlayer::setRate(float rate) {
    if (active().movie)
        applyRate(active(), rate);
}

void MpvPlayer::setVolume(float volume) {
    Slot& slot = active();
    if (!slot.movie)
        return;
    slot.movie->setVolume(volume);
    slot.handle->setDoubleAsync("volume", double(slot.movie->volume()) * 100.0);
}

void MpvPlayer::setCurrentTime(double seconds) {
    Slot& slot = active();
    if (!slot.movie)
        return;
    slot.movie->setCurrentTime(std::max(0.0, seconds));
    const double target = slot.movie->currentTime();
    slot.position = target;
    if (slot.stage == Stage::Ready)
        seek(slot, target);
    else
        slot.pendingSeek = target;
    notePosition();
}

void MpvPlayer::gotoBeginning() {
    setCurrentTime(0.0);
}

void MpvPlayer::applyRate(Slot& slot, float rate) {
    if (!(rate > 0.0f)) {
        if (&slot == &active())
            m_releaseTimer.stop();
        slot.movie->setRate(0.0f);
        slot.handle->setFlagAsync("pause", true);
        return;
    }
    const double speed = engineSpeed(rate);
    slot.movie->setRate(float(speed));
    slot.handle->setDoubleAsync("speed", speed);
    // Switched in but not shown yet: it starts once its first frame has been shown (holdFirstFrame).
    if (&slot == &active() && isSwitchPending())
        return;
    if (&slot == &active() && m_sinceSwitch.isValid() && m_sinceSwitch.elapsed() < m_firstFrameHold) {
        // Just switched in: its first frame has not had its interval yet.
        m_releaseTimer.start(int(m_firstFrameHold - m_sinceSwitch.elapsed()));
        return;
    }
    if (slot.stage == Stage::Ready)
        slot.handle->setFlagAsync("pause", false);
    // Otherwise the file starts paused and is released once it is positioned (see handleEvent).
}

void MpvPlayer::seek(Slot& slot, double seconds) {
    const bool fromEnd = slot.eofReached;
    slot.seeking = true;
    slot.eofReached = false;
    slot.endReported = false;
    const QByteArray target = number(seconds);
    if (!fromEnd) {
        slot.handle->commandAsync({"seek", target.constData(), "absolute+exact"});
        return;
    }
    // Rewinding a movie that ended: sent from the event loop, so that when the end moves on to another
    // movie (attached right after the rewind) the ended one keeps its last picture while it is shown.
    const int index = int(&slot - m_slots.data());
    QTimer::singleShot(0, this, [this, index, request = slot.loadRequest, target] {
        const Slot& now = m_slots[size_t(index)];
        if (now.movie && now.loadRequest == request)
            now.handle->commandAsync({"seek", target.constData(), "absolute+exact"});
    });
}

void MpvPlayer::load(int index, std::shared_ptr<Movie> movie) {
    Slot& slot = m_slots[size_t(index)];
    slot.movie = std::move(movie);
    slot.stage = Stage::Requested;
    ++slot.loadRequest;
    slot.expectedEntry.reset();
    slot.startedEntry.reset();
    slot.startTime = slot.movie->currentTime();
    slot.pendingSeek.reset();
    slot.seeking = false;
    slot.position = slot.startTime;
    slot.eofReached = false;
    slot.endReported = false;
    slot.announced = false;
    slot.holdsFile = false;
    slot.movie->setRate(0.0f);

    if (index == m_active) {
        m_sinceSwitch.invalidate();
        m_releaseTimer.stop();
    }
    MpvHandle& handle = *slot.handle;
    handle.setFlagAsync("pause", true);
    handle.setDoubleAsync("speed", engineSpeed(slot.movie->preferredRate()));
    handle.setDoubleAsync("volume", double(slot.movie->volume()) * 100.0);
    const QByteArray path = slot.movie->path().toUtf8();
    // Per-file options: the file starts paused where the movie stands, whatever came before.
    const QByteArray options = "start=" + number(slot.startTime) + ",pause=yes";
    handle.commandAsync({"loadfile", path.constData(), "replace", options.constData()},
                        LoadReply + slot.loadRequest);
    if (index == m_active)
        notePosition();
}

void MpvPlayer::unload(int index, bool keepPicture) {
    Slot& slot = m_slots[size_t(index)];
    if (slot.stage == Stage::Empty && !slot.movie && (keepPicture || !slot.holdsFile))
        return;
    // A movie whose end moved playing on still sounds for a moment (what the sound output holds):
    // pausing would cut that off. It has nothing more to play, so its picture stays all the same.
    const bool playingOut = keepPicture && slot.eofReached && slot.endReported;
    slot.movie.reset();
    slot.stage = Stage::Empty;
    ++slot.loadRequest;
    slot.expectedEntry.reset();
    slot.pendingSeek.reset();
    slot.seeking = false;
    slot.position = 0.0;
    slot.eofReached = false;
    slot.endReported = false;
    if (!playingOut)
        slot.handle->setFlagAsync("pause", true);
    slot.holdsFile = keepPicture;
    if (!keepPicture)
        slot.handle->commandAsync({"stop"});
}

void MpvPlayer::writeBack(Slot& slot) {
    if (!slot.movie)
        return;
    slot.movie->setCurrentTime(slot.position);
    slot.movie->setRate(0.0f);
}

void MpvPlayer::beginFile(int index) {
    Slot& slot = m_slots[size_t(index)];
    if (slot.stage == Stage::Requested)
        slot.stage = Stage::Loading;
}

void MpvPlayer::handleEvent(int index, const mpv_event& event) {
    Slot& slot = m_slots[size_t(index)];
    switch (event.event_id) {
    case MPV_EVENT_COMMAND_REPLY: {
        if (event.reply_userdata != LoadReply + slot.loadRequest) {
            if (event.error < 0 && event.reply_userdata < LoadReply)
                qWarning("mpv command failed: %s", mpv_error_string(event.error));
            return;
        }
        if (event.error < 0) {
            slot.stage = Stage::Empty;
            emit movieFailed(slot.movie, QString::fromUtf8(mpv_error_string(event.error)));
            return;
        }
        const auto* reply = static_cast<const mpv_event_command*>(event.data);
        slot.expectedEntry = entryIdOf(reply->result).value_or(AnyEntry);
        if (slot.startedEntry && slot.startedEntry == slot.expectedEntry)
            beginFile(index);
        return;
    }
    case MPV_EVENT_SET_PROPERTY_REPLY:
        if (event.error < 0)
            qWarning("mpv property change failed: %s", mpv_error_string(event.error));
        return;
    case MPV_EVENT_GET_PROPERTY_REPLY: {
        const auto* property = static_cast<const mpv_event_property*>(event.data);
        if (event.reply_userdata == EofReply && event.error >= 0 && property->format == MPV_FORMAT_FLAG) {
            noteEof(index, *static_cast<const int*>(property->data) != 0);
            return;
        }
        if (event.reply_userdata != PositionReply || event.error < 0 || property->format != MPV_FORMAT_DOUBLE)
            return;
        if (slot.seeking || slot.stage != Stage::Ready)
            return;
        takePosition(index, *static_cast<const double*>(property->data));
        return;
    }
    case MPV_EVENT_START_FILE: {
        const auto* start = static_cast<const mpv_event_start_file*>(event.data);
        slot.startedEntry = start->playlist_entry_id;
        if (slot.stage == Stage::Requested && slot.expectedEntry &&
            (*slot.expectedEntry == AnyEntry || *slot.expectedEntry == start->playlist_entry_id))
            beginFile(index);
        return;
    }
    case MPV_EVENT_END_FILE: {
        const auto* end = static_cast<const mpv_event_end_file*>(event.data);
        if (end->reason != MPV_END_FILE_REASON_ERROR || !slot.movie || slot.stage < Stage::Loading ||
            slot.startedEntry != end->playlist_entry_id)
            return;
        slot.stage = Stage::Empty;
        emit movieFailed(slot.movie, QString::fromUtf8(mpv_error_string(end->error)));
        return;
    }
    case MPV_EVENT_FILE_LOADED:
        if (slot.stage == Stage::Loading)
            slot.stage = Stage::Loaded;
        return;
    case MPV_EVENT_PLAYBACK_RESTART: {
        if (slot.stage < Stage::Loaded)
            return;
        slot.seeking = false;
        if (slot.stage == Stage::Loaded) {
            slot.stage = Stage::Ready;
            slot.framesAtRestart = slot.handle->framesRendered();
            if (slot.pendingSeek && std::abs(*slot.pendingSeek - slot.startTime) > 1e-9)
                seek(slot, *slot.pendingSeek);
            slot.pendingSeek.reset();
            // A play() that came while loading was held back by the file's own pause.
            if (index == m_active && !isSwitchPending() && slot.movie->rate() > 0.0f)
                slot.handle->setFlagAsync("pause", false);
        }
        // Observed changes may come before the restart and are ignored while seeking; ask once more.
        mpv_get_property_async(slot.handle->get(), PositionReply, "time-pos", MPV_FORMAT_DOUBLE);
        mpv_get_property_async(slot.handle->get(), EofReply, "eof-reached", MPV_FORMAT_FLAG);
        if (index == m_active) {
            if (!slot.seeking)
                emit movieReady(slot.movie);
            checkShown();
        } else {
            checkPrepared();
        }
        return;
    }
    case MPV_EVENT_PROPERTY_CHANGE:
        handleProperty(index, event);
        return;
    default:
        return;
    }
}

void MpvPlayer::handleProperty(int index, const mpv_event& event) {
    Slot& slot = m_slots[size_t(index)];
    const auto* property = static_cast<const mpv_event_property*>(event.data);
    const bool isDouble = property->format == MPV_FORMAT_DOUBLE;
    const bool isFlag = property->format == MPV_FORMAT_FLAG;
    switch (event.reply_userdata) {
    case TimePos:
        if (!isDouble || slot.seeking || slot.stage < Stage::Loaded || !slot.movie)
            return;
        takePosition(index, *static_cast<const double*>(property->data));
        return;
    case EofReached:
        if (isFlag)
            noteEof(index, *static_cast<const int*>(property->data) != 0);
        return;
    case Pause:
        if (isFlag)
            slot.paused = *static_cast<const int*>(property->data) != 0;
        break;
    case Speed:
        if (isDouble)
            slot.speed = *static_cast<const double*>(property->data);
        break;
    case Volume:
        if (isDouble)
            slot.volume = *static_cast<const double*>(property->data);
        break;
    case FrameRate:
        slot.frameRate = isDouble ? *static_cast<const double*>(property->data) : 0.0;
        return;
    case AudioOutput: {
        const char* name =
            property->format == MPV_FORMAT_STRING ? *static_cast<char**>(property->data) : nullptr;
        slot.audible = name && *name && std::strcmp(name, "null") != 0;
        return;
    }
    default:
        return;
    }
    if (index == m_active)
        emit engineStateChanged();
}

void MpvPlayer::noteEof(int index, bool reached) {
    Slot& slot = m_slots[size_t(index)];
    // A seek leaves the end behind; what is reported before it settles is stale.
    if (slot.stage < Stage::Loaded || !slot.movie || slot.seeking)
        return;
    if (!reached) {
        slot.eofReached = false;
        slot.endReported = false;
        return;
    }
    if (slot.eofReached)
        return;
    slot.eofReached = true;
    if (index == m_active && slot.movie->rate() > 0.0f && !slot.endReported)
        reportEndAfterLastFrame();
}

int MpvPlayer::frameMilliseconds(const Slot& slot, double speed) const {
    const double rate = slot.frameRate > 0.0 ? slot.frameRate : AssumedFrameRate;
    return int(std::lround(1000.0 / (rate * (speed > 0.0 ? speed : 1.0))));
}

void MpvPlayer::reportEndAfterLastFrame() {
    m_endTimer.start(frameMilliseconds(active(), active().speed));
}

void MpvPlayer::releaseFirstFrame() {
    m_sinceSwitch.invalidate();
    Slot& slot = active();
    if (slot.movie && slot.movie->rate() > 0.0f && slot.stage == Stage::Ready)
        slot.handle->setFlagAsync("pause", false);
}

void MpvPlayer::checkShown() {
    const Slot& slot = active();
    if (!isSwitchPending() || !slot.movie || slot.stage != Stage::Ready)
        return;
    if (slot.handle->renderAttachment() && slot.handle->framesRendered() <= slot.framesAtRestart)
        return;
    showActive();
    holdFirstFrame();
}

void MpvPlayer::showActive() {
    if (!isSwitchPending())
        return;
    // The previous handle stays paused on its file until the next movie is loaded there (or nothing is
    // to be): stopping it now would send the core idle, which tears its video output down (work on
    // this thread, right while the new movie's first frames are due) only to build it again next load.
    m_shown = m_active;
    emit shownHandleChanged(m_shown);
    if (m_deferredNext) {
        std::shared_ptr<Movie> next = std::move(*m_deferredNext);
        m_deferredNext.reset();
        prepareNext(std::move(next));
    }
}

// After a switch, the first frame stays one frame interval before playing moves on from it. A movie
// that plays its sound into a real output starts at once instead: its sound must follow the previous
// movie's without a gap, and its pictures are timed by that sound (the first one stays until the
// sound has played that long).
void MpvPlayer::holdFirstFrame() {
    Slot& slot = active();
    m_sinceSwitch.start();
    m_firstFrameHold = slot.audible ? 0 : frameMilliseconds(slot, engineSpeed(slot.movie->preferredRate()));
    m_releaseTimer.stop();
    if (slot.movie->rate() <= 0.0f)
        return;
    if (m_firstFrameHold == 0)
        releaseFirstFrame();
    else
        m_releaseTimer.start(m_firstFrameHold);
}

void MpvPlayer::checkPrepared() {
    Slot& slot = other();
    if (slot.announced || !isNextPrepared())
        return;
    slot.announced = true;
    emit nextPrepared(slot.movie);
}

void MpvPlayer::reportEnd() {
    m_endTimer.stop();
    Slot& slot = active();
    slot.endReported = true;
    const std::shared_ptr<Movie> movie = slot.movie;
    emit movieDidEnd(movie);
}

// A position the engine reported for the slot's movie; the active one's also goes to the listeners.
void MpvPlayer::takePosition(int index, double seconds) {
    Slot& slot = m_slots[size_t(index)];
    slot.position = seconds;
    slot.movie->setCurrentTime(seconds);
    if (index == m_active)
        notePosition();
}

void MpvPlayer::notePosition() {
    if (!m_sincePositionSignal.isValid() || m_sincePositionSignal.elapsed() >= PositionInterval) {
        m_sincePositionSignal.restart();
        m_positionTimer.stop();
        emit positionChanged(active().position);
    } else if (!m_positionTimer.isActive()) {
        m_positionTimer.start(int(PositionInterval - m_sincePositionSignal.elapsed()));
    }
}
