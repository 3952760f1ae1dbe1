// Tests of whole-file reads, in-place writes and case-insensitive look-up.
#include "common/fileimage.h"
#include "common/testing/platformtesting.h"
#include "common/testing/testfolder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace kvl {
namespace {

namespace fs = std::filesystem;

class FileImage : public ::testing::Test {
protected:
    test::TempFolder m_folder;
    const fs::path& m_dir = m_folder.path();
};

TEST_F(FileImage, WriteThenReadGivesTheSameBytes)
{
    std::vector<std::uint8_t> bytes = { 0, 1, 2, 0xFF, '\r', '\n' };
    ASSERT_TRUE(writeFileImage(m_dir / "a.bin", bytes));
    std::vector<std::uint8_t> back;
    ASSERT_TRUE(readFileImage(m_dir / "a.bin", back));
    EXPECT_EQ(back, bytes);
    EXPECT_EQ(fileSize(m_dir / "a.bin"), 6);
}

TEST_F(FileImage, MissingFileAndFolderAreReportedNotRead)
{
    std::vector<std::uint8_t> back = { 1 };
    std::string error;
    EXPECT_FALSE(readFileImage(m_dir / "missing.bin", back, &error));
    EXPECT_TRUE(back.empty());
    EXPECT_NE(error.find("missing.bin"), std::string::npos);
    EXPECT_FALSE(readFileImage(m_dir, back, &error));
    EXPECT_NE(error.find("folder"), std::string::npos);
    if (test::makeFifo(m_dir / "pipe")) {
        EXPECT_FALSE(readFileImage(m_dir / "pipe", back, &error)); // would block if opened
        EXPECT_NE(error.find("not a plain file"), std::string::npos);
    }
}

TEST_F(FileImage, InPlaceWriteNeverGrowsOrTruncates)
{
    std::vector<std::uint8_t> bytes(10, 0xAA);
    ASSERT_TRUE(writeFileImage(m_dir / "f.dat", bytes));
    std::vector<std::uint8_t> patch = { 1, 2, 3 };
    EXPECT_TRUE(writeInPlace(m_dir / "f.dat", 7, patch));
    EXPECT_FALSE(writeInPlace(m_dir / "f.dat", 8, patch));
    EXPECT_FALSE(writeInPlace(m_dir / "nothere.dat", 0, patch));
    EXPECT_FALSE(fs::exists(m_dir / "nothere.dat"));
    std::vector<std::uint8_t> back;
    ASSERT_TRUE(readFileImage(m_dir / "f.dat", back));
    ASSERT_EQ(back.size(), 10u);
    EXPECT_EQ(back[6], 0xAA);
    EXPECT_EQ(back[7], 1);
    EXPECT_EQ(back[9], 3);
}

TEST_F(FileImage, AtomicWriteReplacesAndLeavesNoTemporary)
{
    ASSERT_TRUE(writeFileImage(m_dir / "last.txt", std::string_view("old\r\n")));
    ASSERT_TRUE(writeFileAtomically(m_dir / "last.txt", std::string_view("new\r\n")));
    std::vector<std::uint8_t> back;
    ASSERT_TRUE(readFileImage(m_dir / "last.txt", back));
    EXPECT_EQ(std::string(back.begin(), back.end()), "new\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 1);
    EXPECT_FALSE(writeFileAtomically(m_dir / "no" / "such.txt", std::string_view("x")));
}

TEST_F(FileImage, FindsFilesIgnoringLetterCase)
{
    ASSERT_TRUE(writeFileImage(m_dir / "camp0001.dat", std::string_view("x")));
    fs::create_directories(m_dir / "Workfiles");
    ASSERT_TRUE(writeFileImage(m_dir / "Workfiles" / "LastCampaign.txt", std::string_view("x")));
    EXPECT_EQ(findFileNoCase(m_dir, "CAMP0001.DAT"), m_dir / "camp0001.dat");
    EXPECT_EQ(findFileNoCase(m_dir, "camp0001.dat"), m_dir / "camp0001.dat");
    EXPECT_EQ(findFileNoCase(m_dir, "WORKFILES/lastcampaign.TXT"), m_dir / "Workfiles" / "LastCampaign.txt");
    EXPECT_EQ(findFileNoCase(m_dir, "missing.dat"), m_dir / "missing.dat");
    EXPECT_TRUE(equalsNoCase("Squadron.TXT", "SQUADRON.txt"));
    EXPECT_FALSE(equalsNoCase("Squadron.TXT", "Squadron.TX"));
}

} // namespace
} // namespace kvl
