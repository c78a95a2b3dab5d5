#pragma once

#include <QCheckBox>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <memory>

// The accessory of the source-folder panel: one check box, "Include subdirectories", that edits
// recursivelyIncludeSubdirectories. The panel takes the view into its layout; the controller keeps
// the value after the panel has gone.
class OpenAccessoryViewController : public QObject {
    Q_OBJECT
public:
    static std::unique_ptr<OpenAccessoryViewController> openAccessoryViewController();
    ~OpenAccessoryViewController() override;

    bool recursivelyIncludeSubdirectories() const { return m_recursivelyIncludeSubdirectories; }
    void setRecursivelyIncludeSubdirectories(bool value);

    // Made on first use; owned by whoever takes it into a layout, by the controller until then.
    QWidget* view();
    QCheckBox* checkBox() const { return m_checkBox; }

private:
    OpenAccessoryViewController() = default;

    bool m_recursivelyIncludeSubdirectories = false;
    QPointer<QWidget> m_view; // owned here until a layout takes it
    QPointer<QCheckBox> m_checkBox;
};
