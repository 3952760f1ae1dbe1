// Undo and redo with the bytes on disk after each step, revert, compare with
// a second file, and CSV export and import, on temporary files.
#include "fltpatch/flighteditor.h"
#include "fltpatch/fltcommandline.h"

#include "common/byteview.h"
#include "common/fileimage.h"
#include "common/testing/fakewindowhost.h"
#include "common/testing/testfolder.h"
#include "fltpatch/testing/flightsamples.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace kvl::fltpatch;
namespace fs = std::filesystem;

namespace {

using kvl::test::descriptionText;
using kvl::test::makeFlight;

// The bytes of field `number` in a file image.
Bytes fieldBytes(const Bytes& image, int number)
{
    auto begin = image.begin() + (field(number).position - 1);
    return Bytes(begin, begin + fieldWidth(field(number).type));
}

class ExchangeTest : public ::testing::Test {
protected:
    fs::path write(const std::string& name, const Bytes& bytes)
    {
        fs::path p = folder / name;
        EXPECT_TRUE(kvl::writeFileImage(p, bytes));
        return p;
    }
    Bytes read(const fs::path& p)
    {
        Bytes out;
        EXPECT_TRUE(kvl::readFileImage(p, out));
        return out;
    }
    void startWith(const fs::path& file)
    {
        EXPECT_TRUE(kvl::writeFileImage(folder / "FDataDet.txt", std::string_view(descriptionText(kDescriptionLines))));
        editor.startUp(folder.path(), file);
        ASSERT_EQ(editor.loadedFile(), file);
    }
    bool enter(int number, const std::string& text)
    {
        editor.selectField(number);
        editor.setEditText(text);
        return editor.writeEditText();
    }

    kvl::test::TempFolder folder;
    kvl::test::FakeWindowHost<> host;
    FlightModelEditor editor { host };
};

TEST_F(ExchangeTest, UndoAndRedoFollowEveryWriteOnDisk)
{
    const fs::path file = write("plane.flt", makeFlight(0));
    startWith(file);
    EXPECT_FALSE(editor.canUndo());
    EXPECT_FALSE(editor.undo());
    EXPECT_EQ(editor.status(), "Nothing to undo.");

    const Bytes s0 = read(file);
    ASSERT_TRUE(enter(3, "0.5"));
    const Bytes s1 = read(file);
    editor.beginMark(3);
    editor.endMark(5);
    ASSERT_TRUE(editor.storeValues());
    editor.selectField(160); // floats onto 160 (float), 161 and 162 (shorts)
    ASSERT_TRUE(editor.pasteValues());
    const Bytes s2 = read(file);
    ASSERT_TRUE(enter(81, "-7"));
    const Bytes s3 = read(file);
    EXPECT_EQ(editor.undoWhat(), "write to field 81");

    ASSERT_TRUE(editor.undo());
    EXPECT_EQ(read(file), s2);
    EXPECT_EQ(editor.valueText(81), "81");
    EXPECT_EQ(editor.status(), "Undid the write to field 81.");
    EXPECT_EQ(editor.undoWhat(), "paste into fields 160 to 162");
    ASSERT_TRUE(editor.undo());
    EXPECT_EQ(read(file), s1);
    EXPECT_EQ(editor.valueText(161), "161");
    EXPECT_EQ(editor.selectedField(), 160);
    EXPECT_EQ(editor.editText(), "160.25");
    EXPECT_TRUE(editor.canRedo());

    ASSERT_TRUE(editor.redo());
    EXPECT_EQ(read(file), s2);
    EXPECT_EQ(editor.valueText(161), "4");
    EXPECT_EQ(editor.redoWhat(), "write to field 81");

    // A new write drops what could have been redone.
    ASSERT_TRUE(enter(4, "9"));
    const Bytes s4 = read(file);
    EXPECT_NE(s4, s3);
    EXPECT_FALSE(editor.canRedo());
    EXPECT_FALSE(editor.redo());
    ASSERT_TRUE(editor.undo());
    ASSERT_TRUE(editor.undo());
    ASSERT_TRUE(editor.undo());
    EXPECT_EQ(read(file), s0);
    EXPECT_FALSE(editor.canUndo());
    EXPECT_TRUE(host.messages.empty());
    ASSERT_TRUE(editor.redo());
    ASSERT_TRUE(editor.redo());
    ASSERT_TRUE(editor.redo());
    EXPECT_EQ(read(file), s4);
}

TEST_F(ExchangeTest, UndoIsRefusedWhenAnotherProgramChangedTheField)
{
    Bytes original = makeFlight(0);
    // A not-a-number with payload bits: undo puts back the very bytes, not a plain NaN.
    kvl::putI32(original, static_cast<std::size_t>(field(3).position - 1), 0x7FC01234);
    const fs::path file = write("plane.flt", original);
    startWith(file);
    ASSERT_TRUE(enter(3, "1"));
    ASSERT_TRUE(enter(4, "2"));

    // Another program writes field 3; field 4 is left as written here.
    Bytes outside = read(file);
    kvl::putF32(outside, static_cast<std::size_t>(field(3).position - 1), 42.0f);
    write("plane.flt", outside);
    ASSERT_TRUE(editor.undo()); // field 4 only: allowed
    EXPECT_EQ(fieldBytes(read(file), 4), fieldBytes(original, 4));
    EXPECT_FALSE(editor.undo()); // field 3 changed on disk
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].icon, kvl::MessageIcon::Warning);
    EXPECT_NE(
        host.lastText().find("Field 3 (float, position 5) of \"" + file.string() + "\" was changed by another program"),
        std::string::npos)
        << host.lastText();
    EXPECT_NE(host.lastText().find("Nothing was written."), std::string::npos);
    EXPECT_EQ(fieldBytes(read(file), 3), fieldBytes(outside, 3));
    EXPECT_TRUE(editor.canUndo()); // the step stays for when the change is taken back

    // Once the outside change is taken back, the undo goes through.
    Bytes back = read(file);
    kvl::putF32(back, static_cast<std::size_t>(field(3).position - 1), 1.0f);
    write("plane.flt", back);
    ASSERT_TRUE(editor.undo());
    EXPECT_EQ(read(file), original);

    // Redo checks the same way, against the bytes before the step.
    Bytes again = read(file);
    kvl::putF32(again, static_cast<std::size_t>(field(3).position - 1), 5.0f);
    write("plane.flt", again);
    EXPECT_FALSE(editor.redo());
    EXPECT_EQ(read(file), again);
}

