// Adding a set to a program folder tree and removing one: what lands where,
// what the restore list names, and that a failure or a cut leaves no half
// set.
#include "folioswap/setinstall.h"

#include "common/fileimage.h"
#include "common/testing/testfolder.h"
#include "folioswap/archivereader.h"
#include "folioswap/setcatalog.h"
#include "folioswap/testing/archivemaker.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace kvl::folioswap;
using namespace kvl::test;

namespace {

// A source whose headers can lie about the sizes of the bytes it brings.
class FakeSource : public SetSource {
public:
    std::vector<SourceEntry> entries;
    std::vector<std::string> contents;
    std::string describe() const override { return "fake.zip"; }
    std::optional<std::uint64_t> packedSize() const override { return 1000; }
    kvl::Result<Listing> list(const ListLimits&) override { return Listing { entries, false }; }
    kvl::Result<void> read(EntrySink& sink) override
    {
        for (std::size_t i = 0; i < entries.size(); ++i) {
            auto wanted = sink.begin(i);
            if (!wanted)
                return wanted.error();
            if (!*wanted)
                continue;
            const auto& text = contents[i];
            for (std::size_t at = 0; at < text.size(); at += 4096) {
                auto put = sink.write({ reinterpret_cast<const std::uint8_t*>(text.data()) + at,
                    std::min<std::size_t>(4096, text.size() - at) });
                if (!put)
                    return put;
            }
            if (auto ended = sink.end(); !ended)
                return ended;
        }
        return {};
    }
};

class AddSetTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        game = temp.path() / "game";
        main = game / "Borvex";
        put(main / "Workfiles/LastCampaign.txt", "\"xxx\"\r\n");
        put(main / "CAMChannel/CAMP0001.DAT", "channel campaign");
        put(main / "CAMChannel/SQ0141.DAT", "channel squadron");
        put(main / "ReadMe/BorvexReadMe.txt", "read me");
        put(main / "QEXRestoreFiles/CAMP0001.DAT", "game campaign");
        put(game / "CAMP0001.DAT", "game campaign");
        put(game / "sq0141.dat", "game squadron");
        folders = foldersOf(main);
    }

    static void put(const fs::path& path, const std::string& text)
    {
        fs::create_directories(path.parent_path());
        ASSERT_TRUE(kvl::writeFileImage(path, std::string_view(text)));
    }
    static std::string get(const fs::path& path)
    {
        auto bytes = kvl::readFileImage(path);
        return bytes ? std::string(bytes->begin(), bytes->end()) : "<missing>";
    }

    kvl::Result<PreparedSet> prepare(const std::vector<std::uint8_t>& archive, const std::string& loaded = "xxx")
    {
        m_archive = archive;
        return prepareNewSet(
            folders, openArchiveMemory(m_archive, "Kursk.zip"), "Kursk", { "Channel" }, loaded, std::uint64_t(1) << 40);
    }

    // Every file under the program folder, relative, "/" between parts.
    std::set<std::string> tree() const
    {
        std::set<std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(main))
            if (entry.is_regular_file())
                files.insert(entry.path().lexically_relative(main).generic_string());
        return files;
    }

    kvl::test::TempFolder temp;
    fs::path game, main;
    SwitchFolders folders;
    std::vector<std::uint8_t> m_archive;
};

const std::vector<MadeEntry> kKursk { { "Kursk/", "", MadeKind::Folder }, { "Kursk/CAMP0001.DAT", "kursk campaign" },
    { "Kursk/SQ0141.DAT", "kursk squadron" }, { "Kursk/SQ0999.DAT", "new squadron" },
    { "Kursk/xxxKursk.txt", "Tanks\r\n" }, { "Kursk/Kursk.jpg", "\xFF\xD8 picture" }, { "Kursk/docs/map.txt", "map" } };

} // namespace

