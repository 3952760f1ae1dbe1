// The gun group panels: showing a group and the field rules.
#include "planesedit/aircrafteditor.h"
#include "planesedit/testsupport.h"

#include <gtest/gtest.h>

using namespace kvl;
using namespace kvl::planesedit;
using namespace kvl::test;

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
        ASSERT_TRUE(editor.chooseAircraft(9));
        editor.takeViewRequests();
    }
    const GunPanelState& st() const { return guns.state(); }
    std::string v(int row) const { return editor.cell(row, kValueColumn); }

    TempFolder dir;
    FakeWindowHost<> host;
    AircraftEditor editor { dir.path(), host };
    GunPanels& guns = editor.gunPanels();
    std::vector<std::uint8_t> image;
};

} // namespace

TEST_F(GunTest, ShowingAGroupFillsThePanelsWithoutEditing)
{
    const unsigned revision = editor.document().revision();
    guns.show(3);
    EXPECT_EQ(editor.takeViewRequests(), (std::vector<ViewRequest> { { ViewRequest::Kind::ScrollGrid, 113 } }));
    EXPECT_EQ(st().group, 3);
    EXPECT_TRUE(guns.shown());
    EXPECT_EQ(st().number, "4");
    EXPECT_EQ(guns.position(), 4);
    EXPECT_EQ(st().type, "12");
    EXPECT_EQ(st().typeButton, 12);
    EXPECT_EQ(st().ammunition, " 1000");
    EXPECT_EQ(guns.sound(), 2);
    EXPECT_EQ(guns.smoke(), std::optional<bool>(true));

    guns.show(2);
    EXPECT_EQ(st().type, "258");
    EXPECT_EQ(st().typeButton, -1);
    EXPECT_EQ(guns.smoke(), std::optional<bool>(false));
    EXPECT_EQ(editor.document().revision(), revision) << "switching groups writes nothing";
    EXPECT_FALSE(editor.unsavedMark());

    // Showing a group, then choosing another aircraft: no prompt.
    ASSERT_TRUE(editor.chooseAircraft(10));
    EXPECT_EQ(saveQuestions(host), 0);
    EXPECT_FALSE(guns.shown());
    EXPECT_EQ(st().group, 0);
}

TEST_F(GunTest, CodesWithoutAButtonSelectNothingAndChangeNothing)
{
    guns.show(1);
    EXPECT_EQ(guns.position(), -1);
    EXPECT_EQ(st().typeButton, -1);
    EXPECT_EQ(st().type, "7");
    EXPECT_EQ(guns.sound(), -1);
    EXPECT_EQ(guns.smoke(), std::nullopt) << "a smoke byte of 5 is neither box state";
    EXPECT_EQ(v(91), "20");
    EXPECT_EQ(v(97), "9");
    EXPECT_EQ(v(99), "5");
    EXPECT_FALSE(editor.unsavedMark());

    guns.smokeClicked(true);
    EXPECT_EQ(v(99), "1");
    EXPECT_EQ(guns.smoke(), std::optional<bool>(true));
    guns.positionChosen(13);
    EXPECT_EQ(v(91), "13");
    EXPECT_EQ(guns.position(), 13);
    EXPECT_TRUE(editor.unsavedMark());
}

TEST_F(GunTest, TypeButtonsWriteTheValueAndTheMatchingSound)
{
    guns.show(2); // sound 0
    guns.typeChosen(12);
    EXPECT_EQ(v(105), "12");
    EXPECT_EQ(v(106), "0");
    EXPECT_EQ(st().type, " 12");
    EXPECT_EQ(guns.sound(), 2);
    EXPECT_EQ(v(109), "2");
    EXPECT_TRUE(editor.unsavedMark());

    guns.typeChosen(0); // "None" leaves the sound
    EXPECT_EQ(v(105), "0");
    EXPECT_EQ(guns.sound(), 2);
    EXPECT_EQ(v(109), "2");

    guns.typeChosen(24);
    EXPECT_EQ(v(109), "3");
    guns.typeChosen(7); // not a button
    EXPECT_EQ(st().typeButton, 24);
}

TEST_F(GunTest, TypeFieldAloneDoesNotMark)
{
    guns.show(3);
    guns.typeChanged("7");
    EXPECT_EQ(st().typeButton, -1);
    EXPECT_EQ(v(117), "7");
    EXPECT_EQ(v(118), "0");
    EXPECT_FALSE(editor.unsavedMark());
    guns.typeChanged("300");
    EXPECT_EQ(v(117), "44");
    EXPECT_EQ(v(118), "1");
    guns.typeChanged("4");
    EXPECT_EQ(st().typeButton, 4);
    EXPECT_EQ(st().type, " 4");
    EXPECT_EQ(v(121), "1") << "the type's sound is chosen";
    EXPECT_TRUE(editor.unsavedMark()) << "the sound rule sets the mark";
    guns.typeChanged("4 ");
    EXPECT_EQ(st().type, "4 ") << "the button already chosen does not rewrite the field under the cursor";
}

TEST_F(GunTest, NumberAmmoAndSoundFields)
{
    guns.show(3);
    guns.ammunitionChanged("1000");
    EXPECT_EQ(v(119), "232");
    EXPECT_EQ(v(120), "3");
    guns.ammunitionChanged("70000");
    EXPECT_EQ(v(119), "112");
    EXPECT_EQ(v(120), "273") << "too big for two bytes: the save will refuse it";
    guns.numberChanged("6 guns");
    EXPECT_EQ(v(113), "6");
    guns.soundChosen(0);
    EXPECT_EQ(v(121), "0");
    guns.smokeClicked(false);
    EXPECT_EQ(v(123), "0");
    EXPECT_TRUE(editor.unsavedMark());
    EXPECT_EQ(v(125), editor.cell(125, 1)) << "group 4 untouched";
}
