#include "platform/documents/WindowController.h"

void WindowController::setDocument(Document* document) {
    m_document = document;
}
