// Other players' lists in and out, and the relinking of moved movie files.
#include "window/PlaylistExchangeActions.h"

#include "document/ClipRelinker.h"
#include "document/OrvantaDocument.h"
#include "document/PlaylistExchange.h"
#include "platform/NaturalOrder.h"
#include "platform/Presenter.h"
#include "platform/defaults/UserDefaults.h"
#include "window/ClipsController.h"
#include "window/OrvantaWindowController.h"

#include <QFileInfo>
#include <QPointer>
#include <algorithm>

namespace PlaylistExchangeActions {
namespace {

const QString ImportLocationKey = QStringLiteral("importLocation");

void alertMissingFiles(const QString& where, QStringList paths) {
    std::sort(paths.begin(), paths.end(), naturalLess);
    Presenter::shared().showAlert(
        QStringLiteral("Missing Items"),
        QStringLiteral("Orvanta was not able to locate the following files%1:\n\n%2")
            .arg(where, paths.join(u'\n')));
}

} // namespace

bool hasMissingClips(const OrvantaDocument* playlist) {
    return playlist && std::any_of(playlist->clips().cbegin(), playlist->clips().cend(),
                                   [](const ClipRecordPtr& clip) { return clip && clip->isMissing(); });
}

void importPlaylist(OrvantaWindowController& window) {
    // A dynamic playlist's clips are its folder's; one import runs at a time.
    if (!window.datasource() || window.datasource()->isDynamicPlaylist() || window.isImporting()) {
        Presenter::shared().beep();
        return;
    }
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    Presenter::OpenPanelRequest request;
    request.title = QStringLiteral("Import Playlist");
    request.directoryURL = defaults.URLForKey(ImportLocationKey);
    request.nameFilters = {QStringLiteral("Playlists (*.m3u *.m3u8 *.xspf)"),
                           QStringLiteral("All Files (*)")};
    const Presenter::OpenPanelResult result = Presenter::shared().runOpenPanel(request);
    if (!result.accepted || result.urls.isEmpty())
        return;
    defaults.setURL(result.directoryURL, ImportLocationKey);
    const QString path = result.urls.first().toLocalFile();
    const ExchangeReadResult list = PlaylistExchange::readList(path);
    const QPointer<OrvantaWindowController> self(&window);
    if (!list) {
        Presenter::shared().showAlert(QStringLiteral("The playlist could not be imported."), list.error);
        return;
    }
    const PlaylistExchange::Split split = PlaylistExchange::splitByPresence(list.entries);
    if (!split.missing.isEmpty() || !list.notLocal.isEmpty()) {
        alertMissingFiles(QStringLiteral(" of “%1”").arg(QFileInfo(path).fileName()),
                          split.missing + list.notLocal);
        if (!self)
            return;
    }
    if (!split.present.isEmpty())
        window.addClipsWithURLs(split.present);
}

void exportPlaylist(OrvantaWindowController& window) {
    if (!window.datasource())
        return;
    Presenter::SavePanelRequest request;
    request.title = QStringLiteral("Export Playlist");
    request.directoryURL = UserDefaults::standardUserDefaults().URLForKey(ImportLocationKey);
    request.suggestedName =
        QFileInfo(window.datasource()->displayName()).completeBaseName() + QStringLiteral(".m3u8");
    request.nameFilter = QStringLiteral("M3U Playlist (*.m3u8 *.m3u);;XSPF Playlist (*.xspf)");
    request.defaultSuffix = QStringLiteral("m3u8");
    const std::optional<QUrl> chosen = Presenter::shared().runSavePanel(request);
    if (!chosen || !chosen->isLocalFile() || !window.datasource())
        return;
    QString path = chosen->toLocalFile();
    if (!PlaylistExchange::formatForPath(path))
        path += QStringLiteral(".m3u8");
    const auto failed = PlaylistExchange::writeList(
        path, *PlaylistExchange::formatForPath(path), window.datasource()->clips(),
        QFileInfo(window.datasource()->displayName()).completeBaseName());
    if (failed)
        Presenter::shared().showAlert(QStringLiteral("The playlist could not be exported."), *failed);
}

void locateMissingFiles(OrvantaWindowController& window) {
    if (!hasMissingClips(window.datasource()) || window.datasource()->isDynamicPlaylist() ||
        window.isImporting()) {
        Presenter::shared().beep();
        return;
    }
    Presenter::OpenPanelRequest request;
    request.title = QStringLiteral("Locate Missing Files");
    request.directoryURL = UserDefaults::standardUserDefaults().URLForKey(ImportLocationKey);
    request.canChooseFiles = false;
    request.canChooseDirectories = true;
    const Presenter::OpenPanelResult chosen = Presenter::shared().runOpenPanel(request);
    if (!chosen.accepted || chosen.urls.isEmpty() || !window.datasource())
        return;
    const QString folder = chosen.urls.first().toLocalFile();
    const ClipRelinker::Result result = ClipRelinker::relink(window.datasource()->clips(), folder, true);
    if (!result.relinked.isEmpty()) {
        // The rows stay where they were, and so does the selection.
        const QList<int> selected =
            window.clipsController() ? window.clipsController()->selectionIndexes() : QList<int>();
        window.datasource()->replaceClipsAtRows(result.relinked);
        if (window.clipsController() && window.clipsController()->selectionIndexes() != selected)
            window.clipsController()->setSelectionIndexes(selected);
    }
    if (!result.stillMissing.isEmpty())
        alertMissingFiles(QStringLiteral(" in “%1”").arg(folder), result.stillMissing);
}

} // namespace PlaylistExchangeActions
