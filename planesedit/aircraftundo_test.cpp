// Undo and redo of the aircraft editor: steps per edit, keystrokes merged,
// the unsaved mark following the history, and the bytes on disk after each
// save, undo and redo.
#include "planesedit/aircrafteditor.h"
#include "planesedit/testsupport.h"

#include <gtest/gtest.h>

using namespace kvl;
using namespace kvl::planesedit;
using namespace kvl::test;

namespace {

class HistoryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        image = makePlanesImage();
        poke(image, 3, 8, { 151, 7, 1, 0 });               // year 1943, crew 1
        poke(image, 3, 100, { 2, 0, 4, 0, 4, 0, 200, 0 }); // gun group 2
        writeFile(dir.path() / "planes.dat", image);
        ASSERT_TRUE(editor.chooseAircraft(3));
    }
    std::string v(int row) const { return editor.cell(row, kValueColumn); }
    int onDisk(int row) const
    {
        return readFile(dir.path() / "planes.dat").at(static_cast<std::size_t>(filePosition(3, row) - 1));
    }
    void typeInto(void (AircraftEditor::*changed)(const std::string&), const std::string& text)
    {
        for (std::size_t n = 1; n <= text.size(); ++n)
            (editor.*changed)(text.substr(0, n));
    }

    TempFolder dir;
    FakeWindowHost<> host;
    AircraftEditor editor { dir.path(), host };
    std::vector<std::uint8_t> image;
};

} // namespace

TEST_F(HistoryTest, ThreeEditsUndoTwoRedoOneAndTheFileFollowsEachSave)
{
    EXPECT_FALSE(editor.canUndo());
    EXPECT_FALSE(editor.undo());
    typeInto(&AircraftEditor::yearChanged, "1950"); // four keystrokes, one step
    editor.flagClicked(0, 1, true);
    editor.gridClicked(75);
    editor.byteEditorChanged("99");
    editor.byteEditorEnter();
    EXPECT_EQ(editor.document().steps(), 3u);
    ASSERT_TRUE(editor.savePlanes());
    EXPECT_EQ(onDisk(9), 1950 % 256);
    EXPECT_EQ(onDisk(75), 99);
    EXPECT_FALSE(editor.unsavedMark());

    ASSERT_TRUE(editor.undo()); // the damage byte
    EXPECT_EQ(v(75), std::to_string(image[filePosition(3, 75) - 1]));
    EXPECT_TRUE(editor.unsavedMark()) << "undoing past the save differs from the file";
    ASSERT_TRUE(editor.undo()); // the flag
    EXPECT_FALSE(editor.fields().flags[0][1]);
    ASSERT_TRUE(editor.redo());
    EXPECT_TRUE(editor.fields().flags[0][1]);
    EXPECT_TRUE(editor.canRedo());
    ASSERT_TRUE(editor.savePlanes());
    EXPECT_EQ(onDisk(75), image[filePosition(3, 75) - 1]);
    EXPECT_EQ(onDisk(5) & 2, 2);
    EXPECT_EQ(onDisk(9), 1950 % 256);
    EXPECT_EQ(editor.status().kind, StatusReport::Kind::Saved);

    // Redo after the save brings the damage byte back; undo returns to the saved state, clean.
    ASSERT_TRUE(editor.redo());
    EXPECT_EQ(v(75), "99");
    EXPECT_TRUE(editor.unsavedMark());
    EXPECT_TRUE(editor.rowEdited(75));
    ASSERT_TRUE(editor.undo());
    EXPECT_FALSE(editor.unsavedMark());
    EXPECT_FALSE(editor.rowEdited(75));
}

