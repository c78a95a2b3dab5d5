#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// How the values of the media player interface (org.mpris.MediaPlayer2.Player) map onto a playlist's:
// pure functions, so that the adaptor only carries them out. Times are in microseconds, as the
// interface gives them.
namespace MprisValues {

// The speed range of the settings pane's slider, which Rate is kept within.
constexpr double MinimumRate = 0.25;
constexpr double MaximumRate = 4.0;

// "None" for a playlist that does not loop, "Playlist" for one that does.
QString loopStatus(qint32 looping);
// The looping a LoopStatus asks for; nothing for a value the interface does not know. A playlist
// loops as a whole, so "Track" is taken as "Playlist" (a one-clip playlist that loops is the nearest
// thing), and the status then reads "Playlist".
std::optional<bool> loopingFor(const QString& status);

// The speed a Rate asks for, within the slider's range; nothing for 0 (which pauses instead) and for
// values that are no numbers or negative (ignored).
std::optional<float> speedFor(double rate);
// The volume a Volume asks for: 0 to 1 (below 0 is 0; the playlist's volume goes no higher than 1).
float volumeFor(double volume);

// What Seek(offset) does from a position in a clip of the given length: a position clamped at 0, or,
// past the end, a step to the next clip.
struct SeekTarget {
    bool next = false;
    qint64 position = 0; // when not next
    bool operator==(const SeekTarget&) const = default;
};
SeekTarget seekTarget(qint64 position, qint64 offset, qint64 length);
// Whether SetPosition may go there: within the clip, its end included.
bool positionIsWithin(qint64 position, qint64 length);

// The object path that names a clip to the interface (mpris:trackid), from its number.
QString trackPath(quint64 number);
// Seconds as the interface's microseconds, rounded.
qint64 microseconds(double seconds);

} // namespace MprisValues
