// Working copies and scripts read back: what the editor writes reads back to
// the same bytes, every refusal names its line, and applying one (window core
// and command line) changes exactly the bytes it carries, as one step.
#include "planesedit/aircrafteditor.h"
#include "planesedit/slotcsv.h"
#include "planesedit/testsupport.h"

#include <gtest/gtest.h>

using namespace kvl;
using namespace kvl::planesedit;
using namespace kvl::test;

namespace {

Result<ValuesFile> read(ValuesFileKind kind, std::string_view text)
{
    return readValuesFile(kind, ByteView(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), "test.oaw");
}

// A file built here line by line, each line ended by `end`.
std::string lines(const std::vector<std::string>& all, const char* end = "\r\n")
{
    std::string text;
    for (const std::string& line : all)
        text += line + end;
    return text;
}

std::vector<std::string> byteLines(int first, int value = 7)
{
    std::vector<std::string> out;
    for (int r = first; r <= kRecordBytes; ++r)
        out.push_back(std::to_string((r * value) % 256));
    return out;
}

std::vector<std::string> scriptLines(const std::string& slot = "28")
{
    std::vector<std::string> out { "      Heinkel     ", slot };
    for (const std::string& v : byteLines(2))
        out.push_back(v);
    return out;
}

class ValuesFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        image = makePlanesImage();
        writeFile(planes(), image);
    }
    std::filesystem::path planes() const { return dir.path() / "planes.dat"; }
    std::uint8_t onDisk(int slot, int row) const { return readFile(planes())[filePosition(slot, row) - 1]; }
    std::uint8_t inImage(int slot, int row) const { return image[filePosition(slot, row) - 1]; }

    TempFolder dir;
    FakeWindowHost<> host;
    AircraftEditor editor { dir.path(), host };
    std::vector<std::uint8_t> image;
};

} // namespace

TEST_F(ValuesFileTest, WhatTheEditorWritesReadsBackToTheSameBytes)
{
    ASSERT_TRUE(editor.chooseAircraft(3));
    editor.yearChanged("1943");
    editor.scriptMaker().chooseDestination(28);
    editor.scriptMaker().setPnamesName("M\xC3\xA9t\xC3\xA9or");
    for (const char* end : { "\r\n", "\n" }) {
        auto copy = editor.workingCopyText(), script = editor.scriptMaker().scriptText();
        if (std::string_view(end) == "\n") {
            std::erase(copy, '\r');
            std::erase(script, '\r');
            script.pop_back(); // a last line without its line end is still a line
        }
        auto wc = read(ValuesFileKind::WorkingCopy, copy);
        ASSERT_TRUE(wc) << wc.error().message;
        ASSERT_EQ(wc->bytes.size(), 168u);
        auto sc = read(ValuesFileKind::Script, "\xEF\xBB\xBF" + script);
        ASSERT_TRUE(sc) << sc.error().message;
        ASSERT_EQ(sc->bytes.size(), 167u);
        EXPECT_EQ(sc->destination, 28);
        EXPECT_EQ(sc->name, "M\xC3\xA9t\xC3\xA9or") << "read as the single-byte set it was written in";
        for (int r = 1; r <= kRecordBytes; ++r) {
            EXPECT_EQ(wc->bytes[static_cast<std::size_t>(r - 1)].row, r);
            EXPECT_EQ(wc->bytes[static_cast<std::size_t>(r - 1)].value, *editor.document().storedByte(r)) << r;
            if (r > 1) {
                EXPECT_EQ(sc->bytes[static_cast<std::size_t>(r - 2)].value, *editor.document().storedByte(r)) << r;
            }
        }
    }
}

TEST(ValuesFileReader, ValuesAndSlotsItAccepts)
{
    auto values = byteLines(1);
    values[0] = "  2.5 "; // blanks around, a fraction rounds halves to even
    values[1] = "255";
    auto wc = read(ValuesFileKind::WorkingCopy, lines(values));
    ASSERT_TRUE(wc) << wc.error().message;
    EXPECT_EQ(wc->bytes[0].value, 2);
    EXPECT_EQ(wc->bytes[1].value, 255);

    auto none = read(ValuesFileKind::Script, lines(scriptLines("")));
    ASSERT_TRUE(none) << none.error().message;
    EXPECT_FALSE(none->destination);
    EXPECT_EQ(none->name, "Heinkel");
    auto blanks = read(ValuesFileKind::Script, lines(scriptLines(" 0 ")));
    ASSERT_TRUE(blanks) << blanks.error().message;
    EXPECT_EQ(blanks->destination, 0);
}

