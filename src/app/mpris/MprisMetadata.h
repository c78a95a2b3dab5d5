#pragma once

#include "document/ClipRecord.h"

#include <QString>
#include <QVariantMap>
#include <vector>

// The metadata the media player interface gives of the clip that plays: mpris:trackid (an object path
// of the clip's own, kept while the clip record lives, never reused), mpris:length, xesam:title,
// xesam:url and, where the clip has a poster, mpris:artUrl (the poster written once as a PNG into the
// poster folder, named by its content). Main thread only.
class MprisMetadata {
public:
    // The trackid of "no clip".
    static QString noTrack() { return QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"); }
    // Where the posters are written: $XDG_CACHE_HOME/orvanta/posters.
    static QString defaultPosterFolder();

    explicit MprisMetadata(QString posterFolder = defaultPosterFolder());

    QVariantMap metadataOf(const ClipRecordPtr& clip);
    QString trackIdOf(const ClipRecordPtr& clip);

private:
    struct Entry {
        std::weak_ptr<ClipRecord> clip;
        quint64 number = 0;
        QString artUrl; // empty until the clip's poster was written
    };
    Entry& entryOf(const ClipRecordPtr& clip);
    // The file URL of the poster written out; empty when the clip has none or it cannot be written.
    QString writePoster(const ClipRecord& clip) const;

    QString m_posterFolder;
    std::vector<Entry> m_entries;
    quint64 m_lastNumber = 0;
};
