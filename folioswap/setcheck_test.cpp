// The check of a new set's listing and the rules for set names, without any
// archive: listings are written out here.
#include "folioswap/setcheck.h"

#include <gtest/gtest.h>

using namespace kvl::folioswap;

namespace {

SourceEntry file(std::string name, std::uint64_t size = 10)
{
    return { std::move(name), EntryKind::File, size };
}

SourceEntry folder(std::string name)
{
    return { std::move(name), EntryKind::Folder, std::nullopt };
}

kvl::Result<SetPlan> check(std::vector<SourceEntry> entries, std::optional<std::uint64_t> packed = 100000)
{
    return checkSetSource({ std::move(entries), false }, packed, "set.zip", "set");
}

std::string refusalOf(std::vector<SourceEntry> entries, std::optional<std::uint64_t> packed = 100000)
{
    auto plan = check(std::move(entries), packed);
    EXPECT_FALSE(plan.ok());
    if (plan)
        return {};
    EXPECT_EQ(plan.error().code, kErrRefusedSource);
    return plan.error().message;
}

PartRole roleOf(const SetPlan& plan, const std::string& entry)
{
    for (const auto& part : plan.parts)
        if (part.entry == entry)
            return part.role;
    ADD_FAILURE() << entry << " is not in the plan";
    return PartRole::LeftOut;
}

} // namespace

// Each way out of the set's folder, each name the game's desktop cannot hold
// and each kind of entry that is no plain file is refused, naming the entry.
TEST(SetCheck, RefusesEveryEntryThatCouldLeaveTheFolderOrIsNoPlainFile)
{
    struct Row {
        SourceEntry entry;
        const char* reason;
    };
    const Row rows[] = {
        { file("../x"), "leads out of the set's folder" },
        { file("a/../../x"), "leads out of the set's folder" },
        { file("a\\..\\..\\x"), "leads out of the set's folder" },
        { file("/etc/passwd"), "is an absolute path" },
        { file("\\x"), "is an absolute path" },
        { file("C:\\x"), "names a drive" },
        { file("C:x"), "names a drive" },
        { file("a/b:stream"), "names a drive or a stream" },
        { file("CON"), "is a device name" },
        { file("lpt1.txt"), "is a device name" },
        { file("a\nb"), "control character" },
        { file("what?.dat"), "no file name may hold" },
        { file("trailing."), "ends in a space or a dot" },
        { file(""), "has no name" },
        { file("./"), "has no name" },
        { { "link", EntryKind::SymbolicLink, 0 }, "is a link" },
        { { "hard", EntryKind::HardLink, 0 }, "is a link" },
        { { "fifo", EntryKind::Other, 0 }, "neither a plain file nor a folder" },
    };
    for (const Row& row : rows) {
        const std::string message = refusalOf({ file("CAMP0001.DAT"), row.entry });
        EXPECT_NE(message.find(row.reason), std::string::npos) << row.entry.name << ": " << message;
        EXPECT_NE(message.find("set.zip"), std::string::npos) << message;
        if (!row.entry.name.empty()) {
            EXPECT_NE(message.find("\"" + row.entry.name + "\""), std::string::npos) << message;
        }
    }
}

// Names are the same on the game's desktop when they differ only in case.
TEST(SetCheck, RefusesNamesThatClashInAnyLetterCase)
{
    EXPECT_NE(refusalOf({ file("CAMP0001.DAT"), file("camp0001.dat") }).find("has the same name as \"CAMP0001.DAT\""),
        std::string::npos);
    EXPECT_NE(refusalOf({ file("Set/A.DAT"), file("set/a.dat") }).find("same name"), std::string::npos);
    EXPECT_NE(refusalOf({ file("A"), file("a/B.DAT") }).find("same name as the file \"A\""), std::string::npos);
    EXPECT_NE(refusalOf({ file("a/B.DAT"), file("A") }).find("same name"), std::string::npos);
    EXPECT_NE(refusalOf({ file("A.DAT"), file("./A.DAT") }).find("same name"), std::string::npos);
    // A folder listed twice, or listed and implied by its files, is one folder.
    EXPECT_TRUE(check({ folder("Set/"), folder("set"), file("Set/A.DAT") }).ok());
}

// A bomb claims far more than it is; the listing that stopped at its limit
// is refused as well.
TEST(SetCheck, RefusesWhatClaimsTooMuch)
{
    EXPECT_NE(
        refusalOf({ file("A.DAT", 1000001) }, 1000).find("more than 1000 times its own 1000 bytes"), std::string::npos);
    EXPECT_TRUE(check({ file("A.DAT", 1000000) }, 1000).ok());
    EXPECT_NE(refusalOf({ file("A.DAT", kMaxSetBytes), file("B.DAT", 1) }, std::nullopt).find("claim more than"),
        std::string::npos);
    std::vector<SourceEntry> many;
    for (std::size_t i = 0; i <= kMaxSetEntries; ++i)
        many.push_back(file("F" + std::to_string(i), 0));
    EXPECT_NE(refusalOf(many).find("more than 10000 entries"), std::string::npos);
    EXPECT_NE(checkSetSource({ { file("A.DAT") }, true }, 100, "x.7z", "x").error().message.find("claim more than"),
        std::string::npos);
    EXPECT_EQ(byteLimit(1000), 1000000u);
    EXPECT_EQ(byteLimit(kMaxSetBytes), kMaxSetBytes);
    EXPECT_EQ(byteLimit(std::nullopt), kMaxSetBytes);
}

