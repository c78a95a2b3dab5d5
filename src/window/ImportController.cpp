// Clip import: the add and source-folder panels, import runs and the placing of their clips.
#include "window/ImportController.h"

#include "document/OrvantaDocument.h"
#include "platform/Presenter.h"
#include "platform/defaults/UserDefaults.h"
#include "platform/ui/OpenAccessoryViewController.h"
#include "window/ClipPosterDelegate.h"
#include "window/ClipTableModel.h"
#include "window/ClipsController.h"
#include "window/ImportJob.h"
#include "window/OrvantaWindowController.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMimeDatabase>
#include <QPointer>
#include <QProgressBar>
#include <QTableView>
#include <algorithm>
#include <utility>

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

ImportController::ImportController(OrvantaWindowController& window)
    : m_window(window) {
    m_progressTimer.setInterval(ProgressInterval);
    QObject::connect(&m_progressTimer, &QTimer::timeout, &m_progressTimer, [this] {
        if (m_job)
            showImportProgress(m_job->done(), m_job->total());
    });
}

ImportController::~ImportController() {
    // The worker stops after the files it is probing; what it made goes with the job.
    m_job.reset();
}

void ImportController::prepare() {
    m_importedClips.clear();
    m_DRMClips.clear();
    m_allowedTypes.clear();
    for (const QMimeType& type : QMimeDatabase().allMimeTypes()) {
        if (type.name().startsWith(QLatin1String("video/")))
            m_allowedTypes.append(type.name());
    }
}

OpenAccessoryViewController& ImportController::accessoryController() {
    // Made by whichever panel comes first, checked; both panels share it from then on.
    if (!m_openAccessoryViewController) {
        m_openAccessoryViewController = OpenAccessoryViewController::openAccessoryViewController();
        m_openAccessoryViewController->setRecursivelyIncludeSubdirectories(true);
    }
    return *m_openAccessoryViewController;
}

Presenter::OpenPanelResult
ImportController::runPanelWithSubdirectoriesBox(Presenter::OpenPanelRequest request) {
    OpenAccessoryViewController& accessory = accessoryController();
    request.includeSubdirectoriesBox = accessory.recursivelyIncludeSubdirectories();
    Presenter::OpenPanelResult result = Presenter::shared().runOpenPanel(request);
    // The box keeps the state the user left it in, whether or not the panel was confirmed.
    if (result.includeSubdirectories)
        accessory.setRecursivelyIncludeSubdirectories(*result.includeSubdirectories);
    return result;
}

void ImportController::addNewClips() {
    // One run at a time: the panel is not offered while one runs.
    if (m_isImporting) {
        Presenter::shared().beep();
        return;
    }
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    Presenter::OpenPanelRequest request;
    request.title = QStringLiteral("Add Clips");
    request.directoryURL = defaults.URLForKey(ImportLocationKey);
    request.canChooseFiles = true;
    request.canChooseDirectories = true;
    request.allowsMultipleSelection = true;
    request.nameFilters = nameFiltersForTypes(m_allowedTypes);
    const Presenter::OpenPanelResult result = runPanelWithSubdirectoriesBox(request);
    if (!result.accepted || result.urls.isEmpty())
        return;
    defaults.setURL(result.directoryURL, ImportLocationKey);
    addClipsWithURLs(result.urls);
}

bool ImportController::descendsIntoSubdirectories() const {
    const OrvantaDocument* playlist = m_window.datasource();
    if (playlist && playlist->isDynamicPlaylist())
        return playlist->includeSubdirectories();
    return m_openAccessoryViewController && m_openAccessoryViewController->recursivelyIncludeSubdirectories();
}

ClipImporter::Options ImportController::importerOptions() const {
    ClipImporter::Options options;
    options.descendIntoSubdirectories = descendsIntoSubdirectories();
    // A window shows its rows first and its posters as they come.
    options.postersLater = m_window.isWindowLoaded();
    return options;
}

void ImportController::takeImportResult(ClipImporter::Result result) {
    m_importedClips.append(result.importedClips);
    m_DRMClips.append(result.DRMClips);
    if (result.fileErrorOnImport)
        m_fileErrorOnImport = true;
}

void ImportController::addClipsWithURLs(const QList<QUrl>& urls, std::function<void()> whenDone,
                                        ClipsAction action) {
    if (m_refusesRuns)
        return;
    if (m_isImporting) {
        Presenter::shared().beep();
        return;
    }
    m_isImporting = true;
    m_runAction = action;
    ++m_run;
    m_fileErrorOnImport = false;
    m_whenDone = std::move(whenDone);
    // Without a window there is nothing to keep going, nor anything that could go meanwhile.
    if (!m_window.isWindowLoaded()) {
        ClipImporter importer(importerOptions());
        finishRun(importer.run(urls));
        return;
    }
    // The whole list goes to one walk, so probing is shared across the items and a folder reached twice
    // through links is entered once; the clips come out in the order that adding each item in turn gives.
    m_job = std::make_unique<ImportJob>(importerOptions(), urls);
    QObject::connect(m_job.get(), &ImportJob::finished, m_job.get(), [this] { jobFinished(); });
    if (QAbstractButton* cancelButton = m_window.importCancelButton())
        QObject::connect(cancelButton, &QAbstractButton::clicked, m_job.get(), [this] { cancel(); });
    showImportProgress(0, 0);
    m_window.validateUserInterfaceItems(); // no undo while a run is under way
    m_progressTimer.start();
    m_job->start();
}

void ImportController::cancel() {
    if (m_job)
        m_job->cancel();
}

void ImportController::abandon() {
    m_whenDone = {};
    cancel();
}

void ImportController::cancelForGood() {
    m_refusesRuns = true;
    abandon();
}