TEST(ValuesFileReader, RefusalsNameTheFileAndTheLine)
{
    const auto script = [](int line, const std::string& text) {
        auto all = scriptLines();
        all[static_cast<std::size_t>(line - 1)] = text;
        return lines(all);
    };
    auto shortScript = scriptLines();
    shortScript.pop_back();
    auto longCopy = byteLines(1);
    longCopy.push_back("");
    const std::string csv = "row,position,label,value\r\n1,221,Pln No,2\r\n";
    const struct {
        ValuesFileKind kind;
        std::string text;
        std::string message;
    } cases[] = {
        { ValuesFileKind::Script, "", "test.oaw, line 1: the file is empty; an aircraft script has 169 lines" },
        { ValuesFileKind::Script, lines(shortScript),
            "test.oaw, line 169: missing; an aircraft script has 169 lines (the name line, the destination slot, then "
            "bytes 2 to 168, one a line), and this one ends after line 168" },
        { ValuesFileKind::WorkingCopy, lines(longCopy),
            "test.oaw, line 169: one line too many; a working copy has 168 lines" },
        { ValuesFileKind::Script, script(11, "999"),
            "test.oaw, line 11: row 10 (Year, byte 2): \"999\" does not fit a u8 (0 to 255)" },
        { ValuesFileKind::Script, script(40, ""), "test.oaw, line 40: row 39 (" },
        { ValuesFileKind::Script, script(40, "x7"), "\"x7\" is not a number" },
        { ValuesFileKind::Script, script(2, "30"),
            "test.oaw, line 2: the destination slot \"30\" is out of range; the slots are 0 to 29" },
        { ValuesFileKind::Script, script(2, "-1"), "line 2: the destination slot \"-1\" is out of range" },
        { ValuesFileKind::Script, script(2, "99999999999"), "line 2: the destination slot \"99999999999\" is out" },
        { ValuesFileKind::Script, script(2, "5.5"), "line 2: \"5.5\" is not a destination slot" },
        { ValuesFileKind::Script, csv,
            "line 2: \"1,221,Pln No,2\" is not a destination slot (a slot number, or "
            "nothing): this is not an aircraft script" },
        { ValuesFileKind::Script, script(60, std::string("1\0", 2)),
            "test.oaw, line 60: a control character (byte 0) where only text belongs: this is not an aircraft script" },
        { ValuesFileKind::WorkingCopy, "12\r\n3\r4\r\n", "line 2: a control character (byte 13)" },
        { ValuesFileKind::Script, lines(byteLines(1)),
            "line 1: \"7\" is a value, not a name line, and the file holds 168 values: it is a working copy" },
        { ValuesFileKind::WorkingCopy, lines(scriptLines()),
            "line 1: \"      Heinkel     \" is a name line, not a value, and a destination slot follows: it is an "
            "aircraft script" },
        { ValuesFileKind::WorkingCopy, std::string(100, '9') + "\n",
            "line 1: row 1 (Pln No): \"9999999999999999999999999999999999999999...\" does not fit" },
    };
    for (const auto& c : cases) {
        auto file = read(c.kind, c.text);
        ASSERT_FALSE(file) << c.message;
        EXPECT_NE(file.error().message.find(c.message), std::string::npos) << file.error().message;
    }
}

TEST(ValuesFileReader, TargetsAndWorkingCopyNames)
{
    ValuesFile script { ValuesFileKind::Script, "", 28, {} };
    using T = ApplyTarget;
    EXPECT_EQ(
        applyTargets(script, 3, {}), (std::vector<T> { { 28, ApplyReason::Destination }, { 3, ApplyReason::Shown } }));
    EXPECT_EQ(applyTargets(script, 28, {}), (std::vector<T> { { 28, ApplyReason::Destination } }));
    script.destination.reset();
    EXPECT_EQ(applyTargets(script, 3, 5), (std::vector<T> { { 3, ApplyReason::Shown } }))
        << "a script's name says nothing";
    const ValuesFile copy { ValuesFileKind::WorkingCopy, "", {}, {} };
    EXPECT_EQ(applyTargets(copy, 3, 5), (std::vector<T> { { 3, ApplyReason::Shown }, { 5, ApplyReason::SavedFrom } }));
    EXPECT_EQ(applyTargets(copy, 5, 5), (std::vector<T> { { 5, ApplyReason::Shown } }));
    EXPECT_EQ(applyTargetText({ 28, ApplyReason::Destination }), "slot 28 (He-111), the script's destination");

    EXPECT_EQ(workingCopySlot(" 5.oaw"), 5);
    EXPECT_EQ(workingCopySlot(" 29.OAW"), 29);
    for (const char* other : { "5.oaw", " 30.oaw", "-1.oaw", " 5.oaw.bak", "He-111.oaw" })
        EXPECT_FALSE(workingCopySlot(other)) << other;
}

