// The aircraft editor: load, flag rules, number fields, code, byte editor,
// scroll shortcuts, save, save prompt and opening the script maker.
#include "planesedit/aircrafteditor.h"
#include "planesedit/testsupport.h"

#include <gtest/gtest.h>

using namespace kvl;
using namespace kvl::planesedit;
using namespace kvl::test;

namespace {

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        image = makePlanesImage();
        // Slot 0: the flags of a fighter, year 1943, crew 1, a code.
        poke(image, 0, 4, { 5, 2, 0, 1 });
        poke(image, 0, 8, { 151, 7, 1, 0 });
        poke(image, 0, 164, { 'P', '3', '8', 'H' });
        save();
    }
    void save() { writeFile(dir.path() / "planes.dat", image); }
    std::vector<std::uint8_t> onDisk() const { return readFile(dir.path() / "planes.dat"); }
    RecordFields fields() const { return editor.fields(); }
    std::string v(int row) const { return editor.cell(row, kValueColumn); }
    std::string reading(int index) const
    {
        return unitReading(index, Val(fields().numbers[static_cast<std::size_t>(index)]));
    }
    // The rows the grid was asked to scroll to since the last call.
    std::vector<int> scrolls()
    {
        std::vector<int> rows;
        for (const ViewRequest& r : editor.takeViewRequests())
            if (r.kind == ViewRequest::Kind::ScrollGrid)
                rows.push_back(r.row);
        return rows;
    }

    TempFolder dir;
    FakeWindowHost<> host;
    AircraftEditor editor { dir.path(), host };
    std::vector<std::uint8_t> image;
};

} // namespace

TEST_F(EditorTest, StartUpSetsLabelsAndByteNumbersOnly)
{
    EXPECT_EQ(editor.cell(4, 4), "4");
    EXPECT_EQ(editor.cell(168, 4), "168");
    EXPECT_EQ(editor.cell(1, 3), "Pln No");
    EXPECT_EQ(editor.cell(65, 3), "Default ext view");
    EXPECT_EQ(editor.cell(84, 3), "Engine 4");
    EXPECT_EQ(editor.cell(89, 3), " 1 Number");
    EXPECT_EQ(editor.cell(99, 3), " 1 Smoke");
    EXPECT_EQ(editor.cell(155, 3), " 6 Ammunition");
    EXPECT_EQ(editor.cell(164, 3), "MB 4");
    EXPECT_EQ(editor.cell(90, 3), "");
    EXPECT_EQ(editor.cell(0, 0), "");
    EXPECT_EQ(editor.cell(1, 0), "");
    EXPECT_FALSE(editor.loaded());
    EXPECT_FALSE(editor.loaded());
    EXPECT_FALSE(editor.scriptMaker().state().visible);
    EXPECT_EQ(editor.slot(), -1);
}

TEST_F(EditorTest, NothingHappensBeforeTheFirstLoad)
{
    editor.yearChanged("1950"); // fields are shown at start and may be typed in
    EXPECT_FALSE(editor.savePlanes());
    EXPECT_EQ(onDisk(), image);
    editor.gridClicked(73);
    EXPECT_FALSE(fields().byteEditorOpen) << "the grid takes no clicks before a load";
    editor.gunPanels().show(1);
    EXPECT_EQ(editor.gunPanels().state().group, 0);
    ASSERT_TRUE(editor.chooseAircraft(1));
    EXPECT_EQ(saveQuestions(host), 0) << "no save prompt without an aircraft";
    editor.yearChanged("1951");
    editor.close();
    EXPECT_EQ(saveQuestions(host), 1);
}

