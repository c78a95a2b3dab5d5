// Undo and redo of each kind of playlist edit on the document alone: the clips (records, order,
// movies), the settings, the source folder, the undo texts and the change count that follows the stack.
#include "document/OrvantaDocument.h"
#include "support/TestMedia.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct State {
    QList<ClipRecordPtr> clips;
    QList<std::shared_ptr<Movie>> movies;
    QList<QPair<QString, TypedNumber>> settings;
    QUrl folder;
    bool includeSubdirectories = false;
    bool operator==(const State&) const = default;
};

State stateOf(const OrvantaDocument& document) {
    State state{document.clips(),
                {},
                document.settings()->entries(),
                document.dynamicSourceFolder(),
                document.includeSubdirectories()};
    for (const ClipRecordPtr& clip : document.clips())
        state.movies.append(clip->movie);
    return state;
}

ClipRecordPtr clip(const QString& name) {
    auto record = std::make_shared<ClipRecord>();
    record->URL = QUrl::fromLocalFile(testMediaPath(QStringLiteral("clip-0.5s.mp4")));
    record->name = name;
    record->movie = openTestMovie(QStringLiteral("clip-0.5s.mp4"));
    return record;
}

// A value of the key other than its default.
TypedNumber changed(const TypedNumber& value) {
    return value.isBoolean() ? TypedNumber::boolean(!value.boolValue())
           : value.isReal()  ? TypedNumber::float32(value.floatValue() / 2)
                             : TypedNumber::integer(value.intValue() + 7);
}

} // namespace

TEST(PlaylistUndo, EachKindOfEditIsOneStepThatUndoesAndRedoesExactlyAndTheChangeCountFollows) {
    OrvantaDocument document;
    document.settings()->setDefaults();
    QList<ClipRecordPtr> clips;
    for (int i = 0; i < 5; ++i)
        clips.append(clip(QStringLiteral("c%1").arg(i)));
    document.setClips(clips);
    const ClipRecordPtr a = clip("a"), b = clip("b");
    QUndoStack* stack = document.undoStack();
    ASSERT_FALSE(document.isDocumentEdited() || stack->canUndo());

    QList<std::pair<QString, std::function<void()>>> edits;
    const auto edit = [&](const QString& text, std::function<void()> f) { edits.append({text, f}); };
    edit("Add 2 Clips", [&] { document.insertClips({a, b}, 1); });
    edit("Add Clip", [&] { document.insertClips({a}, 99); });
    edit("Paste 2 Clips", [&] { document.insertClips({a, b}, 0, ClipsAction::Paste); });
    edit("Copy Clip", [&] { document.insertClips({a}, 3, ClipsAction::Copy); });
    edit("Remove 3 Clips", [&] { document.removeClipsAt({4, 0, 2, 2, 9}); });
    edit("Remove Clip", [&] { document.removeClipsAt({1}); });
    edit("Cut 2 Clips", [&] { document.removeClipsAt({0, 1}, ClipsAction::Cut); });
    edit("Move 2 Clips", [&] { document.moveClips({0, 3}, 5); });
    edit("Locate Clip", [&] { document.replaceClips({clips[2]}, {a}, "Locate Clip"); });
    edit("Choose Source Folder", [&] {
        document.chooseSourceFolder(QUrl::fromLocalFile("/elsewhere"), true);
        document.setClips({b, a}); // the run of the new folder
    });
    for (const auto& [key, value] : PlaylistSettings::defaultEntries())
        edit(PlaylistSettings::titleOfKey(key),
             [&, key, value] { document.settings()->setValue(key, changed(value)); });
    ASSERT_EQ(edits.size(), 22);
    EXPECT_EQ(edits[16].first, "Loop");
    for (const auto& [text, change] : edits) {
        SCOPED_TRACE(text.toStdString());
        const State before = stateOf(document);
        change();
        const State after = stateOf(document);
        EXPECT_NE(after, before);
        EXPECT_EQ(stack->count(), 1);
        EXPECT_EQ(stack->undoText(), text);
        EXPECT_TRUE(document.isDocumentEdited());
        stack->undo();
        EXPECT_EQ(stateOf(document), before);
        EXPECT_FALSE(document.isDocumentEdited());
        stack->redo();
        EXPECT_EQ(stateOf(document), after);
        EXPECT_TRUE(document.isDocumentEdited());
        stack->undo();
    }
    // A move that changes no order and an unknown key are no steps.
    document.moveClips({1}, 2);
    document.settings()->setValue("someOtherKey", TypedNumber::integer(3));
    EXPECT_EQ(stack->index(), 0);
    EXPECT_FALSE(document.isDocumentEdited());
    // A key the file did not hold is absent again when its setting is undone.
    document.settings()->applyValue("muted", std::nullopt);
    document.settings()->setValue("muted", TypedNumber::boolean(true));
    stack->undo();
    EXPECT_FALSE(document.settings()->contains("muted"));
}

TEST(PlaylistUndo, ADragAndARunInPartsAreOneStepEachAndAnUndoneSaveIsWrittenByTheNextAutosave) {
    QTemporaryDir dir;
    auto document = OrvantaDocument::initWithType(OrvantaDocument::StandardPlaylistType, nullptr);
    QUndoStack* stack = document->undoStack();
    PlaylistSettings* settings = document->settings();
    EXPECT_FALSE(document->isDocumentEdited()); // the defaults are no step
    // A slider dragged: one step; one that ends where it began: none.
    document->beginSettingsGesture();
    for (float volume : {0.9f, 0.8f, 0.7f})
        settings->setValue("volume", TypedNumber::float32(volume));
    document->endSettingsGesture();
    settings->setValue("volume", TypedNumber::float32(0.6f));
    EXPECT_EQ(stack->count(), 2);
    stack->undo();
    EXPECT_EQ(settings->volume(), 0.7f);
    stack->undo();
    document->beginSettingsGesture();
    settings->setValue("speed", TypedNumber::float32(2.0f));
    settings->setValue("speed", TypedNumber::float32(1.0f));
    document->endSettingsGesture();
    EXPECT_EQ(stack->count(), 0);
    EXPECT_FALSE(document->isDocumentEdited());
    // An import run whose clips come in parts is one step.
    for (int part = 0; part < 3; ++part)
        document->insertClips({clip("p"), clip("q")}, 99, ClipsAction::Add, 7);
    EXPECT_EQ(stack->count(), 1);
    EXPECT_EQ(stack->undoText(), "Add 6 Clips");

    // Saved with looping on, then undone: the window is edited again and the autosave writes the undone
    // state; redone, the state saved last is clean again.
    const QUrl file = QUrl::fromLocalFile(dir.filePath("p.orvplaylist"));
    settings->setValue("looping", TypedNumber::integer(1));
    ASSERT_TRUE(document->saveToURL(file, OrvantaDocument::StandardPlaylistType,
                                    Document::SaveOperation::SaveAs, nullptr));
    EXPECT_FALSE(document->isDocumentEdited());
    document->setAutosaveDelay(10);
    stack->undo();
    EXPECT_TRUE(document->isDocumentEdited());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !document->isDocumentEdited(); }, 5000));
    OrvantaDocument reread;
    ASSERT_TRUE(reread.readFromURL(file, OrvantaDocument::StandardPlaylistType, nullptr));
    EXPECT_EQ(reread.settings()->looping(), 0);
    stack->redo();
    EXPECT_TRUE(document->isDocumentEdited());
    stack->undo();
    EXPECT_FALSE(document->isDocumentEdited());
}
