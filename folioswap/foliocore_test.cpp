// The switcher's operations on temporary game folder trees.
#include "folioswap/foliocore.h"

#include "common/fileimage.h"
#include "common/textio.h"

#include <gtest/gtest.h>

#include <random>

namespace fs = std::filesystem;
using namespace folio;

namespace {

// Records what the core asks of its window. Pictures "decode" when they start
// with the JPEG start-of-image marker.
class FakeHost : public FolioHost {
public:
    struct Box {
        Icon icon;
        std::string text;
    };
    std::vector<Box> boxes;
    int busy = 0;
    int maxBusy = 0;
    int pictures = 0;
    int clears = 0;
    int quits = 0;

    void messageBox(Icon icon, const std::string& text) override { boxes.push_back({ icon, text }); }
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

    std::string lastText() const { return boxes.empty() ? std::string() : boxes.back().text; }
};

const std::string kJpeg("\xFF\xD8\xFF\xE0 picture", 13);

class FolioTree : public ::testing::Test {
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
    std::size_t indexOf(const FolioCore& core, const std::string& name) const
    {
        const auto& list = core.available();
        return static_cast<std::size_t>(std::find(list.begin(), list.end(), name) - list.begin());
    }
    void select(FolioCore& core, const std::string& name) { core.clickEntry(indexOf(core, name)); }

    // A fatal report: exactly two boxes, the report's contact and the error.
    void expectFatal(const FakeHost& seen, const FolioCore& core, const std::string& errorPart) const
    {
        ASSERT_GE(seen.boxes.size(), 2u);
        const auto& first = seen.boxes[seen.boxes.size() - 2];
        const auto& second = seen.boxes.back();
        EXPECT_EQ(first.icon, FolioHost::Icon::Exclamation);
        EXPECT_EQ(first.text.rfind("Problem with program, Report the following message to:", 0), 0u);
        EXPECT_EQ(second.icon, FolioHost::Icon::Information);
        EXPECT_EQ(second.text.rfind("Error ", 0), 0u) << second.text;
        EXPECT_NE(second.text.find(":\r\n"), std::string::npos) << second.text;
        EXPECT_NE(second.text.find(errorPart), std::string::npos) << second.text;
        EXPECT_EQ(seen.quits, 1);
        EXPECT_EQ(seen.busy, 0);
        EXPECT_TRUE(core.ended());
    }

