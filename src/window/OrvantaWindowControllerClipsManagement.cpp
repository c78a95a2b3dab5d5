// Clip import and removal: the add and source-folder panels, import runs, removal.
#include "window/OrvantaWindowController.h"

#include "document/OrvantaDocument.h"
#include "platform/Presenter.h"
#include "platform/defaults/UserDefaults.h"
#include "platform/media/Movie.h"
#include "platform/ui/OpenAccessoryViewController.h"
#include "window/ClipsController.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QMimeDatabase>
#include <QProgressBar>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <thread>

namespace {

const QString ImportLocationKey = QStringLiteral("importLocation");
const QString DynamicFolderLocationKey = QStringLiteral("dynamicFolderLocation");

// How often the window is repainted with the progress of a run.
constexpr int ProgressInterval = 40; // ms

QStringList nameFiltersForTypes(const QStringList& mimeTypes) {
    QMimeDatabase database;
    QStringList patterns;
    for (const QString& name : mimeTypes) {
        for (const QString& pattern : database.mimeTypeForName(name).globPatterns()) {
            if (!patterns.contains(pattern))
                patterns.append(pattern);
        }
    }
    std::sort(patterns.begin(), patterns.end());
    return {QStringLiteral("Movies (%1)").arg(patterns.join(u' ')), QStringLiteral("All Files (*)")};
}

} // namespace

OpenAccessoryViewController& OrvantaWindowController::accessoryController() {
    // Made by whichever panel comes first, checked; both panels share it from then on.
    if (!m_openAccessoryViewController) {
        m_openAccessoryViewController = OpenAccessoryViewController::openAccessoryViewController();
        m_openAccessoryViewController->setRecursivelyIncludeSubdirectories(true);
    }
    return *m_openAccessoryViewController;
}

void OrvantaWindowController::addNewClips() {
    OpenAccessoryViewController& accessory = accessoryController();
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    Presenter::OpenPanelRequest request;
    request.title = QStringLiteral("Add Clips");
    request.directoryURL = defaults.URLForKey(ImportLocationKey);
    request.canChooseFiles = true;
    request.canChooseDirectories = true;
    request.allowsMultipleSelection = true;
    request.nameFilters = nameFiltersForTypes(m_allowedTypes);
    request.includeSubdirectoriesBox = accessory.recursivelyIncludeSubdirectories();
    const Presenter::OpenPanelResult result = Presenter::shared().runOpenPanel(request);
    if (!result.accepted || result.urls.isEmpty())
        return;
    accessory.setRecursivelyIncludeSubdirectories(result.includeSubdirectories);
    defaults.setURL(result.directoryURL, ImportLocationKey);
    addClipsWithURLs(result.urls);
}

bool OrvantaWindowController::descendsIntoSubdirectories() const {
    if (m_datasource && m_datasource->isDynamicPlaylist())
        return m_datasource->includeSubdirectories();
    return m_openAccessoryViewController && m_openAccessoryViewController->recursivelyIncludeSubdirectories();
}

