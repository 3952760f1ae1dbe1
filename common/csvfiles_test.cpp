// The record editors' CSV file steps: the file the dialog answers gets the
// whole text or stays as it was; an import gives values only when the whole
// file passed; every refusal is one message naming the file and the reason;
// a cancelled dialog shows and writes nothing.
#include "common/csvfiles.h"

#include "common/fileimage.h"
#include "common/platform.h"
#include "common/testing/bytetable.h"
#include "common/testing/fakewindowhost.h"
#include "common/testing/testfolder.h"

#include <gtest/gtest.h>

#include <map>

namespace {

namespace fs = std::filesystem;

// Every file and folder under `folder`, with the files' bytes.
std::map<std::string, std::string> snapshot(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = fs::relative(entry.path(), folder).generic_string();
        if (entry.is_directory()) {
            files[name + "/"];
            continue;
        }
        const auto image = kvl::readFileImage(entry.path());
        files[name] = image ? std::string(image->begin(), image->end()) : "?";
    }
    return files;
}

const kvl::CsvLayout kLayout { "field", { "field", "label", "value" } };

// A refusal's box, written so that the test sees what the program was given.
kvl::CsvRefusal box(const char* what)
{
    return [what](const fs::path& file, const std::string& reason) {
        return kvl::Message { kvl::MessageIcon::Warning, what, kvl::platform::utf8FromPath(file) + " | " + reason };
    };
}

class CsvFilesTest : public ::testing::Test {
protected:
    CsvFilesTest()
    {
        exportSteps.dialog = { kvl::FileDialogKind::SaveFile, "Export", folder / "out.csv", "CSV (*.csv)", "Exp" };
        exportSteps.cannotWrite = box("cannot write");
        importSteps.dialog = { kvl::FileDialogKind::OpenFile, "Import", folder.path(), "CSV (*.csv)", "Imp" };
        importSteps.cannotRead = box("cannot read");
        importSteps.refused = box("refused");
    }

    std::string readText(const fs::path& file) const
    {
        auto image = kvl::readFileImage(file);
        return image ? std::string(image->begin(), image->end()) : std::string("(unreadable)");
    }

    kvl::test::TempFolder folder;
    kvl::test::FakeWindowHost<> host;
    kvl::test::ByteTable table { { 5, -7, 127 } };
    kvl::CsvExportSteps exportSteps;
    kvl::CsvImportSteps importSteps;
};

TEST_F(CsvFilesTest, AnExportReplacesTheChosenFileWithTheWholeText)
{
    const std::string csv = kvl::exportCsv(table, kLayout);
    ASSERT_TRUE(kvl::writeFileImage(folder / "out.csv", std::string_view("an older, longer text than the new one")));
    host.chosenFiles.push_back(folder / "out.csv");
    const auto result = kvl::exportToChosenCsv(host, exportSteps, csv);
    EXPECT_TRUE(result.done());
    EXPECT_EQ(result.file, folder / "out.csv");
    EXPECT_EQ(readText(folder / "out.csv"), csv);
    EXPECT_TRUE(host.messages.empty());
    ASSERT_EQ(host.fileDialogs.size(), 1u);
    EXPECT_EQ(host.fileDialogs[0].caption, "Export");
    EXPECT_EQ(host.fileDialogs[0].objectName, "Exp");
    EXPECT_EQ(host.fileDialogs[0].start, folder / "out.csv");
    EXPECT_EQ(snapshot(folder.path()).size(), 1u) << "no temporary file stays behind";
}