TEST_F(ExchangeTest, RevertAsksThenPutsBackTheLoadedFileAsOneStep)
{
    const Bytes original = makeFlight(0);
    const fs::path file = write("plane.flt", original);
    startWith(file);
    EXPECT_FALSE(editor.revertFile());
    EXPECT_NE(editor.status().find("nothing to revert"), std::string::npos);
    EXPECT_TRUE(host.messages.empty());

    ASSERT_TRUE(enter(3, "1"));
    ASSERT_TRUE(enter(311, "12"));
    const Bytes edited = read(file);
    host.answers.push_back(kvl::MessageAnswer::No);
    EXPECT_FALSE(editor.revertFile());
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].icon, kvl::MessageIcon::Question);
    EXPECT_EQ(
        host.messages[0].text, "Put back 2 values of \"" + file.string() + "\" as they were when the file was loaded?");
    EXPECT_EQ(read(file), edited);

    host.answers.push_back(kvl::MessageAnswer::Yes);
    ASSERT_TRUE(editor.revertFile());
    EXPECT_EQ(read(file), original);
    EXPECT_EQ(editor.valueText(311), "311");
    EXPECT_EQ(editor.undoWhat(), "revert of the file");
    ASSERT_TRUE(editor.undo());
    EXPECT_EQ(read(file), edited);

    // Loading a file starts a new history.
    ASSERT_TRUE(editor.loadFile(file));
    EXPECT_FALSE(editor.canUndo());
    EXPECT_FALSE(editor.canRedo());
}