void ImportController::jobFinished() {
    ClipImporter::Result result = m_job->takeResult();
    // This call came from the job: it goes once the call has returned.
    m_job.release()->deleteLater();
    finishRun(std::move(result));
}

void ImportController::finishRun(ClipImporter::Result result) {
    m_progressTimer.stop();
    const std::function<void()> whenDone = std::exchange(m_whenDone, {});
    if (result.cancelled) {
        // The playlist keeps what it had, unchanged.
        m_dragIsActive = false;
        m_isImporting = false;
        hideImportProgress();
        m_window.validateUserInterfaceItems();
        if (whenDone)
            whenDone();
        return;
    }
    // The alerts wait for a person while the main loop runs: the window may be closed meanwhile.
    const QPointer<OrvantaWindowController> window(&m_window);
    const QList<ClipRecordPtr> clips = result.importedClips;
    takeImportResult(std::move(result));
    finalizeClipsImport();
    if (!window)
        return;
    loadPosters(clips);
    m_isImporting = false;
    m_window.validateUserInterfaceItems();
    if (m_fileErrorOnImport) {
        Presenter::shared().showAlert(
            QStringLiteral("File Access Failure"),
            QStringLiteral("Orvanta was not able to open one or more files that you requested, please check "
                           "whether you have proper access permissions and try again"));
        if (!window)
            return;
    }
    if (whenDone)
        whenDone();
}

void ImportController::finalizeClipsImport() {
    if (OrvantaDocument* playlist = m_window.datasource(); playlist && !m_importedClips.isEmpty()) {
        const qsizetype at = m_dragIsActive
                                 ? std::clamp<qsizetype>(m_dropLocation, 0, playlist->clips().size())
                                 : playlist->clips().size();
        // A dynamic playlist's clips are its folder's, not an edit: they are not saved, nor undone.
        // A standard playlist takes the run's clips as one undoable step.
        if (playlist->isDynamicPlaylist()) {
            QList<ClipRecordPtr> clips = playlist->clips();
            for (qsizetype i = 0; i < m_importedClips.size(); ++i)
                clips.insert(at + i, m_importedClips[i]);
            playlist->setClips(clips);
        } else {
            playlist->insertClips(m_importedClips, int(at), m_runAction, m_run);
        }
    }
    m_dragIsActive = false;
    m_importedClips.clear();
    if (ClipsController* clipsController = m_window.clipsController())
        clipsController->rearrangeObjects();
    if (!m_DRMClips.isEmpty()) {
        const QStringList paths = std::exchange(m_DRMClips, {});
        const QPointer<OrvantaWindowController> window(&m_window);
        Presenter::shared().showAlert(
            QStringLiteral("Digital Rights Managed"),
            QStringLiteral(
                "Orvanta may not be following files because they are protected by DRM.  These files "
                "have been removed from your playlist:\n\n%1")
                .arg(paths.join(u'\n')));
        if (!window)
            return;
    }
    hideImportProgress();
}

bool ImportController::chooseSourceFolder() {
    OrvantaDocument* playlist = m_window.datasource();
    if (!playlist)
        return false;
    // The running import would be followed by none for the new folder; a standard playlist's clips are
    // the user's own and never replaced by a folder's.
    if (m_isImporting || !playlist->isDynamicPlaylist()) {
        Presenter::shared().beep();
        return false;
    }
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    Presenter::OpenPanelRequest request;
    request.title = QStringLiteral("Choose the Source Folder");
    request.directoryURL = defaults.URLForKey(DynamicFolderLocationKey);
    request.canChooseFiles = false;
    request.canChooseDirectories = true;
    request.allowsMultipleSelection = false;
    const Presenter::OpenPanelResult result = runPanelWithSubdirectoriesBox(request);
    if (!result.accepted || result.urls.isEmpty())
        return false;
    defaults.setURL(result.directoryURL, DynamicFolderLocationKey);
    // One undoable step, which the run of the new folder's clips then fills.
    playlist->chooseSourceFolder(result.urls.first(),
                                 accessoryController().recursivelyIncludeSubdirectories());
    if (ClipsController* clipsController = m_window.clipsController())
        clipsController->rearrangeObjects();
    return true;
}

void ImportController::showImportProgress(int done, int total) {
    QLabel* text = m_window.importProgressText();
    QProgressBar* spinner = m_window.importSpinner();
    if (!spinner || !text)
        return;
    spinner->show();
    if (QAbstractButton* cancelButton = m_window.importCancelButton())
        cancelButton->show();
    // A count is worth reading only when the run is long enough to wait for.
    constexpr int CountShownFrom = 10;
    if (total >= CountShownFrom)
        text->setText(QStringLiteral("Importing %1 of %2").arg(done).arg(total));
    else
        text->setText(QStringLiteral("Importing…"));
    text->show();
}

void ImportController::hideImportProgress() {
    if (QProgressBar* spinner = m_window.importSpinner()) {
        spinner->hide();
        m_window.importProgressText()->hide();
    }
    if (QAbstractButton* cancelButton = m_window.importCancelButton())
        cancelButton->hide();
}

void ImportController::loadPosters(const QList<ClipRecordPtr>& clips) {
    QTableView* table = m_window.clipsTable();
    auto* delegate =
        table ? qobject_cast<ClipPosterDelegate*>(table->itemDelegateForColumn(ClipTableModel::PosterColumn))
              : nullptr;
    if (delegate && delegate->posterLoader() != &m_posterLoader) {
        delegate->setPosterLoader(&m_posterLoader);
        QWidget* rows = table->viewport();
        QObject::connect(&m_posterLoader, &ClipPosterLoader::postersChanged, rows,
                         [rows] { rows->update(); });
    }
    m_posterLoader.load(clips);
}
