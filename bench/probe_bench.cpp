// Probing and poster costs of Movie over a folder of small clips, and the memory a Movie holds.
//
// Makes 300 copies of a 1 s 320x240 H.264/AAC clip (made once with the ffmpeg command-line tool) in a
// temporary folder. Targets: probe + protection test <= 1.5 ms a file on one core; with the poster and
// the frame at one second <= 8 ms a file on one core and about half on two; the import's own part (the
// probe and the frame-at-one-second check from packet timestamps) a fraction of that; under 16 KB per
// Movie without its poster; no descriptor held afterwards.
#include "platform/media/Movie.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QString>
#include <QUrl>
#include <cstdlib>
#include <filesystem>
#include <malloc.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int ClipCount = 300;

class ClipFolder {
public:
    ClipFolder() {
        m_dir = std::filesystem::temp_directory_path() / ("orvanta-probe-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(m_dir);
        const auto source = m_dir / "source.mp4";
        const std::string command =
            "ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc2=s=320x240:r=25:d=1 -f lavfi -i "
            "sine=f=440:sample_rate=48000:d=1 -c:v libx264 -preset ultrafast -pix_fmt yuv420p -g 25 -c:a aac "
            "'" +
            source.string() + "'";
        if (std::system(command.c_str()) != 0)
            return;
        for (int i = 0; i < ClipCount; ++i) {
            const auto path = m_dir / ("clip" + std::to_string(i) + ".mp4");
            std::filesystem::copy_file(source, path, std::filesystem::copy_options::overwrite_existing);
            m_urls.push_back(QUrl::fromLocalFile(QString::fromStdString(path.string())));
        }
    }
    ~ClipFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    const std::vector<QUrl>& urls() const { return m_urls; }

private:
    std::filesystem::path m_dir;
    std::vector<QUrl> m_urls;
};

const ClipFolder& clips() {
    static const ClipFolder folder;
    return folder;
}

long openDescriptorCount() {
    long count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

enum class Work { Probe, ProbeAndFrameCheck, ProbeAndPoster, ProbePosterAndFrame };

// Opens (and images) every clip from `first` in steps of `step`; answers how many failed.
int importClips(const std::vector<QUrl>& urls, size_t first, size_t step, Work work) {
    int failures = 0;
    for (size_t i = first; i < urls.size(); i += step) {
        const auto result = Movie::open(urls[i]);
        if (!result || result.movie->isProtected()) {
            ++failures;
            continue;
        }
        if (work == Work::ProbeAndFrameCheck) {
            // What an import run does before the rows are in: the frame at one second from the packets.
            if (!result.movie->hasFrameAtTime(1.0))
                ++failures;
            continue;
        }
        if (work != Work::Probe && !result.movie->posterImage())
            ++failures;
        if (work == Work::ProbePosterAndFrame && !result.movie->frameImageAtTime(1.0))
            ++failures;
    }
    return failures;
}

void runImport(benchmark::State& state, Work work) {
    const auto& urls = clips().urls();
    if (urls.empty()) {
        state.SkipWithError("could not make the clips (is ffmpeg installed?)");
        return;
    }
    const int threadCount = int(state.range(0));
    const long descriptorsBefore = openDescriptorCount();
    int failures = 0;
    for (auto _ : state) {
        if (threadCount == 1) {
            failures += importClips(urls, 0, 1, work);
        } else {
            std::vector<int> threadFailures(size_t(threadCount), 0);
            std::vector<std::thread> threads;
            for (int t = 0; t < threadCount; ++t)
                threads.emplace_back([&, t] {
                    threadFailures[size_t(t)] = importClips(urls, size_t(t), size_t(threadCount), work);
                });
            for (auto& thread : threads)
                thread.join();
            for (int f : threadFailures)
                failures += f;
        }
    }
    if (failures)
        state.SkipWithError("a clip failed to open or image");
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(urls.size()));
    // Wall time per file, shown in seconds with an SI prefix.
    state.counters["per_file"] = benchmark::Counter(
        double(urls.size()), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["descriptors_held"] = double(openDescriptorCount() - descriptorsBefore);
}

void BM_Probe(benchmark::State& state) {
    runImport(state, Work::Probe);
}
void BM_ProbeAndFrameCheck(benchmark::State& state) {
    runImport(state, Work::ProbeAndFrameCheck);
}
void BM_ProbeAndPoster(benchmark::State& state) {
    runImport(state, Work::ProbeAndPoster);
}
void BM_ProbePosterAndFrameAtOneSecond(benchmark::State& state) {
    runImport(state, Work::ProbePosterAndFrame);
}

BENCHMARK(BM_Probe)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ProbeAndFrameCheck)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ProbeAndPoster)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ProbePosterAndFrameAtOneSecond)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// Heap bytes per open Movie (no poster kept), over 1,000 Movies. The URL's data is shared with the
// caller's QUrl, as it is in an import run.
void BM_MemoryPerMovie(benchmark::State& state) {
    const auto& urls = clips().urls();
    if (urls.empty()) {
        state.SkipWithError("could not make the clips");
        return;
    }
    constexpr int MovieCount = 1000;
    double perMovie = 0;
    for (auto _ : state) {
        std::vector<std::shared_ptr<Movie>> movies;
        movies.reserve(MovieCount);
        Movie::open(urls[0]); // first use of the libraries' own tables is not the Movie's
        malloc_trim(0);
        const size_t before = mallinfo2().uordblks;
        for (int i = 0; i < MovieCount; ++i)
            movies.push_back(Movie::open(urls[size_t(i) % urls.size()]).movie);
        const size_t after = mallinfo2().uordblks;
        perMovie = double(after - before) / MovieCount;
        benchmark::DoNotOptimize(movies.data());
    }
    state.counters["bytes_per_movie"] = perMovie;
}
BENCHMARK(BM_MemoryPerMovie)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
