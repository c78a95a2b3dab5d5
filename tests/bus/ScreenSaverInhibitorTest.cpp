// The screen stays awake while a playlist plays. A stand-in for the desktop's screen saver service, on the
// private session bus these tests run on (dbus-run-session), records what is asked of it; the X server's
// own screen saver is watched from a connection of the test's own.
#include "platform/ScreenSaverInhibitor.h"
#include "platform/TypedNumber.h"
#include "support/AppProcess.h"
#include "support/PlaylistWindows.h"
#include "support/Wait.h"

#include <QDBusConnection>
#include <QMap>
#include <QMutex>
#include <QThread>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <xcb/screensaver.h>
#include <xcb/xcb.h>

namespace {

constexpr int Wait = 15000; // ms allowed for a reply or the player; never a measured time
const QString Service = QStringLiteral("org.freedesktop.ScreenSaver");
const QString Path = QStringLiteral("/org/freedesktop/ScreenSaver");

// The desktop's service as it answers, holding the inhibitions it was given by cookie. It answers in a
// thread of its own: a closing window waits for the answer to its release.
class StandInScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    struct Calls {
        QList<QString> held; // the reasons of the inhibitions held
        int inhibits, unInhibits;
    };
    Calls calls() const {
        QMutexLocker lock(&m_mutex);
        return {m_held.values(), m_inhibits, m_unInhibits};
    }

public slots:
    uint Inhibit(const QString&, const QString& reason) {
        QMutexLocker lock(&m_mutex);
        ++m_inhibits;
        m_held.insert(++m_lastCookie, reason);
        return m_lastCookie;
    }
    void UnInhibit(uint cookie) {
        QMutexLocker lock(&m_mutex);
        ++m_unInhibits;
        m_held.remove(cookie);
    }

private:
    mutable QMutex m_mutex;
    QMap<uint, QString> m_held; // cookie -> reason
    int m_inhibits = 0, m_unInhibits = 0;
    uint m_lastCookie = 0;
};

QStringList warnings; // what is logged while a WarningLog lives
struct WarningLog {
    QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtWarningMsg)
                warnings.append(text);
        });
    ~WarningLog() { qInstallMessageHandler(previous); }
};

// The X server's screen saver, set to start after one idle second while this lives; the server's
// defaults come back after.
class XScreenSaverWatch {
public:
    XScreenSaverWatch()
        : m_c(xcb_connect(nullptr, nullptr)) {
        const auto* extension =
            xcb_connection_has_error(m_c) ? nullptr : xcb_get_extension_data(m_c, &xcb_screensaver_id);
        m_usable = extension && extension->present;
        setTimeout(1);
    }
    ~XScreenSaverWatch() {
        setTimeout(-1);
        xcb_disconnect(m_c);
    }
    bool usable() const { return m_usable; }
    bool active() const {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
        std::unique_ptr<xcb_screensaver_query_info_reply_t, decltype(&std::free)> info(
            xcb_screensaver_query_info_reply(m_c, xcb_screensaver_query_info(m_c, root), nullptr),
            &std::free);
        return info && info->state == XCB_SCREENSAVER_STATE_ON;
    }

private:
    void setTimeout(int16_t seconds) {
        xcb_set_screen_saver(m_c, seconds, -1, XCB_BLANKING_DEFAULT, XCB_EXPOSURES_DEFAULT);
        xcb_force_screen_saver(m_c, XCB_SCREEN_SAVER_RESET);
        xcb_flush(m_c);
    }
    xcb_connection_t* m_c;
    bool m_usable = false;
};

class ScreenSaverInhibitorTest : public PlaylistWindowTest {
protected:
    ScreenSaverInhibitorTest() {
        service->moveToThread(&serviceThread);
        QObject::connect(&serviceThread, &QThread::finished, service, &QObject::deleteLater);
        serviceThread.start();
    }
    void SetUp() override {
        qputenv("ORVANTA_AUDIO", "null");
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected())
            << "no session bus: run under dbus-run-session";
        ASSERT_TRUE(standIn.registerObject(Path, service, QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(standIn.registerService(Service));
    }
    void TearDown() override {
        PlaylistWindowTest::TearDown();
        standIn.unregisterService(Service);
        standIn.unregisterObject(Path);
        serviceThread.quit();
        serviceThread.wait();
    }

    QList<QString> held() const { return service->calls().held; }

    QDBusConnection standIn = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "stand-in");
    StandInScreenSaver* service = new StandInScreenSaver; // deleted in its thread as that ends
    QThread serviceThread;
};

} // namespace

