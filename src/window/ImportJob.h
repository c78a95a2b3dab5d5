#pragma once

#include "document/ClipImporter.h"

#include <QList>
#include <QObject>
#include <QUrl>
#include <atomic>
#include <thread>

// One import run on a worker thread: ClipImporter walks and probes the given items while the main
// thread goes on with its event loop. finished() comes on the main thread, once, when the run has
// ended or stopped after cancel(); takeResult() then hands over what it made.
//
// Destroying the job cancels the run and waits for the worker, which stops after the files it is
// probing at that moment; nothing of the run reaches anyone afterwards. Main thread only, apart from
// the worker's own use of the importer.
class ImportJob : public QObject {
    Q_OBJECT
public:
    ImportJob(ClipImporter::Options options, QList<QUrl> urls);
    ~ImportJob() override;

    void start();
    void cancel() { m_cancelled = true; }
    bool isCancelled() const { return m_cancelled; }
    // How many files are probed of how many the walk found so far.
    int done() const { return m_done; }
    int total() const { return m_total; }
    // After finished(): the run's clips, protected files and folder errors; cancelled when cancel() came
    // before the run ended.
    ClipImporter::Result takeResult();

signals:
    void finished();

private:
    ClipImporter::Options m_options;
    QList<QUrl> m_urls;
    std::thread m_worker;
    std::atomic<bool> m_cancelled{false};
    std::atomic<int> m_done{0};
    std::atomic<int> m_total{0};
    ClipImporter::Result m_result; // the worker's until it has queued finished()
};
