#include "document/OrvantaDocument.h"
#include "platform/defaults/UserDefaults.h"
#include "support/RecordingPresenter.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

Presenter::OpenPanelResult chose(const QString& folder, const QString& showing, bool includeSubdirectories) {
    Presenter::OpenPanelResult result;
    result.accepted = true;
    result.urls = {QUrl::fromLocalFile(folder)};
    result.directoryURL = QUrl::fromLocalFile(showing);
    result.includeSubdirectories = includeSubdirectories;
    return result;
}

class FakeWindowController : public WindowController {
public:
    void showWindow() override {}
    void closeWindow() override {}
};

} // namespace

TEST(OrvantaDocument, StandardPlaylistsComeWithTheDefaultsAndNoQuestion) {
    RecordingPresenter presenter;
    for (const QString& type :
         {OrvantaDocument::StandardPlaylistType, QStringLiteral("SomethingElse"), QString()}) {
        DocumentError error;
        auto doc = OrvantaDocument::initWithType(type, &error);
        ASSERT_NE(doc, nullptr);
        EXPECT_FALSE(doc->isDynamicPlaylist() || error.isSet());
        EXPECT_EQ(doc->settings()->entries(), PlaylistSettings::defaultEntries());
        EXPECT_EQ(doc->writableTypesForSaveOperation(Document::SaveOperation::Save),
                  QStringList{OrvantaDocument::StandardPlaylistType});
    }
    EXPECT_TRUE(presenter.openPanelRequests.isEmpty());
}

// The folder panel asks for one folder, starting where the last one was chosen, with the box checked;
// a cancelled panel changes nothing.
TEST(OrvantaDocument, ADynamicPlaylistIsMadeOnlyWhenTheFolderPanelIsConfirmed) {
    RecordingPresenter presenter;
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
            chose(dir.filePath("lobby"), dir.filePath("shown"), subdirectories));
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
