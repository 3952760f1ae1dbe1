// Tests of where file dialogs start: in the last folder used when it is
// still there, otherwise where the program asked.
#include "common/lastfolder.h"
#include "common/testing/fakewindowhost.h"
#include "common/testing/testfolder.h"

#include <gtest/gtest.h>

#include <vector>

namespace kvl {
namespace {

namespace fs = std::filesystem;

class LastFolderTest : public ::testing::Test {
protected:
    LastFolderTest()
    {
        fs::create_directories(m_temp / "mods");
        fs::create_directories(m_temp / "game");
    }

    LastFolder remembering(const fs::path& folder)
    {
        return LastFolder(folder, [this](const fs::path& kept) { m_kept.push_back(kept); });
    }

    static FileDialogRequest request(FileDialogKind kind, fs::path start)
    {
        FileDialogRequest r;
        r.kind = kind;
        r.caption = "Open";
        r.start = std::move(start);
        r.filter = "Flight models (*.flt)";
        r.objectName = "CD";
        return r;
    }

    test::TempFolder m_temp;
    test::FakeWindowHost<> m_host;
    std::vector<fs::path> m_kept;
};

TEST_F(LastFolderTest, NothingRememberedOrFolderGoneStartsWhereAsked)
{
    const fs::path gone = m_temp / "gone";
    for (const fs::path& remembered : { fs::path(), gone }) {
        LastFolder last = remembering(remembered);
        for (FileDialogKind kind : { FileDialogKind::OpenFile, FileDialogKind::SaveFile, FileDialogKind::Folder }) {
            const FileDialogRequest placed = last.place(request(kind, m_temp / "game" / "a.csv"));
            EXPECT_EQ(placed.start, m_temp / "game" / "a.csv");
            EXPECT_EQ(placed.caption, "Open");
            EXPECT_EQ(placed.objectName, "CD");
        }
    }
}

TEST_F(LastFolderTest, RememberedFolderReplacesTheStartKeepingASuggestedSaveName)
{
    const fs::path mods = m_temp / "mods";
    LastFolder last = remembering(mods);
    EXPECT_EQ(last.place(request(FileDialogKind::OpenFile, m_temp / "game")).start, mods);
    EXPECT_EQ(last.place(request(FileDialogKind::OpenFile, {})).start, mods);
    EXPECT_EQ(last.place(request(FileDialogKind::Folder, m_temp / "game")).start, mods);
    EXPECT_EQ(last.place(request(FileDialogKind::SaveFile, m_temp / "game" / "P51.csv")).start, mods / "P51.csv");
    // A save dialog that starts in a folder suggests no name.
    EXPECT_EQ(last.place(request(FileDialogKind::SaveFile, m_temp / "game")).start, mods);
}

TEST_F(LastFolderTest, ChoosingRemembersTheAnswersFolderAndCancelChangesNothing)
{
    LastFolder last = remembering({});
    m_host.chosenFiles = { m_temp / "mods" / "P51.flt", {}, m_temp / "game" };
    EXPECT_EQ(last.choose(m_host, request(FileDialogKind::OpenFile, m_temp / "game")), m_temp / "mods" / "P51.flt");
    EXPECT_EQ(m_host.fileDialogs[0].start, m_temp / "game");
    EXPECT_EQ(last.folder(), m_temp / "mods");

    EXPECT_EQ(last.choose(m_host, request(FileDialogKind::SaveFile, m_temp / "game" / "P51.csv")), fs::path());
    EXPECT_EQ(m_host.fileDialogs[1].start, m_temp / "mods" / "P51.csv");
    EXPECT_EQ(last.folder(), m_temp / "mods");

    // A folder dialog's answer is the folder itself.
    last.choose(m_host, request(FileDialogKind::Folder, {}));
    EXPECT_EQ(m_host.fileDialogs[2].start, m_temp / "mods");
    EXPECT_EQ(last.folder(), m_temp / "game");
    EXPECT_EQ(m_kept, (std::vector<fs::path> { m_temp / "mods", m_temp / "game" }));
}

TEST_F(LastFolderTest, ARelativeAnswerIsRememberedAsAFullPath)
{
    LastFolder last = remembering({});
    m_host.chosenFiles = { fs::path("sub") / "a.flt" };
    last.choose(m_host, request(FileDialogKind::OpenFile, {}));
    EXPECT_TRUE(last.folder().is_absolute());
    EXPECT_EQ(last.folder().filename(), "sub");
}

} // namespace
} // namespace kvl