TEST_F(ValuesFileTest, ClosingWithEditsThenOpeningTheWorkingCopyGivesThemBack)
{
    ASSERT_TRUE(editor.chooseAircraft(5));
    editor.yearChanged("1950");
    editor.gridClicked(161);
    editor.byteEditorChanged("300"); // no byte: the working copy carries it, reading it back refuses it
    editor.byteEditorEnter();
    editor.close();
    auto refused = editor.proposeApply(dir.path() / " 5.oaw", ValuesFileKind::WorkingCopy);
    EXPECT_FALSE(refused);
    ASSERT_EQ(errorsShown(host).size(), 1u);
    EXPECT_EQ(errorsShown(host)[0],
        "Open Working Copy:  5.oaw, line 161: row 161 (MB 1): \"300\" does not fit a u8 (0 to 255). Nothing was "
        "changed.");

    editor.gridClicked(161);
    editor.byteEditorChanged("12");
    editor.byteEditorEnter();
    editor.close();
    AircraftEditor again(dir.path(), host);
    ASSERT_TRUE(again.chooseAircraft(6)); // another aircraft is shown
    host.chosenFiles.push_back(dir.path() / " 5.oaw");
    const auto proposal = again.chooseValuesFile(ValuesFileKind::WorkingCopy);
    ASSERT_TRUE(proposal);
    EXPECT_EQ(host.fileDialogs.back().objectName, "WorkingCopyDialog");
    ASSERT_EQ(proposal->choices.size(), 2u);
    EXPECT_EQ(proposal->choices[0].target, (ApplyTarget { 6, ApplyReason::Shown }));
    EXPECT_EQ(proposal->choices[0].changes.size(), 168u) << "every byte of slot 6 differs from slot 5's";
    EXPECT_EQ(proposal->choices[1].target, (ApplyTarget { 5, ApplyReason::SavedFrom }));
    std::vector<int> rows;
    for (const auto& change : proposal->choices[1].changes)
        rows.push_back(static_cast<int>(change.index) + 1);
    EXPECT_EQ(rows, (std::vector<int> { 9, 10, 161 }));
    EXPECT_EQ(proposal->choices[1].changes[0].mine, std::to_string(inImage(5, 9)));
    EXPECT_EQ(proposal->choices[1].changes[0].theirs, std::to_string(1950 % 256));

    ASSERT_TRUE(again.applyValuesFile(*proposal, 5));
    EXPECT_EQ(again.slot(), 5);
    EXPECT_EQ(again.fields().year, " 1950");
    EXPECT_EQ(again.document().text(161), "12");
    EXPECT_TRUE(again.unsavedMark());
    EXPECT_EQ(again.status().kind, StatusReport::Kind::Applied);
    EXPECT_EQ(again.status().count, 3);
    EXPECT_EQ(again.document().steps(), 1u) << "one step of the history";
    ASSERT_TRUE(again.undo());
    EXPECT_EQ(again.document().text(161), std::to_string(inImage(5, 161)));
    ASSERT_TRUE(again.redo());
    ASSERT_TRUE(again.savePlanes());
    EXPECT_EQ(onDisk(5, 161), 12);
    EXPECT_EQ(onDisk(5, 10), 1950 / 256);
    EXPECT_EQ(saveQuestions(host), 2) << "the two closings only";
}

