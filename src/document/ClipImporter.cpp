#include "document/ClipImporter.h"

#include "platform/NaturalOrder.h"
#include "platform/bookmarks/Bookmark.h"
#include "platform/media/MovieFileType.h"

#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace {

struct Probed {
    std::shared_ptr<Movie> movie; // null: not a movie, or it does not open
    bool isProtected = false;
    PosterImage poster;
};

Probed probe(const QUrl& url, const ClipImporter::Options& options) {
    Probed result;
    if (!isMovieURL(url))
        return result;
    auto opened = Movie::open(url);
    if (!opened)
        return result;
    if (opened.movie->isProtected()) {
        result.isProtected = true;
        return result;
    }
    if (options.makePosters)
        result.poster = options.postersLater ? ClipImporter::pendingPosterFor(*opened.movie)
                                             : ClipImporter::posterFor(*opened.movie);
    result.movie = std::move(opened.movie);
    return result;
}

// A folder's entries in the order a file manager shows them; hidden entries left out. Nothing when the
// folder cannot be listed.
std::optional<QStringList> listFolder(const QString& path) {
    std::error_code error;
    std::filesystem::directory_iterator it(std::filesystem::path(path.toStdString()), error);
    if (error)
        return std::nullopt;
    QStringList names;
    for (const std::filesystem::directory_iterator end; it != end; it.increment(error)) {
        if (error)
            return std::nullopt;
        const QString name = QString::fromStdString(it->path().filename().string());
        if (!name.startsWith(u'.'))
            names.append(name);
    }
    if (error)
        return std::nullopt;
    std::sort(names.begin(), names.end(), naturalLess);
    return names;
}

} // namespace

ClipImporter::ClipImporter(Options options)
    : m_options(options) {}

PosterImage ClipImporter::posterFor(const Movie& movie) {
    const PosterImage pending = pendingPosterFor(movie);
    return pending.kind == PosterImage::Kind::Pending ? decodedPoster(movie) : pending;
}

PosterImage ClipImporter::pendingPosterFor(const Movie& movie) {
    // The start frame is kept only for movies that show a frame one second in.
    return PosterImage{
        movie.hasFrameAtTime(1.0) ? PosterImage::Kind::Pending : PosterImage::Kind::MissingItem, {}};
}

PosterImage ClipImporter::decodedPoster(const Movie& movie) {
    if (std::optional<VideoImage> frame = movie.posterImage())
        return PosterImage{PosterImage::Kind::Frame, std::move(*frame)};
    return PosterImage{PosterImage::Kind::MissingItem, {}};
}

ClipRecordPtr ClipImporter::makeClipRecord(const QUrl& url, std::shared_ptr<Movie> movie,
                                           PosterImage poster) {
    auto record = std::make_shared<ClipRecord>();
    record->URL = url;
    record->name = QFileInfo(url.toLocalFile()).fileName();
    record->posterImage = std::move(poster);
    record->qttimeDuration = movie->duration().toString();
    record->movie = std::move(movie);
    record->bookmark = bookmarkData(url, false);
    record->secureBookmark = bookmarkData(url, true);
    return record;
}

void ClipImporter::addClipsWithURL(const QUrl& url, bool isDirectory, QList<QUrl>& files,
                                   QSet<QString>& entered, bool& fileError) const {
    if (!isDirectory) {
        files.append(url);
        return;
    }
    const QString path = url.toLocalFile();
    const QString realPath = QFileInfo(path).canonicalFilePath();
    if (realPath.isEmpty() || entered.contains(realPath))
        return;
    entered.insert(realPath);
    const auto names = listFolder(path);
    if (!names) {
        fileError = true;
        return;
    }
    for (const QString& name : *names) {
        if (isCancelled())
            return;
        const QString entryPath = path.endsWith(u'/') ? path + name : path + u'/' + name;
        const QUrl entry = QUrl::fromLocalFile(entryPath);
        if (!QFileInfo(entryPath).isDir())
            files.append(entry);
        else if (m_options.descendIntoSubdirectories)
            addClipsWithURL(entry, true, files, entered, fileError);
    }
}

QList<QUrl> ClipImporter::files(const QList<QUrl>& urls, bool* fileError) const {
    QList<QUrl> files;
    QSet<QString> entered;
    bool error = false;
    for (const QUrl& url : urls)
        addClipsWithURL(url, url.isLocalFile() && QFileInfo(url.toLocalFile()).isDir(), files, entered,
                        error);
    if (fileError)
        *fileError = error;
    return files;
}

ClipImporter::Result ClipImporter::run(const QList<QUrl>& urls, const Progress& progress) {
    Result result;
    QList<QUrl> files;
    QSet<QString> entered;
    for (const QUrl& url : urls) {
        const bool isDirectory = url.isLocalFile() && QFileInfo(url.toLocalFile()).isDir();
        addClipsWithURL(url, isDirectory, files, entered, result.fileErrorOnImport);
    }

    // Probe on workers; each slot is written by one worker and read after all have finished.
    std::vector<Probed> probed(files.size());
    std::atomic<qsizetype> next{0};
    std::atomic<int> done{0};
    int finishedWorkers = 0;
    std::mutex mutex;
    std::condition_variable changed;
    const int threadCount =
        std::max(1, std::min<int>(m_options.threads > 0 ? m_options.threads : QThread::idealThreadCount(),
                                  int(files.size())));
    auto work = [&] {
        for (qsizetype i = next++; i < files.size() && !isCancelled(); i = next++) {
            probed[size_t(i)] = probe(files[i], m_options);
            {
                std::lock_guard lock(mutex);
                ++done;
            }
            changed.notify_one();
        }
        {
            std::lock_guard lock(mutex);
            ++finishedWorkers;
        }
        changed.notify_one();
    };
    std::vector<std::thread> workers;
    if (threadCount > 1) {
        for (int i = 0; i < threadCount; ++i)
            workers.emplace_back(work);
    }
    if (threadCount == 1) {
        for (qsizetype i = 0; i < files.size() && !isCancelled(); ++i) {
            probed[size_t(i)] = probe(files[i], m_options);
            if (progress)
                progress(int(i + 1), int(files.size()));
        }
    } else {
        // The calling thread reports progress while the workers probe.
        std::unique_lock lock(mutex);
        while (finishedWorkers < threadCount) {
            changed.wait(lock);
            if (progress) {
                const int now = done;
                lock.unlock();
                progress(now, int(files.size()));
                lock.lock();
            }
        }
    }
    for (auto& worker : workers)
        worker.join();
    if (isCancelled()) {
        result.cancelled = true;
        result.DRMClips.clear();
        return result;
    }

    for (qsizetype i = 0; i < files.size(); ++i) {
        Probed& p = probed[size_t(i)];
        if (p.isProtected) {
            result.DRMClips.append(files[i].toLocalFile());
            continue;
        }
        if (p.movie)
            result.importedClips.append(makeClipRecord(files[i], std::move(p.movie), std::move(p.poster)));
    }
    return result;
}
