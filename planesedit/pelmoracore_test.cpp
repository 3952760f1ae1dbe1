// The editor core: load, flag rules, number fields, code, byte editor,
// scrolling, save, save prompt, gun groups and script maker.
#include "planesedit/pelmoracore.h"
#include "planesedit/testsupport.h"

#include <gtest/gtest.h>

using namespace planesedit;
using namespace planesedit::test;

namespace {

class CoreTest : public ::testing::Test {
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
    const FormState& st() const { return core.state(); }
    std::string v(int row) const { return core.cell(row, 2); }

    ScratchFolder dir;
    FakePrompts prompts;
    PelmoraCore core { dir.path(), prompts };
    std::vector<std::uint8_t> image;
};

} // namespace

TEST_F(CoreTest, StartUpSetsLabelsAndByteNumbersOnly)
{
    EXPECT_EQ(core.cell(4, 4), "4");
    EXPECT_EQ(core.cell(168, 4), "168");
    EXPECT_EQ(core.cell(1, 3), "Pln No");
    EXPECT_EQ(core.cell(65, 3), "Default ext view");
    EXPECT_EQ(core.cell(84, 3), "Engine 4");
    EXPECT_EQ(core.cell(89, 3), " 1 Number");
    EXPECT_EQ(core.cell(99, 3), " 1 Smoke");
    EXPECT_EQ(core.cell(155, 3), " 6 Ammunition");
    EXPECT_EQ(core.cell(164, 3), "MB 4");
    EXPECT_EQ(core.cell(90, 3), "");
    EXPECT_EQ(core.cell(0, 0), "");
    EXPECT_EQ(core.cell(1, 0), "");
    EXPECT_FALSE(st().loaded);
    EXPECT_FALSE(st().gunChooserVisible);
    EXPECT_FALSE(st().scriptMakerVisible);
    EXPECT_EQ(st().slot, -1);
}

TEST_F(CoreTest, NothingHappensBeforeTheFirstLoad)
{
    core.yearChanged("1950"); // fields are shown at start and may be typed in
    EXPECT_FALSE(core.savePlanes());
    EXPECT_EQ(onDisk(), image);
    core.gridClicked(73);
    EXPECT_FALSE(st().byteEditorVisible) << "the grid takes no clicks before a load";
    core.chooseGunGroup(1);
    EXPECT_EQ(st().gunGroup, 0);
    ASSERT_TRUE(core.chooseAircraft(1));
    EXPECT_EQ(prompts.saveQuestions, 0) << "no save prompt without an aircraft";
    core.yearChanged("1951");
    core.close();
    EXPECT_EQ(prompts.saveQuestions, 1);
}

TEST_F(CoreTest, LoadFillsGridAndPanels)
{
    poke(image, 4, 12, { 0x39, 0x30, 0, 0 }); // stall speed 12345
    poke(image, 4, 84, { 2 });
    save();
    ASSERT_TRUE(core.chooseAircraft(4));
    EXPECT_EQ(st().workingCopyName, " 4.oaw");
    EXPECT_EQ(core.cell(1, 0), std::to_string(filePosition(4, 1)));
    EXPECT_EQ(core.cell(168, 0), std::to_string(filePosition(4, 168)));
    for (int r = 1; r <= 168; ++r) {
        const auto byte = std::to_string(image[filePosition(4, r) - 1]);
        if (r < 5 || r > 8) { // flag bytes may lose a pair bit
            ASSERT_EQ(core.cell(r, 1), byte) << r;
            ASSERT_EQ(core.cell(r, 2), byte) << r;
        }
    }
    EXPECT_EQ(st().numbers[0], " 12345");
    EXPECT_EQ(st().unitReadings[0], " 198.66 kph");
    EXPECT_EQ(st().gunCount, "2");
    EXPECT_TRUE(st().gunChooserVisible);
    EXPECT_FALSE(st().gunPanelsVisible);
    EXPECT_FALSE(st().unsavedMark);

    ASSERT_TRUE(core.chooseAircraft(0));
    EXPECT_EQ(st().workingCopyName, " 0.oaw");
    EXPECT_EQ(core.cell(1, 0), "5");
    EXPECT_EQ(st().year, " 1943");
    EXPECT_EQ(st().crew, " 1");
    EXPECT_EQ(st().code, "P38H");
    EXPECT_EQ(core.cell(165, 3), "P");
    EXPECT_EQ(core.cell(168, 3), "H");
    EXPECT_EQ(st().topRow, 165);
}

