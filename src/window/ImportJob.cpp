#include "window/ImportJob.h"

#include <utility>

ImportJob::ImportJob(ClipImporter::Options options, QList<QUrl> urls)
    : m_options(options)
    , m_urls(std::move(urls)) {}

ImportJob::~ImportJob() {
    cancel();
    // Joined here, before QObject's destructor drops the finished() call the worker may have queued.
    if (m_worker.joinable())
        m_worker.join();
}

void ImportJob::start() {
    m_worker = std::thread([this] {
        ClipImporter importer(m_options);
        importer.setCancellation(&m_cancelled);
        ClipImporter::Result result = importer.run(m_urls, [this](int done, int total) {
            m_done = done;
            m_total = total;
        });
        m_result = std::move(result);
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_worker.join();
                emit finished();
            },
            Qt::QueuedConnection);
    });
}

ClipImporter::Result ImportJob::takeResult() {
    ClipImporter::Result result = std::move(m_result);
    if (m_cancelled) {
        result = {};
        result.cancelled = true;
    }
    return result;
}