TEST_F(ExchangeTest, CompareFindsTheDifferingFieldsAndCopiesThemAsOneStep)
{
    Bytes mine = makeFlight(0);
    Bytes theirs = mine;
    kvl::putI16(theirs, static_cast<std::size_t>(field(2).position - 1), -5);
    kvl::putI32(theirs, static_cast<std::size_t>(field(95).position - 1), 123456);
    kvl::putF32(theirs, static_cast<std::size_t>(field(328).position - 1), 0.125f);
    const fs::path a = write("a.flt", mine);
    const fs::path b = write("b.flt", theirs);
    startWith(a);
    EXPECT_TRUE(editor.differences().empty()); // nothing compared yet

    host.chosenFiles.push_back(b);
    ASSERT_TRUE(editor.compareWithFile());
    EXPECT_EQ(host.fileDialogs.back().caption, "Compare with a flight file");
    EXPECT_EQ(editor.comparedFile(), b);
    EXPECT_EQ(editor.status(), "Compared with \"" + b.string() + "\": 3 values differ.");
    const std::vector<kvl::FieldDifference> d = editor.differences();
    ASSERT_EQ(d.size(), 3u);
    EXPECT_EQ(d[0].index, 1u);
    EXPECT_EQ(d[0].mine, "2");
    EXPECT_EQ(d[0].theirs, "-5");
    EXPECT_EQ(d[1].index, 94u);
    EXPECT_EQ(d[2].index, 327u);
    EXPECT_EQ(d[2].theirs, "0.125");
    EXPECT_EQ(editor.comparedTable().field(327).label, "Description of field 328");

    // A file that cannot be compared leaves the comparison as it was.
    EXPECT_FALSE(editor.compareWith(folder / "missing.flt"));
    EXPECT_EQ(host.messages.back().icon, kvl::MessageIcon::Warning);
    EXPECT_EQ(editor.comparedFile(), b);

    EXPECT_FALSE(editor.copyCompared({}));
    ASSERT_TRUE(editor.copyCompared({ 328, 2 }));
    Bytes now = read(a);
    EXPECT_EQ(fieldBytes(now, 2), fieldBytes(theirs, 2));
    EXPECT_EQ(fieldBytes(now, 328), fieldBytes(theirs, 328));
    EXPECT_EQ(fieldBytes(now, 95), fieldBytes(mine, 95));
    EXPECT_EQ(editor.differences().size(), 1u);
    EXPECT_EQ(editor.undoWhat(), "copy of 2 values from \"b.flt\"");
    ASSERT_TRUE(editor.undo());
    EXPECT_EQ(read(a), mine);
    EXPECT_EQ(editor.differences().size(), 3u);
    EXPECT_EQ(read(b), theirs);
}

TEST_F(ExchangeTest, ExportedCsvImportsBackWithoutChangingAByte)
{
    Bytes original = makeFlight(0);
    const auto at = [](int number) { return static_cast<std::size_t>(field(number).position - 1); };
    kvl::putI32(original, at(3), 0x7FC01234);    // a NaN with payload bits
    kvl::putI32(original, at(4), 0x80000000);    // -0
    kvl::putI32(original, at(5), 1);             // the smallest denormal
    kvl::putF32(original, at(6), 3.4028235e38f); // the largest single
    kvl::putI16(original, at(161), -32768);
    kvl::putI32(original, at(311), -2147483647 - 1);
    const fs::path file = write("plane.flt", original);
    startWith(file);

    const std::string csv = editor.exportCsv();
    EXPECT_TRUE(csv.starts_with("field,position,type,label,value\r\n"
                                "1,1,short,Description of field 1,1\r\n"
                                "2,3,short,Description of field 2,2\r\n"
                                "3,5,float,Description of field 3,NaN\r\n"
                                "4,9,float,Description of field 4,-0\r\n"))
        << csv.substr(0, 200);
    EXPECT_NE(csv.find("\r\n328,1281,float,Description of field 328,328.25\r\n"), std::string::npos);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), kFieldCount + 1);

    ASSERT_TRUE(editor.importCsv(csv, "plane.csv"));
    EXPECT_EQ(read(file), original);
    EXPECT_FALSE(editor.canUndo()); // nothing was written
    EXPECT_NE(editor.status().find("nothing was written"), std::string::npos);

    // One value changed in a text editor: exactly that field's bytes change.
    std::string changed = csv;
    const std::string row = "\r\n95,";
    const std::size_t line = changed.find(row);
    const std::size_t end = changed.find("\r\n", line + 2);
    changed.replace(line, end - line, "\r\n95,377,long,\"a label, \"\"quoted\"\"\",2000000");
    ASSERT_TRUE(editor.importCsv(changed, "plane.csv"));
    Bytes expected = original;
    kvl::putI32(expected, at(95), 2000000);
    EXPECT_EQ(read(file), expected);
    EXPECT_EQ(editor.status(), "Imported 328 values from \"plane.csv\": 1 value was written.");
    EXPECT_EQ(editor.undoWhat(), "import of 1 value");
}