TEST_F(EditorTest, LoadFillsGridAndPanels)
{
    poke(image, 4, 12, { 0x39, 0x30, 0, 0 }); // stall speed 12345
    poke(image, 4, 84, { 2 });
    save();
    ASSERT_TRUE(editor.chooseAircraft(4));
    EXPECT_EQ(workingCopyName(editor.slot()), " 4.oaw");
    EXPECT_EQ(editor.cell(1, 0), std::to_string(filePosition(4, 1)));
    EXPECT_EQ(editor.cell(168, 0), std::to_string(filePosition(4, 168)));
    for (int r = 1; r <= 168; ++r) {
        const auto byte = std::to_string(image[filePosition(4, r) - 1]);
        if (r < 5 || r > 8) { // flag bytes may lose a pair bit
            ASSERT_EQ(editor.cell(r, 1), byte) << r;
            ASSERT_EQ(editor.cell(r, 2), byte) << r;
        }
    }
    EXPECT_EQ(fields().numbers[0], " 12345");
    EXPECT_EQ(reading(0), " 198.66 kph");
    EXPECT_EQ(fields().gunCount, "2");
    EXPECT_TRUE(editor.loaded());
    EXPECT_FALSE(editor.gunPanels().shown());
    EXPECT_FALSE(editor.unsavedMark());

    scrolls();
    ASSERT_TRUE(editor.chooseAircraft(0));
    EXPECT_EQ(workingCopyName(editor.slot()), " 0.oaw");
    EXPECT_EQ(editor.cell(1, 0), "5");
    EXPECT_EQ(fields().year, " 1943");
    EXPECT_EQ(fields().crew, " 1");
    EXPECT_EQ(fields().code, "P38H");
    EXPECT_EQ(editor.cell(165, 3), "P");
    EXPECT_EQ(editor.cell(168, 3), "H");
    EXPECT_EQ(scrolls(), std::vector<int> { 165 }) << "a full code scrolls the grid to it";
}

TEST_F(EditorTest, CodeWithAZeroByteIsShortAndDoesNotScroll)
{
    poke(image, 2, 164, { 'A', 'B', 0, 0 });
    save();
    ASSERT_TRUE(editor.chooseAircraft(2));
    EXPECT_EQ(fields().code, "AB");
    EXPECT_TRUE(scrolls().empty());
    EXPECT_EQ(editor.cell(167, 3), "");
    EXPECT_EQ(v(167), "0");
}

TEST_F(EditorTest, ExclusivePairsOnLoadKeepTheLowerBit)
{
    // group, value with both bits, value kept, lower box, higher box
    struct Case {
        int group, both, kept, low;
    };
    const Case cases[] = { { 0, 48 + 1, 17, 4 }, { 1, 96 + 2, 34, 5 }, { 2, 192 + 4, 68, 6 }, { 3, 48 + 2, 18, 4 } };
    for (const auto& c : cases) {
        poke(image, 7, 4 + c.group, { c.both });
        save();
        ASSERT_TRUE(editor.chooseAircraft(7));
        const auto boxes = fields().flags[static_cast<std::size_t>(c.group)];
        EXPECT_TRUE(boxes[static_cast<std::size_t>(c.low)]) << c.group;
        EXPECT_FALSE(boxes[static_cast<std::size_t>(c.low + 1)]) << c.group;
        EXPECT_EQ(v(5 + c.group), std::to_string(c.kept)) << c.group;
        EXPECT_EQ(editor.cell(5 + c.group, 1), std::to_string(c.both)) << "column 1 shows the file";
        EXPECT_FALSE(editor.unsavedMark());
    }
}

TEST_F(EditorTest, FlagByteFourKeepsBitsSixAndSevenUntilClicked)
{
    poke(image, 3, 7, { 65 });
    save();
    ASSERT_TRUE(editor.chooseAircraft(3));
    EXPECT_TRUE(fields().flags[3][0]);
    EXPECT_FALSE(fields().flags[3][6]);
    EXPECT_EQ(v(8), "65");
    editor.flagClicked(3, 1, true);
    EXPECT_EQ(v(8), "3");
    EXPECT_TRUE(editor.unsavedMark());
    editor.flagClicked(3, 6, true); // no such box
    EXPECT_EQ(v(8), "3");
}

