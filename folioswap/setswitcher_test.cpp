// The switcher's operations on temporary game folder trees.
#include "folioswap/setswitcher.h"

#include "common/fileimage.h"
#include "common/platform.h"
#include "common/testing/fakewindowhost.h"
#include "common/testing/platformtesting.h"
#include "common/textio.h"

#include <gtest/gtest.h>

#include <random>

namespace fs = std::filesystem;
using namespace kvl::folioswap;

namespace {

// Records what the switcher asks of its window. Pictures "decode" when they
// start with the JPEG start-of-image marker.
class FakeHost : public kvl::test::FakeWindowHost<SwitcherHost> {
public:
    int busy = 0;
    int maxBusy = 0;
    int pictures = 0;
    int clears = 0;
    int quits = 0;

    void setBusy(bool on) override
    {
        busy += on ? 1 : -1;
        maxBusy = std::max(maxBusy, busy);
    }
    bool showPicture(const std::vector<std::uint8_t>& bytes) override
    {
        if (bytes.size() < 2 || bytes[0] != 0xFF || bytes[1] != 0xD8)
            return false;
        ++pictures;
        return true;
    }
    void clearPicture() override { ++clears; }
    void quit() override { ++quits; }
    std::optional<std::string> confirmNewSet(const NewSetProposal&) override { return std::nullopt; }
};

const std::string kJpeg("\xFF\xD8\xFF\xE0 picture", 13);

class SwitcherTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device rd;
        root = fs::temp_directory_path() / ("folioswap_test_" + std::to_string(rd()));
        game = root / "game";
        main = game / "Borvex";
        fs::create_directories(main / "Workfiles");
        fs::create_directories(main / "QEXRestoreFiles");
        fs::create_directories(main / "ReadMe");
        put(main / "Workfiles/LastCampaign.txt", "\"xxx\"\r\n");
        makeSet("Channel", { { "CAMP0001.DAT", "channel campaign" }, { "SQ0141.DAT", "channel squadron" } });
        makeSet("Malta Siege", { { "CAMP0002.DAT", "malta campaign" }, { "Squadron.dat", "malta squadron" } });
        put(main / "ReadMe/BorvexReadMe.txt", "How to use\nthis program\n");
        put(main / "ReadMe/NotesonCampaigns.txt", "General notes\n");
        // The game's own files.
        put(game / "camp0001.dat", "game campaign 1");
        put(game / "Squadron.dat", "game squadron");
        put(main / "QEXRestoreFiles/CAMP0001.DAT", "game campaign 1");
        put(main / "QEXRestoreFiles/Squadron.dat", "game squadron");
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(root, ec);
    }

    static void put(const fs::path& path, const std::string& text)
    {
        fs::create_directories(path.parent_path());
        ASSERT_TRUE(kvl::writeFileImage(path, std::string_view(text))) << path;
    }
    static std::string get(const fs::path& path)
    {
        std::string text;
        if (!kvl::readTextFile(path, text))
            return "<missing>";
        return text;
    }
    void makeSet(const std::string& name, const std::vector<std::pair<std::string, std::string>>& files)
    {
        for (const auto& [file, text] : files)
            put(main / ("CAM" + name) / file, text);
        put(main / "Workfiles" / (name + ".jpg"), kJpeg);
        put(main / "Workfiles" / ("xxx" + name + ".txt"), "About " + name + "\nsecond line");
        put(main / "ReadMe" / (name + "ReadMe.txt"), name + " read-me");
        std::string list;
        for (const auto& [file, text] : files)
            list += file + "\r\n";
        put(main / "Workfiles" / ("res" + name + ".txt"), list);
    }
    std::size_t indexOf(const SetSwitcher& switcher, const std::string& name) const
    {
        const auto& list = switcher.setNames();
        return static_cast<std::size_t>(std::find(list.begin(), list.end(), name) - list.begin());
    }
    void select(SetSwitcher& switcher, const std::string& name) { switcher.chooseSet(indexOf(switcher, name)); }

    // A fatal report: exactly two boxes, the report's contact and the error.
    void expectFatal(const FakeHost& seen, const SetSwitcher& switcher, const std::string& errorPart) const
    {
        ASSERT_GE(seen.messages.size(), 2u);
        const auto& first = seen.messages[seen.messages.size() - 2];
        const auto& second = seen.messages.back();
        EXPECT_EQ(first.icon, kvl::MessageIcon::Warning);
        EXPECT_EQ(first.title, "Borvex");
        EXPECT_EQ(second.title, "Borvex");
        EXPECT_EQ(first.text.rfind("Problem with program, Report the following message to:", 0), 0u);
        EXPECT_EQ(second.icon, kvl::MessageIcon::Information);
        EXPECT_EQ(second.text.rfind("Error ", 0), 0u) << second.text;
        EXPECT_NE(second.text.find(":\r\n"), std::string::npos) << second.text;
        EXPECT_NE(second.text.find(errorPart), std::string::npos) << second.text;
        EXPECT_EQ(seen.quits, 1);
        EXPECT_EQ(seen.busy, 0);
        EXPECT_TRUE(switcher.ended());
    }

    fs::path root, game, main;
    FakeHost host;
};

