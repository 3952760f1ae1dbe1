// The journal's hash, writer and reader.
#include "folioswap/journal.h"

#include <gtest/gtest.h>

#include <set>

using namespace kvl::folioswap;

namespace {

std::vector<std::uint8_t> bytesOf(const std::string& text)
{
    return { text.begin(), text.end() };
}

Journal sampleJournal()
{
    Journal journal;
    journal.operation = Operation::Unload;
    journal.setName = "Malta 100% Siege";
    journal.lastBefore = "Malta 100% Siege";
    journal.lastAfter = "xxx";
    journal.steps.push_back({ StepKind::Copy, "CAMP0001.DAT", "CAMMalta 100% Siege/CAMP0001.DAT",
        FileState::of(bytesOf("old")), FileState::of(bytesOf("new")), "Workfiles/SafetyCopies/CAMP0001.DAT", true });
    journal.steps.push_back(
        { StepKind::Copy, "-", "QEXRestoreFiles/-", FileState::absent(), FileState::of(bytesOf("")), "", false });
    journal.steps.push_back({ StepKind::Delete, "tab\there", "", FileState::of(bytesOf("x")), FileState::absent(),
        "CAMMalta 100% Siege/tab\there", false });
    return journal;
}

} // namespace

TEST(ContentHash, EveryByteAndTheLengthCount)
{
    // One changed byte at any place, in files shorter and longer than a
    // block, gives another hash; so does one more zero byte.
    std::set<std::uint64_t> seen;
    for (std::size_t size : { 0, 1, 7, 31, 32, 33, 100 }) {
        std::vector<std::uint8_t> bytes(size, 0);
        ASSERT_TRUE(seen.insert(contentHash(bytes)).second) << size;
        for (std::size_t at = 0; at < size; ++at) {
            bytes[at] = 0x80;
            ASSERT_TRUE(seen.insert(contentHash(bytes)).second) << size << " " << at;
            bytes[at] = 0;
        }
    }
}

TEST(ContentHash, PiecesHashAsTheWhole)
{
    std::vector<std::uint8_t> bytes(1000);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    for (std::size_t piece : { 1, 5, 31, 32, 33, 999 }) {
        ContentHash hash;
        for (std::size_t at = 0; at < bytes.size(); at += piece)
            hash.add(std::span(bytes).subspan(at, std::min(piece, bytes.size() - at)));
        EXPECT_EQ(hash.finish(), contentHash(bytes)) << piece;
    }
}

TEST(Journal, RoundTripsOddNames)
{
    Journal journal = sampleJournal();
    std::string text = formatJournal(journal);
    EXPECT_EQ(text.rfind("folioswap-journal 1\noperation unload\nset Malta%20100%25%20Siege\n", 0), 0u) << text;
    EXPECT_NE(text.find("\ncopy %2D QEXRestoreFiles/- - 0:"), std::string::npos) << text;
    EXPECT_NE(text.find("\ndelete tab%09here "), std::string::npos) << text;
    auto parsed = parseJournal(text);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(*parsed, journal);

    journal.setName.clear();
    journal.steps.clear();
    parsed = parseJournal(formatJournal(journal));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(*parsed, journal);
}

TEST(Journal, DamagedOrIncompleteTextsAreRefused)
{
    const std::string good = formatJournal(sampleJournal());
    // Every cut short of the whole text is refused: the "end" line proves it whole.
    for (std::size_t size = 0; size < good.size(); ++size)
        EXPECT_FALSE(parseJournal(good.substr(0, size))) << size;
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    EXPECT_FALSE(parseJournal(good + "copy a b - - - 0\n"));
    EXPECT_FALSE(parseJournal(replaced("operation unload", "operation move")));
    EXPECT_FALSE(parseJournal(replaced("folioswap-journal 1", "folioswap-journal 2")));
    EXPECT_FALSE(parseJournal(replaced("Workfiles/SafetyCopies/CAMP0001.DAT 1", "- 1")));
    EXPECT_FALSE(parseJournal(replaced(" 1\n", " 2\n")));
    EXPECT_FALSE(parseJournal(replaced("%20Siege\n", "%2\n")));
    EXPECT_FALSE(parseJournal(replaced("%20", "%G0")));
    EXPECT_FALSE(parseJournal(replaced("3:", "x:")));
    EXPECT_FALSE(parseJournal(replaced("\n", "\r\n")));
}
