// The test tree of the safety-layer tests: a game folder with the switcher's
// folder in it, a set to load, and snapshots of every file.
#pragma once

#include "folioswap/setswitcher.h"
#include "folioswap/testing/fakeswitcherhost.h"

#include "common/fileimage.h"
#include "common/testing/fakewindowhost.h"
#include "common/testing/testfolder.h"
#include "common/textio.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace kvl::test {

using namespace kvl::folioswap;

namespace fs = std::filesystem;

using FakeHost = FakeSwitcherHost;

using Snapshot = std::map<std::string, std::string>;

class SafetyTree : public ::testing::Test {
protected:
    void SetUp() override { build(); }

    // Channel replaces the game's CAMP0001.DAT (saved in QEXRestoreFiles)
    // and its PLANES.DAT and MAP.DAT (saved nowhere; MAP.DAT's original is
    // in the set with the same bytes) and adds SQ0141.DAT.
    void build()
    {
        std::error_code ec;
        fs::remove_all(tree.path() / "game", ec);
        game = tree.path() / "game";
        main = game / "Borvex";
        put(main / "Workfiles/LastCampaign.txt", "\"xxx\"\r\n");
        put(main / "Workfiles/Channel.jpg", "jpeg");
        put(main / "Workfiles/xxxChannel.txt", "About Channel\r\n");
        put(main / "Workfiles/resChannel.txt", "CAMP0001.DAT\r\n");
        put(main / "CAMChannel/CAMP0001.DAT", "channel campaign");
        put(main / "CAMChannel/PLANES.DAT", std::string(5000, 'p'));
        put(main / "CAMChannel/MAP.DAT", "same map");
        put(main / "CAMChannel/SQ0141.DAT", "channel squadron");
        put(main / "QEXRestoreFiles/CAMP0001.DAT", "game campaign 1");
        put(game / "CAMP0001.DAT", "game campaign 1");
        put(game / "planes.dat", "the game's own planes");
        put(game / "MAP.DAT", "same map");
        put(game / "OTHER.DAT", "untouched");
    }

    static void put(const fs::path& path, const std::string& text)
    {
        fs::create_directories(path.parent_path());
        ASSERT_TRUE(kvl::writeFileImage(path, std::string_view(text))) << path;
    }
    static std::string get(const fs::path& path)
    {
        std::string text;
        return kvl::readTextFile(path, text) ? text : "<missing>";
    }
    // The game folder's files (not the program folder) and LastCampaign.txt.
    Snapshot snapshot() const
    {
        Snapshot files;
        for (const auto& entry : fs::directory_iterator(game))
            if (entry.is_regular_file())
                files[entry.path().filename().string()] = get(entry.path());
        files["<last>"] = get(main / "Workfiles/LastCampaign.txt");
        return files;
    }
    bool journalLeft() const { return fs::exists(main / "Workfiles" / kJournalName); }

    SetSwitcher& startSwitcher(std::deque<kvl::MessageAnswer> answers = {})
    {
        hosts.push_back(std::make_unique<FakeHost>());
        hosts.back()->answers = std::move(answers);
        switchers.push_back(std::make_unique<SetSwitcher>(*hosts.back()));
        switchers.back()->start(main);
        return *switchers.back();
    }
    FakeHost& lastHost() { return *hosts.back(); }
    static void select(SetSwitcher& switcher, const std::string& name)
    {
        const auto& names = switcher.setNames();
        switcher.chooseSet(static_cast<std::size_t>(std::find(names.begin(), names.end(), name) - names.begin()));
    }
    // Stops the next operation after `allowed` file operations.
    static void stopAfter(SetSwitcher& switcher, int allowed)
    {
        auto count = std::make_shared<int>(0);
        switcher.setFileOpHook([count, allowed] { return (*count)++ < allowed; });
    }

    kvl::test::TempFolder tree;
    fs::path game, main;
    std::vector<std::unique_ptr<FakeHost>> hosts;
    std::vector<std::unique_ptr<SetSwitcher>> switchers;
};

} // namespace kvl::test