ClipImporter::Result OrvantaWindowController::runImporter(const QList<QUrl>& urls) {
    ClipImporter::Options options;
    options.descendIntoSubdirectories = descendsIntoSubdirectories();
    ClipImporter importer(options);
    importer.setCancellation(&m_importCancelled);
    if (!m_window)
        return importer.run(urls);

    // The walk and the probing run beside the main thread; the main thread waits in an event loop that
    // takes no user input, so the window keeps painting and the call stays synchronous to its caller.
    std::atomic<int> done{0};
    std::atomic<int> total{0};
    ClipImporter::Result result;
    QEventLoop loop;
    std::thread worker([&] {
        result = importer.run(urls, [&](int d, int t) {
            done = d;
            total = t;
        });
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    QTimer progress;
    progress.setInterval(ProgressInterval);
    connect(&progress, &QTimer::timeout, this, [&] { showImportProgress(done, total); });
    progress.start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    progress.stop();
    worker.join();
    return result;
}

void OrvantaWindowController::takeImportResult(ClipImporter::Result result) {
    m_importedClips.append(result.importedClips);
    m_DRMClips.append(result.DRMClips);
    if (result.fileErrorOnImport)
        m_fileErrorOnImport = true;
}

void OrvantaWindowController::addClipsWithURLs(const QList<QUrl>& urls) {
    if (m_isImporting) {
        Presenter::shared().beep();
        return;
    }
    m_isImporting = true;
    m_fileErrorOnImport = false;
    if (m_importSpinner) {
        m_importSpinner->show();
        showImportProgress(0, 0);
    }
    // The whole list goes to one walk, so probing is shared across the items and a folder reached twice
    // through links is entered once; the clips come out in the order that adding each item in turn
    // (addClipsWithURL with the item's directory flag) gives.
    ClipImporter::Result result = runImporter(urls);
    if (result.cancelled) {
        // The program is ending: the playlist keeps what it had, unchanged.
        m_isImporting = false;
        if (m_importSpinner) {
            m_importSpinner->hide();
            m_importProgressText->hide();
        }
        return;
    }
    takeImportResult(std::move(result));
    finalizeClipsImport();
    m_isImporting = false;
    if (m_fileErrorOnImport) {
        Presenter::shared().showAlert(
            QStringLiteral("File Access Failure"),
            QStringLiteral("Orvanta was not able to open one or more files that you requested, please check "
                           "whether you have proper access permissions and try again"));
    }
}

void OrvantaWindowController::addClipsWithURL(const QUrl& url, bool flag) {
    if (!flag) {
        addOneClipWithURL(url);
        return;
    }
    takeImportResult(runImporter({url}));
}

void OrvantaWindowController::addOneClipWithURL(const QUrl& url) {
    // A folder is no movie file.
    if (QFileInfo(url.toLocalFile()).isDir())
        return;
    takeImportResult(runImporter({url}));
}

void OrvantaWindowController::finalizeClipsImport() {
    if (m_datasource) {
        QList<ClipRecordPtr> clips = m_datasource->clips();
        if (m_dragIsActive) {
            m_dragIsActive = false;
            const qsizetype at = std::clamp<qsizetype>(m_dropLocation, 0, clips.size());
            for (qsizetype i = 0; i < m_importedClips.size(); ++i)
                clips.insert(at + i, m_importedClips[i]);
        } else {
            clips.append(m_importedClips);
        }
        if (!m_importedClips.isEmpty())
            m_datasource->setClips(clips);
    }
    m_importedClips.clear();
    if (m_clipsController)
        m_clipsController->rearrangeObjects();
    if (!m_DRMClips.isEmpty()) {
        Presenter::shared().showAlert(
            QStringLiteral("Digital Rights Managed"),
            QStringLiteral(
                "Orvanta may not be following files because they are protected by DRM.  These files "
                "have been removed from your playlist:\n\n%1")
                .arg(m_DRMClips.join(u'\n')));
        m_DRMClips.clear();
    }
    if (m_importSpinner) {
        m_importSpinner->hide();
        m_importProgressText->hide();
    }
    if (m_datasource)
        m_datasource->updateChangeCount(Document::ChangeKind::Done);
}

void OrvantaWindowController::removeClips() {
    if (!m_datasource || m_datasource->isDynamicPlaylist() || !m_clipsController ||
        m_clipsController->selectedObjects().isEmpty()) {
        Presenter::shared().beep();
        return;
    }
    removeMovieIdleCallback();
    m_clipsController->remove();
    m_clipsController->rearrangeObjects();
}

void OrvantaWindowController::setSourceFolder() {
    if (!m_datasource)
        return;
    OpenAccessoryViewController& accessory = accessoryController();
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    Presenter::OpenPanelRequest request;
    request.title = QStringLiteral("Choose the Source Folder");
    request.directoryURL = defaults.URLForKey(DynamicFolderLocationKey);
    request.canChooseFiles = false;
    request.canChooseDirectories = true;
    request.allowsMultipleSelection = false;
    request.includeSubdirectoriesBox = accessory.recursivelyIncludeSubdirectories();
    const Presenter::OpenPanelResult result = Presenter::shared().runOpenPanel(request);
    if (!result.accepted || result.urls.isEmpty())
        return;
    accessory.setRecursivelyIncludeSubdirectories(result.includeSubdirectories);
    defaults.setURL(result.directoryURL, DynamicFolderLocationKey);
    m_datasource->setDynamicSourceFolder(result.urls.first());
    m_datasource->setIncludeSubdirectories(accessory.recursivelyIncludeSubdirectories());
    if (m_clipsController) {
        QList<int> all;
        for (int row = 0; row < m_datasource->clips().size(); ++row)
            all.append(row);
        m_clipsController->removeObjectsAtArrangedObjectIndexes(all);
    }
    removeMovieIdleCallback();
    addClipsWithURLs({m_datasource->dynamicSourceFolder()});
    updateTimeRelatedViews();
}

bool OrvantaWindowController::hasDRM(const Movie& movie) {
    return movie.isProtected();
}
