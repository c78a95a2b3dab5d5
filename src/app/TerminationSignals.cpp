#include "app/TerminationSignals.h"

#include <atomic>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int Signals[] = {SIGTERM, SIGINT, SIGHUP};

int g_signalPipe[2] = {-1, -1};
std::atomic<bool> g_requested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler writes it");

void onSignal(int) {
    // Only async-signal-safe work here: note the request and wake the event loop.
    g_requested.store(true);
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[0], &byte, 1);
}

} // namespace

void TerminationSignals::install() {
    if (g_signalPipe[0] >= 0)
        return;
    // Non-blocking writes: a burst of signals must never block the handler on a full socket.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalPipe) != 0)
        g_signalPipe[0] = g_signalPipe[1] = -1;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : Signals)
        ::sigaction(sig, &action, nullptr);
}

bool TerminationSignals::requested() {
    return g_requested.load();
}

TerminationSignals::TerminationSignals(QObject* parent)
    : QObject(parent) {
    install();
    if (g_signalPipe[1] < 0)
        return;
    m_notifier = std::make_unique<QSocketNotifier>(g_signalPipe[1], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(g_signalPipe[1], bytes, sizeof bytes) > 0) {
        }
        emit terminationRequested();
    });
    // A signal that came before this object existed has left its byte in the socket: the notifier
    // reports it as soon as the event loop (or a nested one) runs.
}

TerminationSignals::~TerminationSignals() {
    // The handlers stay: a signal while the program ends only notes a request nobody reads any more,
    // instead of killing a program that is busy writing its playlists.
    m_notifier.reset();
}
