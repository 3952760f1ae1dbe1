// The editor's change notifications: every operation the window or a dialog
// calls ends in exactly one, however it ends (done, refused, cancelled,
// ignored before a load), and none runs while one of its boxes or dialogs
// is open.
#include "planesedit/aircrafteditor.h"
#include "planesedit/testsupport.h"

#include <gtest/gtest.h>

#include <functional>

using namespace kvl;
using namespace kvl::planesedit;
using namespace kvl::test;

namespace {

class EditorChangesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        writeFile(dir.path() / "planes.dat", makePlanesImage());
        editor.changes().connect([this] {
            ++runs;
            // The listener runs once the outermost operation has ended.
            EXPECT_FALSE(editor.changes().operationUnderWay());
        });
        host.whileShown = [this](const Message&) { look(); };
        host.whileChoosing = [this](const FileDialogRequest&) { look(); };
    }

    void look()
    {
        ++boxes;
        EXPECT_EQ(runs, runsBefore) << "the listener ran behind a box of the operation";
        EXPECT_TRUE(editor.changes().operationUnderWay());
    }

    // Runs `operation` and checks that it ended in one notification and
    // showed `expectedBoxes` boxes and dialogs.
    void expectOneNotification(const char* name, const std::function<void()>& operation, int expectedBoxes = 0)
    {
        SCOPED_TRACE(name);
        runsBefore = runs;
        boxes = 0;
        operation();
        EXPECT_EQ(runs, runsBefore + 1);
        EXPECT_EQ(boxes, expectedBoxes);
        EXPECT_FALSE(editor.changes().operationUnderWay());
    }

    TempFolder dir;
    FakeWindowHost<> host;
    AircraftEditor editor { dir.path(), host };
    int runs = 0;
    int runsBefore = 0;
    int boxes = 0;
};

} // namespace

TEST_F(EditorChangesTest, EveryOperationEndsInOneNotification)
{
    // Before the first load most of them are ignored, and still notify.
    expectOneNotification("grid click before a load", [&] { editor.gridClicked(5); });
    expectOneNotification("save before a load", [&] { editor.savePlanes(); });
    expectOneNotification("export before a load", [&] { editor.exportCsvFile(); });
    expectOneNotification("gun group before a load", [&] { editor.gunPanels().show(2); });

    expectOneNotification("load", [&] { EXPECT_TRUE(editor.chooseAircraft(3)); });
    expectOneNotification("flag", [&] { editor.flagClicked(0, 0, true); });
    expectOneNotification("year typed", [&] { editor.yearChanged("1944"); });
    expectOneNotification("year entered", [&] { editor.yearEnter(); });
    expectOneNotification("crew typed", [&] { editor.crewChanged("2"); });
    expectOneNotification("crew entered", [&] { editor.crewEnter(); });
    expectOneNotification("number typed", [&] { editor.numberChanged(4, "5000"); });
    expectOneNotification("number entered", [&] { editor.numberEnter(4); });
    expectOneNotification("gun count typed", [&] { editor.gunCountChanged("3"); });
    expectOneNotification("gun count entered", [&] { editor.gunCountEnter(); });
    expectOneNotification("code typed", [&] { editor.codeChanged("ABCD"); });
    expectOneNotification("code entered", [&] { editor.codeEnter(); });
    expectOneNotification("grid click", [&] { editor.gridClicked(75); });
    editor.byteEditorChanged("9"); // typing only keeps the text
    expectOneNotification("byte entered", [&] { editor.byteEditorEnter(); });
    expectOneNotification("scroll shortcut", [&] { editor.fieldClicked(ClickField::DamageButton); });
    expectOneNotification("gun group", [&] { editor.gunPanels().show(2); });
    expectOneNotification("gun number", [&] { editor.gunPanels().numberChanged("4"); });
    expectOneNotification("gun position", [&] { editor.gunPanels().positionChosen(3); });
    expectOneNotification("gun smoke", [&] { editor.gunPanels().smokeClicked(true); });
    expectOneNotification("gun type", [&] { editor.gunPanels().typeChosen(12); });
    expectOneNotification("gun type typed", [&] { editor.gunPanels().typeChanged("4"); });
    expectOneNotification("gun sound", [&] { editor.gunPanels().soundChosen(1); });
    expectOneNotification("gun ammunition", [&] { editor.gunPanels().ammunitionChanged("300"); });
    expectOneNotification("undo", [&] { EXPECT_TRUE(editor.undo()); });
    expectOneNotification("redo", [&] { EXPECT_TRUE(editor.redo()); });
    expectOneNotification("compare with a slot", [&] { EXPECT_TRUE(editor.compareWithSlot(4)); });
    expectOneNotification("copy compared", [&] { EXPECT_TRUE(editor.copyCompared({ 9, 10 })); });
    expectOneNotification("save", [&] { EXPECT_TRUE(editor.savePlanes()); });
    host.chosenFiles.push_back(dir.path() / "slot3.csv");
    expectOneNotification(
        "export", [&] { EXPECT_TRUE(editor.exportCsvFile()); }, 1);
    host.chosenFiles.push_back(dir.path() / "slot3.csv");
    expectOneNotification(
        "import", [&] { EXPECT_TRUE(editor.importCsvFile()); }, 1);
    expectOneNotification("script maker opened", [&] { editor.openScriptMaker(); });
    expectOneNotification("destination", [&] { editor.scriptMaker().chooseDestination(9); });
    editor.scriptMaker().setScriptName("Mine"); // typing only keeps the text
    expectOneNotification("script saved", [&] { EXPECT_TRUE(editor.scriptMaker().save()); });
    expectOneNotification("script maker cancelled", [&] { editor.scriptMaker().cancel(); });
    expectOneNotification("closing without edits", [&] { editor.close(); });
}