TEST_F(ValuesFileTest, AScriptGoesIntoItsDestinationOrTheAircraftShown)
{
    ASSERT_TRUE(editor.chooseAircraft(0));
    editor.crewChanged("2");
    editor.openScriptMaker();
    editor.scriptMaker().chooseDestination(28);
    ASSERT_TRUE(editor.scriptMaker().save());
    const auto script = dir.path() / "P-" / "He-111.oaw";

    ASSERT_TRUE(editor.chooseAircraft(3));
    editor.yearChanged("1944"); // unsaved: the load of slot 28 asks first
    auto proposal = editor.proposeApply(script, ValuesFileKind::Script);
    ASSERT_TRUE(proposal);
    EXPECT_EQ(proposal->values.name, "");
    ASSERT_EQ(proposal->choices.size(), 2u);
    EXPECT_EQ(proposal->choices[0].target.slot, 28);
    EXPECT_EQ(proposal->choices[1].target.slot, 3);
    host.answers.push_back(MessageAnswer::Cancel);
    ASSERT_TRUE(editor.applyValuesFile(*proposal, 28));
    EXPECT_EQ(saveQuestions(host), 1);
    EXPECT_EQ(editor.slot(), 28);
    ASSERT_TRUE(editor.savePlanes());
    EXPECT_EQ(onDisk(28, 1), inImage(28, 1)) << "a script never carries byte 1";
    EXPECT_EQ(onDisk(28, 11), 2);
    for (int r = 2; r <= kRecordBytes; ++r)
        EXPECT_EQ(onDisk(28, r), r == 11 ? 2 : r == 12 ? 0 : inImage(0, r)) << "the script's bytes, row " << r;

    // Into the aircraft shown instead; a file that cannot be read changes nothing.
    ASSERT_TRUE(editor.chooseAircraft(7));
    ASSERT_TRUE(editor.applyValuesFile(*proposal, 7));
    EXPECT_EQ(editor.slot(), 7);
    EXPECT_EQ(editor.document().text(11), "2");
    EXPECT_FALSE(editor.proposeApply(dir.path() / "none.oaw", ValuesFileKind::Script));
    EXPECT_NE(errorsShown(host).back().find("none.oaw"), std::string::npos);
    writeFile(dir.path() / "big.oaw", std::vector<std::uint8_t>(kValuesFileMaxBytes + 1, '1'));
    EXPECT_FALSE(editor.proposeApply(dir.path() / "big.oaw", ValuesFileKind::Script));
    EXPECT_EQ(errorsShown(host).back(),
        "Apply Script: big.oaw holds 65537 bytes, far more than a working copy or script (under 2 KB): it is "
        "neither. Nothing was changed.");

    // A destination the file is too short for is offered, but cannot be read.
    image.resize(static_cast<std::size_t>(filePosition(20, 1)));
    writeFile(planes(), image);
    proposal = editor.proposeApply(script, ValuesFileKind::Script);
    ASSERT_TRUE(proposal);
    EXPECT_NE(proposal->choices[0].unreadable.find("too few for slot 28"), std::string::npos);
    EXPECT_TRUE(proposal->choices[1].unreadable.empty());
}

TEST_F(ValuesFileTest, CommandLineWritesTheSlotInPlaceOrListsTheChanges)
{
    auto values = scriptLines("4");
    values[9] = "201";                         // line 10: byte 9, Year
    values[2] = std::to_string(inImage(4, 2)); // unchanged
    const auto file = read(ValuesFileKind::Script, lines(values));
    ASSERT_TRUE(file) << file.error().message;
    EXPECT_EQ(commandLineSlot(*file, {}, "test.oaw").value(), 4);
    EXPECT_EQ(commandLineSlot(*file, 9, "test.oaw").value(), 9);

    auto dry = applyValuesToSlot(planes(), 4, *file, true);
    ASSERT_TRUE(dry) << dry.error().message;
    EXPECT_EQ(readFile(planes()), image);
    auto done = applyValuesToSlot(planes(), 4, *file, false);
    ASSERT_TRUE(done) << done.error().message;
    EXPECT_EQ(done->size(), dry->size());
    EXPECT_EQ(done->front().index, 2u) << "row 2 does not change";
    const auto year = std::find_if(done->begin(), done->end(), [](const FieldDifference& d) { return d.index == 8; });
    ASSERT_NE(year, done->end());
    EXPECT_EQ(changeLine(*year), "row 9, Year: " + std::to_string(inImage(4, 9)) + " -> 201");
    auto expected = image;
    for (int r = 3; r <= kRecordBytes; ++r)
        expected[filePosition(4, r) - 1] = static_cast<std::uint8_t>(r == 9 ? 201 : (r * 7) % 256);
    EXPECT_EQ(readFile(planes()), expected) << "bytes 2..168 of slot 4 and nothing else";

    ValuesFile none = *file;
    none.destination.reset();
    EXPECT_EQ(commandLineSlot(none, {}, "x.oaw").error().message,
        "x.oaw, line 2: the script names no destination slot; choose one with --slot N");
    image.resize(2000);
    writeFile(planes(), image);
    EXPECT_FALSE(applyValuesToSlot(planes(), 20, *file, false));
    EXPECT_EQ(readFile(planes()), image);
}
