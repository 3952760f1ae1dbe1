// The safety layer under Load, Unload and Restore: safety copies, the
// journal, recovery from a cut at every step, changes by someone else,
// preview and check.
#include "folioswap/testing/safetytree.h"

namespace fs = std::filesystem;
using namespace kvl::folioswap;
using namespace kvl::test;

namespace {

TEST_F(SafetyTree, LoadUnloadRestoreGivesBackEveryOriginalByteForByte)
{
    const Snapshot before = snapshot();
    SetSwitcher& switcher = startSwitcher();
    select(switcher, "Channel");
    switcher.loadSelected();
    ASSERT_EQ(lastHost().lastText(), "Campaign Loaded");
    // Only the original saved nowhere got a safety copy: CAMP0001.DAT is in
    // QEXRestoreFiles and MAP.DAT is replaced by the same bytes.
    std::vector<std::string> copies;
    for (const auto& entry : fs::directory_iterator(main / "Workfiles/SafetyCopies"))
        copies.push_back(entry.path().filename().string());
    EXPECT_EQ(copies, std::vector<std::string> { "planes.dat" });
    EXPECT_EQ(get(main / "Workfiles/SafetyCopies/planes.dat"), "the game's own planes");
    EXPECT_EQ(get(game / "planes.dat"), std::string(5000, 'p'));

    switcher.unloadSelected();
    ASSERT_EQ(lastHost().lastText(), "Campaign Unloaded");
    EXPECT_FALSE(fs::exists(game / "planes.dat"));
    select(switcher, "Channel");
    switcher.restoreQexFiles();
    EXPECT_EQ(
        lastHost().lastText(), "QEX Restored\r\nRestored from QEXRestoreFiles: 1\r\nRestored from safety copies: 1");
    Snapshot after = snapshot();
    // MAP.DAT was the set's file too, so Unload deleted it as designed; its
    // bytes are still in the set's folder.
    EXPECT_EQ(after.erase("MAP.DAT"), 0u);
    Snapshot expected = before;
    expected.erase("MAP.DAT");
    EXPECT_EQ(after, expected);
    EXPECT_FALSE(journalLeft());

    // A second round makes no new copy: the one there holds the same bytes.
    select(switcher, "Channel");
    switcher.loadSelected();
    switcher.unloadSelected();
    select(switcher, "Channel");
    switcher.restoreQexFiles();
    EXPECT_EQ(
        lastHost().lastText(), "QEX Restored\r\nRestored from QEXRestoreFiles: 1\r\nRestored from safety copies: 1");
    EXPECT_FALSE(fs::exists(main / "Workfiles/SafetyCopies/Older"));
}

TEST_F(SafetyTree, AGameFileChangedAfterItsCopyGetsASecondCopy)
{
    SetSwitcher& switcher = startSwitcher();
    select(switcher, "Channel");
    switcher.loadSelected();
    switcher.unloadSelected();
    put(game / "planes.dat", "edited by hand");
    select(switcher, "Channel");
    switcher.loadSelected();
    EXPECT_EQ(get(main / "Workfiles/SafetyCopies/planes.dat"), "the game's own planes");
    int older = 0;
    for (const auto& entry : fs::directory_iterator(main / "Workfiles/SafetyCopies/Older")) {
        EXPECT_EQ(get(entry.path()), "edited by hand");
        EXPECT_TRUE(entry.path().filename().string().ends_with("-planes.dat"));
        ++older;
    }
    EXPECT_EQ(older, 1);
    // Unload of a file changed since load keeps its bytes as well.
    put(game / "SQ0141.DAT", "squadron edited in the game");
    switcher.unloadSelected();
    EXPECT_EQ(lastHost().lastText(), "Campaign Unloaded");
    EXPECT_EQ(get(main / "Workfiles/SafetyCopies/SQ0141.DAT"), "squadron edited in the game");
}

TEST_F(SafetyTree, TheJournalIsOnDiskBeforeTheFirstChangeAndMatchesThePreview)
{
    SetSwitcher& switcher = startSwitcher();
    select(switcher, "Channel");
    switcher.previewSelected();
    ASSERT_EQ(switcher.preview().size(), 3u);
    const OperationPreview& load = switcher.preview()[0];
    EXPECT_TRUE(load.refusal.empty());
    EXPECT_EQ(switcher.preview()[1].refusal, "You cannot unload a campaign that is not loaded");
    EXPECT_TRUE(switcher.preview()[2].refusal.empty());
    EXPECT_NE(switcher.shownText().find("  add SQ0141.DAT\r\n"), std::string::npos) << switcher.shownText();
    EXPECT_NE(switcher.shownText().find("  replace planes.dat (a safety copy of the original will be made"),
        std::string::npos);
    EXPECT_NE(switcher.shownText().find("  replace CAMP0001.DAT (a copy is kept: QEXRestoreFiles/CAMP0001.DAT)"),
        std::string::npos);
    EXPECT_NE(switcher.shownText().find("  replace MAP.DAT with the same bytes"), std::string::npos);
    const Snapshot before = snapshot();
    EXPECT_FALSE(journalLeft());

    stopAfter(switcher, 1);
    switcher.loadSelected();
    EXPECT_TRUE(switcher.ended());
    ASSERT_TRUE(journalLeft());
    EXPECT_EQ(snapshot(), before);
    auto journal = parseJournal(get(main / "Workfiles" / kJournalName));
    ASSERT_TRUE(journal);
    EXPECT_EQ(journal->steps, load.plan.steps);
    EXPECT_EQ(journal->lastBefore, "xxx");
    EXPECT_EQ(journal->lastAfter, "Channel");
}

// The operation is cut after each of its file operations in turn; the next
// start finishes it or rolls it back, and the folder is then exactly as
// after or as before the operation.
TEST_F(SafetyTree, EveryCutOfEveryOperationRecoversBothWays)
{
    enum class Kind { Load, Unload, Restore };
    for (Kind kind : { Kind::Load, Kind::Unload, Kind::Restore }) {
        // The tree as the operation finds it, and the switcher to run it.
        auto prepare = [&]() -> SetSwitcher& {
            build();
            SetSwitcher& switcher = startSwitcher();
            select(switcher, "Channel");
            if (kind != Kind::Load)
                switcher.loadSelected();
            if (kind == Kind::Restore) {
                switcher.unloadSelected();
                select(switcher, "Channel");
            }
            return switcher;
        };
        auto run = [&](SetSwitcher& switcher) {
            if (kind == Kind::Load)
                switcher.loadSelected();
            else if (kind == Kind::Unload)
                switcher.unloadSelected();
            else
                switcher.restoreQexFiles();
        };
        run(prepare());
        const Snapshot after = snapshot();
        for (bool finish : { true, false }) {
            for (int allowed = 0;; ++allowed) {
                SCOPED_TRACE(
                    std::to_string(int(kind)) + (finish ? " finish " : " roll back ") + std::to_string(allowed));
                SetSwitcher& switcher = prepare();
                const Snapshot before = snapshot();
                ASSERT_NE(before, after);
                stopAfter(switcher, allowed);
                run(switcher);
                if (!switcher.ended()) {
                    // The operation ran to its end: every cut has been tried.
                    EXPECT_GT(allowed, 5);
                    EXPECT_EQ(snapshot(), after);
                    break;
                }
                const bool started = journalLeft();
                EXPECT_EQ(started, allowed > 0);
                SetSwitcher& next = startSwitcher({ finish ? kvl::MessageAnswer::Yes : kvl::MessageAnswer::No });
                EXPECT_FALSE(next.ended()) << lastHost().lastText();
                EXPECT_FALSE(journalLeft());
                EXPECT_EQ(snapshot(), finish && started ? after : before);
                for (const auto& entry : fs::directory_iterator(game))
                    EXPECT_FALSE(entry.path().string().ends_with(kTempSuffix)) << entry.path();
                if (started) {
                    ASSERT_EQ(lastHost().messages.size(), 2u);
                    EXPECT_EQ(lastHost().messages[0].icon, kvl::MessageIcon::Question);
                    EXPECT_EQ(lastHost().messages[0].objectName, "Borvex_message");
                    EXPECT_EQ(lastHost().messages[1].text.find("changed by someone else"), std::string::npos);
                }
            }
        }
    }
}

TEST_F(SafetyTree, AFileChangedBySomeoneElseIsReportedAndLeftAsItIs)
{
    SetSwitcher& switcher = startSwitcher();
    select(switcher, "Channel");
    // The journal, CAMP0001.DAT and MAP.DAT (copied, renamed), PLANES.DAT
    // (safety copy, copied, renamed): cut before SQ0141.DAT.
    stopAfter(switcher, 8);
    switcher.loadSelected();
    ASSERT_TRUE(journalLeft());
    ASSERT_EQ(get(game / "planes.dat"), std::string(5000, 'p'));
    put(game / "planes.dat", "someone else's planes");

    SetSwitcher& next = startSwitcher({ kvl::MessageAnswer::No });
    EXPECT_FALSE(next.ended());
    EXPECT_EQ(lastHost().lastText(),
        "The Load of \"Channel\" was rolled back.\r\n\r\nThese game files were changed by someone else since the "
        "operation began and were left as they are:\r\nplanes.dat");
    EXPECT_EQ(get(game / "planes.dat"), "someone else's planes");
    EXPECT_EQ(get(game / "CAMP0001.DAT"), "game campaign 1");
    EXPECT_FALSE(fs::exists(game / "SQ0141.DAT"));
    EXPECT_EQ(get(main / "Workfiles/LastCampaign.txt"), "\"xxx\"\r\n");
    EXPECT_FALSE(journalLeft());
}

TEST_F(SafetyTree, ADamagedJournalIsSetAsideAndReported)
{
    put(main / "Workfiles" / kJournalName, "folioswap-journal 1\noperation load\n");
    SetSwitcher& switcher = startSwitcher();
    EXPECT_FALSE(switcher.ended());
    EXPECT_NE(lastHost().lastText().find("is damaged and was set aside"), std::string::npos);
    EXPECT_FALSE(journalLeft());
    EXPECT_TRUE(fs::exists(main / "Workfiles" / (std::string(kJournalName) + ".damaged")));
}

TEST_F(SafetyTree, AFailedRememberFileIsRolledBackNowOrAtTheNextStart)
{
    SetSwitcher& switcher = startSwitcher();
    select(switcher, "Channel");
    // Just before LastCampaign.txt is written, a folder takes its place: the
    // write fails, and so does the roll back's own write.
    auto count = std::make_shared<int>(0);
    fs::path last = main / "Workfiles/LastCampaign.txt";
    switcher.setFileOpHook([count, last] {
        if (++*count == 11) {
            fs::remove(last);
            fs::create_directories(last / "inside");
        }
        return true;
    });
    switcher.loadSelected();
    EXPECT_TRUE(switcher.ended());
    EXPECT_NE(lastHost().lastText().find("could not be put back as it was"), std::string::npos)
        << lastHost().lastText();
    ASSERT_TRUE(journalLeft());
    fs::remove_all(last);
    put(last, "\"xxx\"\r\n");
    startSwitcher({ kvl::MessageAnswer::No });
    EXPECT_FALSE(journalLeft());
    EXPECT_EQ(get(game / "planes.dat"), "the game's own planes");
    EXPECT_FALSE(fs::exists(game / "SQ0141.DAT"));
}

TEST_F(SafetyTree, CheckTellsTheStateOfEachFileOfTheLoadedSet)
{
    SetSwitcher& switcher = startSwitcher();
    switcher.checkGameFolder();
    EXPECT_EQ(switcher.shownText(), "No campaign is loaded: there is nothing to check.\r\n");
    select(switcher, "Channel");
    switcher.loadSelected();
    switcher.checkGameFolder();
    for (const auto& check : switcher.gameFolderCheck())
        EXPECT_EQ(check.state, GameFileState::SetVersion) << check.name;
    put(game / "CAMP0001.DAT", "game campaign 1");
    put(game / "planes.dat", "changed after the load");
    fs::remove(game / "SQ0141.DAT");
    switcher.checkGameFolder();
    std::map<std::string, GameFileState> states;
    for (const auto& check : switcher.gameFolderCheck())
        states[check.name] = check.state;
    EXPECT_EQ(states,
        (std::map<std::string, GameFileState> { { "CAMP0001.DAT", GameFileState::Original },
            { "MAP.DAT", GameFileState::SetVersion }, { "PLANES.DAT", GameFileState::ChangedSinceLoad },
            { "SQ0141.DAT", GameFileState::Missing } }));
    EXPECT_EQ(switcher.shownText(),
        "Game folder check for \"Channel\":\r\n  CAMP0001.DAT: the game's original\r\n  MAP.DAT: the set's version\r\n"
        "  PLANES.DAT: changed since load\r\n  SQ0141.DAT: missing\r\n");
    // Nothing is written by preview or check.
    EXPECT_FALSE(journalLeft());
}

} // namespace