TEST(SetCheck, RefusesASourceWithoutCampaignFiles)
{
    EXPECT_NE(refusalOf({ folder("Set/") }).find("holds no campaign files"), std::string::npos);
    EXPECT_NE(refusalOf({ file("Set/xxxSet.txt"), file("Set/Set.jpg"), file("Set/deep/A.DAT") })
                  .find("holds no campaign files"),
        std::string::npos);
}

// One top folder is taken away; the comment, picture and read-me beside the
// files go to their own places; deeper files, hidden files and the Mac's
// resource folder are left out, with the reason.
TEST(SetCheck, PlansTheSetsFilesAndItsSideFiles)
{
    auto plan = check({ folder("Kursk/"), file("Kursk/CAMP0001.DAT", 5), file("Kursk/xxxKursk.txt", 3),
        file("Kursk/Kursk.JPG", 4), file("Kursk/KurskReadMe.txt", 2), file("Kursk/docs/map.txt"),
        file("Kursk/.DS_Store"), file("__MACOSX/Kursk/._CAMP0001.DAT") });
    ASSERT_TRUE(plan.ok()) << plan.error().message;
    EXPECT_EQ(roleOf(*plan, "Kursk/CAMP0001.DAT"), PartRole::SetFile);
    EXPECT_EQ(roleOf(*plan, "Kursk/xxxKursk.txt"), PartRole::Comment);
    EXPECT_EQ(roleOf(*plan, "Kursk/Kursk.JPG"), PartRole::Picture);
    EXPECT_EQ(roleOf(*plan, "Kursk/KurskReadMe.txt"), PartRole::ReadMe);
    EXPECT_EQ(roleOf(*plan, "Kursk/docs/map.txt"), PartRole::LeftOut);
    EXPECT_EQ(roleOf(*plan, "Kursk/.DS_Store"), PartRole::LeftOut);
    EXPECT_EQ(roleOf(*plan, "__MACOSX/Kursk/._CAMP0001.DAT"), PartRole::LeftOut);
    EXPECT_EQ(plan->setFileCount(), 1u);
    EXPECT_EQ(plan->claimedBytes, 14u);
    EXPECT_EQ(plan->suggestedName, "Kursk");

    // Two top folders: both are sub-folders, and the files at the top stay.
    auto two = check({ file("A.DAT"), file("x/B.DAT"), file("y/C.DAT") });
    ASSERT_TRUE(two.ok());
    EXPECT_EQ(roleOf(*two, "A.DAT"), PartRole::SetFile);
    EXPECT_EQ(roleOf(*two, "x/B.DAT"), PartRole::LeftOut);
}

TEST(SetCheck, SuggestsTheNameTheSourceGives)
{
    EXPECT_EQ(check({ file("A.DAT"), file("xxxMalta Siege.txt") })->suggestedName, "Malta Siege");
    EXPECT_EQ(check({ file("A.DAT"), file("Desert.jpg") })->suggestedName, "Desert");
    EXPECT_EQ(check({ file("CAMKursk/A.DAT") })->suggestedName, "Kursk");
    EXPECT_EQ(check({ file("A.DAT") })->suggestedName, "set");
    EXPECT_EQ(check({ file("A.DAT"), file("xxxa:b.txt.jpg") }).ok(), false);
    EXPECT_EQ(tidySetName("  Bad/Name?.. "), "Bad_Name_");
    EXPECT_EQ(tidySetName("xxx"), "Set");
    EXPECT_EQ(tidySetName(std::string(63, 'a') + "\xC3\xA9"), std::string(63, 'a'));
    EXPECT_EQ(tidySetName(std::string(62, 'a') + ". b"), std::string(62, 'a')) << "no dot left at the cut";
}

TEST(SetNames, RefusesNamesNoSetCanHave)
{
    const std::vector<std::string> taken { "Channel 1940", "Malta" };
    EXPECT_FALSE(setNameProblem("Kursk 1943", taken));
    EXPECT_FALSE(setNameProblem("Ardennes (2)", taken));
    const std::pair<const char*, const char*> rows[] = {
        { "", "empty" },
        { "XXX", "stands for no campaign" },
        { "malta", "exists already" },
        { "a/b", "may not hold" },
        { "a\\b", "may not hold" },
        { "a:b", "drive" },
        { "a?", "no file name may hold" },
        { "dot.", "ends in a space or a dot" },
        { " lead", "begin with a space" },
        { "tab\there", "control character" },
    };
    for (const auto& [name, why] : rows) {
        auto problem = setNameProblem(name, taken);
        ASSERT_TRUE(problem) << name;
        EXPECT_NE(problem->find(why), std::string::npos) << name << ": " << *problem;
    }
    EXPECT_TRUE(setNameProblem(std::string(65, 'a'), taken));
}

TEST(SetCheck, KeepsRoomToSpareOnTheDisk)
{
    EXPECT_FALSE(spaceRefusal(1000, kSpareBytes + 1100));
    auto refusal = spaceRefusal(1000, kSpareBytes + 1099);
    ASSERT_TRUE(refusal);
    EXPECT_NE(refusal->find("not enough free space"), std::string::npos);
    EXPECT_TRUE(spaceRefusal(10, 5));
}