TEST_F(SwitcherTree, ListsEveryUpperCaseCamEntryFilesIncluded)
{
    if (!kvl::platform::kNamesIgnoreCase) // cam1 and CAM1 cannot both exist there
        fs::create_directories(main / "cam1");
    fs::create_directories(main / "CAM1");
    put(main / "CAMP.TXT", "not a set");
    SetSwitcher switcher(host);
    switcher.start(main);
    EXPECT_EQ(switcher.setNames(), (std::vector<std::string> { "1", "Channel", "Malta Siege", "P.TXT" }));
    EXPECT_EQ(switcher.gameFolder(), game);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_FALSE(switcher.selectedSet());
}

TEST_F(SwitcherTree, StartWithNoSetLoadedShowsNothing)
{
    SetSwitcher switcher(host);
    switcher.start(main);
    EXPECT_EQ(switcher.loadedSet(), "xxx");
    EXPECT_FALSE(switcher.isSetLoaded());
    EXPECT_EQ(switcher.shownText(), "");
    EXPECT_EQ(host.pictures, 0);
}

TEST_F(SwitcherTree, ClickShowsPictureAndCommentWithCrLfLines)
{
    SetSwitcher switcher(host);
    switcher.start(main);
    select(switcher, "Malta Siege");
    EXPECT_EQ(switcher.selectedSet(), "Malta Siege");
    EXPECT_EQ(host.pictures, 1);
    EXPECT_EQ(switcher.shownText(), "About Malta Siege\r\nsecond line\r\n");
    EXPECT_FALSE(switcher.ended());
}

TEST_F(SwitcherTree, LoadCopiesPlainFilesFlatAndRemembersTheSetAcrossRestarts)
{
    fs::create_directories(main / "CAMMalta Siege/subfolder");
    put(main / "CAMMalta Siege/subfolder/inner.dat", "not copied");
    put(main / "CAMMalta Siege/.hidden", "not copied");
    {
        SetSwitcher switcher(host);
        switcher.start(main);
        select(switcher, "Malta Siege");
        switcher.loadSelected();
        EXPECT_EQ(host.lastText(), "Campaign Loaded");
        EXPECT_EQ(host.busy, 0);
        EXPECT_EQ(host.maxBusy, 1);
        EXPECT_EQ(switcher.loadedSet(), "Malta Siege");
    }
    EXPECT_EQ(get(game / "CAMP0002.DAT"), "malta campaign");
    EXPECT_EQ(get(game / "Squadron.dat"), "malta squadron");
    EXPECT_FALSE(fs::exists(game / "inner.dat"));
    EXPECT_FALSE(fs::exists(game / "subfolder"));
    EXPECT_FALSE(fs::exists(game / ".hidden"));
    // The name with its spaces, quoted, CR LF; no temporary file left behind.
    EXPECT_EQ(get(main / "Workfiles/LastCampaign.txt"), "\"Malta Siege\"\r\n");
    int workfiles = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(main / "Workfiles"))
        ++workfiles;
    EXPECT_EQ(workfiles, 1 + 2 * 3);

    FakeHost again;
    SetSwitcher restarted(again);
    restarted.start(main);
    EXPECT_EQ(restarted.loadedSet(), "Malta Siege");
    EXPECT_TRUE(restarted.isSetLoaded());
    EXPECT_EQ(again.pictures, 1);
    EXPECT_EQ(restarted.shownText(), "About Malta Siege\r\nsecond line\r\n");
    // The loaded set is chosen again, so Unload works right away.
    EXPECT_EQ(restarted.selectedSet(), "Malta Siege");
}

