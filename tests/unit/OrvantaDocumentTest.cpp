// The playlist document: how new ones are made (standard, or dynamic once a folder is chosen), its one
// window controller, and undo and redo of each kind of edit on the document alone: the clips (records,
// order, movies), the settings, the source folder, the undo texts and the change count that follows the
// stack.
#include "document/OrvantaDocument.h"
#include "platform/defaults/UserDefaults.h"
#include "support/RecordingPresenter.h"
#include "support/TestMedia.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class FakeWindowController : public WindowController {
public:
    void showWindow() override {}
    void closeWindow() override {}
};

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

// Any type but the dynamic one makes a standard playlist without a question. For a dynamic one the folder
// panel asks for one folder, starting where the last one was chosen, with the box checked; a cancelled
// panel changes nothing. Either comes with the default settings.
TEST(OrvantaDocument, ADynamicPlaylistIsMadeOnlyWhenTheFolderPanelIsConfirmed) {
    RecordingPresenter presenter;
    for (const QString& type : {OrvantaDocument::StandardPlaylistType, QStringLiteral("SomethingElse")}) {
        const auto standard = OrvantaDocument::initWithType(type, nullptr);
        ASSERT_TRUE(standard && !standard->isDynamicPlaylist());
        EXPECT_EQ(standard->writableTypesForSaveOperation(Document::SaveOperation::Save),
                  QStringList{OrvantaDocument::StandardPlaylistType});
    }
    QTemporaryDir dir;
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    defaults.setURL(QUrl::fromLocalFile(dir.path()), "dynamicFolderLocation");
    DocumentError error;
    EXPECT_EQ(OrvantaDocument::initWithType(OrvantaDocument::DynamicPlaylistType, &error), nullptr);
    EXPECT_EQ(error.localizedDescription, QStringLiteral("Dynamic Playlist creation cancelled"));
    ASSERT_EQ(presenter.openPanelRequests.size(), 1);
    const auto& request = presenter.openPanelRequests.first();
    EXPECT_TRUE(!request.canChooseFiles && request.canChooseDirectories && !request.allowsMultipleSelection);
    EXPECT_EQ(request.directoryURL, QUrl::fromLocalFile(dir.path()));
    EXPECT_EQ(request.includeSubdirectoriesBox, std::optional<bool>(true));

    for (const bool subdirectories : {true, false}) {
        presenter.openPanelAnswers.push_back(
            RecordingPresenter::chosen({QUrl::fromLocalFile(dir.filePath("lobby"))},
                                       QUrl::fromLocalFile(dir.filePath("shown")), subdirectories));
        auto doc = OrvantaDocument::initWithType(OrvantaDocument::DynamicPlaylistType, &error);
        ASSERT_NE(doc, nullptr);
        EXPECT_EQ(presenter.openPanelRequests.last().directoryURL,
                  QUrl::fromLocalFile(subdirectories ? dir.path() : dir.filePath("shown")));
        EXPECT_TRUE(doc->isDynamicPlaylist());
        EXPECT_EQ(doc->includeSubdirectories(), subdirectories);
        EXPECT_EQ(doc->dynamicSourceFolder(), QUrl::fromLocalFile(dir.filePath("lobby")));
        EXPECT_EQ(doc->settings()->entries(), PlaylistSettings::defaultEntries());
        EXPECT_EQ(doc->writableTypesForSaveOperation(Document::SaveOperation::SaveAs),
                  QStringList{OrvantaDocument::DynamicPlaylistType});
        // The folder the panel was showing is where the next panel starts.
        EXPECT_EQ(defaults.URLForKey("dynamicFolderLocation"), QUrl::fromLocalFile(dir.filePath("shown")));
    }
}

TEST(OrvantaDocument, MakesExactlyOneWindowControllerWithItselfAsDatasource) {
    OrvantaDocument* seen = nullptr;
    OrvantaDocument::setWindowControllerFactory([&seen](OrvantaDocument& document) {
        seen = &document;
        return std::make_unique<FakeWindowController>();
    });
    OrvantaDocument doc;
    doc.makeWindowControllers();
    doc.makeWindowControllers();
    OrvantaDocument::setWindowControllerFactory(nullptr);
    ASSERT_EQ(doc.windowControllers().size(), 1u);
    EXPECT_EQ(doc.windowControllers().front()->document(), &doc);
    EXPECT_EQ(seen, &doc);
}

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
