#include "app/PreferencesWindowController.h"

#include "platform/defaults/UserDefaults.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

std::unique_ptr<PreferencesWindowController> PreferencesWindowController::preferencesWindowController() {
    return std::unique_ptr<PreferencesWindowController>(new PreferencesWindowController());
}

PreferencesWindowController::PreferencesWindowController()
    : m_window(std::make_unique<QWidget>(nullptr, Qt::Window)) {
    m_window->setWindowTitle(QStringLiteral("Orvanta Preferences"));
    m_window->setObjectName(QStringLiteral("PreferencesWindow"));
    auto* layout = new QVBoxLayout(m_window.get());
    auto* grid = new QGridLayout();
    addFolderRow(grid, 0, QStringLiteral("Dynamic playlist folders open in:"),
                 QStringLiteral("dynamicFolderLocation"));
    addFolderRow(grid, 1, QStringLiteral("Clips are added from:"), QStringLiteral("importLocation"));
    layout->addLayout(grid);
    auto* buttons = new QDialogButtonBox(m_window.get());
    QPushButton* restore =
        buttons->addButton(QStringLiteral("Restore Defaults"), QDialogButtonBox::ResetRole);
    restore->setObjectName(QStringLiteral("restoreDefaults"));
    QObject::connect(restore, &QPushButton::clicked, m_window.get(), [this] {
        QStringList keys;
        for (const auto& row : m_folderLabels)
            keys.append(row.first);
        UserDefaults& defaults = UserDefaults::standardUserDefaults();
        const QStringList initialKeys = defaults.initialValues().keys();
        for (const QString& key : initialKeys) {
            if (!keys.contains(key))
                keys.append(key);
        }
        defaults.revertToInitialValues(keys);
        refresh();
    });
    QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
    QObject::connect(close, &QPushButton::clicked, m_window.get(), &QWidget::close);
    layout->addWidget(buttons);
    refresh();
}

PreferencesWindowController::~PreferencesWindowController() = default;

void PreferencesWindowController::addFolderRow(QGridLayout* grid, int row, const QString& title,
                                               const QString& key) {
    grid->addWidget(new QLabel(title, m_window.get()), row, 0);
    auto* value = new QLabel(m_window.get());
    value->setObjectName(key);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    value->setMinimumWidth(280);
    grid->addWidget(value, row, 1);
    auto* clear = new QPushButton(QStringLiteral("Forget"), m_window.get());
    clear->setObjectName(key + QStringLiteral("Clear"));
    clear->setToolTip(QStringLiteral("Open the panel at its own default place next time"));
    QObject::connect(clear, &QPushButton::clicked, m_window.get(), [this, key] {
        UserDefaults::standardUserDefaults().setURL(QUrl(), key);
        refresh();
    });
    grid->addWidget(clear, row, 2);
    m_folderLabels.append({key, value});
}

void PreferencesWindowController::refresh() {
    for (const auto& row : m_folderLabels) {
        if (!row.second)
            continue;
        const QUrl url = UserDefaults::standardUserDefaults().URLForKey(row.first);
        row.second->setText(url.isEmpty() ? QStringLiteral("(the panel’s own default)") : url.toLocalFile());
    }
}

void PreferencesWindowController::center() {
    m_window->adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = m_window->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        m_window->move(frame.topLeft());
    }
}

void PreferencesWindowController::showWindow() {
    refresh();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}
