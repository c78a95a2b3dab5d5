#include "platform/ui/OpenAccessoryViewController.h"

#include <QCheckBox>
#include <QHBoxLayout>

std::unique_ptr<OpenAccessoryViewController> OpenAccessoryViewController::openAccessoryViewController() {
    return std::unique_ptr<OpenAccessoryViewController>(new OpenAccessoryViewController());
}

OpenAccessoryViewController::~OpenAccessoryViewController() {
    if (m_view && !m_view->parent())
        delete m_view.data();
}

void OpenAccessoryViewController::setRecursivelyIncludeSubdirectories(bool value) {
    m_recursivelyIncludeSubdirectories = value;
    if (m_checkBox && m_checkBox->isChecked() != value)
        m_checkBox->setChecked(value);
}

QWidget* OpenAccessoryViewController::view() {
    if (m_view)
        return m_view;
    m_view = new QWidget();
    auto* layout = new QHBoxLayout(m_view);
    layout->setContentsMargins(0, 0, 0, 0);
    m_checkBox = new QCheckBox(QStringLiteral("Include subdirectories"), m_view);
    m_checkBox->setChecked(m_recursivelyIncludeSubdirectories);
    layout->addWidget(m_checkBox);
    layout->addStretch();
    connect(m_checkBox, &QCheckBox::toggled, this,
            [this](bool on) { m_recursivelyIncludeSubdirectories = on; });
    return m_view;
}