TEST_F(SwitcherTree, LoadReplacesTheGameFileInWhateverCaseItHas)
{
    SetSwitcher switcher(host);
    switcher.start(main);
    select(switcher, "Channel");
    switcher.loadSelected();
    EXPECT_EQ(get(game / "camp0001.dat"), "channel campaign");
    EXPECT_FALSE(kvl::test::entryExists(game / "CAMP0001.DAT"));
}

TEST_F(SwitcherTree, LoadRulesWhileAnotherSetIsLoaded)
{
    SetSwitcher switcher(host);
    switcher.start(main);
    switcher.loadSelected();
    EXPECT_EQ(host.lastText(), "You must select a campaign before loading");

    select(switcher, "Channel");
    switcher.loadSelected();
    ASSERT_EQ(host.lastText(), "Campaign Loaded");

    select(switcher, "Malta Siege");
    switcher.loadSelected();
    EXPECT_EQ(host.lastText(), "You must unload your current campaign before loading another");
    EXPECT_FALSE(fs::exists(game / "CAMP0002.DAT"));
    EXPECT_EQ(get(main / "Workfiles/LastCampaign.txt"), "\"Channel\"\r\n");

    // The loaded set again: copied anew.
    put(game / "SQ0141.DAT", "changed by the game");
    select(switcher, "Channel");
    switcher.loadSelected();
    EXPECT_EQ(host.lastText(), "Campaign Loaded");
    EXPECT_EQ(get(game / "SQ0141.DAT"), "channel squadron");
    EXPECT_FALSE(switcher.ended());
    // Plain boxes titled with the program's name.
    for (const auto& message : host.messages) {
        EXPECT_EQ(message.icon, kvl::MessageIcon::None) << message.text;
        EXPECT_EQ(message.title, "Borvex") << message.text;
    }
}

TEST_F(SwitcherTree, UnloadDeletesEveryNamedFileAndRecordsNoSet)
{
    SetSwitcher switcher(host);
    switcher.start(main);
    switcher.unloadSelected();
    EXPECT_EQ(host.lastText(), "You must select a campaign before unloading");

    select(switcher, "Channel");
    switcher.unloadSelected();
    EXPECT_EQ(host.lastText(), "You cannot unload a campaign that is not loaded");

    switcher.loadSelected();
    select(switcher, "Malta Siege");
    switcher.unloadSelected();
    EXPECT_EQ(host.lastText(), "You cannot unload a campaign that is not loaded");

    // The game's own camp0001.dat was overwritten by the set.
    put(game / "unrelated.dat", "stays");
    select(switcher, "Channel");
    switcher.unloadSelected();
    EXPECT_EQ(host.lastText(), "Campaign Unloaded");
    EXPECT_FALSE(fs::exists(game / "camp0001.dat"));
    EXPECT_FALSE(fs::exists(game / "SQ0141.DAT"));
    EXPECT_EQ(get(game / "unrelated.dat"), "stays");
    EXPECT_EQ(get(game / "Squadron.dat"), "game squadron");
    EXPECT_EQ(get(main / "Workfiles/LastCampaign.txt"), "\"xxx\"\r\n");
    EXPECT_EQ(switcher.selectedSet(), "xxx");
    EXPECT_EQ(switcher.loadedSet(), "xxx");
    EXPECT_FALSE(switcher.isSetLoaded());
    EXPECT_EQ(switcher.shownText(), "");
    EXPECT_EQ(host.clears, 1);
    EXPECT_EQ(host.busy, 0);
    // Set files are still in the set folder.
    EXPECT_EQ(get(main / "CAMChannel/SQ0141.DAT"), "channel squadron");
}