    fs::path root, game, main;
    FakeHost host;
};

TEST_F(FolioTree, ListsEveryUpperCaseCamEntryFilesIncluded)
{
    fs::create_directories(main / "cam1");
    fs::create_directories(main / "CAM1");
    put(main / "CAMP.TXT", "not a set");
    FolioCore core(host);
    core.formLoad(main);
    EXPECT_EQ(core.available(), (std::vector<std::string> { "1", "Channel", "Malta Siege", "P.TXT" }));
    EXPECT_EQ(core.kvlFolderPath(), game);
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_FALSE(core.selectedCampaign());
}

TEST_F(FolioTree, StartWithNoSetLoadedShowsNothing)
{
    FolioCore core(host);
    core.formLoad(main);
    EXPECT_EQ(core.currLastCampName(), "xxx");
    EXPECT_EQ(core.currentText(), "");
    EXPECT_TRUE(core.currentEnabled());
    EXPECT_EQ(core.comments(), "");
    EXPECT_EQ(host.pictures, 0);
}

TEST_F(FolioTree, ClickShowsPictureAndCommentWithCrLfLines)
{
    FolioCore core(host);
    core.formLoad(main);
    select(core, "Malta Siege");
    EXPECT_EQ(core.selectedCampaign(), "Malta Siege");
    EXPECT_EQ(host.pictures, 1);
    EXPECT_EQ(core.comments(), "About Malta Siege\r\nsecond line\r\n");
    EXPECT_TRUE(core.commentsEnabled());
    EXPECT_FALSE(core.ended());
}

TEST_F(FolioTree, LoadCopiesPlainFilesFlatAndRemembersTheSetAcrossRestarts)
{
    fs::create_directories(main / "CAMMalta Siege/subfolder");
    put(main / "CAMMalta Siege/subfolder/inner.dat", "not copied");
    put(main / "CAMMalta Siege/.hidden", "not copied");
    {
        FolioCore core(host);
        core.formLoad(main);
        select(core, "Malta Siege");
        core.loadSelected();
        EXPECT_EQ(host.lastText(), "Campaign Loaded");
        EXPECT_EQ(host.busy, 0);
        EXPECT_EQ(host.maxBusy, 1);
        EXPECT_EQ(core.currLastCampName(), "Malta Siege");
        EXPECT_EQ(core.currentText(), "Malta Siege");
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
    FolioCore restarted(again);
    restarted.formLoad(main);
    EXPECT_EQ(restarted.currLastCampName(), "Malta Siege");
    EXPECT_EQ(restarted.currentText(), "Malta Siege");
    EXPECT_EQ(again.pictures, 1);
    EXPECT_EQ(restarted.comments(), "About Malta Siege\r\nsecond line\r\n");
    EXPECT_FALSE(restarted.selectedCampaign());
}

TEST_F(FolioTree, LoadReplacesTheGameFileInWhateverCaseItHas)
{
    FolioCore core(host);
    core.formLoad(main);
    select(core, "Channel");
    core.loadSelected();
    EXPECT_EQ(get(game / "camp0001.dat"), "channel campaign");
    EXPECT_FALSE(fs::exists(game / "CAMP0001.DAT"));
}

TEST_F(FolioTree, LoadRulesWhileAnotherSetIsLoaded)
{
    FolioCore core(host);
    core.formLoad(main);
    core.loadSelected();
    EXPECT_EQ(host.lastText(), "You must select a campaign before loading");

    select(core, "Channel");
    core.loadSelected();
    ASSERT_EQ(host.lastText(), "Campaign Loaded");

    select(core, "Malta Siege");
    core.loadSelected();
    EXPECT_EQ(host.lastText(), "You must unload your current campaign before loading another");
    EXPECT_FALSE(fs::exists(game / "CAMP0002.DAT"));
    EXPECT_EQ(get(main / "Workfiles/LastCampaign.txt"), "\"Channel\"\r\n");

    // The loaded set again: copied anew.
    put(game / "SQ0141.DAT", "changed by the game");
    select(core, "Channel");
    core.loadSelected();
    EXPECT_EQ(host.lastText(), "Campaign Loaded");
    EXPECT_EQ(get(game / "SQ0141.DAT"), "channel squadron");
    EXPECT_FALSE(core.ended());
}

TEST_F(FolioTree, UnloadDeletesEveryNamedFileAndRecordsNoSet)
{
    FolioCore core(host);
    core.formLoad(main);
    core.unloadSelected();
    EXPECT_EQ(host.lastText(), "You must select a campaign before unloading");

    select(core, "Channel");
    core.unloadSelected();
    EXPECT_EQ(host.lastText(), "You cannot unload a campaign that is not loaded");

    core.loadSelected();
    select(core, "Malta Siege");
    core.unloadSelected();
    EXPECT_EQ(host.lastText(), "You cannot unload a campaign that is not loaded");

    // The game's own camp0001.dat was overwritten by the set.
    put(game / "unrelated.dat", "stays");
    select(core, "Channel");
    core.unloadSelected();
    EXPECT_EQ(host.lastText(), "Campaign Unloaded");
    EXPECT_FALSE(fs::exists(game / "camp0001.dat"));
    EXPECT_FALSE(fs::exists(game / "SQ0141.DAT"));
    EXPECT_EQ(get(game / "unrelated.dat"), "stays");
    EXPECT_EQ(get(game / "Squadron.dat"), "game squadron");
    EXPECT_EQ(get(main / "Workfiles/LastCampaign.txt"), "\"xxx\"\r\n");
    EXPECT_EQ(core.selectedCampaign(), "xxx");
    EXPECT_EQ(core.currLastCampName(), "xxx");
    EXPECT_EQ(core.currentText(), "");
    EXPECT_EQ(core.comments(), "");
    EXPECT_EQ(host.clears, 1);
    EXPECT_EQ(host.busy, 0);
    // Set files are still in the set folder.
    EXPECT_EQ(get(main / "CAMChannel/SQ0141.DAT"), "channel squadron");
}

TEST_F(FolioTree, AfterUnloadTheNoSetSelectionLoadsNothing)
{
    FolioCore core(host);
    core.formLoad(main);
    select(core, "Channel");
    core.loadSelected();
    core.unloadSelected();
    ASSERT_EQ(core.selectedCampaign(), "xxx");
    core.loadSelected();
    EXPECT_EQ(host.lastText(), "You must select a campaign before loading");
    core.unloadSelected();
    EXPECT_EQ(host.lastText(), "You must select a campaign before unloading");
    core.restoreQexFiles();
    EXPECT_EQ(host.lastText(), "You must select a campaign from which to restore");
    EXPECT_EQ(get(main / "Workfiles/LastCampaign.txt"), "\"xxx\"\r\n");
    EXPECT_FALSE(core.ended());
}

TEST_F(FolioTree, RestoreCopiesTheListedSavedFiles)
{
    put(main / "Workfiles/resChannel.txt", "\r\nCAMP0001.DAT\r\n\r\nsquadron.DAT\r\n\r\n");
    FolioCore core(host);
    core.formLoad(main);
    core.restoreQexFiles();
    EXPECT_EQ(host.lastText(), "You must select a campaign from which to restore");

    select(core, "Channel");
    core.loadSelected();
    core.restoreQexFiles();
    EXPECT_EQ(host.lastText(), "You cannot restore QEX files with a campaign loaded");
    core.unloadSelected();
    ASSERT_FALSE(fs::exists(game / "camp0001.dat"));

    put(game / "Squadron.dat", "modded squadron");
    select(core, "Channel");
    core.restoreQexFiles();
    EXPECT_EQ(host.lastText(), "QEX Restored");
    EXPECT_EQ(get(game / "CAMP0001.DAT"), "game campaign 1");
    EXPECT_EQ(get(game / "Squadron.dat"), "game squadron");
    EXPECT_FALSE(fs::exists(game / "squadron.DAT"));
    EXPECT_EQ(host.busy, 0);
    EXPECT_FALSE(core.ended());
}

TEST_F(FolioTree, UnsafeRestoreLinesAreRefusedBeforeAnythingIsCopied)
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
        FolioCore core(local);
        core.formLoad(main);
        select(core, "Channel");
        core.restoreQexFiles();
        expectFatal(local, core, "Line 3 of ");
        EXPECT_NE(local.lastText().find(bad), std::string::npos);
        EXPECT_FALSE(fs::exists(game / "CAMP0001.DAT"));
        EXPECT_FALSE(fs::exists(game / "outside.dat"));
        EXPECT_FALSE(fs::exists(game / "escape.dat"));
        EXPECT_FALSE(fs::exists(root / "x.dat"));
    }
}

