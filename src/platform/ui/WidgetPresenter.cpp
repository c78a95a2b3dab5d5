#include "platform/ui/WidgetPresenter.h"

#include "platform/ui/OpenAccessoryViewController.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace {

// Qt's own file dialog chooses either files or one folder. This one accepts whatever is selected in its
// list, files and folders alike; double-clicking a folder still opens it, and with nothing selected the
// dialog behaves as usual (a typed name, or a folder to go into).
class FilesAndFoldersDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void setChoosesFilesAndFolders(bool on) { m_filesAndFolders = on; }
    QList<QUrl> chosenUrls() const { return m_chosen.isEmpty() ? selectedUrls() : m_chosen; }

    void accept() override {
        m_chosen.clear();
        if (!m_filesAndFolders) {
            QFileDialog::accept();
            return;
        }
        const auto* model = findChild<QFileSystemModel*>();
        for (const char* name : {"listView", "treeView"}) {
            const auto* view = findChild<QAbstractItemView*>(QString::fromLatin1(name));
            if (!view || !view->isVisible() || !model || !view->selectionModel())
                continue;
            for (const QModelIndex& index : view->selectionModel()->selectedRows())
                m_chosen.append(QUrl::fromLocalFile(model->filePath(index)));
        }
        // A name typed over the selection wins: the dialog handles it itself.
        const auto* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        const bool typed = edit && !edit->text().isEmpty() && !edit->text().startsWith(u'"') &&
                           m_chosen.size() == 1 &&
                           QFileInfo(m_chosen.first().toLocalFile()).fileName() != edit->text();
        if (m_chosen.isEmpty() || typed) {
            m_chosen.clear();
            QFileDialog::accept();
            return;
        }
        QDialog::accept();
    }

private:
    bool m_filesAndFolders = false;
    QList<QUrl> m_chosen;
};

} // namespace

void WidgetPresenter::showAlert(const QString& messageText, const QString& informativeText) {
    QMessageBox alert(QMessageBox::Information, QStringLiteral("Orvanta"), messageText, QMessageBox::NoButton,
                      QApplication::activeWindow());
    alert.setInformativeText(informativeText);
    alert.addButton(QStringLiteral("Continue"), QMessageBox::AcceptRole);
    alert.exec();
}

void WidgetPresenter::beep() {
    QApplication::beep();
}

Presenter::SaveChangesAnswer WidgetPresenter::askSaveChanges(const QString& documentName) {
    QMessageBox box(
        QMessageBox::Warning, QStringLiteral("Orvanta"),
        QStringLiteral("Do you want to save the changes made to the playlist “%1”?").arg(documentName),
        QMessageBox::NoButton, QApplication::activeWindow());
    box.setInformativeText(QStringLiteral("Your changes will be lost if you don’t save them."));
    QPushButton* save = box.addButton(QStringLiteral("Save"), QMessageBox::AcceptRole);
    QPushButton* dontSave = box.addButton(QStringLiteral("Don’t Save"), QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save)
        return SaveChangesAnswer::Save;
    if (box.clickedButton() == dontSave)
        return SaveChangesAnswer::DontSave;
    return SaveChangesAnswer::Cancel;
}

Presenter::FileConflictAnswer WidgetPresenter::askResolveFileConflict(const QString& documentName,
                                                                      const QString& conflictCopyPath) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Orvanta"),
                    QStringLiteral("The playlist “%1” was changed by another program.").arg(documentName),
                    QMessageBox::NoButton, QApplication::activeWindow());
    box.setInformativeText(
        QStringLiteral(
            "This window has changes that are not saved yet. Keep yours to save them over the file; "
            "the other version is then kept as “%1”. Or take the other version and lose your "
            "changes.")
            .arg(QFileInfo(conflictCopyPath).fileName()));
    QPushButton* keep = box.addButton(QStringLiteral("Keep Mine"), QMessageBox::AcceptRole);
    QPushButton* take = box.addButton(QStringLiteral("Take Theirs"), QMessageBox::DestructiveRole);
    box.setDefaultButton(keep);
    // Closing the alert loses nothing either.
    box.setEscapeButton(keep);
    box.exec();
    return box.clickedButton() == take ? FileConflictAnswer::TakeTheirs : FileConflictAnswer::KeepMine;
}

Presenter::OpenPanelResult WidgetPresenter::runOpenPanel(const OpenPanelRequest& request) {
    FilesAndFoldersDialog dialog(QApplication::activeWindow(), request.title);
    dialog.setObjectName(QStringLiteral("openPanel"));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    const bool filesAndFolders = request.canChooseDirectories && request.canChooseFiles;
    dialog.setChoosesFilesAndFolders(filesAndFolders);
    if (request.canChooseDirectories && !request.canChooseFiles) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly, true);
    } else {
        dialog.setFileMode(request.allowsMultipleSelection ? QFileDialog::ExistingFiles
                                                           : QFileDialog::ExistingFile);
        if (!request.nameFilters.isEmpty())
            dialog.setNameFilters(request.nameFilters);
    }
    if (!request.directoryURL.isEmpty())
        dialog.setDirectoryUrl(request.directoryURL);

    std::unique_ptr<OpenAccessoryViewController> accessory;
    if (request.includeSubdirectoriesBox) {
        accessory = OpenAccessoryViewController::openAccessoryViewController();
        accessory->setRecursivelyIncludeSubdirectories(*request.includeSubdirectoriesBox);
        if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
            grid->addWidget(accessory->view(), grid->rowCount(), 0, 1, grid->columnCount());
    }

    OpenPanelResult result;
    const bool confirmed = dialog.exec() == QDialog::Accepted;
    result.accepted = confirmed && !(filesAndFolders ? dialog.chosenUrls() : dialog.selectedUrls()).isEmpty();
    if (result.accepted) {
        result.urls = filesAndFolders ? dialog.chosenUrls() : dialog.selectedUrls();
        result.directoryURL = dialog.directoryUrl();
    }
    if (accessory)
        result.includeSubdirectories = accessory->recursivelyIncludeSubdirectories();
    return result;
}

std::optional<QUrl> WidgetPresenter::runSavePanel(const SavePanelRequest& request) {
    QFileDialog dialog(QApplication::activeWindow(), request.title);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!request.nameFilter.isEmpty())
        dialog.setNameFilter(request.nameFilter);
    if (!request.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.directoryURL.isEmpty())
        dialog.setDirectoryUrl(request.directoryURL);
    dialog.selectFile(request.suggestedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedUrls().isEmpty())
        return std::nullopt;
    return dialog.selectedUrls().first();
}
