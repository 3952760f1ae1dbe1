// A slot as a typed field table: compare, CSV export and import (command
// line and window core), copying values across as one undoable step.
#include "planesedit/aircrafteditor.h"
#include "planesedit/slotcsv.h"
#include "planesedit/testsupport.h"

#include <gtest/gtest.h>

using namespace kvl;
using namespace kvl::planesedit;
using namespace kvl::test;

namespace {

class SlotCsvTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        image = makePlanesImage();
        writeFile(file(), image);
    }
    std::filesystem::path file() const { return dir.path() / "planes.dat"; }
    std::string csv(int slot)
    {
        auto out = exportSlotCsv(file(), slot);
        EXPECT_TRUE(out) << out.error().message;
        return out ? *out : std::string();
    }

    TempFolder dir;
    std::vector<std::uint8_t> image;
};

} // namespace

TEST_F(SlotCsvTest, ExportHasAHeaderAndOneRowPerByte)
{
    poke(image, 2, 8, { 151, 7 });
    writeFile(file(), image);
    const std::string text = csv(2);
    EXPECT_EQ(text.substr(0, 27), "row,position,label,value\r\n1");
    EXPECT_NE(text.find("\r\n9," + std::to_string(filePosition(2, 9)) + ",Year,151\r\n"), std::string::npos);
    EXPECT_NE(
        text.find("\r\n10," + std::to_string(filePosition(2, 10)) + ",\"Year, byte 2\",7\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n168,"), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 169);
}

TEST_F(SlotCsvTest, ExportImportedBackWritesIdenticalBytes)
{
    for (int slot : { 0, 17, 29 }) {
        const std::string text = csv(slot);
        auto changed = importSlotCsv(file(), slot, text);
        ASSERT_TRUE(changed) << changed.error().message;
        EXPECT_EQ(*changed, 0);
        EXPECT_EQ(readFile(file()), image);
    }
}

TEST_F(SlotCsvTest, ImportChangesExactlyTheNamedBytes)
{
    auto changed = importSlotCsv(file(), 5, "value,row\n200,75\n\"1\",9\n");
    ASSERT_TRUE(changed) << changed.error().message;
    EXPECT_EQ(*changed, 2);
    auto expected = image;
    expected[filePosition(5, 75) - 1] = 200;
    expected[filePosition(5, 9) - 1] = 1;
    EXPECT_EQ(readFile(file()), expected);
}

TEST_F(SlotCsvTest, BadImportsAreRefusedWholeWithTheirLine)
{
    struct Case {
        const char* csv;
        const char* message;
    };
    const Case cases[] = {
        { "row,value\r\n9,1\r\n169,4\r\n", "line 3: row 169 does not exist" },
        { "row,value\r\n9,1\r\n10,x\r\n", "line 3: row 10: \"x\" is not a number" },
        { "row,value\r\n9,1\r\n10,256\r\n", "line 3: row 10: \"256\" does not fit a u8 (0 to 255)" },
        { "row,value\r\n9,1\r\n10,-1\r\n", "does not fit a u8" },
        { "row,value\r\n9,1\r\n10,\"4\"x\r\n", "line 3" },
        { "row,value\r\n9,1\r\n10,\"4\r\n", "line 3" },
        { "row,value\r\n9,1\r\n9,2\r\n", "line 3: row 9 is given twice" },
        { "row,label\r\n9,Year\r\n", "line 1: the header row must name" },
        { "", "empty" },
    };
    for (const Case& c : cases) {
        auto result = importSlotCsv(file(), 1, c.csv);
        ASSERT_FALSE(result) << c.csv;
        EXPECT_NE(result.error().message.find(c.message), std::string::npos) << result.error().message;
        EXPECT_EQ(readFile(file()), image) << c.csv;
    }
}

TEST_F(SlotCsvTest, MissingOrShortFilesAreNamed)
{
    auto missing = exportSlotCsv(dir.path() / "nope.dat", 0);
    ASSERT_FALSE(missing);
    EXPECT_NE(missing.error().message.find("nope.dat"), std::string::npos);
    image.resize(2000);
    writeFile(file(), image);
    auto shortFile = importSlotCsv(file(), 20, "row,value\n1,1\n");
    ASSERT_FALSE(shortFile);
    EXPECT_NE(shortFile.error().message.find("too few for slot 20"), std::string::npos);
    EXPECT_EQ(readFile(file()), image);
}

