#include "document/PlaylistCommands.h"

#include "document/OrvantaDocument.h"
#include "document/PlaylistSettings.h"

QString PlaylistCommands::textFor(ClipsAction action, qsizetype count) {
    QString verb;
    switch (action) {
    case ClipsAction::Add:
        verb = QStringLiteral("Add");
        break;
    case ClipsAction::Paste:
        verb = QStringLiteral("Paste");
        break;
    case ClipsAction::Copy:
        verb = QStringLiteral("Copy");
        break;
    case ClipsAction::Cut:
        verb = QStringLiteral("Cut");
        break;
    case ClipsAction::Remove:
        verb = QStringLiteral("Remove");
        break;
    case ClipsAction::Move:
        verb = QStringLiteral("Move");
        break;
    }
    return count == 1 ? verb + QStringLiteral(" Clip") : QStringLiteral("%1 %2 Clips").arg(verb).arg(count);
}

ClipsCommand::ClipsCommand(OrvantaDocument& document, Lists lists, const QString& text, quint64 run)
    : QUndoCommand(text)
    , m_document(document)
    , m_lists(std::move(lists))
    , m_run(run) {}

void ClipsCommand::redo() {
    // Done the first time, the edit keeps the selection its maker gives it; redone, it selects its clips.
    m_document.applyClipsEdit(m_lists.after, m_redone ? m_lists.touchedAfter : QList<ClipRecordPtr>());
    m_redone = true;
}

void ClipsCommand::undo() {
    m_document.applyClipsEdit(m_lists.before, m_lists.touchedBefore);
}

bool ClipsCommand::extend(const QList<ClipRecordPtr>& after, const QList<ClipRecordPtr>& added, quint64 run,
                          ClipsAction action) {
    if (run == 0 || run != m_run || m_document.clips() != m_lists.after)
        return false;
    m_lists.after = after;
    m_lists.touchedAfter.append(added);
    setText(PlaylistCommands::textFor(action, m_lists.touchedAfter.size()));
    m_document.applyClipsEdit(m_lists.after, {});
    return true;
}

SettingCommand::SettingCommand(OrvantaDocument& document, const QString& key,
                               const std::optional<TypedNumber>& before, const TypedNumber& after,
                               quint64 gesture)
    : QUndoCommand(PlaylistSettings::titleOfKey(key))
    , m_document(document)
    , m_key(key)
    , m_before(before)
    , m_after(after)
    , m_gesture(gesture) {}

void SettingCommand::redo() {
    m_document.settings()->applyValue(m_key, m_after);
}

void SettingCommand::undo() {
    m_document.settings()->applyValue(m_key, m_before);
}

bool SettingCommand::mergeWith(const QUndoCommand* other) {
    const auto* next = static_cast<const SettingCommand*>(other);
    if (m_gesture == 0 || next->m_gesture != m_gesture || next->m_key != m_key)
        return false;
    m_after = next->m_after;
    // A drag that ends where it began changed nothing: the stack drops the step.
    setObsolete(m_before == m_after);
    return true;
}

SourceFolderCommand::SourceFolderCommand(OrvantaDocument& document, const QUrl& folder,
                                         bool includeSubdirectories)
    : QUndoCommand(QStringLiteral("Choose Source Folder"))
    , m_document(document)
    , m_new{folder, includeSubdirectories, {}} {}

void SourceFolderCommand::take(Source& keep, const Source& give) {
    keep = {m_document.dynamicSourceFolder(), m_document.includeSubdirectories(), m_document.clips()};
    m_document.setDynamicSourceFolder(give.folder);
    m_document.setIncludeSubdirectories(give.includeSubdirectories);
    m_document.applyClipsEdit(give.clips, {});
}

void SourceFolderCommand::redo() {
    take(m_old, m_new);
}

void SourceFolderCommand::undo() {
    take(m_new, m_old);
}
