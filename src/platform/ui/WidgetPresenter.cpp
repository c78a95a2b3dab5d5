#include "platform/ui/WidgetPresenter.h"

#include "document/OpenAccessoryViewController.h"

#include <QApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>

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

Presenter::OpenPanelResult WidgetPresenter::runOpenPanel(const OpenPanelRequest& request) {
    QFileDialog dialog(QApplication::activeWindow(), request.title);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
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
    result.accepted = dialog.exec() == QDialog::Accepted && !dialog.selectedUrls().isEmpty();
    if (result.accepted) {
        result.urls = dialog.selectedUrls();
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