TEST_F(EditorTest, FlagClicksKeepPairsExclusive)
{
    poke(image, 3, 4, { 16 + 1 }); // Twin engined, Fighter
    poke(image, 3, 5, { 8 });      // the "Not used" bit of group 2
    poke(image, 3, 6, { 0 });
    save();
    ASSERT_TRUE(editor.chooseAircraft(3));
    editor.flagClicked(0, 5, true); // Four engined
    EXPECT_FALSE(fields().flags[0][4]);
    EXPECT_EQ(v(5), "33");
    editor.flagClicked(0, 5, false);
    EXPECT_EQ(v(5), "1");
    editor.flagClicked(0, 4, true);
    editor.flagClicked(0, 0, false);
    EXPECT_EQ(v(5), "16");

    editor.flagClicked(1, 3, false); // disabled box: nothing changes
    EXPECT_TRUE(fields().flags[1][3]);
    EXPECT_EQ(v(6), "8");
    editor.flagClicked(1, 6, true); // Gear Outwards: the Not used bit stays in the sum
    EXPECT_EQ(v(6), "72");
    editor.flagClicked(1, 5, true); // Gear Inwards replaces Outwards
    EXPECT_EQ(v(6), "40");
    editor.flagClicked(2, 7, true);
    editor.flagClicked(2, 6, true);
    EXPECT_FALSE(fields().flags[2][7]);
    EXPECT_EQ(v(7), "64");
}

TEST_F(EditorTest, YearCrewAndGunCountSplitIntoBytes)
{
    ASSERT_TRUE(editor.chooseAircraft(1));
    editor.yearChanged("1943");
    EXPECT_EQ(v(9), "151");
    EXPECT_EQ(v(10), "7");
    EXPECT_TRUE(editor.unsavedMark());
    editor.crewChanged("300");
    EXPECT_EQ(v(11), "44");
    EXPECT_EQ(v(12), "1");
    editor.crewChanged("abc");
    EXPECT_EQ(v(11), "0");
    EXPECT_EQ(v(12), "0");
    editor.gunCountChanged(" 4 guns");
    EXPECT_EQ(v(85), "4");
    // Enter writes again what the field holds, over an edit made in between.
    editor.gridClicked(84);
    editor.yearEnter();
    EXPECT_EQ(v(9), "151");
}

TEST_F(EditorTest, NumberFieldsWriteFourBytes)
{
    ASSERT_TRUE(editor.chooseAircraft(1));
    editor.numberChanged(2, "12345");
    EXPECT_EQ(v(21), "57");
    EXPECT_EQ(v(22), "48");
    EXPECT_EQ(v(23), "0");
    EXPECT_EQ(v(24), "0");
    EXPECT_EQ(fields().numbers[2], "12345") << "the field keeps the text as typed";
    editor.numberChanged(3, "4294967295");
    for (int r = 25; r <= 28; ++r)
        EXPECT_EQ(v(r), "255");
    editor.numberChanged(0, "30000");
    EXPECT_EQ(v(13), "48");
    EXPECT_EQ(v(14), "117");
    EXPECT_EQ(v(15), "0");
    EXPECT_EQ(v(16), "0");
    EXPECT_TRUE(editor.unsavedMark());
    editor.numberEnter(2); // Enter writes the field's text again
    EXPECT_EQ(v(21), "57");
    editor.numberChanged(15, "1"); // no such field
    EXPECT_EQ(v(73), editor.cell(73, kReadColumn));
}

TEST_F(EditorTest, CodeRuleWritesFourCharactersWithoutMarking)
{
    ASSERT_TRUE(editor.chooseAircraft(0));
    scrolls();
    editor.codeChanged("AB");
    EXPECT_EQ(v(165), "80") << "fewer than 4 characters write nothing";
    EXPECT_TRUE(scrolls().empty());
    editor.codeChanged("ABCDE");
    EXPECT_EQ(v(165), "65");
    EXPECT_EQ(v(168), "68");
    EXPECT_EQ(editor.cell(166, 3), "B");
    EXPECT_EQ(scrolls(), std::vector<int> { 165 });
    EXPECT_FALSE(editor.unsavedMark());
    editor.codeEnter(); // five characters: Enter writes nothing
    editor.codeChanged("W\xC3\xA9\xE2\x82\xAC!");
    EXPECT_EQ(v(166), "233");
    EXPECT_EQ(v(167), "63") << "a character outside the single-byte set becomes '?'";
    EXPECT_EQ(editor.cell(166, 3), "\xC3\xA9");

    // Editing the code alone raises no prompt.
    ASSERT_TRUE(editor.chooseAircraft(1));
    EXPECT_EQ(saveQuestions(host), 0);
}

