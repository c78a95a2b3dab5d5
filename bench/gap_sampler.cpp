// Samples the colour of a small patch of the X screen every millisecond or so and prints each change,
// for scripts/bench-gap: the clips it plays are frame-coded (every frame one solid colour), so the
// patch's colour says which clip and which frame is on screen.
//
// Usage: bench_gap_sampler SECONDS
//   Waits until a frame-coded picture appears anywhere on the screen (its blue channel is the marker,
//   see bench-gap), takes the largest such rectangle, and from then on samples a patch at its centre
//   until SECONDS have passed or SIGTERM/SIGINT arrives. Prints "patch X Y W H" once, then one line
//   "MICROSECONDS R G B" per change (time from the first sample, colour averaged over the patch),
//   and "samples N max-interval-us M" at the end.
//
// Usage: bench_gap_sampler --launch SECONDS -- COMMAND [ARGS...]
//   Starts COMMAND and prints the milliseconds from its start until a frame-coded picture of at least
//   LaunchMinSide pixels a side (a playing clip, not a poster in a table) first shows anywhere on the
//   screen, then ends COMMAND (SIGTERM, SIGKILL a few seconds later). Prints "nan" and fails when
//   none shows within SECONDS.
//
// Uses XShmGetImage on the root window: one round trip to the X server per sample, no copy through
// the socket. Made for Xvfb, whose root window holds every window's pixels.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int Patch = 8;             // pixels a side
constexpr long IntervalNs = 1000000; // between samples
constexpr int MarkerBlue = 200;      // every coded frame has this blue
constexpr int MarkerTolerance = 24;
constexpr int LaunchMinSide = 200;

std::atomic<bool> stopRequested{false};

void requestStop(int) {
    stopRequested = true;
}

long long nowUs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (long long)ts.tv_sec * 1000000 + ts.tv_nsec / 1000;
}

struct Shm {
    Display* display = nullptr;
    XImage* image = nullptr;
    XShmSegmentInfo info{};

    bool create(Display* d, int width, int height) {
        display = d;
        const int screen = DefaultScreen(d);
        image = XShmCreateImage(d, DefaultVisual(d, screen), unsigned(DefaultDepth(d, screen)), ZPixmap,
                                nullptr, &info, unsigned(width), unsigned(height));
        if (!image)
            return false;
        info.shmid =
            shmget(IPC_PRIVATE, size_t(image->bytes_per_line) * size_t(image->height), IPC_CREAT | 0600);
        if (info.shmid < 0)
            return false;
        info.shmaddr = image->data = static_cast<char*>(shmat(info.shmid, nullptr, 0));
        info.readOnly = False;
        const bool attached = XShmAttach(d, &info);
        XSync(d, False);
        shmctl(info.shmid, IPC_RMID, nullptr); // gone once both sides detach
        return attached;
    }
    void destroy() {
        if (!image)
            return;
        XShmDetach(display, &info);
        XDestroyImage(image);
        shmdt(info.shmaddr);
        image = nullptr;
    }
    bool grab(int x, int y) {
        return XShmGetImage(display, DefaultRootWindow(display), image, x, y, AllPlanes);
    }
    void pixel(int x, int y, int& r, int& g, int& b) const {
        const unsigned long value = XGetPixel(image, x, y);
        r = int((value >> 16) & 0xff);
        g = int((value >> 8) & 0xff);
        b = int(value & 0xff);
    }
};

bool isCoded(int r, int g, int b) {
    (void)r;
    (void)g;
    return std::abs(b - MarkerBlue) <= MarkerTolerance;
}

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
};

// The largest rectangle of coded pixels grown from a seed, on a coarse grid for speed.
Rect growFrom(const Shm& screen, int sx, int sy, int width, int height) {
    auto coded = [&](int x, int y) {
        int r, g, b;
        screen.pixel(x, y, r, g, b);
        return isCoded(r, g, b);
    };
    int left = sx, right = sx, top = sy, bottom = sy;
    while (left > 0 && coded(left - 1, sy))
        --left;
    while (right + 1 < width && coded(right + 1, sy))
        ++right;
    while (top > 0 && coded(sx, top - 1))
        --top;
    while (bottom + 1 < height && coded(sx, bottom + 1))
        ++bottom;
    return {left, top, right - left + 1, bottom - top + 1};
}

// The largest coded rectangle in a grab of the whole screen.
Rect largestPicture(const Shm& full, int width, int height) {
    Rect best;
    for (int y = 0; y < height; y += 16) {
        for (int x = 0; x < width; x += 16) {
            int r, g, b;
            full.pixel(x, y, r, g, b);
            if (!isCoded(r, g, b))
                continue;
            if (best.w > 0 && x >= best.x && x < best.x + best.w && y >= best.y && y < best.y + best.h)
                continue;
            const Rect rect = growFrom(full, x, y, width, height);
            if (rect.w * rect.h > best.w * best.h)
                best = rect;
        }
    }
    return best;
}

bool findPicture(Display* display, Rect& found) {
    const int screen = DefaultScreen(display);
    const int width = DisplayWidth(display, screen);
    const int height = DisplayHeight(display, screen);
    Shm full;
    if (!full.create(display, width, height) || !full.grab(0, 0)) {
        full.destroy();
        return false;
    }
    const Rect best = largestPicture(full, width, height);
    full.destroy();
    if (best.w < Patch * 2 || best.h < Patch * 2)
        return false;
    found = best;
    return true;
}

