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
    RecordingPresenter();
    ~RecordingPresenter() override;

    void showAlert(const QString& messageText, const QString& informativeText) override;
    void beep() override { ++beeps; }
    SaveChangesAnswer askSaveChanges(const QString& documentName) override;
    FileConflictAnswer askResolveFileConflict(const QString& documentName,
                                              const QString& conflictCopyPath) override;
    OpenPanelResult runOpenPanel(const OpenPanelRequest& request) override;
    std::optional<QUrl> runSavePanel(const SavePanelRequest& request) override;
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
};
