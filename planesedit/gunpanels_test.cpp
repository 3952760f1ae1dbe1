// The gun group panels: showing a group and the field rules.
#include "planesedit/pelmoracore.h"
#include "planesedit/testsupport.h"

#include <gtest/gtest.h>

using namespace planesedit;
using namespace planesedit::test;

namespace {

class GunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        image = makePlanesImage();
        // Slot 9, group 3 (record offset 112): 4 guns, position 4, type 12, ammo 1000, sound 2, smoke 1.
        poke(image, 9, 112, { 4, 0, 4, 0, 12, 0, 0xE8, 0x03, 2, 0, 1, 0 });
        // Group 1: odd values that have no button.
        poke(image, 9, 88, { 2, 0, 20, 0, 7, 0, 10, 0, 9, 0, 5, 0 });
        // Group 2: type bytes 2 and 1 (258), sound 0.
        poke(image, 9, 100, { 1, 0, 1, 0, 2, 1, 0, 0, 0, 0, 0, 0 });
        writeFile(dir.path() / "planes.dat", image);
        ASSERT_TRUE(core.chooseAircraft(9));
    }
    const FormState& st() const { return core.state(); }
    std::string v(int row) const { return core.cell(row, 2); }

    ScratchFolder dir;
    FakePrompts prompts;
    PelmoraCore core { dir.path(), prompts };
    std::vector<std::uint8_t> image;
};

} // namespace

TEST_F(GunTest, ShowingAGroupFillsThePanelsWithoutEditing)
{
    const unsigned revision = core.gridRevision();
    core.chooseGunGroup(3);
    EXPECT_EQ(st().topRow, 113);
    EXPECT_EQ(st().gunPanelCaption, "Gungroup  3");
    EXPECT_TRUE(st().gunPanelsVisible);
    EXPECT_TRUE(st().ammoVisible);
    EXPECT_EQ(st().gunNumber, "4");
    EXPECT_EQ(st().position, 4);
    EXPECT_EQ(st().positionLabel, "4");
    EXPECT_EQ(st().gunType, "12");
    EXPECT_EQ(st().typeButton, 12);
    EXPECT_EQ(st().ammo, " 1000");
    EXPECT_EQ(st().sound, 2);
    EXPECT_EQ(st().soundLabel, "2");
    EXPECT_TRUE(st().smoke);
    EXPECT_EQ(st().smokeCaption, "Smoke");

    core.chooseGunGroup(2);
    EXPECT_EQ(st().gunType, "258");
    EXPECT_EQ(st().typeButton, -1);
    EXPECT_FALSE(st().smoke);
    EXPECT_EQ(core.gridRevision(), revision) << "switching groups writes nothing";
    EXPECT_FALSE(st().unsavedMark);

    // Showing a group, then choosing another aircraft: no prompt.
    ASSERT_TRUE(core.chooseAircraft(10));
    EXPECT_EQ(prompts.saveQuestions, 0);
    EXPECT_FALSE(st().gunPanelsVisible);
    EXPECT_EQ(st().gunGroup, 0);
}

TEST_F(GunTest, CodesWithoutAButtonSelectNothingAndChangeNothing)
{
    core.chooseGunGroup(1);
    EXPECT_EQ(st().position, -1);
    EXPECT_EQ(st().positionLabel, "20");
    EXPECT_EQ(st().typeButton, -1);
    EXPECT_EQ(st().gunType, "7");
    EXPECT_EQ(st().sound, -1);
    EXPECT_EQ(st().soundLabel, "9");
    EXPECT_FALSE(st().smoke);
    EXPECT_EQ(st().smokeCaption, "Smoke (5)");
    EXPECT_EQ(v(91), "20");
    EXPECT_EQ(v(97), "9");
    EXPECT_EQ(v(99), "5");
    EXPECT_FALSE(st().unsavedMark);

    core.smokeClicked(true);
    EXPECT_EQ(v(99), "1");
    EXPECT_EQ(st().smokeCaption, "Smoke");
    core.positionChosen(13);
    EXPECT_EQ(v(91), "13");
    EXPECT_EQ(st().positionLabel, "13");
    EXPECT_TRUE(st().unsavedMark);
}

TEST_F(GunTest, TypeButtonsWriteTheValueAndTheMatchingSound)
{
    core.chooseGunGroup(2); // sound 0
    core.typeChosen(12);
    EXPECT_EQ(v(105), "12");
    EXPECT_EQ(v(106), "0");
    EXPECT_EQ(st().gunType, " 12");
    EXPECT_EQ(st().sound, 2);
    EXPECT_EQ(v(109), "2");
    EXPECT_EQ(st().soundLabel, "2");
    EXPECT_TRUE(st().unsavedMark);

    core.typeChosen(0); // "None" leaves the sound
    EXPECT_EQ(v(105), "0");
    EXPECT_EQ(st().sound, 2);
    EXPECT_EQ(v(109), "2");

    core.typeChosen(24);
    EXPECT_EQ(v(109), "3");
    core.typeChosen(7); // not a button
    EXPECT_EQ(st().typeButton, 24);
}

TEST_F(GunTest, TypeFieldAloneDoesNotMark)
{
    core.chooseGunGroup(3);
    core.typeChanged("7");
    EXPECT_EQ(st().typeButton, -1);
    EXPECT_EQ(v(117), "7");
    EXPECT_EQ(v(118), "0");
    EXPECT_FALSE(st().unsavedMark);
    core.typeChanged("300");
    EXPECT_EQ(v(117), "44");
    EXPECT_EQ(v(118), "1");
    core.typeChanged("4");
    EXPECT_EQ(st().typeButton, 4);
    EXPECT_EQ(st().gunType, " 4");
    EXPECT_EQ(v(121), "1") << "the type's sound is chosen";
    EXPECT_TRUE(st().unsavedMark) << "the sound rule sets the mark";
}

TEST_F(GunTest, NumberAmmoAndSoundFields)
{
    core.chooseGunGroup(3);
    core.ammoChanged("1000");
    EXPECT_EQ(v(119), "232");
    EXPECT_EQ(v(120), "3");
    core.ammoChanged("70000");
    EXPECT_EQ(v(119), "112");
    EXPECT_EQ(v(120), "273") << "too big for two bytes: the save will refuse it";
    core.gunNumberChanged("6 guns");
    EXPECT_EQ(v(113), "6");
    core.soundChosen(0);
    EXPECT_EQ(v(121), "0");
    EXPECT_EQ(st().soundLabel, "0");
    core.smokeClicked(false);
    EXPECT_EQ(v(123), "0");
    EXPECT_TRUE(st().unsavedMark);
    EXPECT_EQ(v(125), core.cell(125, 1)) << "group 4 untouched";
}