TEST_F(EditorChangesTest, ARefusalEndsInOneNotificationAndNoneBehindItsBoxes)
{
    ASSERT_TRUE(editor.chooseAircraft(3));
    expectOneNotification(
        "slot that cannot be read", [&] { EXPECT_FALSE(editor.compareWithSlot(40)); }, 1);
    editor.gridClicked(75);
    editor.byteEditorChanged("junk");
    editor.byteEditorEnter();
    expectOneNotification(
        "save refused", [&] { EXPECT_FALSE(editor.savePlanes()); }, 1);
    ASSERT_TRUE(editor.undo());
    expectOneNotification(
        "compare dialog cancelled", [&] { EXPECT_FALSE(editor.compareWithFile()); }, 1);
    host.chosenFiles.push_back(dir.path() / "missing.csv");
    expectOneNotification(
        "import of a missing file", [&] { EXPECT_FALSE(editor.importCsvFile()); }, 2);
    host.chosenFiles.push_back(dir.path() / "no such folder" / "out.csv");
    expectOneNotification(
        "export into a missing folder", [&] { EXPECT_FALSE(editor.exportCsvFile()); }, 2);
    host.chosenFiles.push_back(dir.path() / "planes.dat");
    expectOneNotification(
        "working copy refused", [&] { EXPECT_FALSE(editor.chooseValuesFile(ValuesFileKind::WorkingCopy)); }, 2);
    editor.openScriptMaker();
    editor.scriptMaker().setScriptName("a/b");
    expectOneNotification(
        "script name refused", [&] { EXPECT_FALSE(editor.scriptMaker().save()); }, 1);

    // A load behind the save prompt, nested in applying a working copy to
    // another slot: still one notification, none behind the prompt.
    editor.yearChanged("1950");
    const auto copy = dir.path() / " 3.oaw";
    const std::string text = editor.workingCopyText();
    writeFile(copy, std::vector<std::uint8_t>(text.begin(), text.end()));
    const auto proposal = editor.proposeApply(copy, ValuesFileKind::WorkingCopy);
    ASSERT_TRUE(proposal);
    host.answers.push_back(MessageAnswer::Cancel);
    expectOneNotification(
        "applied to another slot", [&] { EXPECT_TRUE(editor.applyValuesFile(*proposal, 5)); }, 1);
    EXPECT_EQ(editor.slot(), 5);
    expectOneNotification(
        "closing with edits", [&] { editor.close(); }, 1);
}
