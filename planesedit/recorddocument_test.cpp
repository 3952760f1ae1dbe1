// The record document: cells as bytes or typed texts, steps as deltas, undo
// and redo, the unsaved mark, and the grid drawn from it.
#include "planesedit/recorddocument.h"
#include "planesedit/recordgrid.h"

#include <gtest/gtest.h>

using namespace kvl::planesedit;

namespace {

RecordBytes pattern()
{
    RecordBytes b {};
    for (std::size_t i = 0; i < b.size(); ++i)
        b[i] = static_cast<std::uint8_t>(i * 7 % 256);
    return b;
}

class DocumentTest : public ::testing::Test {
protected:
    void SetUp() override { doc.load(3, read, read); }
    // One edit as the editor makes it: a step around the changes.
    template <typename F>
    void step(int mergeKey, F change)
    {
        doc.beginStep(mergeKey);
        change();
        doc.endStep();
    }

    RecordBytes read = pattern();
    RecordDocument doc;
};

} // namespace

TEST(RecordDocumentBeforeLoad, CellsAreEmptyAndEditsMakeNoStep)
{
    RecordDocument doc;
    EXPECT_FALSE(doc.loaded());
    EXPECT_EQ(doc.text(9), "");
    EXPECT_EQ(gridCellText(doc, 9, kPositionColumn), "");
    EXPECT_EQ(gridCellText(doc, 9, kReadColumn), "");
    EXPECT_EQ(gridCellText(doc, 9, kLabelColumn), "Year");
    EXPECT_EQ(gridCellText(doc, 9, kByteNumberColumn), "9");
    EXPECT_EQ(gridCellText(doc, 0, kLabelColumn), "");
    doc.beginStep(kNoMerge);
    doc.writeTwoBytes(9, 1950);
    doc.endStep();
    EXPECT_EQ(doc.text(9), "158") << "typing before a load still shows in the grid";
    EXPECT_FALSE(doc.canUndo());
    EXPECT_FALSE(doc.unsaved());
}

TEST_F(DocumentTest, CellsHoldBytesOrTheTextTyped)
{
    EXPECT_EQ(gridCellText(doc, 1, kPositionColumn), std::to_string(filePosition(3, 1)));
    EXPECT_EQ(doc.text(2), "7");
    step(kNoMerge, [&] {
        doc.setText(73, "x12");
        doc.setText(74, "07");
        doc.setText(75, "2.5");
        doc.setText(76, "200");
    });
    EXPECT_EQ(doc.text(73), "x12");
    EXPECT_EQ(doc.value(73), 0);
    EXPECT_FALSE(doc.storedByte(73));
    EXPECT_EQ(doc.text(74), "07") << "the text shows as typed";
    EXPECT_EQ(doc.storedByte(74), 7);
    EXPECT_EQ(doc.storedByte(75), 2) << "a fraction rounds half to even, as the save does";
    EXPECT_EQ(doc.value(75), 2.5);
    EXPECT_EQ(doc.storedByte(76), 200);
    EXPECT_TRUE(doc.edited(74));
    EXPECT_EQ(doc.steps(), 1u);

    // Undo puts back the bytes the texts replaced, redo the texts.
    ASSERT_TRUE(doc.undo());
    for (int row : { 73, 74, 75, 76 })
        EXPECT_EQ(doc.text(row), std::to_string(read[static_cast<std::size_t>(row - 1)])) << row;
    EXPECT_FALSE(doc.unsaved());
    ASSERT_TRUE(doc.redo());
    EXPECT_EQ(doc.text(73), "x12");
    EXPECT_TRUE(doc.unsaved());
}

