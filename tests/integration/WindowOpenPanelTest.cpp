// The add panel of the desktop presenter: Qt's own file dialog, driven as a person would.
#include "platform/ui/WidgetPresenter.h"
#include "support/TestMedia.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

// Waits for the panel, selects the named entries in its visible list, sets the accessory box and
// presses Open. Reports what went wrong instead, closing the panel.
QString answerPanel(const QDir& dir, const QStringList& entries, bool box) {
    QFileDialog* dialog = nullptr;
    if (!QTest::qWaitFor(
            [&] { return (dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())); }, 5000))
        return "no panel";
    auto* model = dialog->findChild<QFileSystemModel*>();
    QAbstractItemView* view = nullptr;
    for (auto* candidate : dialog->findChildren<QAbstractItemView*>()) {
        if (candidate->isVisible() && candidate->model() == model)
            view = candidate;
    }
    if (!model || !view) {
        dialog->reject();
        return "no list";
    }
    const bool listed = QTest::qWaitFor(
        [&] {
            for (const QString& entry : entries) {
                if (!model->index(dir.filePath(entry)).isValid())
                    return false;
            }
            return true;
        },
        5000);
    if (!listed) {
        dialog->reject();
        return "entries not listed";
    }
    view->selectionModel()->clearSelection();
    for (const QString& entry : entries)
        view->selectionModel()->select(model->index(dir.filePath(entry)),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    if (auto* check = dialog->findChild<QCheckBox*>())
        check->setChecked(box);
    QPushButton* open = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open);
    if (!open || !open->isEnabled()) {
        dialog->reject();
        return "Open is disabled";
    }
    open->click();
    return {};
}

} // namespace

TEST(WindowOpenPanel, TakesFilesAndFoldersTogetherAndTheCheckBoxAsLeft) {
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(testMediaPath("clip-1s.mp4"), dir.filePath("a.mp4")));
    ASSERT_TRUE(QFile::copy(testMediaPath("clip-1s.mp4"), dir.filePath("b.mp4")));
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));

    WidgetPresenter presenter;
    Presenter::OpenPanelRequest request;
    request.title = "Add Clips";
    request.directoryURL = QUrl::fromLocalFile(dir.path());
    request.canChooseFiles = true;
    request.canChooseDirectories = true;
    request.allowsMultipleSelection = true;
    request.nameFilters = {"Movies (*.mp4)", "All Files (*)"};
    request.includeSubdirectoriesBox = true;

    QString problem = "not run";
    QTimer::singleShot(0, [&] { problem = answerPanel(QDir(dir.path()), {"a.mp4", "sub"}, false); });
    const Presenter::OpenPanelResult result = presenter.runOpenPanel(request);
    ASSERT_TRUE(problem.isEmpty()) << problem.toStdString();
    ASSERT_TRUE(result.accepted);
    const QSet<QUrl> chosen(result.urls.begin(), result.urls.end());
    EXPECT_EQ(chosen, (QSet<QUrl>{QUrl::fromLocalFile(dir.filePath("a.mp4")),
                                  QUrl::fromLocalFile(dir.filePath("sub"))}));
    EXPECT_EQ(result.directoryURL, QUrl::fromLocalFile(dir.path()));
    EXPECT_EQ(result.includeSubdirectories, false);

    // A single folder alone is taken too, not opened.
    QTimer::singleShot(0, [&] { problem = answerPanel(QDir(dir.path()), {"sub"}, true); });
    const Presenter::OpenPanelResult folder = presenter.runOpenPanel(request);
    ASSERT_TRUE(problem.isEmpty()) << problem.toStdString();
    EXPECT_EQ(folder.urls, QList<QUrl>{QUrl::fromLocalFile(dir.filePath("sub"))});
    EXPECT_EQ(folder.includeSubdirectories, true);
}
