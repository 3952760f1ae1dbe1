#include "common/testing/fakewindowhost.h"
#include "common/testing/testfolder.h"
#include "common/workfolder.h"

#include <fstream>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

// A folder is accepted when it holds "marker".
kvl::WorkFolderRule markerRule()
{
    kvl::WorkFolderRule rule;
    rule.accepts = [](const fs::path& f) { return fs::exists(f / "marker"); };
    rule.dialogCaption = "Choose";
    rule.dialogName = "Dialog";
    rule.messageTitle = "Tool";
    rule.refusal = [](const fs::path& f) { return f.filename().string() + " is not one"; };
    return rule;
}

TEST(WorkFolder, CurrentThenRememberedThenAskedUntilAcceptedOrCancelled)
{
    kvl::test::TempFolder dir;
    for (const char* name : { "home", "game", "other" })
        fs::create_directory(dir / name);
    std::ofstream(dir / "game" / "marker").put('x');
    kvl::test::FakeWindowHost<> host;

    // From a terminal inside the folder: no dialog.
    EXPECT_EQ(kvl::findWorkFolder(host, dir / "game", {}, markerRule()), dir / "game");
    // From the desktop, with a remembered folder that still is one.
    EXPECT_EQ(kvl::findWorkFolder(host, dir / "home", dir / "game", markerRule()), dir / "game");
    EXPECT_TRUE(host.fileDialogs.empty());

    // Nothing remembered: a wrong pick is explained and the dialog comes again.
    host.chosenFiles = { dir / "other", dir / "game" };
    EXPECT_EQ(kvl::findWorkFolder(host, dir / "home", dir / "gone", markerRule()), dir / "game");
    ASSERT_EQ(host.fileDialogs.size(), 2u);
    EXPECT_EQ(host.fileDialogs[0].kind, kvl::FileDialogKind::Folder);
    EXPECT_EQ(host.fileDialogs[0].start, dir / "home");
    EXPECT_EQ(host.fileDialogs[1].start, dir / "other");
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "other is not one");

    // Cancel.
    EXPECT_FALSE(kvl::findWorkFolder(host, dir / "home", {}, markerRule()).has_value());
}

} // namespace