TEST_F(EditorTest, ByteEditorOnDamageAndMbRows)
{
    ASSERT_TRUE(editor.chooseAircraft(2));
    editor.takeViewRequests();
    editor.gridClicked(73);
    ASSERT_TRUE(fields().byteEditorOpen);
    EXPECT_EQ(editor.takeViewRequests(), (std::vector<ViewRequest> { { ViewRequest::Kind::OpenByteEditor, 73 } }))
        << "the view marks the row and focuses the editor once";
    EXPECT_EQ(fields().byteEditorText, v(73));
    editor.byteEditorChanged("x12");
    editor.byteEditorEnter();
    EXPECT_EQ(v(73), "x12") << "the text goes in as typed";
    EXPECT_FALSE(fields().byteEditorOpen);
    EXPECT_TRUE(editor.unsavedMark());

    editor.gridClicked(164);
    EXPECT_TRUE(fields().byteEditorOpen);
    editor.takeViewRequests();
    editor.gridClicked(85);
    EXPECT_FALSE(fields().byteEditorOpen);
    EXPECT_TRUE(editor.takeViewRequests().empty());
    for (int row : { 72, 85, 160, 165 }) {
        editor.gridClicked(row);
        EXPECT_FALSE(fields().byteEditorOpen) << row;
    }
    editor.byteEditorEnter(); // hidden: nothing
    EXPECT_EQ(v(165), editor.cell(165, 1));
}

TEST_F(EditorTest, ScrollShortcuts)
{
    const std::pair<ClickField, int> cases[] = {
        { ClickField::DamageButton, 73 },
        { ClickField::YearCaption, 89 },
        { ClickField::Year, 9 },
        { ClickField::Crew, 11 },
        { ClickField::GunCount, 85 },
        { ClickField::Code, 165 },
    };
    for (const auto& [field, row] : cases) {
        editor.fieldClicked(field);
        EXPECT_EQ(scrolls(), std::vector<int> { row });
    }
    editor.fieldClicked(ClickField::Number, 0);
    editor.fieldClicked(ClickField::Number, 14);
    editor.fieldClicked(ClickField::Number, 14);
    EXPECT_EQ(scrolls(), (std::vector<int> { 13, 69, 69 })) << "the same shortcut scrolls again";
    editor.fieldClicked(ClickField::Number, 15);
    EXPECT_TRUE(scrolls().empty()) << "there is no number field 15";
}

TEST_F(EditorTest, SaveWritesTheRecordInPlaceAndReloads)
{
    ASSERT_TRUE(editor.chooseAircraft(12));
    editor.gunPanels().show(2);
    editor.yearChanged("1944");
    editor.numberChanged(3, "44100");
    editor.gridClicked(80);
    editor.byteEditorChanged("2.5"); // a fraction rounds half to even
    editor.byteEditorEnter();
    ASSERT_TRUE(editor.savePlanes());
    EXPECT_TRUE(host.messages.empty());
    EXPECT_FALSE(editor.unsavedMark());
    EXPECT_FALSE(editor.gunPanels().shown());
    EXPECT_EQ(editor.gunPanels().state().group, 0);

    const auto after = onDisk();
    ASSERT_EQ(after.size(), image.size());
    const std::size_t first = filePosition(12, 1) - 1;
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (i < first || i >= first + kRecordBytes) {
            ASSERT_EQ(after[i], image[i]) << "byte " << i << " outside the edited part changed";
        }
    }
    EXPECT_EQ(after[first + 8], 0x98); // 1944 = 0x798
    EXPECT_EQ(after[first + 9], 7);
    EXPECT_EQ(after[first + 24], 0x44); // 44100 = 0xAC44
    EXPECT_EQ(after[first + 25], 0xAC);
    EXPECT_EQ(after[first + 79], 2);
    for (int r = 1; r <= 168; ++r)
        ASSERT_EQ(editor.cell(r, 1), v(r)) << r;
}