TEST_F(ExchangeTest, AnImportWithOneBadRowWritesNothing)
{
    const Bytes original = makeFlight(0);
    const fs::path file = write("plane.flt", original);
    startWith(file);
    struct Case {
        const char* csv;
        const char* says;
    };
    const Case cases[] = {
        { "field,value\r\n3,1\r\n329,1\r\n", "line 3: field 329 does not exist" },
        { "field,value\n3,1\n4,1.5x\n", "line 3: field 4: \"1.5x\" is not a number" },
        { "field,value\n3,1\n161,32768\n", "line 3: field 161: \"32768\" does not fit: a short holds" },
        { "value,field\n1e39,3\n", "line 2: field 3: \"1e39\" does not fit: a float holds" },
        { "field,value\n3,1\n4,\"2\n", "line 3: a quoted field is not closed" },
        { "field,value\n3,1\n3,2\n", "line 3: field 3 is given twice" },
        { "number,value\n3,1\n", "line 1: the header row must name the columns \"field\" and \"value\"" },
    };
    for (const Case& c : cases) {
        host.messages.clear();
        EXPECT_FALSE(editor.importCsv(c.csv, "v.csv")) << c.csv;
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].icon, kvl::MessageIcon::Warning);
        EXPECT_NE(host.lastText().find(std::string("Cannot import \"v.csv\": ") + c.says), std::string::npos)
            << host.lastText();
        EXPECT_EQ(read(file), original);
        EXPECT_EQ(editor.valueText(3), "3.25");
    }
    EXPECT_FALSE(editor.canUndo());
}

// Every dialog starts in the folder the last one used: load, compare,
// export (keeping the suggested name) and import. A cancel moves nothing.
TEST_F(ExchangeTest, EveryDialogStartsInTheLastFolderUsed)
{
    const fs::path file = write("plane.flt", makeFlight(0));
    fs::create_directories(folder / "mods");
    const fs::path other = folder / "mods" / "other.flt";
    ASSERT_TRUE(kvl::writeFileImage(other, makeFlight(1)));
    std::vector<fs::path> kept;
    editor.setLastFolder(kvl::LastFolder({}, [&](const fs::path& f) { kept.push_back(f); }));
    startWith(file);

    host.chosenFiles = { other, {}, {}, {} };
    ASSERT_TRUE(editor.compareWithFile());
    EXPECT_EQ(host.fileDialogs.back().start, folder.path());
    EXPECT_EQ(editor.lastFolder().folder(), folder / "mods");
    EXPECT_FALSE(editor.exportCsvFile());
    EXPECT_EQ(host.fileDialogs.back().start, folder / "mods" / "plane.csv");
    EXPECT_FALSE(editor.importCsvFile());
    EXPECT_EQ(host.fileDialogs.back().start, folder / "mods");
    editor.chooseAndLoadFile();
    EXPECT_EQ(host.fileDialogs.back().start, folder / "mods");
    EXPECT_EQ(editor.loadedFile(), file);
    EXPECT_EQ(kept, std::vector<fs::path> { folder / "mods" });
}

TEST_F(ExchangeTest, CommandLineModesExportAndImportWithoutDialogs)
{
    const Bytes original = makeFlight(0);
    const fs::path file = write("plane.flt", original);
    std::ostringstream out, err;
    EXPECT_EQ(exportCsvCommand(folder.path(), file, out, err), 0);
    // Without FDataDet.txt the labels are empty, and the note says so on standard error.
    EXPECT_TRUE(out.str().starts_with("field,position,type,label,value\r\n1,1,short,,1\r\n"));
    EXPECT_NE(err.str().find("FDataDet.txt was not found"), std::string::npos);

    const fs::path csv = folder / "v.csv";
    ASSERT_TRUE(kvl::writeFileImage(csv, std::string_view("field,value\n2,-3\n")));
    std::ostringstream out2, err2;
    EXPECT_EQ(importCsvCommand(csv, file, out2, err2), 0);
    EXPECT_EQ(err2.str(), "");
    Bytes expected = original;
    kvl::putI16(expected, 2, -3);
    EXPECT_EQ(read(file), expected);

    ASSERT_TRUE(kvl::writeFileImage(csv, std::string_view("field,value\n2,5\n0,1\n")));
    std::ostringstream out3, err3;
    EXPECT_EQ(importCsvCommand(csv, file, out3, err3), 1);
    EXPECT_EQ(err3.str(),
        "fltpatch: Cannot import \"" + csv.string() + "\": line 3: field 0 does not exist. Nothing was written.\n");
    EXPECT_EQ(read(file), expected);
    std::ostringstream out4, err4;
    EXPECT_EQ(importCsvCommand(folder / "none.csv", file, out4, err4), 1);
    EXPECT_EQ(exportCsvCommand(folder.path(), folder / "none.flt", out4, err4), 1);
}

} // namespace