// The proposal says which game files the set replaces; the restore list
// names them, and the game's own file that QEXRestoreFiles lacks is copied
// there.
TEST_F(AddSetTree, ProposesWhatTheSetReplacesAndItsRestoreList)
{
    auto prepared = prepare(makeArchive(ArchiveFormat::Zip, kKursk));
    ASSERT_TRUE(prepared.ok()) << prepared.error().message;
    const NewSetProposal& p = prepared->proposal;
    EXPECT_EQ(p.suggestedName, "Kursk");
    ASSERT_EQ(p.files.size(), 3u);
    EXPECT_EQ(p.files[0].replaces, "CAMP0001.DAT");
    EXPECT_EQ(p.files[1].replaces, "sq0141.dat") << "as the game folder spells it";
    EXPECT_EQ(p.files[2].replaces, "");
    EXPECT_EQ(p.restoreList, (std::vector<std::string> { "CAMP0001.DAT", "sq0141.dat" }));
    ASSERT_EQ(p.keep.size(), 1u);
    EXPECT_EQ(p.keep[0].name, "sq0141.dat");
    EXPECT_EQ(p.comment, "Kursk/xxxKursk.txt");
    EXPECT_EQ(p.picture, "Kursk/Kursk.jpg");
    EXPECT_EQ(p.readMe, "");
    ASSERT_EQ(p.leftOut.size(), 1u);
    EXPECT_EQ(p.leftOut[0].first, "Kursk/docs/map.txt");
    const std::string text = describeNewSet(p, "Kursk");
    for (const char* line : { "New campaign \"Kursk\" from Kursk.zip (nothing has been written yet):\r\n",
             "  CAMP0001.DAT (14 bytes): replaces the game's CAMP0001.DAT\r\n",
             "  SQ0999.DAT (12 bytes): adds a file to the game folder\r\n",
             "Restore list Workfiles/resKursk.txt: CAMP0001.DAT, sq0141.dat\r\n",
             "  the game's sq0141.dat is copied into QEXRestoreFiles first\r\n",
             "Read-me: none in the source, an empty one -> ReadMe/KurskReadMe.txt\r\n",
             "Left out: Kursk/docs/map.txt (in a sub-folder; a set's files lie side by side)\r\n" })
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    EXPECT_TRUE(tree().count("CAMChannel/CAMP0001.DAT"));
    EXPECT_EQ(tree().size(), 5u) << "nothing is written by the proposal";
}

// While a set is loaded, the game folder holds its files: the original must
// come from a safety copy, or the file cannot be listed.
TEST_F(AddSetTree, WithASetLoadedOnlyKeptOriginalsAreListed)
{
    put(game / "sq0141.dat", "channel squadron");
    put(main / "Workfiles/LastCampaign.txt", "\"Channel\"\r\n");
    auto prepared = prepare(makeArchive(ArchiveFormat::Zip, kKursk), "Channel");
    ASSERT_TRUE(prepared.ok());
    EXPECT_EQ(prepared->proposal.restoreList, std::vector<std::string> { "CAMP0001.DAT" });
    ASSERT_EQ(prepared->proposal.notListed.size(), 1u);
    EXPECT_NE(prepared->proposal.notListed[0].find("sq0141.dat: the game folder holds the loaded campaign's file"),
        std::string::npos);

    put(main / "Workfiles/SafetyCopies/SQ0141.DAT", "game squadron");
    auto again = prepare(makeArchive(ArchiveFormat::Zip, kKursk), "Channel");
    ASSERT_TRUE(again.ok());
    ASSERT_EQ(again->proposal.keep.size(), 1u);
    EXPECT_EQ(again->proposal.keep[0].from.filename(), "SQ0141.DAT");
}

