// Loading a set when its writes fail: LastCampaign.txt replaced by a folder,
// a game file the set replaces replaced by a folder, the game on a full small
// file system. (A file size limit mid-copy and a folder appearing in
// LastCampaign.txt's place part-way are in the safety tests.) Each load must
// report the failure, put the game folder and LastCampaign.txt back as they
// were, and leave no journal and no temporary file.
#include "folioswap/setswitcher.h"
#include "folioswap/testing/fakeswitcherhost.h"

#include "common/fileimage.h"
#include "common/testing/fakewindowhost.h"
#include "common/testing/testfolder.h"
#include "common/testing/writefailure.h"

#include <gtest/gtest.h>

#include <iostream>
#include <memory>

namespace fs = std::filesystem;
using namespace kvl::folioswap;

namespace {

using FakeHost = kvl::test::FakeSwitcherHost;

enum class Failure { LastCampaignIsFolder, GameFileIsFolder, FullFileSystem };

void put(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    ASSERT_TRUE(kvl::writeFileImage(path, std::string_view(text))) << path;
}

TEST(FolioswapWriteFailure, AFailedLoadPutsEverythingBack)
{
    struct Case {
        Failure failure;
        const char* name;
    };
    for (const Case c : { Case { Failure::LastCampaignIsFolder, "LastCampaign.txt is a folder" },
             Case { Failure::GameFileIsFolder, "a game file is a folder" },
             Case { Failure::FullFileSystem, "full file system" } }) {
        SCOPED_TRACE(c.name);
        kvl::test::TempFolder temp;
        std::unique_ptr<kvl::test::SmallFileSystem> small;
        fs::path game = temp.path() / "game";
        if (c.failure == Failure::FullFileSystem) {
            small = std::make_unique<kvl::test::SmallFileSystem>(512);
            if (!small->mounted()) {
                std::cout << "[  SKIPPED ] " << c.name << ": cannot mount a tmpfs here\n";
                continue;
            }
            game = small->path() / "game";
        }
        const fs::path main = game / "Borvex";
        put(main / "Workfiles/Channel.jpg", "jpeg");
        put(main / "Workfiles/xxxChannel.txt", "About Channel\r\n");
        put(main / "CAMChannel/CAMP0001.DAT", "channel campaign");
        put(main / "CAMChannel/SQ0141.DAT", "channel squadron");
        put(game / "CAMP0001.DAT", "game campaign 1");
        put(game / "OTHER.DAT", "untouched");
        if (c.failure == Failure::LastCampaignIsFolder)
            put(main / "Workfiles/LastCampaign.txt/inside", "\"xxx\"\r\n");
        else
            put(main / "Workfiles/LastCampaign.txt", "\"xxx\"\r\n");
        if (c.failure == Failure::GameFileIsFolder)
            put(game / "SQ0141.DAT/inside", "a folder");
        if (c.failure == Failure::FullFileSystem) {
            // A set file too big for what is left.
            put(main / "CAMChannel/BIG.DAT", std::string(256 * 1024, 'b'));
            small->fillLeaving(64 * 1024);
        }
        const auto before = kvl::test::folderSnapshot(game);

        FakeHost host;
        SetSwitcher switcher(host);
        switcher.start(main);
        switcher.chooseSet(0);
        switcher.loadSelected();
        EXPECT_NE(host.lastText(), "Campaign Loaded");
        EXPECT_FALSE(host.lastText().empty());
        EXPECT_EQ(kvl::test::folderSnapshot(game), before) << host.lastText();
    }
}

} // namespace