TEST_F(ScreenSaverInhibitorTest, HoldsOnceAndReleasesEvenWhileTheInhibitCallIsUnderWay) {
    QList<bool> suspensions;
    auto inhibitor = std::make_unique<ScreenSaverInhibitor>(QDBusConnection::sessionBus(), [&](bool on) {
        suspensions.append(on);
        return true;
    });
    inhibitor->inhibit("Playing A");
    inhibitor->inhibit("Playing B");
    WAIT_EQ(held(), QList<QString>{"Playing A"}, Wait);
    inhibitor->release();
    WAIT_EQ(service->calls().unInhibits, 1, Wait);
    EXPECT_EQ(suspensions, (QList<bool>{true, false}));

    // Released, and held and released again, before the first cookie came back.
    for (int i = 0; i < 2; ++i) {
        inhibitor->inhibit("Playing A");
        inhibitor->release();
    }
    WAIT_EQ(service->calls().unInhibits, 2, Wait);
    // Gone before its cookie came back.
    inhibitor->inhibit("Playing A");
    inhibitor.reset();
    WAIT_EQ(service->calls().unInhibits, 3, Wait);
    EXPECT_EQ(service->calls().inhibits, 3);
    EXPECT_TRUE(held().isEmpty());
    EXPECT_EQ(suspensions.count(true), suspensions.count(false));
}

TEST_F(ScreenSaverInhibitorTest, WithoutTheServiceOrABusNothingFailsAndOneWarningIsLogged) {
    standIn.unregisterService(Service);
    WarningLog log;
    ScreenSaverInhibitor noService;
    noService.inhibit("Playing A");
    WAIT_EQ(warnings.size(), 1, Wait);
    EXPECT_TRUE(warnings.front().contains("cannot keep the screen awake"));

    QList<bool> suspensions;
    ScreenSaverInhibitor noBus(QDBusConnection::connectToBus("unix:path=/nonexistent/bus", "no bus"),
                               [&](bool on) { return suspensions.append(on), true; });
    noBus.inhibit("Playing A");
    noBus.release();
    EXPECT_EQ(suspensions, (QList<bool>{true, false})); // the display server is asked all the same
    QTest::qWait(200);
    EXPECT_EQ(warnings.size(), 1) << warnings.join('\n').toStdString();
}

TEST_F(ScreenSaverInhibitorTest, AWindowHoldsTheScreenAwakeFromPlayUntilPauseStopOrClosing) {
    OrvantaWindowController* wc = open("Lobby", {"clip-2s.mp4"});
    ASSERT_NE(wc, nullptr);

    // Playing: the desktop is asked, and the X server's screen saver does not start after its idle second.
    wc->play();
    WAIT_EQ(held(), QList<QString>{"Playing Lobby"}, Wait);
    {
        XScreenSaverWatch x;
        ASSERT_TRUE(x.usable()) << "the X server has no MIT-SCREEN-SAVER extension";
        QTest::qWait(1300);
        EXPECT_FALSE(x.active());
        wc->pause();
        WAIT_UNTIL(held().isEmpty(), Wait);
        WAIT_UNTIL(x.active(), Wait);
    }
    // Stop, which is also what the end of the last clip does.
    wc->play();
    WAIT_EQ(held().size(), 1, Wait);
    wc->stop();
    WAIT_UNTIL(held().isEmpty(), Wait);

    // Two windows playing hold the screen until both let go; closing a window (and quitting) lets go.
    OrvantaWindowController* foyer = open("Foyer", {"clip-2s.mp4"});
    ASSERT_NE(foyer, nullptr);
    wc->play();
    foyer->play();
    WAIT_EQ(held().size(), 2, Wait);
    wc->stop();
    WAIT_EQ(held(), QList<QString>{"Playing Foyer"}, Wait);
    controller.closeAllDocuments();
    WAIT_UNTIL(held().isEmpty(), Wait);
    EXPECT_EQ(service->calls().inhibits, service->calls().unInhibits);
}

TEST_F(ScreenSaverInhibitorTest, TheProgramLetsGoWhenItQuitsWhilePlaying) {
    const QUrl playlist = writeTestPlaylist(dir.path(), "Gallery", {"clip-2s.mp4"}, [](PlaylistSettings& s) {
        s.setValue("autoplay", TypedNumber::boolean(true));
        s.setValue("looping", TypedNumber::integer(1));
    });
    AppProcess app({QStringLiteral(ORVANTA_APP_BINARY), dir.filePath("home"), {}, true, {}});
    ASSERT_TRUE(app.start({playlist.toLocalFile()}) && app.waitForSignalHandlers(Wait));
    WAIT_EQ(held(), QList<QString>{"Playing Gallery"}, Wait);
    app.sendSignal(SIGTERM);
    ASSERT_TRUE(app.waitForExit(Wait));
    WAIT_UNTIL(held().isEmpty(), Wait);
}

#include "ScreenSaverInhibitorTest.moc"