TEST_F(AddSetTree, InstallsTheWholeSetAndNothingElse)
{
    auto prepared = prepare(makeArchive(ArchiveFormat::Zip, kKursk));
    ASSERT_TRUE(prepared.ok());
    ASSERT_TRUE(installNewSet(folders, *prepared, "Kursk 1943").ok());
    EXPECT_EQ(get(main / "CAMKursk 1943/CAMP0001.DAT"), "kursk campaign");
    EXPECT_EQ(get(main / "CAMKursk 1943/SQ0999.DAT"), "new squadron");
    EXPECT_EQ(get(main / "Workfiles/xxxKursk 1943.txt"), "Tanks\r\n");
    EXPECT_EQ(get(main / "Workfiles/Kursk 1943.jpg"), "\xFF\xD8 picture");
    EXPECT_EQ(get(main / "Workfiles/resKursk 1943.txt"), "CAMP0001.DAT\r\nsq0141.dat\r\n");
    EXPECT_EQ(get(main / "ReadMe/Kursk 1943ReadMe.txt"), "");
    EXPECT_EQ(get(main / "QEXRestoreFiles/sq0141.dat"), "game squadron");
    EXPECT_EQ(get(main / "QEXRestoreFiles/CAMP0001.DAT"), "game campaign") << "never replaced";
    EXPECT_FALSE(fs::exists(main / "Workfiles" / kStagingFolderName));
    EXPECT_EQ(tree().size(), 5u + 3 + 4 + 1);
    EXPECT_EQ(*listSetNames(main), (std::vector<std::string> { "Channel", "Kursk 1943" }));
    EXPECT_EQ(get(game / "CAMP0001.DAT"), "game campaign") << "the game folder is only read";
}

