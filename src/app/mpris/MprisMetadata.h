#pragma once

#include "document/ClipRecord.h"

#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QVariantMap>
#include <vector>

// The metadata the media player interface gives of the clip that plays: mpris:trackid (an object path
// of the clip's own, kept while the clip record lives, never reused), mpris:length, xesam:title,
// xesam:url and, where the clip has a poster, mpris:artUrl: the poster written as a PNG into the poster
// folder, named by its content. Encoding a poster takes tens of milliseconds, so it is done on a worker
// thread a second after it is first asked for (not while the clip's first frames are being made), and
// artUrl comes with the metadata from then on (posterWritten). Main thread only, but for that worker.
class MprisMetadata : public QObject {
    Q_OBJECT
public:
    // The trackid of "no clip".
    static QString noTrack() { return QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"); }
    // Where the posters are written: $XDG_CACHE_HOME/orvanta/posters.
    static QString defaultPosterFolder();

    explicit MprisMetadata(QString posterFolder = defaultPosterFolder(), QObject* parent = nullptr);
    ~MprisMetadata() override; // waits for a poster being written

    QVariantMap metadataOf(const ClipRecordPtr& clip);
    QString trackIdOf(const ClipRecordPtr& clip);

signals:
    // A clip's poster is written: its metadata now have artUrl.
    void posterWritten();

private:
    struct Entry {
        std::weak_ptr<ClipRecord> clip;
        quint64 number = 0;
        QString artUrl;     // empty until the clip's poster is written
        bool asked = false; // the poster is being written, or could not be
    };
    Entry& entryOf(const ClipRecordPtr& clip);
    Entry* entryNumbered(quint64 number);
    void writePosterLater(Entry& entry, const ClipRecord& clip);

    QString m_posterFolder;
    std::vector<Entry> m_entries;
    quint64 m_lastNumber = 0;
    QThreadPool m_writer;
};
