// The CSV export under a write that fails half-way: the file chosen keeps
// its old text and no temporary file stays behind.
#include "common/csvfiles.h"

#include "common/testing/bytetable.h"
#include "common/testing/fakewindowhost.h"
#include "common/testing/testfolder.h"
#include "common/testing/writefailure.h"

#include <gtest/gtest.h>

namespace {

TEST(CsvFilesWriteFailure, AnExportCutShortByAFileSizeLimitLeavesTheOldFile)
{
    kvl::test::TempFolder folder;
    const auto target = folder / "out.csv";
    ASSERT_TRUE(kvl::writeFileImage(target, std::string_view("the old text\r\n")));
    // A table whose text is far longer than the limit.
    const kvl::test::ByteTable table(std::vector<int>(2000, -100));
    const std::string csv = kvl::exportCsv(table, { "field", { "field", "label", "value" } });
    ASSERT_GT(csv.size(), 8192u);
    const auto before = kvl::test::folderSnapshot(folder.path());
    const int status = kvl::test::runWithFileSizeLimit(4096, [&] {
        kvl::test::FakeWindowHost<> host;
        host.chosenFiles.push_back(target);
        kvl::CsvExportSteps steps;
        steps.dialog.kind = kvl::FileDialogKind::SaveFile;
        steps.cannotWrite = [](const std::filesystem::path&, const std::string& reason) {
            return kvl::Message { kvl::MessageIcon::Warning, "Export", reason };
        };
        const auto result = kvl::exportToChosenCsv(host, steps, csv);
        return result.outcome == kvl::CsvFileOutcome::Refused && host.messages.size() == 1 ? 0 : 1;
    });
    EXPECT_EQ(status, 0) << "the export reported the failure in one message";
    EXPECT_EQ(kvl::test::folderSnapshot(folder.path()), before);
}

} // namespace