TEST_F(CoreTest, CodeWithAZeroByteIsShortAndDoesNotScroll)
{
    poke(image, 2, 164, { 'A', 'B', 0, 0 });
    save();
    core.fieldClicked(ClickField::Year);
    ASSERT_TRUE(core.chooseAircraft(2));
    EXPECT_EQ(st().code, "AB");
    EXPECT_EQ(st().topRow, 9);
    EXPECT_EQ(core.cell(167, 3), "");
    EXPECT_EQ(v(167), "0");
}

TEST_F(CoreTest, ExclusivePairsOnLoadKeepTheLowerBit)
{
    // group, value with both bits, value kept, lower box, higher box
    struct Case {
        int group, both, kept, low;
    };
    const Case cases[] = { { 0, 48 + 1, 17, 4 }, { 1, 96 + 2, 34, 5 }, { 2, 192 + 4, 68, 6 }, { 3, 48 + 2, 18, 4 } };
    for (const auto& c : cases) {
        poke(image, 7, 4 + c.group, { c.both });
        save();
        ASSERT_TRUE(core.chooseAircraft(7));
        const auto& boxes = st().flags[static_cast<std::size_t>(c.group)];
        EXPECT_TRUE(boxes[static_cast<std::size_t>(c.low)]) << c.group;
        EXPECT_FALSE(boxes[static_cast<std::size_t>(c.low + 1)]) << c.group;
        EXPECT_EQ(v(5 + c.group), std::to_string(c.kept)) << c.group;
        EXPECT_EQ(core.cell(5 + c.group, 1), std::to_string(c.both)) << "column 1 shows the file";
        EXPECT_EQ(st().flagCaptions[static_cast<std::size_t>(c.group)], std::to_string(c.kept));
        EXPECT_FALSE(st().unsavedMark);
    }
}

TEST_F(CoreTest, FlagByteFourKeepsBitsSixAndSevenUntilClicked)
{
    poke(image, 3, 7, { 65 });
    save();
    ASSERT_TRUE(core.chooseAircraft(3));
    EXPECT_TRUE(st().flags[3][0]);
    EXPECT_FALSE(st().flags[3][6]);
    EXPECT_EQ(v(8), "65");
    EXPECT_EQ(st().flagCaptions[3], "65");
    core.flagClicked(3, 1, true);
    EXPECT_EQ(v(8), "3");
    EXPECT_EQ(st().flagCaptions[3], "3");
    EXPECT_TRUE(st().unsavedMark);
    core.flagClicked(3, 6, true); // no such box
    EXPECT_EQ(v(8), "3");
}

TEST_F(CoreTest, FlagClicksKeepPairsExclusive)
{
    poke(image, 3, 4, { 16 + 1 }); // Twin engined, Fighter
    poke(image, 3, 5, { 8 });      // the "Not used" bit of group 2
    poke(image, 3, 6, { 0 });
    save();
    ASSERT_TRUE(core.chooseAircraft(3));
    core.flagClicked(0, 5, true); // Four engined
    EXPECT_FALSE(st().flags[0][4]);
    EXPECT_EQ(v(5), "33");
    EXPECT_EQ(st().flagCaptions[0], "33");
    core.flagClicked(0, 5, false);
    EXPECT_EQ(v(5), "1");
    core.flagClicked(0, 4, true);
    core.flagClicked(0, 0, false);
    EXPECT_EQ(v(5), "16");

    core.flagClicked(1, 3, false); // disabled box: nothing changes
    EXPECT_TRUE(st().flags[1][3]);
    EXPECT_EQ(v(6), "8");
    core.flagClicked(1, 6, true); // Gear Outwards: the Not used bit stays in the sum
    EXPECT_EQ(v(6), "72");
    core.flagClicked(1, 5, true); // Gear Inwards replaces Outwards
    EXPECT_EQ(v(6), "40");
    core.flagClicked(2, 7, true);
    core.flagClicked(2, 6, true);
    EXPECT_FALSE(st().flags[2][7]);
    EXPECT_EQ(v(7), "64");
}

TEST_F(CoreTest, YearCrewAndGunCountSplitIntoBytes)
{
    ASSERT_TRUE(core.chooseAircraft(1));
    core.yearChanged("1943");
    EXPECT_EQ(v(9), "151");
    EXPECT_EQ(v(10), "7");
    EXPECT_TRUE(st().unsavedMark);
    core.crewChanged("300");
    EXPECT_EQ(v(11), "44");
    EXPECT_EQ(v(12), "1");
    core.crewChanged("abc");
    EXPECT_EQ(v(11), "0");
    EXPECT_EQ(v(12), "0");
    core.gunCountChanged(" 4 guns");
    EXPECT_EQ(v(85), "4");
    // Enter writes again what the field holds, over an edit made in between.
    core.gridClicked(84);
    core.yearEnter();
    EXPECT_EQ(v(9), "151");
}