TEST_F(SwitcherTree, AfterUnloadTheNoSetSelectionLoadsNothing)
{
    SetSwitcher switcher(host);
    switcher.start(main);
    select(switcher, "Channel");
    switcher.loadSelected();
    switcher.unloadSelected();
    ASSERT_EQ(switcher.selectedSet(), "xxx");
    switcher.loadSelected();
    EXPECT_EQ(host.lastText(), "You must select a campaign before loading");
    switcher.unloadSelected();
    EXPECT_EQ(host.lastText(), "You must select a campaign before unloading");
    switcher.restoreQexFiles();
    EXPECT_EQ(host.lastText(), "You must select a campaign from which to restore");
    EXPECT_EQ(get(main / "Workfiles/LastCampaign.txt"), "\"xxx\"\r\n");
    EXPECT_FALSE(switcher.ended());
}

TEST_F(SwitcherTree, RestoreCopiesTheListedSavedFiles)
{
    put(main / "Workfiles/resChannel.txt", "\r\nCAMP0001.DAT\r\n\r\nsquadron.DAT\r\n\r\n");
    SetSwitcher switcher(host);
    switcher.start(main);
    switcher.restoreQexFiles();
    EXPECT_EQ(host.lastText(), "You must select a campaign from which to restore");

    select(switcher, "Channel");
    switcher.loadSelected();
    switcher.restoreQexFiles();
    EXPECT_EQ(host.lastText(), "You cannot restore QEX files with a campaign loaded");
    switcher.unloadSelected();
    ASSERT_FALSE(fs::exists(game / "camp0001.dat"));

    put(game / "Squadron.dat", "modded squadron");
    select(switcher, "Channel");
    switcher.restoreQexFiles();
    EXPECT_EQ(host.lastText(), "QEX Restored\r\nRestored from QEXRestoreFiles: 2\r\nRestored from safety copies: 0");
    // The user's own Squadron.dat had no copy anywhere: it got one.
    EXPECT_EQ(get(main / "Workfiles/SafetyCopies/Squadron.dat"), "modded squadron");
    EXPECT_EQ(get(game / "CAMP0001.DAT"), "game campaign 1");
    EXPECT_EQ(get(game / "Squadron.dat"), "game squadron");
    EXPECT_FALSE(kvl::test::entryExists(game / "squadron.DAT"));
    EXPECT_EQ(host.busy, 0);
    EXPECT_FALSE(switcher.ended());
}

TEST_F(SwitcherTree, UnsafeRestoreLinesAreRefusedBeforeAnythingIsCopied)
{
    put(main / "outside.dat", "must not be read");
    put(root / "escape.dat", "must not be read");
    for (std::string bad : std::vector<std::string> { "../outside.dat", "../../escape.dat",
             (root / "escape.dat").string(), "sub/x.dat", "..\\outside.dat", "C:\\KVL\\x.dat", ".." }) {
        SCOPED_TRACE(bad);
        fs::remove(game / "CAMP0001.DAT");
        fs::remove(game / "camp0001.dat");
        put(main / "Workfiles/resChannel.txt", "CAMP0001.DAT\r\n\r\n" + bad + "\r\n");
        FakeHost local;
        SetSwitcher switcher(local);
        switcher.start(main);
        select(switcher, "Channel");
        switcher.restoreQexFiles();
        expectFatal(local, switcher, "Line 3 of ");
        EXPECT_NE(local.lastText().find(bad), std::string::npos);
        EXPECT_FALSE(fs::exists(game / "CAMP0001.DAT"));
        EXPECT_FALSE(fs::exists(game / "outside.dat"));
        EXPECT_FALSE(fs::exists(game / "escape.dat"));
        EXPECT_FALSE(fs::exists(root / "x.dat"));
    }
}

TEST_F(SwitcherTree, RestoreWithAMissingSavedFileCopiesNothing)
{
    fs::remove(game / "camp0001.dat");
    put(main / "Workfiles/resChannel.txt", "CAMP0001.DAT\r\nmissing.dat\r\n");
    SetSwitcher switcher(host);
    switcher.start(main);
    select(switcher, "Channel");
    switcher.restoreQexFiles();
    expectFatal(host, switcher, "missing.dat");
    EXPECT_FALSE(fs::exists(game / "CAMP0001.DAT"));
}

