// The script maker: name line, script and contents files, and its checks.
#include "planesedit/aircrafteditor.h"
#include "planesedit/testsupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

using namespace kvl;
using namespace kvl::planesedit;
using namespace kvl::test;

namespace {

class ScriptTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        image = makePlanesImage();
        writeFile(dir.path() / "planes.dat", image);
    }
    // The script as the format says: name line, slot line, bytes 2..168 of `slot`
    // with `edits` applied (byte number -> value).
    std::string expectedScript(
        const std::string& nameLine, const std::string& dest, int slot, std::map<int, std::string> edits = {}) const
    {
        std::string s = nameLine + "\r\n" + dest + "\r\n";
        for (int r = 2; r <= 168; ++r)
            s += (edits.count(r) ? edits[r] : std::to_string(image[filePosition(slot, r) - 1])) + "\r\n";
        return s;
    }
    std::size_t entries(const std::filesystem::path& p) const
    {
        return static_cast<std::size_t>(
            std::distance(std::filesystem::directory_iterator(p), std::filesystem::directory_iterator()));
    }

    TempFolder dir;
    FakeWindowHost<> host;
    AircraftEditor editor { dir.path(), host };
    ScriptMaker& maker = editor.scriptMaker();
    std::vector<std::uint8_t> image;
};

} // namespace

TEST(ScriptNameLine, CentredInEighteenCharacters)
{
    EXPECT_EQ(scriptNameLine(""), std::string(18, ' '));
    EXPECT_EQ(scriptNameLine("Spits"), "       Spits      ");
    EXPECT_EQ(scriptNameLine("Spit"), "       Spit       ");
    EXPECT_EQ(scriptNameLine("ABCDEFGHIJKLMNOPQR"), "ABCDEFGHIJKLMNOPQR");
    EXPECT_EQ(scriptNameLine("ABCDEFGHIJKLMNOPQRS"), "ABCDEFGHIJKLMNOPQR");
    EXPECT_EQ(scriptNameLine("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), "ABCDEFGHIJKLMNOPQR") << "no negative padding";
    EXPECT_EQ(scriptNameLine("M\xC3\xA9t\xC3\xA9or"), "      M\xC3\xA9t\xC3\xA9or      ") << "counted in characters";
}

TEST(ScriptNames, FileNameCheck)
{
    for (const char* good : { "P-", "P51-D", "Spit IX", "Ju-87 Stuka", "a.b" })
        EXPECT_TRUE(isValidFileName(good)) << good;
    for (const char* bad : { "", ".", "..", "  ", "a/b", "a\\b", "x:y", "a*", "q?", "\"", "<", ">", "|", "\t" })
        EXPECT_FALSE(isValidFileName(bad)) << bad;
    EXPECT_TRUE(isValidFileName(std::string(255, 'a')));
    EXPECT_FALSE(isValidFileName(std::string(256, 'a')));
}

TEST_F(ScriptTest, DefaultScriptOfSlotFive)
{
    ASSERT_TRUE(editor.chooseAircraft(5));
    editor.openScriptMaker();
    ASSERT_TRUE(maker.save());
    EXPECT_FALSE(maker.state().visible);
    const auto folder = dir.path() / "P-";
    EXPECT_EQ(readText(folder / "P51-D.oaw"), expectedScript(std::string(18, ' '), "5", 5));
    EXPECT_EQ(readText(folder / "contents.txt"), "\r\n");
    EXPECT_EQ(entries(folder), 2u);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(ScriptTest, OtherDestinationCarriesTheEditedBytes)
{
    ASSERT_TRUE(editor.chooseAircraft(0));
    editor.yearChanged("1945"); // unsaved: the script reads the grid, not the file
    editor.openScriptMaker();
    maker.chooseDestination(28);
    EXPECT_EQ(maker.state().scriptName, "He-111");
    EXPECT_EQ(maker.destinationLine(), "28");
    maker.setPnamesName("Heinkel");
    maker.setDescription("Line one\nLine two");
    maker.setFolder("He111 set");
    ASSERT_TRUE(maker.save());
    const auto folder = dir.path() / "He111 set";
    const std::string text = readText(folder / "He-111.oaw");
    EXPECT_EQ(text, expectedScript("      Heinkel     ", "28", 0, { { 9, "153" }, { 10, "7" } }));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 169);
    EXPECT_EQ(readText(folder / "contents.txt"), "Line one\r\nLine two\r\n");
    EXPECT_EQ(readFile(dir.path() / "planes.dat"), image);
}

TEST_F(ScriptTest, ExistingFolderIsWrittenInto)
{
    ASSERT_TRUE(editor.chooseAircraft(1));
    editor.openScriptMaker();
    std::filesystem::create_directory(dir.path() / "P-");
    writeFile(dir.path() / "P-" / "contents.txt", { 'o', 'l', 'd' });
    ASSERT_TRUE(maker.save());
    EXPECT_EQ(readText(dir.path() / "P-" / "contents.txt"), "\r\n");
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "P-" / "P-38J.oaw"));
}

TEST_F(ScriptTest, BadNamesAreRefusedBeforeAnythingIsWritten)
{
    ASSERT_TRUE(editor.chooseAircraft(1));
    editor.openScriptMaker();
    maker.setFolder("");
    EXPECT_FALSE(maker.save());
    maker.setFolder("a/b");
    EXPECT_FALSE(maker.save());
    maker.setFolder("ok");
    maker.setScriptName("");
    EXPECT_FALSE(maker.save());
    maker.setScriptName("../x");
    EXPECT_FALSE(maker.save());
    // Too long for a file name once ".oaw" is added: refused before the folder is made.
    maker.setScriptName(std::string(252, 'n'));
    EXPECT_FALSE(maker.save());
    ASSERT_EQ(errorsShown(host).size(), 5u);
    EXPECT_NE(errorsShown(host).back().find("shorter name"), std::string::npos);
    maker.setScriptName("x");
    maker.setFolder(std::string(256, 'f'));
    EXPECT_FALSE(maker.save());
    EXPECT_EQ(errorsShown(host).size(), 6u);
    EXPECT_TRUE(maker.state().visible);
    EXPECT_EQ(entries(dir.path()), 1u) << "only planes.dat";

    // A file where the folder should be.
    writeFile(dir.path() / "taken", { 1 });
    maker.setFolder("taken");
    maker.setScriptName("x");
    EXPECT_FALSE(maker.save());
    EXPECT_EQ(errorsShown(host).size(), 7u);
}

TEST_F(ScriptTest, NoDestinationAsksFirst)
{
    // The script maker opened before any aircraft: no destination yet.
    editor.openScriptMaker();
    maker.setScriptName("Blank");
    host.answers.push_back(MessageAnswer::No);
    EXPECT_FALSE(maker.save());
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].icon, MessageIcon::Question);
    EXPECT_EQ(host.messages[0].title, "Script Maker");
    EXPECT_EQ(host.messages[0].defaultAnswer, MessageAnswer::No) << "Enter must not save";
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "P-"));

    ASSERT_TRUE(maker.save()); // answered Yes
    const std::string text = readText(dir.path() / "P-" / "Blank.oaw");
    EXPECT_EQ(text.substr(0, 22), std::string(18, ' ') + "\r\n\r\n") << "empty destination line";
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 169);
}
