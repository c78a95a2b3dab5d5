#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QString>

class MprisPlayerAdaptor;
class MprisRootAdaptor;
class MprisWindowChoice;
class OrvantaDocumentController;

// Remote control over MPRIS 2: the media player object at /org/mpris/MediaPlayer2 with its two
// interfaces (MprisRootAdaptor, MprisPlayerAdaptor), under the bus name org.mpris.MediaPlayer2.orvanta
// (org.mpris.MediaPlayer2.orvanta.instance<pid> when another Orvanta holds that). Without a session
// bus, or when the name cannot be had, nothing is offered and one message says why; the program runs
// on. Made in main() after the document controller and gone before it. Main thread only.
class MprisService : public QObject, public QDBusContext {
    Q_OBJECT
public:
    static QString objectPath() { return QStringLiteral("/org/mpris/MediaPlayer2"); }
    static QString serviceName() { return QStringLiteral("org.mpris.MediaPlayer2.orvanta"); }

    explicit MprisService(OrvantaDocumentController& documents,
                          QDBusConnection bus = QDBusConnection::sessionBus());
    ~MprisService() override;

    // The bus name held; empty when remote control is not offered.
    const QString& registeredName() const { return m_name; }

private:
    QDBusConnection m_bus;
    MprisWindowChoice* m_choice;
    QString m_name;
};