TEST_F(FolioTree, RestoreWithAMissingSavedFileCopiesNothing)
{
    fs::remove(game / "camp0001.dat");
    put(main / "Workfiles/resChannel.txt", "CAMP0001.DAT\r\nmissing.dat\r\n");
    FolioCore core(host);
    core.formLoad(main);
    select(core, "Channel");
    core.restoreQexFiles();
    expectFatal(host, core, "missing.dat");
    EXPECT_FALSE(fs::exists(game / "CAMP0001.DAT"));
}

TEST_F(FolioTree, ReadMeButtons)
{
    FolioCore core(host);
    core.formLoad(main);
    core.viewBorvexReadMe();
    EXPECT_EQ(host.lastText(), "You will have to re-select a campaign after reading");
    EXPECT_EQ(core.comments(), "How to use\r\nthis program\r\n");
    core.viewUsageNotes();
    EXPECT_EQ(host.lastText(), "You will have to re-select a campaign after reading");
    EXPECT_EQ(core.comments(), "General notes\r\n");
    std::size_t boxes = host.boxes.size();
    select(core, "Malta Siege");
    core.viewCampaignReadMe();
    EXPECT_EQ(host.boxes.size(), boxes);
    EXPECT_EQ(core.comments(), "Malta Siege read-me\r\n");
    EXPECT_FALSE(core.ended());
}

TEST_F(FolioTree, ExitEndsAndLaterEventsAreIgnored)
{
    FolioCore core(host);
    core.formLoad(main);
    core.exitProgram();
    EXPECT_TRUE(core.ended());
    EXPECT_EQ(host.quits, 1);
    select(core, "Channel");
    core.loadSelected();
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_FALSE(fs::exists(game / "CAMP0002.DAT"));
}

// Every fatal case ends in the two reports and stops the program.
TEST_F(FolioTree, MissingLastCampaignAtStartIsFatal)
{
    fs::remove(main / "Workfiles/LastCampaign.txt");
    FolioCore core(host);
    core.formLoad(main);
    expectFatal(host, core, "LastCampaign.txt");
    EXPECT_NE(host.lastText().find("Error 2:"), std::string::npos);
}

TEST_F(FolioTree, DamagedLastCampaignAtStartIsFatal)
{
    put(main / "Workfiles/LastCampaign.txt", "\"");
    FolioCore core(host);
    core.formLoad(main);
    expectFatal(host, core, "LastCampaign.txt");
}

TEST_F(FolioTree, MissingPictureOrCommentOfTheLoadedSetAtStartIsFatal)
{
    put(main / "Workfiles/LastCampaign.txt", "\"Channel\"\r\n");
    fs::remove(main / "Workfiles/Channel.jpg");
    {
        FolioCore core(host);
        core.formLoad(main);
        expectFatal(host, core, "Channel.jpg");
    }
    put(main / "Workfiles/Channel.jpg", kJpeg);
    fs::remove(main / "Workfiles/xxxChannel.txt");
    FakeHost second;
    FolioCore core(second);
    core.formLoad(main);
    expectFatal(second, core, "xxxChannel.txt");
}