TEST_F(HistoryTest, UndoPutsBackTheFieldsAsTyped)
{
    typeInto(&AircraftEditor::yearChanged, "1944");
    editor.numberChanged(0, "12345");
    editor.numberChanged(0, "123456"); // same field: merged
    editor.crewChanged("3");
    EXPECT_EQ(editor.document().steps(), 3u);
    editor.undo();
    EXPECT_EQ(editor.fields().crew, " 1");
    EXPECT_EQ(v(11), "1");
    EXPECT_EQ(editor.fields().numbers[0], "123456");
    editor.undo();
    EXPECT_EQ(editor.fields().numbers[0], Str(editor.document().fourByteValue(13)));
    EXPECT_EQ(editor.fields().year, "1944");
    editor.undo();
    EXPECT_EQ(editor.fields().year, " 1943");
    EXPECT_EQ(v(9), "151");
    EXPECT_EQ(v(10), "7");
    EXPECT_FALSE(editor.unsavedMark()) << "back at the loaded state";
    editor.redo();
    EXPECT_EQ(editor.fields().year, "1944");
    EXPECT_TRUE(editor.unsavedMark());
}

TEST_F(HistoryTest, ANewEditDropsTheStepsUndoneAndTypingBackLeavesNoStep)
{
    editor.yearChanged("1944");
    editor.crewChanged("2");
    editor.undo();
    editor.flagClicked(1, 0, true);
    EXPECT_FALSE(editor.canRedo());
    EXPECT_EQ(editor.document().steps(), 2u);
    EXPECT_EQ(v(11), "1");

    editor.gunCountChanged("5");
    editor.gunCountChanged(editor.cell(85, kReadColumn)); // typed back
    EXPECT_EQ(editor.document().steps(), 2u);
    // Enter writing the same bytes again is no step either.
    editor.gunCountEnter();
    EXPECT_EQ(editor.document().steps(), 2u);
}

TEST_F(HistoryTest, CodeAndTypeFieldStepsDoNotSetTheMark)
{
    editor.codeChanged("ABCD");
    EXPECT_EQ(editor.document().steps(), 1u);
    EXPECT_FALSE(editor.unsavedMark());
    editor.gunPanels().show(2);
    editor.gunPanels().typeChanged("7");
    EXPECT_FALSE(editor.unsavedMark());
    editor.gunPanels().ammunitionChanged("1000");
    EXPECT_TRUE(editor.unsavedMark());
    editor.undo();
    EXPECT_FALSE(editor.unsavedMark());
    EXPECT_EQ(editor.gunPanels().state().ammunition, " 200");
    editor.undo();
    EXPECT_EQ(editor.gunPanels().state().type, "4");
    EXPECT_EQ(editor.gunPanels().state().typeButton, 4);
    editor.undo();
    EXPECT_EQ(editor.cell(165, kLabelColumn), charFromByte(image[filePosition(3, 165) - 1]));
}

TEST_F(HistoryTest, GunPanelEditsAreStepsAndATypeButtonWithItsSoundIsOne)
{
    editor.gunPanels().show(2);
    editor.gunPanels().typeChosen(12); // also chooses the sound
    EXPECT_EQ(editor.document().steps(), 1u);
    EXPECT_EQ(v(101 + 8), "2");
    editor.gunPanels().smokeClicked(true);
    editor.gunPanels().positionChosen(9);
    EXPECT_EQ(editor.document().steps(), 3u);
    editor.undo();
    editor.undo();
    editor.undo();
    EXPECT_EQ(v(101 + 4), "4");
    EXPECT_EQ(v(101 + 8), std::to_string(image[filePosition(3, 109) - 1]));
    EXPECT_FALSE(editor.unsavedMark());
}

TEST_F(HistoryTest, LeavingTheAircraftEndsItsHistory)
{
    editor.yearChanged("1960");
    host.answers.push_back(MessageAnswer::Cancel);
    ASSERT_TRUE(editor.chooseAircraft(4));
    EXPECT_FALSE(editor.canUndo());
    EXPECT_FALSE(editor.undo());
    // Opening the script maker counts as saved, as it clears the mark.
    editor.crewChanged("4");
    editor.openScriptMaker();
    EXPECT_FALSE(editor.unsavedMark());
    editor.undo();
    EXPECT_TRUE(editor.unsavedMark());
}
