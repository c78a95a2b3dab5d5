#include "app/mpris/MprisPlayerAdaptor.h"

#include "app/OrvantaDocumentController.h"
#include "app/mpris/MprisValues.h"
#include "app/mpris/MprisWindowChoice.h"
#include "document/OrvantaDocument.h"
#include "document/PlaylistSettings.h"
#include "window/OrvantaWindowController.h"

#include <QDBusContext>
#include <QDBusMessage>
#include <QFileInfo>

namespace {

// The clip of the window's current movie; null when nothing is current.
ClipRecordPtr currentClip(OrvantaWindowController* wc) {
    const std::shared_ptr<Movie> movie = wc ? wc->currentMovie() : nullptr;
    if (!movie || !wc->datasource())
        return nullptr;
    for (const ClipRecordPtr& clip : wc->datasource()->clips()) {
        if (clip && clip->movie == movie)
            return clip;
    }
    return nullptr;
}

const PlaylistSettings* settingsOf(OrvantaWindowController* wc) {
    return wc && wc->datasource() ? wc->datasource()->settings() : nullptr;
}

qint64 lengthOf(const ClipRecordPtr& clip) {
    return clip && clip->movie ? MprisValues::microseconds(clip->movie->duration().seconds()) : 0;
}

// Moves the window's current movie to a position (µs) within its length.
void seekTo(OrvantaWindowController* wc, qint64 position, qint64 length) {
    if (length > 0)
        wc->scrub(float(double(position) / double(length)));
}

// The window controller of an open playlist file; null when none is open.
OrvantaWindowController* windowOfFile(OrvantaDocumentController& documents, const QString& path) {
    const QString wanted = QFileInfo(path).canonicalFilePath();
    for (Document* document : documents.documents()) {
        if (wanted.isEmpty() || QFileInfo(document->fileURL().toLocalFile()).canonicalFilePath() != wanted)
            continue;
        for (WindowController* controller : document->windowControllers()) {
            if (auto* wc = qobject_cast<OrvantaWindowController*>(controller))
                return wc;
        }
    }
    return nullptr;
}

} // namespace

MprisPlayerAdaptor::MprisPlayerAdaptor(QObject* object, const QString& path, QDBusConnection bus,
                                       MprisWindowChoice& choice, OrvantaDocumentController& documents)
    : QDBusAbstractAdaptor(object)
    , m_path(path)
    , m_bus(std::move(bus))
    , m_choice(choice)
    , m_documents(documents) {
    m_changes.setSingleShot(true);
    m_changes.setInterval(0);
    connect(&m_changes, &QTimer::timeout, this, &MprisPlayerAdaptor::sendChanges);
    connect(&m_choice, &MprisWindowChoice::changed, &m_changes, qOverload<>(&QTimer::start));
    connect(&m_metadata, &MprisMetadata::posterWritten, &m_changes, qOverload<>(&QTimer::start));
    connect(&m_choice, &MprisWindowChoice::seeked, this,
            [this](double seconds) { emit Seeked(MprisValues::microseconds(seconds)); });
    m_sent = properties();
}

OrvantaWindowController* MprisPlayerAdaptor::target() const {
    return m_choice.target();
}

QString MprisPlayerAdaptor::playbackStatus() const {
    OrvantaWindowController* wc = target();
    switch (wc ? wc->playback()->state() : PlaylistPlayback::State::Stopped) {
    case PlaylistPlayback::State::Playing:
        return QStringLiteral("Playing");
    case PlaylistPlayback::State::Paused:
        return QStringLiteral("Paused");
    case PlaylistPlayback::State::Stopped:
        break;
    }
    return QStringLiteral("Stopped");
}

QString MprisPlayerAdaptor::loopStatus() const {
    const PlaylistSettings* settings = settingsOf(target());
    return MprisValues::loopStatus(settings ? settings->looping() : 0);
}

void MprisPlayerAdaptor::setLoopStatus(const QString& status) {
    const std::optional<bool> looping = MprisValues::loopingFor(status);
    if (!looping) {
        refuse(QStringLiteral("LoopStatus is None, Track or Playlist, not “%1”").arg(status));
        return;
    }
    if (OrvantaWindowController* wc = target())
        wc->setLooping(*looping);
    // What was asked may not be what is now ("Track" reads "Playlist"): the status is sent again.
    m_sent.remove(QStringLiteral("LoopStatus"));
    m_changes.start();
}

double MprisPlayerAdaptor::rate() const {
    const PlaylistSettings* settings = settingsOf(target());
    return settings ? double(settings->speed()) : 1.0;
}

void MprisPlayerAdaptor::setRate(double rate) {
    if (rate == 0.0) {
        Pause();
        return;
    }
    const std::optional<float> speed = MprisValues::speedFor(rate);
    OrvantaWindowController* wc = target();
    if (!speed || !wc)
        return;
    wc->setSpeed(*speed);
    m_sent.remove(QStringLiteral("Rate"));
    m_changes.start();
}

QVariantMap MprisPlayerAdaptor::metadata() {
    return m_metadata.metadataOf(currentClip(target()));
}

double MprisPlayerAdaptor::volume() const {
    const PlaylistSettings* settings = settingsOf(target());
    return settings ? double(settings->volume()) : 0.0;
}

void MprisPlayerAdaptor::setVolume(double volume) {
    if (OrvantaWindowController* wc = target()) {
        wc->setVolume(MprisValues::volumeFor(volume));
        m_sent.remove(QStringLiteral("Volume"));
        m_changes.start();
    }
}