TEST_F(CoreTest, NumberFieldsShowUnitReadingsAndWriteFourBytes)
{
    ASSERT_TRUE(core.chooseAircraft(1));
    core.numberChanged(2, "12345");
    EXPECT_EQ(st().unitReadings[2], " 198.66 kph");
    EXPECT_EQ(v(21), "57");
    EXPECT_EQ(v(22), "48");
    EXPECT_EQ(v(23), "0");
    EXPECT_EQ(v(24), "0");
    core.numberChanged(4, "5000");
    EXPECT_EQ(st().unitReadings[4], " 2268 Kg");
    core.numberChanged(6, "5000");
    EXPECT_EQ(st().unitReadings[6], " 2268 Kg");
    core.numberChanged(5, "777");
    EXPECT_EQ(st().unitReadings[5], "");
    core.numberChanged(7, "66000000");
    EXPECT_EQ(st().unitReadings[7], " 500 Miles / 804Km");
    core.numberChanged(8, "2100");
    EXPECT_EQ(st().unitReadings[8], " 100ft/ 30.4m");
    core.numberChanged(14, "1000");
    EXPECT_EQ(st().unitReadings[14], " 47.6190476190476ft/ 14.5m");
    core.numberChanged(3, "4294967295");
    for (int r = 25; r <= 28; ++r)
        EXPECT_EQ(v(r), "255");
    core.numberChanged(0, "30000");
    EXPECT_EQ(v(13), "48");
    EXPECT_EQ(v(14), "117");
    EXPECT_EQ(v(15), "0");
    EXPECT_EQ(v(16), "0");
    EXPECT_TRUE(st().unsavedMark);
}

TEST_F(CoreTest, CodeRuleWritesFourCharactersWithoutMarking)
{
    ASSERT_TRUE(core.chooseAircraft(0));
    core.fieldClicked(ClickField::Year);
    core.codeChanged("AB");
    EXPECT_EQ(v(165), "80") << "fewer than 4 characters write nothing";
    EXPECT_EQ(st().topRow, 9);
    core.codeChanged("ABCDE");
    EXPECT_EQ(v(165), "65");
    EXPECT_EQ(v(168), "68");
    EXPECT_EQ(core.cell(166, 3), "B");
    EXPECT_EQ(st().topRow, 165);
    EXPECT_FALSE(st().unsavedMark);
    core.codeEnter(); // five characters: Enter writes nothing
    core.codeChanged("W\xC3\xA9\xE2\x82\xAC!");
    EXPECT_EQ(v(166), "233");
    EXPECT_EQ(v(167), "63") << "a character outside the single-byte set becomes '?'";
    EXPECT_EQ(core.cell(166, 3), "\xC3\xA9");

    // Editing the code alone raises no prompt.
    ASSERT_TRUE(core.chooseAircraft(1));
    EXPECT_EQ(prompts.saveQuestions, 0);
}

TEST_F(CoreTest, ByteEditorOnDamageAndMbRows)
{
    ASSERT_TRUE(core.chooseAircraft(2));
    core.gridClicked(73);
    ASSERT_TRUE(st().byteEditorVisible);
    EXPECT_EQ(st().byteEditor, v(73));
    core.byteEditorChanged("x12");
    core.byteEditorEnter();
    EXPECT_EQ(v(73), "x12") << "the text goes in as typed";
    EXPECT_FALSE(st().byteEditorVisible);
    EXPECT_TRUE(st().unsavedMark);

    core.gridClicked(164);
    EXPECT_TRUE(st().byteEditorVisible);
    core.gridClicked(85);
    EXPECT_FALSE(st().byteEditorVisible);
    for (int row : { 72, 85, 160, 165 }) {
        core.gridClicked(row);
        EXPECT_FALSE(st().byteEditorVisible) << row;
    }
    core.byteEditorEnter(); // hidden: nothing
    EXPECT_EQ(v(165), core.cell(165, 1));
}

TEST_F(CoreTest, ScrollShortcuts)
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
        core.fieldClicked(field);
        EXPECT_EQ(st().topRow, row);
    }
    const unsigned before = st().scrollRequests;
    core.fieldClicked(ClickField::Number, 14);
    EXPECT_EQ(st().topRow, 69);
    core.fieldClicked(ClickField::Number, 14);
    EXPECT_EQ(st().scrollRequests, before + 2) << "the same shortcut scrolls again";
}

