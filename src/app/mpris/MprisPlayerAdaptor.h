#pragma once

#include "app/mpris/MprisMetadata.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QTimer>
#include <QVariantMap>

class MprisWindowChoice;
class OrvantaDocumentController;
class OrvantaWindowController;

// org.mpris.MediaPlayer2.Player over the chosen playlist window (MprisWindowChoice): the transport
// through the window controller's operations, Next and Previous as the sequencing steps, and the
// looping, speed and volume settings through the same operations as the settings pane (so they are
// edits of the playlist like any other). Every change of a property but Position is sent as
// PropertiesChanged, found by comparing all of them once per turn of the event loop after anything
// changed; Seeked follows the player's seeks. Main thread only.
class MprisPlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(QString LoopStatus READ loopStatus WRITE setLoopStatus)
    Q_PROPERTY(double Rate READ rate WRITE setRate)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(double MinimumRate READ minimumRate)
    Q_PROPERTY(double MaximumRate READ maximumRate)
    Q_PROPERTY(bool CanGoNext READ canGoNext)
    Q_PROPERTY(bool CanGoPrevious READ canGoPrevious)
    Q_PROPERTY(bool CanPlay READ canPlay)
    Q_PROPERTY(bool CanPause READ canPause)
    Q_PROPERTY(bool CanSeek READ canSeek)
    Q_PROPERTY(bool CanControl READ canControl)
public:
    static QString interfaceName() { return QStringLiteral("org.mpris.MediaPlayer2.Player"); }

    // The adaptor of the object (which must also be a QDBusContext) registered at the path on the bus.
    MprisPlayerAdaptor(QObject* object, const QString& path, QDBusConnection bus, MprisWindowChoice& choice,
                       OrvantaDocumentController& documents);

    QString playbackStatus() const;
    QString loopStatus() const;
    void setLoopStatus(const QString& status);
    double rate() const;
    void setRate(double rate);
    QVariantMap metadata();
    double volume() const;
    void setVolume(double volume);
    qlonglong position() const;
    double minimumRate() const;
    double maximumRate() const;
    bool canGoNext() const;
    bool canGoPrevious() const;
    bool canPlay() const;
    bool canPause() const;
    bool canSeek() const;
    bool canControl() const { return true; }

public slots:
    void Next();
    void Previous();
    void Pause();
    void PlayPause();
    void Stop();
    void Play();
    void Seek(qlonglong Offset);
    void SetPosition(const QDBusObjectPath& TrackId, qlonglong Position);
    void OpenUri(const QString& Uri);

signals:
    void Seeked(qlonglong Position);

private:
    OrvantaWindowController* target() const;
    // Every property but Position, as the bus would read it now.
    QVariantMap properties();
    void sendChanges();
    void refuse(const QString& message) const;

    QString m_path;
    QDBusConnection m_bus;
    MprisWindowChoice& m_choice;
    OrvantaDocumentController& m_documents;
    MprisMetadata m_metadata;
    QVariantMap m_sent; // the properties as last sent (or first read)
    QTimer m_changes;
};
