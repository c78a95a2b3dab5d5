#pragma once

#include "document/ClipRecord.h"
#include "platform/TypedNumber.h"

#include <QList>
#include <QString>
#include <QUndoCommand>
#include <QUrl>
#include <optional>

class OrvantaDocument;

// The undo steps of a playlist, one class per kind of edit. They change the document's model only
// (clips, settings, source folder), never a widget; the window follows the document's signals.
//
// A step of the clip list keeps the list before and after it: the lists share their records (and so
// their movies) and, being implicitly shared, consecutive steps share one copy of the list between
// them. Undo and redo put back exactly the records, in their order.
// Main thread only.

// What an edit of the clip list was, for its undo text.
enum class ClipsAction { Add, Paste, Copy, Cut, Remove, Move };

namespace PlaylistCommands {
// "Remove 3 Clips", "Remove Clip": the text after "Undo " and "Redo ".
QString textFor(ClipsAction action, qsizetype count);
// The command ids QUndoStack merges by.
enum Id { SettingId = 1 };
} // namespace PlaylistCommands

// The clip list from `before` to `after`. touchedBefore and touchedAfter are the clips to select once
// the step has been undone or done (those put back, moved or added).
class ClipsCommand : public QUndoCommand {
public:
    struct Lists {
        QList<ClipRecordPtr> before, after, touchedBefore, touchedAfter;
    };
    ClipsCommand(OrvantaDocument& document, Lists lists, const QString& text, quint64 run = 0);

    void redo() override;
    void undo() override;
    // A later part of the same import run (run != 0) becomes part of this step, if the list is still as
    // this step left it. Applies the part and answers whether it was taken.
    bool extend(const QList<ClipRecordPtr>& after, const QList<ClipRecordPtr>& added, quint64 run,
                ClipsAction action);
    const Lists& lists() const { return m_lists; }

private:
    OrvantaDocument& m_document;
    Lists m_lists;
    quint64 m_run;
    bool m_redone = false;
};

// One setting from one value to another (nothing: the key was absent). Consecutive changes of the same
// key made in one gesture (a slider dragged) merge into one step; a gesture of 0 never merges.
class SettingCommand : public QUndoCommand {
public:
    SettingCommand(OrvantaDocument& document, const QString& key, const std::optional<TypedNumber>& before,
                   const TypedNumber& after, quint64 gesture);

    void redo() override;
    void undo() override;
    int id() const override { return PlaylistCommands::SettingId; }
    bool mergeWith(const QUndoCommand* other) override;
    const QString& key() const { return m_key; }

private:
    OrvantaDocument& m_document;
    QString m_key;
    std::optional<TypedNumber> m_before;
    TypedNumber m_after;
    quint64 m_gesture;
};

// A dynamic playlist's new source folder: the folder and the subdirectories choice, and the clips. The
// folder's clips come from an import run after the step was done; the step keeps whatever clips the
// playlist holds when it is undone, and gives them back when it is redone.
class SourceFolderCommand : public QUndoCommand {
public:
    SourceFolderCommand(OrvantaDocument& document, const QUrl& folder, bool includeSubdirectories);

    void redo() override;
    void undo() override;

private:
    struct Source {
        QUrl folder;
        bool includeSubdirectories = false;
        QList<ClipRecordPtr> clips;
    };
    void take(Source& keep, const Source& give);

    OrvantaDocument& m_document;
    Source m_old, m_new;
};
