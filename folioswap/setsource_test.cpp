// Set sources: archives of every format read through the archive library,
// the crafted archives of the seed corpus, and folders.
#include "folioswap/archivereader.h"
#include "folioswap/setcheck.h"
#include "folioswap/setsource.h"
#include "folioswap/testing/archivemaker.h"

#include "common/fileimage.h"
#include "common/testing/testfolder.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace kvl::folioswap;
using namespace kvl::test;

namespace {

// Everything a source reads out, entry by entry.
class Collect : public EntrySink {
public:
    std::map<std::size_t, std::string> bytes;
    kvl::Result<bool> begin(std::size_t index) override
    {
        m_index = index;
        bytes[index];
        return true;
    }
    kvl::Result<void> write(std::span<const std::uint8_t> data) override
    {
        bytes[m_index].append(reinterpret_cast<const char*>(data.data()), data.size());
        return {};
    }
    kvl::Result<void> end() override { return {}; }

private:
    std::size_t m_index = 0;
};

// Lists and checks a source as Add Set does, then reads every entry.
kvl::Result<SetPlan> checkAndRead(SetSource& source)
{
    auto listing = source.list(listLimits(source.packedSize()));
    if (!listing)
        return listing.error();
    auto plan = checkSetSource(*listing, source.packedSize(), source.describe(), "x");
    if (!plan)
        return plan;
    Collect all;
    if (auto read = source.read(all); !read)
        return read.error();
    return plan;
}

const std::vector<MadeEntry> kSet { { "Kursk/", "", MadeKind::Folder }, { "Kursk/CAMP0001.DAT", "kursk campaign" },
    { "Kursk/xxxKursk.txt", "comment\r\n" } };

} // namespace

// Every archive of the seed corpus meets the check's verdict, with the reason.
TEST(SetSource, CraftedArchivesAreAcceptedOrRefusedWithTheirReason)
{
    for (const auto& archive : craftedArchives()) {
        auto source = openArchiveMemory(archive.bytes, archive.name);
        auto plan = checkAndRead(*source);
        EXPECT_EQ(plan.ok(), archive.accepted) << archive.name << ": " << (plan ? "" : plan.error().message);
        if (!plan.ok() && !archive.accepted) {
            EXPECT_NE(plan.error().message.find(archive.refusal), std::string::npos)
                << archive.name << ": " << plan.error().message;
            EXPECT_NE(plan.error().message.find(archive.name), std::string::npos) << plan.error().message;
        }
    }
}

// The same set in each format lists the same entries and brings the same bytes.
TEST(SetSource, EveryFormatListsAndReadsTheSameSet)
{
    for (ArchiveFormat format : { ArchiveFormat::Zip, ArchiveFormat::SevenZip, ArchiveFormat::Tar, ArchiveFormat::TarGz,
             ArchiveFormat::TarXz }) {
        const std::vector<std::uint8_t> bytes = makeArchive(format, kSet);
        auto source = openArchiveMemory(bytes, "set");
        EXPECT_EQ(source->packedSize(), bytes.size());
        auto listing = source->list(listLimits(bytes.size()));
        ASSERT_TRUE(listing.ok()) << listing.error().message;
        ASSERT_EQ(listing->entries.size(), 3u) << int(format);
        EXPECT_FALSE(listing->cut);
        // 7z keeps folders after files: look the entries up by name.
        std::map<std::string, std::size_t> at;
        for (std::size_t i = 0; i < listing->entries.size(); ++i)
            at[listing->entries[i].name] = i;
        ASSERT_EQ(at.size(), 3u);
        const std::string folderName = at.count("Kursk/") ? "Kursk/" : "Kursk";
        ASSERT_TRUE(at.count(folderName)) << int(format);
        EXPECT_EQ(listing->entries[at[folderName]].kind, EntryKind::Folder);
        const SourceEntry& campaign = listing->entries[at["Kursk/CAMP0001.DAT"]];
        EXPECT_EQ(campaign.kind, EntryKind::File);
        EXPECT_EQ(campaign.size, 14u);
        auto comment = readEntry(*source, at["Kursk/xxxKursk.txt"], 100);
        ASSERT_TRUE(comment.ok()) << comment.error().message;
        EXPECT_EQ(std::string(comment->begin(), comment->end()), "comment\r\n") << int(format);
        EXPECT_FALSE(readEntry(*source, at["Kursk/CAMP0001.DAT"], 5).ok()) << "more than the limit";
    }
}