TEST_F(CsvFilesTest, AFileThatCannotBeWrittenIsNamedWithTheReasonAndLeftAsItWas)
{
    ASSERT_TRUE(kvl::writeFileImage(folder / "kept.csv", std::string_view("old")));
    fs::create_directory(folder / "a folder.csv");
    const fs::path targets[] = { folder / "no such folder" / "out.csv", folder / "a folder.csv" };
    for (const fs::path& target : targets) {
        SCOPED_TRACE(target.string());
        host.messages.clear();
        const auto before = snapshot(folder.path());
        host.chosenFiles.push_back(target);
        const auto result = kvl::exportToChosenCsv(host, exportSteps, kvl::exportCsv(table, kLayout));
        EXPECT_EQ(result.outcome, kvl::CsvFileOutcome::Refused);
        EXPECT_EQ(result.file, target);
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].title, "cannot write");
        // The box gets the file chosen, and the reason names it too.
        const std::string name = kvl::platform::utf8FromPath(target);
        EXPECT_EQ(host.lastText().rfind(name + " | ", 0), 0u) << host.lastText();
        EXPECT_NE(host.lastText().find(name, name.size()), std::string::npos) << host.lastText();
        EXPECT_EQ(snapshot(folder.path()), before);
    }
}

TEST_F(CsvFilesTest, ACancelledDialogShowsNothingAndWritesNothing)
{
    ASSERT_TRUE(kvl::writeFileImage(folder / "out.csv", std::string_view("old")));
    const auto before = snapshot(folder.path());
    EXPECT_EQ(kvl::exportToChosenCsv(host, exportSteps, "field,value\r\n").outcome, kvl::CsvFileOutcome::Cancelled);
    const auto imported = kvl::importFromChosenCsv(host, importSteps, table, kLayout);
    EXPECT_EQ(imported.outcome, kvl::CsvFileOutcome::Cancelled);
    EXPECT_TRUE(imported.file.empty());
    EXPECT_TRUE(imported.values.empty());
    EXPECT_EQ(host.fileDialogs.size(), 2u);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(snapshot(folder.path()), before);
}

TEST_F(CsvFilesTest, AnImportGivesTheValuesOfAWholeFileThatPassed)
{
    ASSERT_TRUE(kvl::writeFileImage(folder / "in.csv", std::string_view("value,field\r\n-3,11\r\n\"99\",12\r\n")));
    host.chosenFiles.push_back(folder / "in.csv");
    const auto result = kvl::importFromChosenCsv(host, importSteps, table, kLayout);
    ASSERT_TRUE(result.done());
    EXPECT_EQ(result.file, folder / "in.csv");
    ASSERT_EQ(result.values.size(), 2u);
    EXPECT_EQ(result.values[0].index, 1u);
    EXPECT_EQ(result.values[0].value, "-3");
    EXPECT_EQ(result.values[1].index, 2u);
    EXPECT_EQ(result.values[1].value, "99");
    EXPECT_EQ(result.values[1].line, 3u);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.fileDialogs.at(0).objectName, "Imp");
}

TEST_F(CsvFilesTest, AnImportThatCannotBeReadOrCheckedGivesNoValuesAndOneMessage)
{
    ASSERT_TRUE(kvl::writeFileImage(folder / "late.csv", std::string_view("field,value\n10,1\n11,2\n12,128\n")));
    ASSERT_TRUE(kvl::writeFileImage(folder / "quote.csv", std::string_view("field,value\n10,\"1\n")));
    fs::create_directory(folder / "dir.csv");
    struct Case {
        const char* file;
        const char* title;
        const char* says;
    };
    const Case cases[] = {
        { "missing.csv", "cannot read", "missing.csv" },
        { "dir.csv", "cannot read", "is a folder" },
        { "late.csv", "refused", "line 4: field 12: \"128\" does not fit an i8" },
        { "quote.csv", "refused", "line 2: a quoted field is not closed" },
    };
    const auto before = snapshot(folder.path());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        host.messages.clear();
        host.chosenFiles.push_back(folder / c.file);
        const auto result = kvl::importFromChosenCsv(host, importSteps, table, kLayout);
        EXPECT_EQ(result.outcome, kvl::CsvFileOutcome::Refused);
        EXPECT_TRUE(result.values.empty()) << "no values of a file that did not pass whole";
        EXPECT_EQ(result.file, folder / c.file);
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].title, c.title);
        EXPECT_EQ(host.lastText().rfind(kvl::platform::utf8FromPath(folder / c.file) + " | ", 0), 0u);
        EXPECT_NE(host.lastText().find(c.says), std::string::npos) << host.lastText();
    }
    EXPECT_EQ(snapshot(folder.path()), before);
}

} // namespace
