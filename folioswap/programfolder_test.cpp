// Tests of the choice of the program folder at start-up: the current folder
// from a terminal, the remembered one or a folder dialog from a desktop entry.
#include "folioswap/programfolder.h"

#include "common/platform.h"
#include "common/testing/fakewindowhost.h"
#include "common/testing/platformtesting.h"
#include "common/testing/testfolder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace kvl::folioswap {
namespace {

namespace fs = std::filesystem;

class ProgramFolderTest : public ::testing::Test {
protected:
    ProgramFolderTest()
    {
        fs::create_directories(m_home);
        fs::create_directories(m_switcher / "Workfiles");
        fs::create_directories(m_other / "Workfiles");
    }

    kvl::test::TempFolder m_temp;
    fs::path m_home = m_temp / "home";
    fs::path m_switcher = m_temp / "game" / "Borvex";
    fs::path m_other = m_temp / "other" / "Borvex";
    kvl::test::FakeWindowHost<> m_host;
};

TEST_F(ProgramFolderTest, OnlyAFolderHoldingWorkfilesIsOne)
{
    EXPECT_TRUE(isProgramFolder(m_switcher));
    EXPECT_FALSE(isProgramFolder(m_home));
    EXPECT_FALSE(isProgramFolder({}));
    EXPECT_FALSE(isProgramFolder(m_temp / "missing"));
    // A file named Workfiles, or another letter case, is not the switcher's.
    std::ofstream(m_home / "Workfiles").put('x');
    EXPECT_FALSE(isProgramFolder(m_home));
    fs::create_directories(m_temp / "lower" / "workfiles");
    EXPECT_EQ(isProgramFolder(m_temp / "lower"), kvl::platform::kNamesIgnoreCase);
}

// From a terminal inside the switcher's folder: that folder, whatever is
// remembered, and no dialog.
TEST_F(ProgramFolderTest, TheCurrentFolderWinsWithoutADialog)
{
    EXPECT_EQ(findProgramFolder(m_host, m_switcher, m_other), m_switcher);
    EXPECT_EQ(findProgramFolder(m_host, m_switcher, {}), m_switcher);
    EXPECT_TRUE(m_host.fileDialogs.empty());
    EXPECT_TRUE(m_host.messages.empty());
}

TEST_F(ProgramFolderTest, FromTheHomeFolderTheRememberedOneIsUsedWithoutADialog)
{
    EXPECT_EQ(findProgramFolder(m_host, m_home, m_other), m_other);
    EXPECT_TRUE(m_host.fileDialogs.empty());
}

TEST_F(ProgramFolderTest, WithNothingUsableTheUserIsAskedUntilAFolderIsOne)
{
    // The remembered folder lost its Workfiles: the dialog starts there.
    fs::remove_all(m_other / "Workfiles");
    m_host.chosenFiles = { m_home, m_switcher };
    EXPECT_EQ(findProgramFolder(m_host, m_home, m_other), m_switcher);
    ASSERT_EQ(m_host.fileDialogs.size(), 2u);
    EXPECT_EQ(m_host.fileDialogs[0].kind, kvl::FileDialogKind::Folder);
    EXPECT_EQ(m_host.fileDialogs[0].objectName, kFolderDialogName);
    EXPECT_EQ(m_host.fileDialogs[0].start, m_other);
    // After a wrong pick the dialog opens where that pick was.
    EXPECT_EQ(m_host.fileDialogs[1].start, m_home);
    ASSERT_EQ(m_host.messages.size(), 1u);
    EXPECT_EQ(m_host.messages[0].title, "Borvex");
    EXPECT_EQ(m_host.messages[0].icon, kvl::MessageIcon::Warning);
    EXPECT_NE(m_host.lastText().find("\"" + m_home.string() + "\" is not the Borvex folder"), std::string::npos);
}

TEST_F(ProgramFolderTest, RememberedFolderGoneStartsTheDialogHereAndCancelGivesNothing)
{
    EXPECT_EQ(findProgramFolder(m_host, m_home, m_temp / "gone"), std::nullopt);
    ASSERT_EQ(m_host.fileDialogs.size(), 1u);
    EXPECT_EQ(m_host.fileDialogs[0].start, m_home);
    EXPECT_TRUE(m_host.messages.empty());
}

} // namespace
} // namespace kvl::folioswap
