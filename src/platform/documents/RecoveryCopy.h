#pragma once

#include <QDateTime>
#include <QString>

class Document;

// A copy of a document whose edits cannot go to its own file (its folder is read-only, the disk is
// full, it has no file), written when the program must end without asking anyone: into a folder of
// its own, named after the document and the time, never over another file.
class RecoveryCopy {
public:
    struct Result {
        QString path;  // the copy's file; empty on failure
        QString error; // why it could not be written
        explicit operator bool() const { return !path.isEmpty(); }
    };

    // Writes the document as it is now into the folder (made where missing), with the extension.
    static Result write(Document& document, const QString& folder, const QString& extension,
                        const QDateTime& when = QDateTime::currentDateTime());
    // "lobby 2026-03-04 05-06-07.orvplaylist", then "lobby 2026-03-04 05-06-07 2.orvplaylist", ...
    static QString fileName(const QString& displayName, const QString& extension, const QDateTime& when,
                            int attempt);
};