TEST_F(FolioTree, ClickedSetWithoutPictureOrWithABadOneIsFatal)
{
    put(main / "CAMP.TXT", "listed too");
    {
        FolioCore core(host);
        core.formLoad(main);
        select(core, "P.TXT");
        expectFatal(host, core, "P.TXT.jpg");
    }
    put(main / "Workfiles/Channel.jpg", "not a picture");
    FakeHost second;
    FolioCore core(second);
    core.formLoad(main);
    select(core, "Channel");
    expectFatal(second, core, "Invalid picture");
}

TEST_F(FolioTree, MissingReadMeIsFatal)
{
    fs::remove(main / "ReadMe/NotesonCampaigns.txt");
    FolioCore core(host);
    core.formLoad(main);
    core.viewUsageNotes();
    expectFatal(host, core, "NotesonCampaigns.txt");
}

TEST_F(FolioTree, MissingRestoreListIsFatal)
{
    fs::remove(main / "Workfiles/resChannel.txt");
    FolioCore core(host);
    core.formLoad(main);
    select(core, "Channel");
    core.restoreQexFiles();
    expectFatal(host, core, "resChannel.txt");
}

TEST_F(FolioTree, CopyOntoAnUnwritableTargetIsFatalAndNotRecorded)
{
    // A folder in the way of the second file: the first stays copied, the
    // remembered set does not change.
    fs::create_directories(game / "SQ0141.DAT");
    FolioCore core(host);
    core.formLoad(main);
    select(core, "Channel");
    core.loadSelected();
    expectFatal(host, core, "SQ0141.DAT");
    EXPECT_EQ(get(game / "camp0001.dat"), "channel campaign");
    EXPECT_EQ(get(main / "Workfiles/LastCampaign.txt"), "\"xxx\"\r\n");
}

TEST_F(FolioTree, UnloadThatCannotDeleteIsFatalAndNotRecorded)
{
    FolioCore core(host);
    core.formLoad(main);
    select(core, "Malta Siege");
    core.loadSelected();
    // CAMP0002.DAT goes first and is deleted; a folder named Squadron.dat
    // cannot be deleted as a file.
    fs::remove(game / "Squadron.dat");
    fs::create_directories(game / "Squadron.dat/inside");
    core.unloadSelected();
    expectFatal(host, core, "Squadron.dat");
    EXPECT_FALSE(fs::exists(game / "CAMP0002.DAT"));
    EXPECT_TRUE(fs::is_directory(game / "Squadron.dat/inside"));
    EXPECT_EQ(get(main / "Workfiles/LastCampaign.txt"), "\"Malta Siege\"\r\n");
}

TEST_F(FolioTree, UnloadOfAFileAlreadyGoneIsFatalAndNotRecorded)
{
    FolioCore core(host);
    core.formLoad(main);
    select(core, "Channel");
    core.loadSelected();
    fs::remove(game / "SQ0141.DAT");
    core.unloadSelected();
    expectFatal(host, core, "SQ0141.DAT");
    EXPECT_EQ(get(main / "Workfiles/LastCampaign.txt"), "\"Channel\"\r\n");
}

TEST_F(FolioTree, UnwritableRememberFileIsFatalAfterTheCopy)
{
    put(main / "Workfiles/LastCampaign.txt", "\"xxx\"\r\n");
    FolioCore core(host);
    core.formLoad(main);
    select(core, "Channel");
    // The folder holding LastCampaign.txt disappears while the program runs.
    fs::rename(main / "Workfiles", main / "Moved");
    core.loadSelected();
    expectFatal(host, core, "LastCampaign.txt");
    EXPECT_EQ(get(main / "Moved/LastCampaign.txt"), "\"xxx\"\r\n");
}

TEST_F(FolioTree, WorkfilesAreFoundInAnyLetterCase)
{
    fs::rename(main / "Workfiles", main / "WORKFILES");
    fs::rename(main / "WORKFILES/Channel.jpg", main / "WORKFILES/CHANNEL.JPG");
    FolioCore core(host);
    core.formLoad(main);
    select(core, "Channel");
    core.loadSelected();
    EXPECT_EQ(host.lastText(), "Campaign Loaded");
    EXPECT_EQ(get(main / "WORKFILES/LastCampaign.txt"), "\"Channel\"\r\n");
}

} // namespace
