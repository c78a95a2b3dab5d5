#pragma once

#include "platform/Presenter.h"

#include <QList>
#include <QPair>
#include <QStringList>
#include <deque>
#include <functional>

// A presenter for tests: answers panels and questions from scripted answers (cancelling when none is
// left), and records every alert, beep and question, so tests read what the user would have seen.
// It installs itself as the shared presenter for its lifetime.
class RecordingPresenter : public Presenter {
public:
    RecordingPresenter() { Presenter::setShared(this); }
    ~RecordingPresenter() override { Presenter::setShared(nullptr); }

    void showAlert(const QString& messageText, const QString& informativeText) override {
        if (onAlert)
            onAlert();
        alerts.append({messageText, informativeText});
    }
    void beep() override { ++beeps; }
    SaveChangesAnswer askSaveChanges(const QString& documentName) override {
        saveChangesQuestions.append(documentName);
        return saveChangesAnswer;
    }
    FileConflictAnswer askResolveFileConflict(const QString& documentName,
                                              const QString& conflictCopyPath) override {
        fileConflictQuestions.append({documentName, conflictCopyPath});
        return fileConflictAnswer;
    }
    OpenPanelResult runOpenPanel(const OpenPanelRequest& request) override {
        openPanelRequests.append(request);
        return next(openPanelAnswers, OpenPanelResult());
    }
    std::optional<QUrl> runSavePanel(const SavePanelRequest& request) override {
        savePanelRequests.append(request);
        return next(savePanelAnswers, std::optional<QUrl>());
    }
    // What a person who chose the items in the panel, in the folder, with the check box so, answers.
    static OpenPanelResult chosen(const QList<QUrl>& urls, const QUrl& directory,
                                  bool includeSubdirectories) {
        return {true, urls, directory, includeSubdirectories};
    }

    std::deque<OpenPanelResult> openPanelAnswers;
    std::deque<std::optional<QUrl>> savePanelAnswers;
    SaveChangesAnswer saveChangesAnswer = SaveChangesAnswer::Cancel;
    FileConflictAnswer fileConflictAnswer = FileConflictAnswer::KeepMine;

    std::function<void()> onAlert; // called as each alert comes, before it is recorded
    QList<QPair<QString, QString>> alerts;
    QList<OpenPanelRequest> openPanelRequests;
    QList<SavePanelRequest> savePanelRequests;
    QStringList saveChangesQuestions;
    QList<QPair<QString, QString>> fileConflictQuestions; // document name, conflict copy
    int beeps = 0;

private:
    // The first scripted answer, taken; the cancelled one when none is left.
    template <typename Answer> static Answer next(std::deque<Answer>& answers, Answer cancelled) {
        if (answers.empty())
            return cancelled;
        Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
};