qlonglong MprisPlayerAdaptor::position() const {
    OrvantaWindowController* wc = target();
    return wc ? MprisValues::microseconds(wc->playback()->currentTime()) : 0;
}

double MprisPlayerAdaptor::minimumRate() const {
    return MprisValues::MinimumRate;
}

double MprisPlayerAdaptor::maximumRate() const {
    return MprisValues::MaximumRate;
}

bool MprisPlayerAdaptor::canGoNext() const {
    OrvantaWindowController* wc = target();
    return wc && wc->canSelectNextClip();
}

bool MprisPlayerAdaptor::canGoPrevious() const {
    OrvantaWindowController* wc = target();
    return wc && wc->canSelectPreviousClip();
}

bool MprisPlayerAdaptor::canPlay() const {
    OrvantaWindowController* wc = target();
    return wc && wc->datasource() && !wc->datasource()->clips().isEmpty();
}

bool MprisPlayerAdaptor::canPause() const {
    OrvantaWindowController* wc = target();
    return wc && wc->currentMovie();
}

bool MprisPlayerAdaptor::canSeek() const {
    OrvantaWindowController* wc = target();
    return wc && wc->currentMovie() && wc->player();
}

void MprisPlayerAdaptor::Next() {
    if (OrvantaWindowController* wc = target())
        wc->selectNextClip();
}

void MprisPlayerAdaptor::Previous() {
    if (OrvantaWindowController* wc = target())
        wc->selectPreviousClip();
}

void MprisPlayerAdaptor::Pause() {
    OrvantaWindowController* wc = target();
    if (wc && wc->isPlaying())
        wc->pause();
}

void MprisPlayerAdaptor::PlayPause() {
    if (OrvantaWindowController* wc = target())
        wc->isPlaying() ? wc->pause() : wc->play();
}

void MprisPlayerAdaptor::Stop() {
    OrvantaWindowController* wc = target();
    if (wc && wc->playback()->state() != PlaylistPlayback::State::Stopped)
        wc->stop();
}

void MprisPlayerAdaptor::Play() {
    OrvantaWindowController* wc = target();
    if (wc && !wc->isPlaying())
        wc->play();
}

void MprisPlayerAdaptor::Seek(qlonglong Offset) {
    OrvantaWindowController* wc = target();
    if (!canSeek())
        return;
    const qint64 length = lengthOf(currentClip(wc));
    const MprisValues::SeekTarget to = MprisValues::seekTarget(position(), Offset, length);
    if (to.next) {
        Next();
        return;
    }
    m_choice.seekRequested();
    seekTo(wc, to.position, length);
}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& TrackId, qlonglong Position) {
    OrvantaWindowController* wc = target();
    const ClipRecordPtr clip = currentClip(wc);
    // A position for another clip than the current one is stale: ignored, as the interface asks.
    if (!canSeek() || TrackId.path() != m_metadata.trackIdOf(clip) ||
        !MprisValues::positionIsWithin(Position, lengthOf(clip)))
        return;
    m_choice.seekRequested();
    seekTo(wc, Position, lengthOf(clip));
}

void MprisPlayerAdaptor::OpenUri(const QString& Uri) {
    const QUrl url(Uri);
    if (!url.isLocalFile()) {
        refuse(QStringLiteral("Orvanta opens playlist files (file:// URIs) only, not “%1”").arg(Uri));
        return;
    }
    // From the event loop: opening may ask the user or report an error in a dialog of its own. A file
    // that is no playlist is refused there, as any other way of opening it would refuse it.
    QMetaObject::invokeMethod(
        &m_documents,
        [documents = &m_documents, url] {
            documents->openDocumentPresentingErrors(url);
            OrvantaWindowController* wc = windowOfFile(*documents, url.toLocalFile());
            if (wc && !wc->isPlaying() && !wc->isImporting())
                wc->play();
        },
        Qt::QueuedConnection);
}

QVariantMap MprisPlayerAdaptor::properties() {
    return {
        {QStringLiteral("PlaybackStatus"), playbackStatus()},
        {QStringLiteral("LoopStatus"), loopStatus()},
        {QStringLiteral("Rate"), rate()},
        {QStringLiteral("Metadata"), metadata()},
        {QStringLiteral("Volume"), volume()},
        {QStringLiteral("MinimumRate"), minimumRate()},
        {QStringLiteral("MaximumRate"), maximumRate()},
        {QStringLiteral("CanGoNext"), canGoNext()},
        {QStringLiteral("CanGoPrevious"), canGoPrevious()},
        {QStringLiteral("CanPlay"), canPlay()},
        {QStringLiteral("CanPause"), canPause()},
        {QStringLiteral("CanSeek"), canSeek()},
        {QStringLiteral("CanControl"), canControl()},
    };
}

void MprisPlayerAdaptor::sendChanges() {
    const QVariantMap now = properties();
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (!m_sent.contains(it.key()) || m_sent.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    }
    m_sent = now;
    if (changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(
        m_path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
    signal << interfaceName() << changed << QStringList();
    m_bus.send(signal);
}

void MprisPlayerAdaptor::refuse(const QString& message) const {
    const auto* context = dynamic_cast<const QDBusContext*>(parent());
    if (context && context->calledFromDBus())
        context->sendErrorReply(QDBusError::InvalidArgs, message);
}
