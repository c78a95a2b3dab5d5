#include "window/ClipPosterLoader.h"

#include "document/ClipImporter.h"

#include <algorithm>

namespace {

// How long finished posters wait to be shown together: a few per repaint, not a repaint per poster.
constexpr int ChangeInterval = 30; // ms

} // namespace

ClipPosterLoader::ClipPosterLoader(QObject* parent)
    : QObject(parent) {
    m_pool.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
    m_changed.setSingleShot(true);
    m_changed.setInterval(ChangeInterval);
    connect(&m_changed, &QTimer::timeout, this, &ClipPosterLoader::postersChanged);
}

ClipPosterLoader::~ClipPosterLoader() {
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
        m_preferred.clear();
        m_queue.clear();
    }
    // Joined here, before QObject's destructor drops the results the workers may have queued.
    m_pool.waitForDone();
}

void ClipPosterLoader::load(const QList<ClipRecordPtr>& clips) {
    {
        std::lock_guard lock(m_mutex);
        for (const ClipRecordPtr& clip : clips) {
            if (!clip || clip->posterImage.kind != PosterImage::Kind::Pending || !clip->movie ||
                m_tasks.contains(clip.get()))
                continue;
            auto task = std::make_shared<Task>();
            task->key = clip.get();
            task->clip = clip;
            task->movie = clip->movie;
            m_tasks.insert(clip.get(), task);
            m_queue.push_back(std::move(task));
        }
    }
    startWorkers();
}

void ClipPosterLoader::prefer(const ClipRecord& clip) {
    const TaskPtr task = m_tasks.value(&clip);
    if (!task || task->taken)
        return;
    {
        std::lock_guard lock(m_mutex);
        m_preferred.push_back(task);
    }
    startWorkers();
}

void ClipPosterLoader::startWorkers() {
    // One worker per thread of the pool; each runs until both queues are empty.
    while (m_running < m_pool.maxThreadCount()) {
        ++m_running;
        m_pool.start([this] { work(); });
    }
}

ClipPosterLoader::TaskPtr ClipPosterLoader::nextTask() {
    std::lock_guard lock(m_mutex);
    while (!m_stopped) {
        TaskPtr task;
        if (!m_preferred.empty()) {
            task = std::move(m_preferred.back());
            m_preferred.pop_back();
        } else if (!m_queue.empty()) {
            task = std::move(m_queue.front());
            m_queue.pop_front();
        } else {
            break;
        }
        // A preferred task is also in the queue: whichever comes second finds it taken.
        if (!task->taken.exchange(true))
            return task;
    }
    // Counted down under the lock, so that startWorkers() on the main thread never misses work left
    // behind by a worker that is about to end.
    --m_running;
    return nullptr;
}

void ClipPosterLoader::work() {
    while (const TaskPtr task = nextTask()) {
        // A clip that has gone needs no poster; its task is still handed back, to be forgotten.
        PosterImage poster = task->clip.expired() ? PosterImage{} : ClipImporter::decodedPoster(*task->movie);
        QMetaObject::invokeMethod(
            this, [this, task, poster = std::move(poster)]() mutable { apply(task, std::move(poster)); },
            Qt::QueuedConnection);
    }
}

void ClipPosterLoader::apply(const TaskPtr& task, PosterImage poster) {
    if (m_tasks.value(task->key) == task)
        m_tasks.remove(task->key);
    const ClipRecordPtr clip = task->clip.lock();
    if (!clip)
        return;
    // Only the poster this task was made for: the record may have been given another since.
    if (clip->posterImage.kind != PosterImage::Kind::Pending || clip->movie != task->movie)
        return;
    clip->posterImage = std::move(poster);
    if (!m_changed.isActive())
        m_changed.start();
}
