#include "platform/defaults/UserDefaults.h"
#include "UnitFiles.h"
#include "platform/defaults/InitialUserDefaults.h"
#include "platform/defaults/XmlPropertyListReader.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray plist(const QByteArray& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n" + body +
           "</dict>\n</plist>\n";
}

std::unique_ptr<UserDefaults> defaultsIn(const QTemporaryDir& dir) {
    return std::make_unique<UserDefaults>(
        std::make_unique<QSettings>(dir.filePath("Orvanta.conf"), QSettings::IniFormat));
}

} // namespace

TEST(XmlPropertyList, ReadsPlainValuesAndKeepsWhatWasReadBeforeAFault) {
    const auto result = readXmlPropertyListDictionary(plist(R"(
        <key>name</key><string>lobby &amp; hall</string> <!-- a comment -->
        <key>count</key><integer>-42</integer><key>ratio</key><real>0.25</real>
        <key>on</key><true/><key>off</key><false/><key>empty</key><string></string>
    )"));
    EXPECT_TRUE(result.error.isEmpty()) << result.error.toStdString();
    const QVariantMap expected{{"name", "lobby & hall"}, {"count", -42}, {"ratio", 0.25}, {"on", true},
                               {"off", false},           {"empty", ""}};
    EXPECT_EQ(result.dictionary, expected);

    const struct {
        QByteArray xml;
        int entriesKept;
    } cases[] = {
        {plist("<key>a</key><string>1</string><key>b</key><integer>notanumber</integer>"), 1},
        {plist("<key>a</key><string>1</string><key>b</key>"), 1},
        {"<plist><dict><key>a</key><string>1</string><key>b</key><str", 1},
        {"<plist><dict><key>a</key><string>1</string>", 1},
        {"not xml at all", 0},
        {"", 0},
        {"<plist><array/></plist>", 0},
        {plist("<key>a</key><unknown>1</unknown>"), 0},
        {plist("<key>a</key><array><array><array></array></array></array>"), 0},
    };
    for (const auto& c : cases) {
        const auto bad = readXmlPropertyListDictionary(c.xml);
        EXPECT_FALSE(bad.error.isEmpty()) << c.xml.toStdString();
        EXPECT_EQ(bad.dictionary.size(), c.entriesKept) << c.xml.toStdString();
    }
}

// Restoring the initial values: the preferences window's Restore Defaults (ApplicationStartTest).
TEST(UserDefaults, UnsetKeysAnswerFromTheRegistrationDomain) {
    QTemporaryDir dir;
    auto defaults = defaultsIn(dir);
    defaults->registerDefaults({{"importLocation", "file:///srv/clips"}});
    EXPECT_EQ(defaults->URLForKey("importLocation"), QUrl("file:///srv/clips"));
    defaults->setURL(QUrl::fromLocalFile("/media/show reel"), "importLocation");
    EXPECT_EQ(defaults->URLForKey("importLocation"), QUrl::fromLocalFile("/media/show reel"));
    // Stored as the file:// URL string, spaces encoded.
    EXPECT_EQ(defaults->objectForKey("importLocation").toString(),
              QStringLiteral("file:///media/show%20reel"));
    defaults->removeObjectForKey("importLocation");
    EXPECT_EQ(defaults->URLForKey("importLocation"), QUrl("file:///srv/clips"));
    EXPECT_TRUE(defaults->URLForKey("missing").isEmpty());
}

TEST(UserDefaults, BadFilesNeverStopTheStartAndTheBuiltInDefaultsRead) {
    QTemporaryDir dir;
    auto defaults = defaultsIn(dir);
    // A missing defaults file: nothing registered, the reason told.
    EXPECT_FALSE(registerInitialUserDefaults(*defaults, dir.filePath("missing.plist")).isEmpty());
    EXPECT_TRUE(defaults->registeredDefaults().isEmpty());
    // A damaged one: what could be read counts.
    ASSERT_TRUE(writeFile(dir.filePath("Bad.plist"),
                          plist("<key>a</key><string>kept</string><key>b</key><real>x</real>")));
    EXPECT_FALSE(registerInitialUserDefaults(*defaults, dir.filePath("Bad.plist")).isEmpty());
    EXPECT_EQ(defaults->objectForKey("a").toString(), QStringLiteral("kept"));
    // The file built into the program.
    EXPECT_TRUE(registerInitialUserDefaults(*defaults, ":/InitialUserDefaults.plist").isEmpty());
    EXPECT_TRUE(defaults->registeredDefaults().contains("dynamicFolderLocation"));
    EXPECT_TRUE(defaults->registeredDefaults().contains("importLocation"));

    // A settings file full of garbage still answers the registered defaults and takes new values.
    static const char garbageBytes[] = "\x00\xff[[[=\n=\n\x01";
    ASSERT_TRUE(writeFile(dir.filePath("Garbage.conf"), QByteArray(garbageBytes, sizeof garbageBytes - 1)));
    UserDefaults garbage(std::make_unique<QSettings>(dir.filePath("Garbage.conf"), QSettings::IniFormat));
    garbage.registerDefaults({{"importLocation", "file:///srv"}});
    EXPECT_EQ(garbage.URLForKey("importLocation"), QUrl("file:///srv"));
    garbage.setURL(QUrl::fromLocalFile("/x"), "dynamicFolderLocation");
    EXPECT_EQ(garbage.URLForKey("dynamicFolderLocation"), QUrl::fromLocalFile("/x"));
}