// What the headers claim is not trusted: more bytes than claimed, fewer, or
// more than the limit in all are refused when the source is read through
// before the question; a source that changes after that stops the install,
// which leaves nothing behind.
TEST_F(AddSetTree, BytesBeyondTheClaimsAreRefusedAndLeaveNothing)
{
    struct Row {
        std::optional<std::uint64_t> claimed;
        std::string bytes;
        const char* why;
    };
    const Row rows[] = {
        { 4, "more than four", "brings more bytes than its header claims (4)" },
        { 20, "fewer", "brings fewer bytes than its header claims (20)" },
        { std::nullopt, std::string(1000001, 'x'), "takes the unpacked set past 1000000 bytes" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const auto fake = [&](const std::string& bytes) {
            auto source = std::make_unique<FakeSource>();
            source->entries = { { "A.DAT", EntryKind::File, 1 }, { "B.DAT", EntryKind::File, row.claimed } };
            source->contents = { "a", bytes };
            return source;
        };
        auto refused = prepareNewSet(folders, fake(row.bytes), "Fake", { "Channel" }, "xxx", std::uint64_t(1) << 40);
        ASSERT_FALSE(refused.ok());
        EXPECT_EQ(refused.error().code, kErrRefusedSource);
        EXPECT_NE(refused.error().message.find(std::string("\"B.DAT\" ") + row.why), std::string::npos)
            << refused.error().message;

        // Honest while checked, lying while installed.
        auto source = fake(row.claimed ? std::string(*row.claimed, 'b') : "b");
        FakeSource& changing = *source;
        auto prepared = prepareNewSet(folders, std::move(source), "Fake", { "Channel" }, "xxx", std::uint64_t(1) << 40);
        ASSERT_TRUE(prepared.ok()) << prepared.error().message;
        changing.contents[1] = row.bytes;
        auto installed = installNewSet(folders, *prepared, "Fake");
        ASSERT_FALSE(installed.ok());
        EXPECT_NE(installed.error().message.find(row.why), std::string::npos) << installed.error().message;
        EXPECT_EQ(tree().size(), 5u);
        EXPECT_FALSE(fs::exists(main / "Workfiles" / kStagingFolderName));
    }
}

// A damaged archive is refused before the question, with the library's reason.
TEST_F(AddSetTree, ADamagedArchiveIsRefusedBeforeTheQuestion)
{
    for (const auto& crafted : craftedArchives()) {
        if (crafted.name != "damaged.7z")
            continue;
        auto prepared = prepare(crafted.bytes);
        ASSERT_FALSE(prepared.ok());
        EXPECT_NE(prepared.error().message.find("is damaged or not an archive: "), std::string::npos)
            << prepared.error().message;
        EXPECT_EQ(tree().size(), 5u);
    }
}

TEST_F(AddSetTree, NoRoomOnTheDiskIsRefusedBeforeAnythingIsWritten)
{
    m_archive = makeArchive(ArchiveFormat::Zip, kKursk);
    auto prepared = prepareNewSet(folders, openArchiveMemory(m_archive, "Kursk.zip"), "Kursk", {}, "xxx", 1000);
    ASSERT_FALSE(prepared.ok());
    EXPECT_EQ(prepared.error().code, ENOSPC);
    EXPECT_NE(prepared.error().message.find("not enough free space"), std::string::npos);
}

// Cut at every step, the tree holds either the whole set or none: the set's
// folder appears in one rename, last. The next add of that name puts the
// leftovers aside and succeeds.
TEST_F(AddSetTree, ACutAtAnyStepLeavesNoHalfSet)
{
    const auto archive = makeArchive(ArchiveFormat::Zip, kKursk);
    for (int stopAt = 1;; ++stopAt) {
        kvl::test::TempFolder copy;
        fs::copy(main, copy / "Borvex", fs::copy_options::recursive);
        SwitchFolders there = foldersOf(copy / "Borvex");
        there.game = game;
        auto prepared = prepareNewSet(
            there, openArchiveMemory(archive, "Kursk.zip"), "Kursk", { "Channel" }, "xxx", std::uint64_t(1) << 40);
        ASSERT_TRUE(prepared.ok());
        int steps = 0;
        auto installed = installNewSet(there, *prepared, "Kursk", [&] { return ++steps < stopAt; });
        auto names = listSetNames(there.main);
        if (installed) {
            EXPECT_GT(stopAt, 5);
            break;
        }
        EXPECT_EQ(installed.error().code, kErrStoppedByHook);
        ASSERT_EQ(*names, std::vector<std::string> { "Channel" }) << "cut at step " << stopAt;

        auto retry = prepareNewSet(
            there, openArchiveMemory(archive, "Kursk.zip"), "Kursk", { "Channel" }, "xxx", std::uint64_t(1) << 40);
        ASSERT_TRUE(retry.ok());
        ASSERT_TRUE(installNewSet(there, *retry, "Kursk").ok()) << "after a cut at step " << stopAt;
        EXPECT_EQ(get(there.main / "Workfiles/xxxKursk.txt"), "Tanks\r\n");
        EXPECT_EQ(setFolderFiles(there.main, "Kursk")->size(), 3u);
        EXPECT_FALSE(fs::exists(there.main / "Workfiles" / kStagingFolderName));
    }
}

// Removal moves the set's folder and its side files, keeping their places;
// a second removal on the same day gets a folder of its own.
TEST_F(AddSetTree, RemovalMovesTheSetAsideAndDeletesNothing)
{
    put(main / "Workfiles/xxxChannel.txt", "comment");
    put(main / "Workfiles/Channel.jpg", "picture");
    put(main / "Workfiles/resChannel.txt", "CAMP0001.DAT\r\n");
    put(main / "ReadMe/ChannelReadMe.txt", "read me");
    const std::size_t before = tree().size();
    auto aside = removeSet(folders, "Channel", "2026-12-10");
    ASSERT_TRUE(aside.ok()) << aside.error().message;
    EXPECT_EQ(*aside, main / "Workfiles/Removed/Channel-2026-12-10");
    EXPECT_EQ(get(*aside / "CAMChannel/CAMP0001.DAT"), "channel campaign");
    EXPECT_EQ(get(*aside / "Workfiles/xxxChannel.txt"), "comment");
    EXPECT_EQ(get(*aside / "Workfiles/resChannel.txt"), "CAMP0001.DAT\r\n");
    EXPECT_EQ(get(*aside / "ReadMe/ChannelReadMe.txt"), "read me");
    EXPECT_TRUE(listSetNames(main)->empty());
    EXPECT_EQ(tree().size(), before);

    put(main / "CAMChannel/CAMP0001.DAT", "again");
    auto second = removeSet(folders, "Channel", "2026-12-10");
    ASSERT_TRUE(second.ok());
    EXPECT_EQ(*second, main / "Workfiles/Removed/Channel-2026-12-10-2");
    EXPECT_FALSE(removeSet(folders, "None", "2026-12-10").ok());
}

TEST(SourceNames, ArchiveExtensionsAreNotPartOfTheName)
{
    EXPECT_EQ(nameFromSourcePath("/x/Malta Siege.zip"), "Malta Siege");
    EXPECT_EQ(nameFromSourcePath("/x/kursk.TAR.GZ"), "kursk");
    EXPECT_EQ(nameFromSourcePath("/x/set.v2.7z"), "set.v2");
    EXPECT_EQ(nameFromSourcePath("/x/noextension"), "noextension");
}