TEST_F(SlotCsvTest, CompareFindsTheFieldsThatDiffer)
{
    auto other = image;
    poke(other, 7, 8, { 1, 2 });  // year
    poke(other, 7, 164, { 'Z' }); // first code byte
    const auto otherFile = dir.path() / "other.dat";
    writeFile(otherFile, other);
    const auto mine = RecordTable::fromRecord(*readSlot(file(), 7));
    const auto theirs = RecordTable::fromRecord(*readSlot(otherFile, 7));
    const auto diffs = compareFields(mine, theirs);
    ASSERT_EQ(diffs.size(), 3u);
    EXPECT_EQ(diffs[0].index, 8u);
    EXPECT_EQ(diffs[0].theirs, "1");
    EXPECT_EQ(mine.field(9).label, "Year, byte 2");
    EXPECT_EQ(diffs[2].index, 164u);
    EXPECT_EQ(diffs[2].theirs, "90");
    EXPECT_EQ(mine.field(165).label, "Code, byte 2");
    EXPECT_EQ(mine.field(0).position, filePosition(7, 1));
    // Two slots of one file differ wherever their patterns do.
    EXPECT_EQ(compareFields(mine, RecordTable::fromRecord(*readSlot(file(), 8))).size(), 168u);
}

TEST_F(SlotCsvTest, EditorCopiesAndImportsAsOneUndoableStep)
{
    FakeWindowHost<> host;
    AircraftEditor editor(dir.path(), host);
    ASSERT_TRUE(editor.chooseAircraft(0));
    ASSERT_TRUE(editor.compareWithSlot(1));
    const auto& other = editor.compared();
    ASSERT_TRUE(other);
    ASSERT_TRUE(editor.copyCompared({ 9, 10, 75 }));
    EXPECT_EQ(editor.cell(9, kValueColumn), other->table.valueText(8));
    EXPECT_EQ(editor.fields().year, Str(editor.document().twoByteValue(9)));
    EXPECT_EQ(editor.document().steps(), 1u);
    EXPECT_TRUE(editor.unsavedMark());
    EXPECT_EQ(editor.status().kind, StatusReport::Kind::Copied);
    EXPECT_EQ(editor.status().count, 3);
    editor.undo();
    EXPECT_EQ(editor.cell(9, kValueColumn), editor.cell(9, kReadColumn));

    // Import from a file through the host's dialog; refusals change nothing.
    const auto bad = dir.path() / "bad.csv";
    writeFile(bad, { 'r', 'o', 'w', ',', 'v', 'a', 'l', 'u', 'e', '\n', '9', ',', 'x', '\n' });
    host.chosenFiles.push_back(bad);
    EXPECT_FALSE(editor.importCsvFile());
    ASSERT_EQ(errorsShown(host).size(), 1u);
    EXPECT_NE(errorsShown(host)[0].find("line 2"), std::string::npos);
    const auto good = dir.path() / "good.csv";
    const std::string text = "row,value\r\n165,65\r\n166,66\r\n167,67\r\n168,68\r\n5,3\r\n";
    writeFile(good, std::vector<std::uint8_t>(text.begin(), text.end()));
    host.chosenFiles.push_back(good);
    ASSERT_TRUE(editor.importCsvFile());
    EXPECT_EQ(editor.fields().code, "ABCD");
    EXPECT_TRUE(editor.fields().flags[0][0]);
    EXPECT_TRUE(editor.fields().flags[0][1]);
    EXPECT_EQ(editor.cell(166, kLabelColumn), "B");
    ASSERT_TRUE(editor.savePlanes());
    const auto disk = readFile(file());
    EXPECT_EQ(disk[filePosition(0, 165) - 1], 'A');
    EXPECT_EQ(disk[filePosition(0, 5) - 1], 3);

    // Export through the dialog gives the saved bytes back.
    host.chosenFiles.push_back(dir.path() / "out.csv");
    ASSERT_TRUE(editor.exportCsvFile());
    EXPECT_EQ(readText(dir.path() / "out.csv"), *exportSlotCsv(file(), 0));
}
