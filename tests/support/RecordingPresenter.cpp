#include "support/RecordingPresenter.h"

RecordingPresenter::RecordingPresenter() {
    Presenter::setShared(this);
}

RecordingPresenter::~RecordingPresenter() {
    Presenter::setShared(nullptr);
}

void RecordingPresenter::showAlert(const QString& messageText, const QString& informativeText) {
    if (onAlert)
        onAlert();
    alerts.append({messageText, informativeText});
}

Presenter::SaveChangesAnswer RecordingPresenter::askSaveChanges(const QString& documentName) {
    saveChangesQuestions.append(documentName);
    return saveChangesAnswer;
}

Presenter::FileConflictAnswer RecordingPresenter::askResolveFileConflict(const QString& documentName,
                                                                         const QString& conflictCopyPath) {
    fileConflictQuestions.append({documentName, conflictCopyPath});
    return fileConflictAnswer;
}

Presenter::OpenPanelResult RecordingPresenter::runOpenPanel(const OpenPanelRequest& request) {
    openPanelRequests.append(request);
    if (openPanelAnswers.empty())
        return {};
    OpenPanelResult answer = openPanelAnswers.front();
    openPanelAnswers.pop_front();
    return answer;
}

std::optional<QUrl> RecordingPresenter::runSavePanel(const SavePanelRequest& request) {
    savePanelRequests.append(request);
    if (savePanelAnswers.empty())
        return std::nullopt;
    auto answer = savePanelAnswers.front();
    savePanelAnswers.pop_front();
    return answer;
}