TEST_F(DocumentTest, KeystrokesInOneFieldFoldIntoOneStepAndTypingBackLeavesNone)
{
    const std::string start = doc.text(9);
    step(9, [&] { doc.writeTwoBytes(9, 1); });
    step(9, [&] { doc.writeTwoBytes(9, 19); });
    step(9, [&] { doc.writeTwoBytes(9, 1944); });
    EXPECT_EQ(doc.steps(), 1u);
    step(11, [&] { doc.writeTwoBytes(11, 2); });
    EXPECT_EQ(doc.steps(), 2u);
    step(11, [&] { doc.writeTwoBytes(11, doc.readByte(11) + 256 * doc.readByte(12)); });
    EXPECT_EQ(doc.steps(), 1u) << "the crew typed back to where it started";
    ASSERT_TRUE(doc.undo());
    EXPECT_EQ(doc.text(9), start);
    // A step after an undo drops the step undone.
    step(kNoMerge, [&] { doc.setByte(5, 1); });
    EXPECT_FALSE(doc.canRedo());
    EXPECT_EQ(doc.steps(), 1u);
}

TEST_F(DocumentTest, SetBytesIsOneUndoableStepAndReplacesTypedTexts)
{
    step(9, [&] {
        doc.setTypedText(9, "1944x");
        doc.writeTwoBytes(9, 1944);
    });
    const std::vector<ByteAssignment> script = { { 2, 10 }, { 9, 1 }, { 168, 255 }, { 0, 1 }, { 169, 1 } };
    doc.setBytes(script);
    EXPECT_EQ(doc.steps(), 2u);
    EXPECT_EQ(doc.text(2), "10");
    EXPECT_EQ(doc.text(9), "1");
    EXPECT_EQ(doc.text(168), "255");
    EXPECT_EQ(doc.typedText(9), nullptr) << "the field shows the bytes put in";
    ASSERT_TRUE(doc.undo());
    EXPECT_EQ(doc.text(2), "7");
    ASSERT_NE(doc.typedText(9), nullptr);
    EXPECT_EQ(*doc.typedText(9), "1944x");
    ASSERT_TRUE(doc.undo());
    EXPECT_EQ(doc.typedText(9), nullptr);
    EXPECT_FALSE(doc.unsaved());
}

TEST_F(DocumentTest, UnsavedMeansDifferentFromTheSavedStateInABytethatCounts)
{
    step(kCodeRow, [&] { doc.setByte(kCodeRow, 'A'); });
    step(kNoMerge, [&] { doc.setByte(gunGroupRow(2) + kGunTypeOffset, 12); });
    EXPECT_FALSE(doc.unsaved()) << "the code and the gun type do not count";
    EXPECT_TRUE(doc.edited(kCodeRow));
    EXPECT_EQ(gridCellText(doc, kCodeRow, kLabelColumn), "A");
    step(kNoMerge, [&] { doc.setByte(gunGroupRow(2) + kGunSoundOffset, 2); });
    EXPECT_TRUE(doc.unsaved());
    doc.markSaved(); // the script maker or the save prompt
    EXPECT_FALSE(doc.unsaved());
    ASSERT_TRUE(doc.undo());
    EXPECT_TRUE(doc.unsaved()) << "undoing past the saved state differs from it";

    // Saved and read again: the history stays, the bytes read are the new ones.
    RecordBytes saved = read;
    saved[0] = 99;
    doc.reload(saved, saved);
    EXPECT_FALSE(doc.unsaved());
    EXPECT_TRUE(doc.canUndo());
    EXPECT_EQ(gridCellText(doc, 1, kReadColumn), "99");
    EXPECT_FALSE(doc.edited(1));
}

TEST_F(DocumentTest, TheSnapshotIsTheRecordWithoutItsHistory)
{
    step(kNoMerge, [&] { doc.setText(80, "abc"); });
    const unsigned revision = doc.revision();
    const RecordDocument shown = doc.snapshot();
    EXPECT_FALSE(shown.canUndo());
    EXPECT_EQ(shown.text(80), "abc");
    EXPECT_TRUE(shown.edited(80));
    step(kNoMerge, [&] { doc.setByte(80, 1); });
    EXPECT_EQ(shown.text(80), "abc") << "a view's snapshot changes only when it is taken again";
    EXPECT_NE(doc.revision(), revision);
}