TEST_F(EditorTest, SaveRefusesABadCellAndWritesNothing)
{
    ASSERT_TRUE(editor.chooseAircraft(5));
    editor.numberChanged(0, "1"); // rows 13..16 fine
    editor.yearChanged("-5");     // row 10 becomes -1
    EXPECT_FALSE(editor.savePlanes());
    ASSERT_EQ(errorsShown(host).size(), 1u);
    EXPECT_NE(errorsShown(host)[0].find("Row 10 (Year, byte 2)"), std::string::npos) << errorsShown(host)[0];
    EXPECT_NE(errorsShown(host)[0].find("\"-1\""), std::string::npos) << errorsShown(host)[0];
    EXPECT_EQ(onDisk(), image);
    EXPECT_TRUE(editor.unsavedMark());
    EXPECT_EQ(v(10), "-1") << "the edits stay for the user to correct";

    editor.yearChanged("1944");
    editor.gridClicked(161);
    editor.byteEditorChanged("300");
    editor.byteEditorEnter();
    EXPECT_FALSE(editor.savePlanes());
    EXPECT_NE(errorsShown(host).back().find("Row 161 (MB 1)"), std::string::npos) << errorsShown(host).back();
    EXPECT_EQ(onDisk(), image);
}

TEST_F(EditorTest, SavePromptWritesTheWorkingCopyOrNothing)
{
    ASSERT_TRUE(editor.chooseAircraft(0));
    editor.yearChanged("1950");
    ASSERT_TRUE(editor.chooseAircraft(5));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].icon, MessageIcon::Question);
    EXPECT_EQ(host.messages[0].title, "File closure:");
    EXPECT_EQ(host.messages[0].text, "Save the changes before closing ?");
    EXPECT_FALSE(editor.unsavedMark());
    EXPECT_EQ(onDisk(), image) << "the prompt never touches planes.dat";

    std::string expected;
    for (int r = 1; r <= 168; ++r) {
        int b = image[filePosition(0, r) - 1];
        if (r == 9)
            b = 1950 % 256;
        if (r == 10)
            b = 1950 / 256;
        expected += std::to_string(b) + "\r\n";
    }
    EXPECT_EQ(readText(dir.path() / " 0.oaw"), expected);

    editor.crewChanged("3");
    host.answers.push_back(MessageAnswer::Cancel);
    ASSERT_TRUE(editor.chooseAircraft(6));
    EXPECT_EQ(saveQuestions(host), 2);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / " 5.oaw"));
    EXPECT_FALSE(editor.unsavedMark());
}

TEST_F(EditorTest, CloseWithCancelWritesNothing)
{
    ASSERT_TRUE(editor.chooseAircraft(8));
    editor.flagClicked(0, 0, true);
    host.answers.push_back(MessageAnswer::Cancel);
    editor.close();
    EXPECT_EQ(saveQuestions(host), 1);
    EXPECT_EQ(onDisk(), image);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 1);
}

TEST_F(EditorTest, UnreadableFileKeepsTheAircraftAndItsEdits)
{
    ASSERT_TRUE(editor.chooseAircraft(2));
    editor.yearChanged("1939");
    image.resize(3000);
    save();
    EXPECT_FALSE(editor.chooseAircraft(20));
    ASSERT_EQ(errorsShown(host).size(), 1u);
    EXPECT_EQ(saveQuestions(host), 0);
    EXPECT_EQ(editor.slot(), 2);
    EXPECT_TRUE(editor.unsavedMark());
    EXPECT_EQ(v(9), std::to_string(1939 % 256));

    std::filesystem::remove(dir.path() / "planes.dat");
    EXPECT_FALSE(editor.chooseAircraft(1));
    EXPECT_NE(errorsShown(host).back().find("not found"), std::string::npos);
    EXPECT_EQ(editor.slot(), 2);
}

TEST_F(EditorTest, OpeningTheScriptMakerClearsTheMark)
{
    ASSERT_TRUE(editor.chooseAircraft(11));
    editor.crewChanged("2");
    editor.openScriptMaker();
    EXPECT_TRUE(editor.scriptMaker().state().visible);
    EXPECT_FALSE(editor.unsavedMark());
    EXPECT_EQ(editor.scriptMaker().state().destination, 11);
    EXPECT_EQ(editor.scriptMaker().destinationLine(), "11");
    EXPECT_EQ(editor.scriptMaker().state().scriptName, "Spit IX");
    editor.scriptMaker().cancel();
    EXPECT_FALSE(editor.scriptMaker().state().visible);
}
