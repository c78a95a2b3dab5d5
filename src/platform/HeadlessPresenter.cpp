#include "platform/HeadlessPresenter.h"

#include <cstdio>

void HeadlessPresenter::showAlert(const QString& messageText, const QString& informativeText) {
    const QString line = informativeText.isEmpty() ? messageText : messageText + u' ' + informativeText;
    std::fprintf(stderr, "orvanta: %s\n", qPrintable(line));
}

Presenter::SaveChangesAnswer HeadlessPresenter::askSaveChanges(const QString&) {
    return SaveChangesAnswer::DontSave;
}

Presenter::SaveChangesAnswer HeadlessPresenter::askSaveChangesForDocument(const QString&, bool hasFile) {
    return hasFile ? SaveChangesAnswer::Save : SaveChangesAnswer::DontSave;
}

Presenter::FileConflictAnswer HeadlessPresenter::askResolveFileConflict(const QString& documentName,
                                                                        const QString& conflictCopyPath) {
    std::fprintf(stderr,
                 "orvanta: the playlist “%s” was changed by another program while it had unsaved changes; "
                 "keeping this version, the other is kept as “%s”\n",
                 qPrintable(documentName), qPrintable(conflictCopyPath));
    return FileConflictAnswer::KeepMine;
}

Presenter::OpenPanelResult HeadlessPresenter::runOpenPanel(const OpenPanelRequest&) {
    return {};
}

std::optional<QUrl> HeadlessPresenter::runSavePanel(const SavePanelRequest&) {
    return std::nullopt;
}