TEST_F(SwitcherTree, ReadMeButtons)
{
    SetSwitcher switcher(host);
    switcher.start(main);
    switcher.viewProgramReadMe();
    EXPECT_EQ(host.lastText(), "You will have to re-select a campaign after reading");
    EXPECT_EQ(switcher.shownText(), "How to use\r\nthis program\r\n");
    switcher.viewUsageNotes();
    EXPECT_EQ(host.lastText(), "You will have to re-select a campaign after reading");
    EXPECT_EQ(switcher.shownText(), "General notes\r\n");
    std::size_t boxes = host.messages.size();
    select(switcher, "Malta Siege");
    switcher.viewSetReadMe();
    EXPECT_EQ(host.messages.size(), boxes);
    EXPECT_EQ(switcher.shownText(), "Malta Siege read-me\r\n");
    EXPECT_FALSE(switcher.ended());
}

TEST_F(SwitcherTree, ExitEndsAndLaterEventsAreIgnored)
{
    SetSwitcher switcher(host);
    switcher.start(main);
    switcher.exitProgram();
    EXPECT_TRUE(switcher.ended());
    EXPECT_EQ(host.quits, 1);
    select(switcher, "Channel");
    switcher.loadSelected();
    EXPECT_TRUE(host.messages.empty());
    EXPECT_FALSE(fs::exists(game / "CAMP0002.DAT"));
}

// Every fatal case ends in the two reports and stops the program.
TEST_F(SwitcherTree, MissingLastCampaignAtStartIsFatal)
{
    fs::remove(main / "Workfiles/LastCampaign.txt");
    SetSwitcher switcher(host);
    switcher.start(main);
    expectFatal(host, switcher, "LastCampaign.txt");
    EXPECT_NE(host.lastText().find("Error 2:"), std::string::npos);
}

TEST_F(SwitcherTree, DamagedLastCampaignAtStartIsFatal)
{
    put(main / "Workfiles/LastCampaign.txt", "\"");
    SetSwitcher switcher(host);
    switcher.start(main);
    expectFatal(host, switcher, "LastCampaign.txt");
}

TEST_F(SwitcherTree, MissingPictureOrCommentOfTheLoadedSetAtStartIsFatal)
{
    put(main / "Workfiles/LastCampaign.txt", "\"Channel\"\r\n");
    fs::remove(main / "Workfiles/Channel.jpg");
    {
        SetSwitcher switcher(host);
        switcher.start(main);
        expectFatal(host, switcher, "Channel.jpg");
    }
    put(main / "Workfiles/Channel.jpg", kJpeg);
    fs::remove(main / "Workfiles/xxxChannel.txt");
    FakeHost second;
    SetSwitcher switcher(second);
    switcher.start(main);
    expectFatal(second, switcher, "xxxChannel.txt");
}

TEST_F(SwitcherTree, ClickedSetWithoutPictureOrWithABadOneIsFatal)
{
    put(main / "CAMP.TXT", "listed too");
    {
        SetSwitcher switcher(host);
        switcher.start(main);
        select(switcher, "P.TXT");
        expectFatal(host, switcher, "P.TXT.jpg");
    }
    put(main / "Workfiles/Channel.jpg", "not a picture");
    FakeHost second;
    SetSwitcher switcher(second);
    switcher.start(main);
    select(switcher, "Channel");
    expectFatal(second, switcher, "Invalid picture");
}

TEST_F(SwitcherTree, MissingReadMeIsFatal)
{
    fs::remove(main / "ReadMe/NotesonCampaigns.txt");
    SetSwitcher switcher(host);
    switcher.start(main);
    switcher.viewUsageNotes();
    expectFatal(host, switcher, "NotesonCampaigns.txt");
}