// A bomb is never unpacked only to be listed: the listing stops at the first
// entry past the limit.
TEST(SetSource, ListingStopsAtTheLimits)
{
    const auto bytes = makeArchive(ArchiveFormat::SevenZip,
        { { "A.DAT", "", MadeKind::File, 4u << 20 }, { "B.DAT", "", MadeKind::File, 4u << 20 } });
    auto source = openArchiveMemory(bytes, "zeros.7z");
    auto listing = source->list({ 10, 1u << 20 });
    ASSERT_TRUE(listing.ok());
    EXPECT_TRUE(listing->cut);
    EXPECT_EQ(listing->entries.size(), 1u);
    Collect all;
    EXPECT_FALSE(source->read(all).ok()) << "a source listed only in part is not read";

    const auto many = makeArchive(ArchiveFormat::Zip, { { "A", "a" }, { "B", "b" }, { "C", "c" } });
    auto three = openArchiveMemory(many, "many.zip")->list({ 1, 1000 });
    ASSERT_TRUE(three.ok());
    EXPECT_TRUE(three->cut);
    EXPECT_EQ(three->entries.size(), 2u);
}

// Read from the disk, an archive gives the same entries; a missing or
// damaged one is refused with the reason.
TEST(SetSource, ArchiveFilesAreReadThroughThePlatformLayer)
{
    kvl::test::TempFolder temp;
    const auto bytes = makeArchive(ArchiveFormat::Zip, kSet);
    ASSERT_TRUE(kvl::writeFileImage(temp / "Kursk.zip", bytes));
    auto source = openSetSource(temp / "Kursk.zip");
    EXPECT_EQ(source->packedSize(), bytes.size());
    auto plan = checkAndRead(*source);
    ASSERT_TRUE(plan.ok()) << plan.error().message;
    EXPECT_EQ(plan->suggestedName, "Kursk");

    auto missing = openSetSource(temp / "none.zip")->list({ 10, 10 });
    ASSERT_FALSE(missing.ok());
    EXPECT_NE(missing.error().message.find("none.zip"), std::string::npos);
    EXPECT_EQ(missing.error().code, ENOENT);

    ASSERT_TRUE(kvl::writeFileImage(temp / "cut.zip", std::span(bytes.data(), bytes.size() / 2)));
    auto damaged = checkAndRead(*openSetSource(temp / "cut.zip"));
    ASSERT_FALSE(damaged.ok());
    EXPECT_NE(damaged.error().message.find("damaged or not an archive: "), std::string::npos)
        << damaged.error().message;
}

// A folder lists its files and folders, sorted, links as links (never
// followed), and reads what was listed.
TEST(SetSource, FoldersListLinksWithoutFollowingThem)
{
    kvl::test::TempFolder temp;
    fs::create_directories(temp / "Kursk/docs");
    ASSERT_TRUE(kvl::writeFileImage(temp / "Kursk/CAMP0001.DAT", std::string_view("campaign")));
    ASSERT_TRUE(kvl::writeFileImage(temp / "Kursk/docs/map.txt", std::string_view("map")));
    auto source = openSetSource(temp / "Kursk");
    EXPECT_EQ(source->packedSize(), std::nullopt);
    auto listing = source->list(listLimits(std::nullopt));
    ASSERT_TRUE(listing.ok()) << listing.error().message;
    ASSERT_EQ(listing->entries.size(), 3u);
    EXPECT_EQ(listing->entries[0].name, "CAMP0001.DAT");
    EXPECT_EQ(listing->entries[0].size, 8u);
    EXPECT_EQ(listing->entries[1].name, "docs");
    EXPECT_EQ(listing->entries[1].kind, EntryKind::Folder);
    EXPECT_EQ(listing->entries[2].name, "docs/map.txt");
    Collect all;
    ASSERT_TRUE(source->read(all).ok());
    EXPECT_EQ(all.bytes[0], "campaign");

    std::error_code ec;
    fs::create_symlink("/etc/passwd", temp / "Kursk/SQ0141.DAT", ec);
    if (ec)
        GTEST_SKIP() << "no symbolic links here";
    auto linked = openSetSource(temp / "Kursk");
    auto withLink = checkAndRead(*linked);
    ASSERT_FALSE(withLink.ok());
    EXPECT_NE(withLink.error().message.find("\"SQ0141.DAT\" is a link"), std::string::npos) << withLink.error().message;
}

// A file that was swapped for a link after the listing is not read.
TEST(SetSource, FolderFileReplacedByALinkAfterTheListingIsNotRead)
{
    kvl::test::TempFolder temp;
    ASSERT_TRUE(kvl::writeFileImage(temp / "CAMP0001.DAT", std::string_view("campaign")));
    auto source = openFolderSource(temp.path());
    ASSERT_TRUE(source->list(listLimits(std::nullopt)).ok());
    fs::remove(temp / "CAMP0001.DAT");
    std::error_code ec;
    fs::create_symlink("/etc/passwd", temp / "CAMP0001.DAT", ec);
    if (ec)
        GTEST_SKIP() << "no symbolic links here";
    Collect all;
    auto read = source->read(all);
    ASSERT_FALSE(read.ok());
    EXPECT_NE(read.error().message.find("no longer a plain file"), std::string::npos);
    EXPECT_TRUE(all.bytes.empty() || all.bytes.begin()->second.empty());
}
