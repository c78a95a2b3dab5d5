#pragma once

#include <QString>

// Why a document operation failed: a domain and code for callers that tell failures apart, and the
// sentence the user reads.
struct DocumentError {
    QString domain;
    int code = 0;
    QString localizedDescription;

    bool isSet() const { return !localizedDescription.isEmpty() || code != 0; }
};

// Sets *error when the caller asked for it.
inline void setDocumentError(DocumentError* error, const QString& domain, int code,
                             const QString& description) {
    if (error)
        *error = DocumentError{domain, code, description};
}