TEST_F(CoreTest, SaveWritesTheRecordInPlaceAndReloads)
{
    ASSERT_TRUE(core.chooseAircraft(12));
    core.chooseGunGroup(2);
    core.yearChanged("1944");
    core.numberChanged(3, "44100");
    core.gridClicked(80);
    core.byteEditorChanged("2.5"); // a fraction rounds half to even
    core.byteEditorEnter();
    ASSERT_TRUE(core.savePlanes());
    EXPECT_TRUE(prompts.errors.empty());
    EXPECT_FALSE(st().unsavedMark);
    EXPECT_FALSE(st().gunPanelsVisible);
    EXPECT_EQ(st().gunGroup, 0);

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
        ASSERT_EQ(core.cell(r, 1), v(r)) << r;
}

TEST_F(CoreTest, SaveRefusesABadCellAndWritesNothing)
{
    ASSERT_TRUE(core.chooseAircraft(5));
    core.numberChanged(0, "1"); // rows 13..16 fine
    core.yearChanged("-5");     // row 10 becomes -1
    EXPECT_FALSE(core.savePlanes());
    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_NE(prompts.errors[0].find("Row 10 (Year, byte 2)"), std::string::npos) << prompts.errors[0];
    EXPECT_NE(prompts.errors[0].find("\"-1\""), std::string::npos) << prompts.errors[0];
    EXPECT_EQ(onDisk(), image);
    EXPECT_TRUE(st().unsavedMark);
    EXPECT_EQ(v(10), "-1") << "the edits stay for the user to correct";

    core.yearChanged("1944");
    core.gridClicked(161);
    core.byteEditorChanged("300");
    core.byteEditorEnter();
    EXPECT_FALSE(core.savePlanes());
    EXPECT_NE(prompts.errors.back().find("Row 161 (MB 1)"), std::string::npos) << prompts.errors.back();
    EXPECT_EQ(onDisk(), image);
}

TEST_F(CoreTest, SavePromptWritesTheWorkingCopyOrNothing)
{
    ASSERT_TRUE(core.chooseAircraft(0));
    core.yearChanged("1950");
    prompts.answerOk = true;
    ASSERT_TRUE(core.chooseAircraft(5));
    EXPECT_EQ(prompts.saveQuestions, 1);
    EXPECT_FALSE(st().unsavedMark);
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

    core.crewChanged("3");
    prompts.answerOk = false;
    ASSERT_TRUE(core.chooseAircraft(6));
    EXPECT_EQ(prompts.saveQuestions, 2);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / " 5.oaw"));
    EXPECT_FALSE(st().unsavedMark);
}

TEST_F(CoreTest, CloseWithCancelWritesNothing)
{
    ASSERT_TRUE(core.chooseAircraft(8));
    core.flagClicked(0, 0, true);
    prompts.answerOk = false;
    core.close();
    EXPECT_EQ(prompts.saveQuestions, 1);
    EXPECT_EQ(onDisk(), image);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 1);
}

TEST_F(CoreTest, UnreadableFileKeepsTheAircraftAndItsEdits)
{
    ASSERT_TRUE(core.chooseAircraft(2));
    core.yearChanged("1939");
    image.resize(3000);
    save();
    EXPECT_FALSE(core.chooseAircraft(20));
    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_EQ(prompts.saveQuestions, 0);
    EXPECT_EQ(st().slot, 2);
    EXPECT_TRUE(st().unsavedMark);
    EXPECT_EQ(v(9), std::to_string(1939 % 256));

    std::filesystem::remove(dir.path() / "planes.dat");
    EXPECT_FALSE(core.chooseAircraft(1));
    EXPECT_NE(prompts.errors.back().find("not found"), std::string::npos);
    EXPECT_EQ(st().slot, 2);
}

TEST_F(CoreTest, OpeningTheScriptMakerClearsTheMark)
{
    ASSERT_TRUE(core.chooseAircraft(11));
    core.crewChanged("2");
    core.openScriptMaker();
    EXPECT_TRUE(st().scriptMakerVisible);
    EXPECT_FALSE(st().unsavedMark);
    EXPECT_EQ(st().destination, 11);
    EXPECT_EQ(st().destinationLabel, "11");
    EXPECT_EQ(st().scriptName, "Spit IX");
    core.cancelScript();
    EXPECT_FALSE(st().scriptMakerVisible);
}