TEST_F(SwitcherTree, MissingRestoreListIsFatal)
{
    fs::remove(main / "Workfiles/resChannel.txt");
    SetSwitcher switcher(host);
    switcher.start(main);
    select(switcher, "Channel");
    switcher.restoreQexFiles();
    expectFatal(host, switcher, "resChannel.txt");
}

TEST_F(SwitcherTree, CopyOntoAnUnwritableTargetIsFatalAndNotRecorded)
{
    // A folder in the way of the second file: found before anything is
    // copied, so the game folder and the remembered set stay as they were.
    fs::create_directories(game / "SQ0141.DAT");
    SetSwitcher switcher(host);
    switcher.start(main);
    select(switcher, "Channel");
    switcher.loadSelected();
    expectFatal(host, switcher, "SQ0141.DAT");
    EXPECT_EQ(get(game / "camp0001.dat"), "game campaign 1");
    EXPECT_EQ(get(main / "Workfiles/LastCampaign.txt"), "\"xxx\"\r\n");
}

TEST_F(SwitcherTree, UnloadThatCannotDeleteIsFatalAndNotRecorded)
{
    SetSwitcher switcher(host);
    switcher.start(main);
    select(switcher, "Malta Siege");
    switcher.loadSelected();
    // A folder named Squadron.dat cannot be deleted as a file; it is found
    // before CAMP0002.DAT is deleted.
    fs::remove(game / "Squadron.dat");
    fs::create_directories(game / "Squadron.dat/inside");
    switcher.unloadSelected();
    expectFatal(host, switcher, "Squadron.dat");
    EXPECT_EQ(get(game / "CAMP0002.DAT"), "malta campaign");
    EXPECT_TRUE(fs::is_directory(game / "Squadron.dat/inside"));
    EXPECT_EQ(get(main / "Workfiles/LastCampaign.txt"), "\"Malta Siege\"\r\n");
}

TEST_F(SwitcherTree, UnloadOfAFileAlreadyGoneIsFatalAndNotRecorded)
{
    SetSwitcher switcher(host);
    switcher.start(main);
    select(switcher, "Channel");
    switcher.loadSelected();
    fs::remove(game / "SQ0141.DAT");
    switcher.unloadSelected();
    expectFatal(host, switcher, "SQ0141.DAT");
    EXPECT_EQ(get(main / "Workfiles/LastCampaign.txt"), "\"Channel\"\r\n");
}

TEST_F(SwitcherTree, MissingWorkfilesIsFatalBeforeAnythingIsCopied)
{
    put(main / "Workfiles/LastCampaign.txt", "\"xxx\"\r\n");
    SetSwitcher switcher(host);
    switcher.start(main);
    select(switcher, "Channel");
    // The folder holding LastCampaign.txt disappears while the program runs.
    fs::rename(main / "Workfiles", main / "Moved");
    switcher.loadSelected();
    expectFatal(host, switcher, "folioswap-journal.txt");
    EXPECT_EQ(get(game / "camp0001.dat"), "game campaign 1");
    EXPECT_FALSE(fs::exists(game / "SQ0141.DAT"));
    EXPECT_EQ(get(main / "Moved/LastCampaign.txt"), "\"xxx\"\r\n");
    EXPECT_FALSE(switcher.isSetLoaded());
}

// A path in a single-byte code page reaches the box as text.
TEST_F(SwitcherTree, ReportOfALatin1PathIsText)
{
    const fs::path other = game / "Borv\xE9x";
    fs::create_directories(other);
    SetSwitcher switcher(host);
    switcher.start(other);
    expectFatal(host, switcher, "Borv\xC3\xA9x");
}

TEST_F(SwitcherTree, WorkfilesAreFoundInAnyLetterCase)
{
    fs::rename(main / "Workfiles", main / "WORKFILES");
    fs::rename(main / "WORKFILES/Channel.jpg", main / "WORKFILES/CHANNEL.JPG");
    SetSwitcher switcher(host);
    switcher.start(main);
    select(switcher, "Channel");
    switcher.loadSelected();
    EXPECT_EQ(host.lastText(), "Campaign Loaded");
    EXPECT_EQ(get(main / "WORKFILES/LastCampaign.txt"), "\"Channel\"\r\n");
}

} // namespace
