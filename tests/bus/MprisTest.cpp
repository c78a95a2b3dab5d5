// Remote control over MPRIS: the real program plays a dynamic playlist of real movies on the private
// session bus these tests run on (dbus-run-session) and is driven with playerctl, as media keys and
// scripts drive it; what it sends (PropertiesChanged, Seeked) is recorded from the bus. How the
// interface's values map onto the playlist's is a table.
#include "app/mpris/MprisValues.h"
#include "document/OrvantaDocument.h"
#include "document/PlaylistSettings.h"
#include "platform/TypedNumber.h"
#include "support/AppProcess.h"
#include "support/PlaylistFixture.h"
#include "support/QtPrinters.h"
#include "support/TestEnvironment.h"
#include "support/TestMedia.h"
#include "support/Wait.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <limits>

namespace {

constexpr int Wait = 15000; // ms allowed for the program or a reply; never a measured time
const QString Path = QStringLiteral("/org/mpris/MediaPlayer2");

// What the program sends on the bus.
class BusRecorder : public QObject {
    Q_OBJECT
public:
    QList<QVariantMap> changes;
    QList<qlonglong> seeks;

    // Whether a PropertiesChanged of the player interface carried the property, with the value if given.
    bool sent(const QString& name, const QVariant& value = {}) const {
        for (const QVariantMap& change : changes) {
            if (change.contains(name) && (!value.isValid() || change.value(name) == value))
                return true;
        }
        return false;
    }

public slots:
    void propertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList&) {
        if (interface == QLatin1String("org.mpris.MediaPlayer2.Player"))
            changes.append(changed);
    }
    void seeked(qlonglong position) { seeks.append(position); }
};

// playerctl's answer (standard output, trimmed), its message on failure.
QString playerctl(const QStringList& arguments) {
    QProcess process;
    process.start("playerctl", QStringList{"--player=orvanta"} + arguments);
    // Events are processed meanwhile: the recorder hears the bus.
    if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, Wait))
        return "(playerctl did not answer)";
    const QString out = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    return process.exitCode() == 0 ? out : QString::fromUtf8(process.readAllStandardError()).trimmed();
}

} // namespace

