#pragma once

#include <QObject>
#include <QString>

class Document;

// The controller of one document window. The widget side subclasses it and owns the window; this base
// knows only its document and what the document framework asks of every window.
class WindowController : public QObject {
    Q_OBJECT
public:
    ~WindowController() override = default;

    Document* document() const { return m_document; }
    // Set by Document::addWindowController; the document outlives its window controllers.
    void setDocument(Document* document);

    virtual QString windowTitleForDocumentDisplayName(const QString& displayName) const {
        return displayName;
    }
    // Shows the window and brings it to the front.
    virtual void showWindow() = 0;
    // Closes the window for good; called once, when the document closes.
    virtual void closeWindow() = 0;
    // The title or the edited mark may have changed.
    virtual void synchronizeWindowTitleWithDocumentName() {}

protected:
    explicit WindowController(QObject* parent = nullptr)
        : QObject(parent) {}

private:
    Document* m_document = nullptr;
};