void endChild(pid_t child) {
    kill(child, SIGTERM);
    for (int i = 0; i < 500; ++i) {
        if (waitpid(child, nullptr, WNOHANG) == child)
            return;
        timespec pause{0, 10000000};
        nanosleep(&pause, nullptr);
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
}

int launch(Display* display, double seconds, char** command) {
    const int screen = DefaultScreen(display);
    const int width = DisplayWidth(display, screen);
    const int height = DisplayHeight(display, screen);
    Shm full;
    if (!full.create(display, width, height)) {
        std::fprintf(stderr, "bench_gap_sampler: cannot share memory with the X server\n");
        return 1;
    }
    const long long start = nowUs();
    const pid_t child = fork();
    if (child == 0) {
        execvp(command[0], command);
        _exit(127);
    }
    if (child < 0)
        return 1;
    const long long end = start + (long long)(seconds * 1e6);
    long long shown = -1;
    while (nowUs() < end && waitpid(child, nullptr, WNOHANG) == 0) {
        if (full.grab(0, 0)) {
            const Rect rect = largestPicture(full, width, height);
            if (rect.w >= LaunchMinSide && rect.h >= LaunchMinSide) {
                shown = nowUs();
                break;
            }
        }
        timespec pause{0, 1000000};
        nanosleep(&pause, nullptr);
    }
    full.destroy();
    endChild(child);
    if (shown < 0) {
        std::printf("nan\n");
        return 1;
    }
    std::printf("%.1f\n", double(shown - start) / 1000.0);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 5 && std::strcmp(argv[1], "--launch") == 0 && std::strcmp(argv[3], "--") == 0) {
        Display* display = XOpenDisplay(nullptr);
        if (!display || !XShmQueryExtension(display)) {
            std::fprintf(stderr, "bench_gap_sampler: no X display with the shared memory extension\n");
            return 1;
        }
        const int status = launch(display, std::atof(argv[2]), argv + 4);
        XCloseDisplay(display);
        return status;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_gap_sampler SECONDS | --launch SECONDS -- COMMAND...\n");
        return 2;
    }
    const double seconds = std::atof(argv[1]);
    std::signal(SIGTERM, requestStop);
    std::signal(SIGINT, requestStop);
    Display* display = XOpenDisplay(nullptr);
    if (!display || !XShmQueryExtension(display)) {
        std::fprintf(stderr, "bench_gap_sampler: no X display with the shared memory extension\n");
        return 1;
    }
    const long long start = nowUs();
    const long long end = start + (long long)(seconds * 1e6);
    Rect picture;
    // Wait for the picture, then give its windows a moment to settle where they end up.
    bool seen = false;
    long long settleUntil = 0;
    while (!stopRequested && nowUs() < end) {
        Rect rect;
        if (findPicture(display, rect)) {
            if (!seen) {
                seen = true;
                settleUntil = nowUs() + 1500000;
            }
            picture = rect;
            if (nowUs() >= settleUntil)
                break;
        }
        timespec pause{0, 20000000};
        nanosleep(&pause, nullptr);
    }
    if (!seen) {
        std::fprintf(stderr, "bench_gap_sampler: no frame-coded picture appeared\n");
        return 1;
    }
    const int px = picture.x + picture.w / 2 - Patch / 2;
    const int py = picture.y + picture.h / 2 - Patch / 2;
    std::printf("patch %d %d %d %d (picture %d %d %d %d)\n", px, py, Patch, Patch, picture.x, picture.y,
                picture.w, picture.h);
    Shm patch;
    if (!patch.create(display, Patch, Patch)) {
        std::fprintf(stderr, "bench_gap_sampler: cannot share memory with the X server\n");
        return 1;
    }
    struct Sample {
        long long us;
        int r, g, b;
    };
    std::vector<Sample> changes;
    changes.reserve(1 << 20);
    long long samples = 0, previous = 0, maxInterval = 0;
    const long long origin = nowUs();
    int lr = -1, lg = -1, lb = -1;
    while (!stopRequested) {
        const long long t = nowUs();
        if (t >= end)
            break;
        if (!patch.grab(px, py))
            break;
        int sr = 0, sg = 0, sb = 0;
        for (int y = 0; y < Patch; ++y) {
            for (int x = 0; x < Patch; ++x) {
                int r, g, b;
                patch.pixel(x, y, r, g, b);
                sr += r;
                sg += g;
                sb += b;
            }
        }
        const int n = Patch * Patch;
        const int r = (sr + n / 2) / n, g = (sg + n / 2) / n, b = (sb + n / 2) / n;
        if (samples > 0)
            maxInterval = std::max(maxInterval, t - previous);
        previous = t;
        ++samples;
        if (r != lr || g != lg || b != lb) {
            changes.push_back({t - origin, r, g, b});
            lr = r;
            lg = g;
            lb = b;
        }
        timespec pause{0, IntervalNs};
        nanosleep(&pause, nullptr);
    }
    patch.destroy();
    for (const Sample& s : changes)
        std::printf("%lld %d %d %d\n", s.us, s.r, s.g, s.b);
    std::printf("samples %lld max-interval-us %lld\n", samples, maxInterval);
    XCloseDisplay(display);
    return 0;
}