TEST(MprisValues, InterfaceValuesMapOntoThePlaylistsSettingsAndTransport) {
    using MprisValues::SeekTarget;
    EXPECT_EQ(MprisValues::loopStatus(0), "None");
    EXPECT_EQ(MprisValues::loopStatus(1), "Playlist");
    EXPECT_EQ(MprisValues::loopingFor("None"), false);
    EXPECT_EQ(MprisValues::loopingFor("Playlist"), true);
    EXPECT_EQ(MprisValues::loopingFor("Track"), true);
    EXPECT_EQ(MprisValues::loopingFor("playlist"), std::nullopt);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::pair<double, std::optional<float>> rates[] = {
        {1.0, 1.0f}, {0.5, 0.5f}, {0.1, 0.25f}, {10.0, 4.0f}, {0.0, {}}, {-1.0, {}}, {nan, {}}};
    for (const auto& [rate, speed] : rates)
        EXPECT_EQ(MprisValues::speedFor(rate), speed) << rate;
    EXPECT_EQ(MprisValues::volumeFor(0.3), 0.3f);
    EXPECT_EQ(MprisValues::volumeFor(-0.5), 0.0f);
    EXPECT_EQ(MprisValues::volumeFor(1.5), 1.0f);

    const qint64 max = std::numeric_limits<qint64>::max();
    // Seeks by an offset from 1 s into a 2 s clip.
    const std::pair<qint64, SeekTarget> seeks[] = {{500'000, {false, 1'500'000}},
                                                   {-3'000'000, {false, 0}},
                                                   {1'000'000, {false, 2'000'000}},
                                                   {1'000'001, {true, 0}},
                                                   {max, {true, 0}}};
    for (const auto& [offset, expected] : seeks)
        EXPECT_EQ(MprisValues::seekTarget(1'000'000, offset, 2'000'000), expected) << offset;
    EXPECT_TRUE(MprisValues::positionIsWithin(2'000'000, 2'000'000));
    EXPECT_FALSE(MprisValues::positionIsWithin(-1, 2'000'000));
    EXPECT_FALSE(MprisValues::positionIsWithin(2'000'001, 2'000'000));
}

TEST(MprisTest, PlayerctlDrivesThePlayingPlaylistEveryChangeIsSentAndEditsAreSaved) {
    if (QStandardPaths::findExecutable("playerctl").isEmpty())
        GTEST_SKIP() << "playerctl is not installed (scripts/install-deps installs it)";
    ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "no session bus: run under dbus-run-session";
    QTemporaryDir dir;
    const QDir clips(dir.filePath("Lobby"));
    const QStringList names{"a.mp4", "b.mkv", "c.webm"};
    for (const QString& name : names)
        ASSERT_FALSE(copyTestMedia("clip-2s." + QFileInfo(name).suffix(), clips.filePath(name)).isEmpty());
    const QUrl playlist = writeDynamicTestPlaylist(
        dir.filePath("Lobby.orvdynamic"), clips.path(), false, [](PlaylistSettings& settings) {
            settings.setValue("autoplay", TypedNumber::boolean(true));
            settings.setValue("looping", TypedNumber::integer(1));
        });
    ASSERT_FALSE(playlist.isEmpty());

    BusRecorder bus;
    QDBusConnection session = QDBusConnection::sessionBus();
    ASSERT_TRUE(session.connect({}, Path, "org.freedesktop.DBus.Properties", "PropertiesChanged", &bus,
                                SLOT(propertiesChanged(QString, QVariantMap, QStringList))));
    ASSERT_TRUE(
        session.connect({}, Path, "org.mpris.MediaPlayer2.Player", "Seeked", &bus, SLOT(seeked(qlonglong))));
    AppProcess app({QStringLiteral(ORVANTA_APP_BINARY), dir.filePath("home"), {}, false, {}, true});
    ASSERT_TRUE(app.start({playlist.toLocalFile()}));

    // Autoplay: playing, and said so; play-pause pauses.
    WAIT_EQ(playerctl({"status"}), "Playing", Wait);
    WAIT_UNTIL(bus.sent("PlaybackStatus", "Playing"), Wait);
    EXPECT_EQ(playerctl({"play-pause"}), QString());
    WAIT_EQ(playerctl({"status"}), "Paused", Wait);
    WAIT_UNTIL(bus.sent("PlaybackStatus", "Paused"), Wait);

    // The paused clip's metadata, its poster written out as a picture (a moment after it became current).
    WAIT_UNTIL(QUrl(playerctl({"metadata", "mpris:artUrl"})).isLocalFile(), Wait);
    const QStringList metadata =
        playerctl({"metadata", "--format",
                   "{{xesam:title}}|{{mpris:length}}|{{mpris:trackid}}|{{xesam:url}}|{{mpris:artUrl}}"})
            .split(u'|');
    ASSERT_EQ(metadata.size(), 5) << metadata.join(u'|').toStdString();
    const qsizetype row = names.indexOf(metadata[0]);
    ASSERT_GE(row, 0) << metadata[0].toStdString();
    EXPECT_NEAR(metadata[1].toLongLong(), 2'000'000, 100'000);
    EXPECT_TRUE(metadata[2].startsWith("'/org/orvanta/clip/")) << metadata[2].toStdString();
    EXPECT_EQ(metadata[3], QUrl::fromLocalFile(clips.filePath(metadata[0])).toString(QUrl::FullyEncoded));
    EXPECT_GT(QImage(QUrl(metadata[4]).toLocalFile()).width(), 0) << metadata[4].toStdString();

    // Next and Previous step through the rows, wrapping as the looping playlist does.
    const auto title = [] { return playerctl({"metadata", "xesam:title"}); };
    bus.changes.clear();
    bus.seeks.clear();
    playerctl({"next"});
    WAIT_EQ(title(), names[(row + 1) % names.size()], Wait);
    WAIT_UNTIL(bus.sent("Metadata"), Wait);
    playerctl({"previous"});
    WAIT_EQ(title(), names[row], Wait);

    // Position: set, read back, and announced with Seeked (changing clips is no seek).
    playerctl({"position", "1.5"});
    WAIT_UNTIL(std::abs(playerctl({"position"}).toDouble() - 1.5) < 0.05, Wait);
    WAIT_UNTIL(!bus.seeks.isEmpty(), Wait);
    ASSERT_EQ(bus.seeks.size(), 1);
    EXPECT_NEAR(double(bus.seeks.front()), 1.5e6, 50'000);

    // Loop and volume are the playlist's settings; play-pause plays again.
    playerctl({"loop", "None"});
    WAIT_EQ(playerctl({"loop"}), "None", Wait);
    WAIT_UNTIL(bus.sent("LoopStatus", "None"), Wait);
    playerctl({"volume", "0.3"});
    WAIT_UNTIL(std::abs(playerctl({"volume"}).toDouble() - 0.3) < 1e-4, Wait);
    WAIT_UNTIL(bus.sent("Volume", double(0.3f)), Wait);
    EXPECT_EQ(playerctl({"play-pause"}), QString());
    WAIT_EQ(playerctl({"status"}), "Playing", Wait);

    // Quit over the bus takes the Quit command's way: the edits are saved.
    const QDBusMessage quit = session.call(QDBusMessage::createMethodCall(
        "org.mpris.MediaPlayer2.orvanta", Path, "org.mpris.MediaPlayer2", "Quit"));
    EXPECT_EQ(quit.type(), QDBusMessage::ReplyMessage) << quit.errorMessage().toStdString();
    ASSERT_TRUE(app.waitForExit(Wait)) << app.standardError().toStdString();
    EXPECT_EQ(app.exitCode(), 0) << app.standardError().toStdString();
    OrvantaDocument saved;
    DocumentError error;
    ASSERT_TRUE(saved.readFromURL(playlist, OrvantaDocument::DynamicPlaylistType, &error));
    EXPECT_EQ(saved.settings()->looping(), 0);
    EXPECT_EQ(saved.settings()->volume(), 0.3f);
}

TEST(MprisTest, WithoutASessionBusTheProgramSaysSoOnceAndPlaysOn) {
    QTemporaryDir dir;
    const QUrl playlist =
        writeTestPlaylist(dir.path(), "Short", {"clip-0.5s.mp4"}, [](PlaylistSettings& settings) {
            settings.setValue("autoplay", TypedNumber::boolean(true));
            settings.setValue("closeWhenFinished", TypedNumber::boolean(true));
        });
    ScopedEnvironment noBus("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
    AppProcess app({QStringLiteral(ORVANTA_APP_BINARY), dir.filePath("home"), {}, true, {}, true});
    ASSERT_TRUE(app.start({"--quit-when-done", playlist.toLocalFile()}));
    ASSERT_TRUE(app.waitForExit(Wait)) << app.standardError().toStdString();
    EXPECT_EQ(app.exitCode(), 0);
    EXPECT_TRUE(app.hasLogged("movieDidEnd"));
    EXPECT_EQ(app.standardError().count("remote control (MPRIS) is not available"), 1)
        << app.standardError().toStdString();
}

#include "MprisTest.moc"
