// Add Set and Remove Set as the window drives them: the boxes the user sees,
// what a cancel leaves, and the switcher's state afterwards.
#include "folioswap/setswitcher.h"

#include "common/fileimage.h"
#include "common/testing/testfolder.h"
#include "folioswap/testing/archivemaker.h"
#include "folioswap/testing/fakeswitcherhost.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace kvl::folioswap;

namespace {

class SwitcherAdd : public ::testing::Test {
protected:
    void SetUp() override
    {
        main = temp.path() / "game/Borvex";
        put(main / "Workfiles/LastCampaign.txt", "\"xxx\"\r\n");
        put(main / "CAMChannel/CAMP0001.DAT", "channel campaign");
        put(main / "Workfiles/xxxChannel.txt", "Channel comment\r\n");
        put(main / "Workfiles/Channel.jpg", "picture");
        put(main / "QEXRestoreFiles/CAMP0001.DAT", "game campaign");
        put(temp.path() / "game/CAMP0001.DAT", "game campaign");
        const auto zip = kvl::test::makeArchive(kvl::test::ArchiveFormat::Zip,
            { { "CAMP0001.DAT", "kursk campaign" }, { "xxxKursk.txt", "Kursk comment\r\n" } });
        ASSERT_TRUE(kvl::writeFileImage(temp / "Kursk.zip", zip));
        const auto bad = kvl::test::craftZip({ { "CAMP0001.DAT", "x" }, { "../../evil.dll", "x" } });
        ASSERT_TRUE(kvl::writeFileImage(temp / "evil.zip", bad));
        switcher.start(main);
        ASSERT_FALSE(switcher.ended());
    }

    static void put(const fs::path& path, const std::string& text)
    {
        fs::create_directories(path.parent_path());
        ASSERT_TRUE(kvl::writeFileImage(path, std::string_view(text)));
    }

    kvl::test::TempFolder temp;
    fs::path main;
    kvl::test::FakeSwitcherHost host;
    SetSwitcher switcher { host };
};

} // namespace

TEST_F(SwitcherAdd, AddsTheConfirmedSetAndChoosesIt)
{
    host.chosenFiles.push_back(temp / "Kursk.zip");
    host.newSetNames.push_back("Kursk 1943");
    switcher.addSet(SetSourceKind::Archive);
    ASSERT_EQ(host.fileDialogs.size(), 1u);
    EXPECT_EQ(host.fileDialogs[0].kind, kvl::FileDialogKind::OpenFile);
    ASSERT_EQ(host.proposals.size(), 1u);
    EXPECT_EQ(host.proposals[0].suggestedName, "Kursk");
    EXPECT_EQ(host.proposals[0].takenNames, std::vector<std::string> { "Channel" });
    EXPECT_EQ(switcher.setNames(), (std::vector<std::string> { "Channel", "Kursk 1943" }));
    EXPECT_EQ(switcher.selectedSet(), "Kursk 1943");
    EXPECT_EQ(switcher.shownText(), "Kursk comment\r\n");
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text.rfind("Campaign Added\r\n\"Kursk 1943\": 1 file.", 0), 0u);
    EXPECT_FALSE(switcher.ended());

    // Chosen, the set without a picture shows none instead of ending the program.
    switcher.chooseSet(1);
    EXPECT_FALSE(switcher.ended());
}

TEST_F(SwitcherAdd, ARefusedArchiveIsToldAndNothingIsWritten)
{
    switcher.addSetFrom(temp / "evil.zip");
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].icon, kvl::MessageIcon::Warning);
    EXPECT_NE(host.messages[0].text.find("\"../../evil.dll\" leads out of the set's folder"), std::string::npos)
        << host.messages[0].text;
    EXPECT_TRUE(host.proposals.empty()) << "no confirmation for a refused archive";
    EXPECT_FALSE(switcher.ended());
    EXPECT_FALSE(fs::exists(temp.path() / "evil.dll"));
    EXPECT_EQ(switcher.setNames().size(), 1u);
}

TEST_F(SwitcherAdd, CancellingWritesNothing)
{
    host.newSetNames.push_back("");
    switcher.addSetFrom(temp / "Kursk.zip");
    EXPECT_EQ(host.proposals.size(), 1u);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(main / "Workfiles"), fs::directory_iterator()), 3);
    // A cancelled file dialog asks nothing more.
    switcher.addSet(SetSourceKind::Folder);
    EXPECT_EQ(host.fileDialogs.back().kind, kvl::FileDialogKind::Folder);
    EXPECT_EQ(host.proposals.size(), 1u);
}

TEST_F(SwitcherAdd, ANameThatIsTakenIsRefused)
{
    host.newSetNames.push_back("channel");
    switcher.addSetFrom(temp / "Kursk.zip");
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].text.find("A campaign named \"Channel\" exists already."), std::string::npos);
    EXPECT_EQ(switcher.setNames().size(), 1u);
}

TEST_F(SwitcherAdd, RemovesOnlyAChosenSetThatIsNotLoadedAfterAsking)
{
    switcher.removeSelected();
    EXPECT_EQ(host.lastText(), "You must select a campaign to remove");

    switcher.chooseSet(0);
    switcher.loadSelected();
    switcher.removeSelected();
    EXPECT_EQ(host.lastText(), "You cannot remove the loaded campaign; unload it first");
    switcher.unloadSelected();

    switcher.chooseSet(0);
    host.answers.push_back(kvl::MessageAnswer::No);
    switcher.removeSelected();
    EXPECT_EQ(host.messages.back().icon, kvl::MessageIcon::Question);
    EXPECT_EQ(host.messages.back().defaultAnswer, kvl::MessageAnswer::No);
    EXPECT_TRUE(fs::exists(main / "CAMChannel"));

    host.answers.push_back(kvl::MessageAnswer::Yes);
    switcher.removeSelected();
    EXPECT_FALSE(fs::exists(main / "CAMChannel"));
    EXPECT_TRUE(fs::exists(main / "Workfiles/Removed" / ("Channel-" + today()) / "CAMChannel/CAMP0001.DAT"));
    EXPECT_TRUE(switcher.setNames().empty());
    EXPECT_FALSE(switcher.selectedSet());
    EXPECT_EQ(host.lastText().rfind("Campaign Removed\r\nIts files are in ", 0), 0u);
}
