#pragma once

#include "document/ClipRecord.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QThreadPool>
#include <QTimer>
#include <atomic>
#include <deque>
#include <memory>
#include <mutex>

// Decodes the poster frames of clips whose poster is Pending, on worker threads, once their rows are
// in the table: the clips a view asks for (the rows it paints) first, then the others in the order
// they were given. Each poster is put on its record on the main thread; postersChanged() follows,
// once for a burst of them. A record that has gone meanwhile is passed over.
//
// Destroying the loader drops what is still queued and waits for the posters being decoded at that
// moment; none of them reaches a record afterwards. Main thread only, apart from its own workers,
// which only read the movies' files.
class ClipPosterLoader : public QObject {
    Q_OBJECT
public:
    explicit ClipPosterLoader(QObject* parent = nullptr);
    ~ClipPosterLoader() override;

    // Queues the clips whose poster is Pending, in order.
    void load(const QList<ClipRecordPtr>& clips);
    // The clip is wanted now (its row shows): it goes before the queued ones.
    void prefer(const ClipRecord& clip);
    // Whether nothing is queued or being decoded.
    bool isIdle() const { return m_tasks.isEmpty(); }

signals:
    void postersChanged();

private:
    struct Task {
        const ClipRecord* key = nullptr; // in m_tasks
        std::weak_ptr<ClipRecord> clip;
        std::shared_ptr<const Movie> movie;
        std::atomic<bool> taken{false};
    };
    using TaskPtr = std::shared_ptr<Task>;

    void startWorkers();
    void work();
    TaskPtr nextTask();
    void apply(const TaskPtr& task, PosterImage poster);

    QHash<const ClipRecord*, TaskPtr> m_tasks; // main thread: queued or being decoded
    std::mutex m_mutex;                        // guards the two queues and m_stopped
    std::deque<TaskPtr> m_preferred;           // taken from the back: the latest wish first
    std::deque<TaskPtr> m_queue;
    bool m_stopped = false;
    std::atomic<int> m_running{0}; // workers started and not yet finished
    QThreadPool m_pool;
    QTimer m_changed; // merges the posters of a burst into one postersChanged()
};
