// The editor's rules, driven on temporary files.
#include "fltpatch/flighteditor.h"

#include "common/byteview.h"
#include "common/fileimage.h"
#include "common/testing/fakewindowhost.h"
#include "common/testing/platformtesting.h"
#include "common/testing/testfolder.h"
#include "fltpatch/testing/flightsamples.h"

#include <gtest/gtest.h>

#include <bit>
#include <map>

using namespace kvl::fltpatch;
namespace fs = std::filesystem;

namespace {

using kvl::test::descriptionText;
using kvl::test::makeFlight;

class FlightEditorTest : public ::testing::Test {
protected:
    fs::path write(const std::string& name, const Bytes& bytes)
    {
        fs::path p = dir / name;
        EXPECT_TRUE(kvl::writeFileImage(p, bytes));
        return p;
    }
    fs::path writeText(const std::string& name, const std::string& text)
    {
        fs::path p = dir / name;
        EXPECT_TRUE(kvl::writeFileImage(p, std::string_view(text)));
        return p;
    }
    Bytes read(const fs::path& p)
    {
        Bytes out;
        EXPECT_TRUE(kvl::readFileImage(p, out));
        return out;
    }
    // Starts the editor with a full description file and `file` picked in the dialog.
    void start(const fs::path& file)
    {
        writeText("FDataDet.txt", descriptionText(kDescriptionLines));
        host.chosenFiles.push_back(file);
        editor.startUp(dir);
    }
    // Expects `after` to equal `before` except for the given byte changes.
    static void expectOnlyChanged(
        const Bytes& before, const Bytes& after, const std::map<std::size_t, std::uint8_t>& changes)
    {
        ASSERT_EQ(after.size(), before.size());
        for (std::size_t i = 0; i < before.size(); ++i) {
            auto it = changes.find(i);
            ASSERT_EQ(after[i], it == changes.end() ? before[i] : it->second) << "offset " << i;
        }
    }

    kvl::test::TempFolder folder;
    const fs::path& dir = folder.path();
    kvl::test::FakeWindowHost<> host;
    FlightModelEditor editor { host };
};

} // namespace

TEST_F(FlightEditorTest, StartUpFillsTheTableAndShowsFieldOne)
{
    fs::path file = write("plane.flt", makeFlight(0));
    // The game's files come in any letter case.
    writeText("fdatadet.TXT", descriptionText(kDescriptionLines, "\n"));
    host.chosenFiles.push_back(file);
    editor.startUp(dir);

    EXPECT_TRUE(host.messages.empty());
    // The start-up dialog opens in the start folder, as the file dialog "CD".
    ASSERT_EQ(host.fileDialogs.size(), 1u);
    const kvl::FileDialogRequest& request = host.fileDialogs[0];
    EXPECT_EQ(request.kind, kvl::FileDialogKind::OpenFile);
    EXPECT_EQ(request.start, dir);
    EXPECT_EQ(request.caption, "Open a flight file");
    EXPECT_EQ(request.filter, "Flight files (*.flt *.FLT *.Flt);;All files (*)");
    EXPECT_EQ(request.objectName, "CD");
    EXPECT_EQ(editor.loadedFile(), file);
    EXPECT_EQ(editor.descriptionHeading(), "What the value sets");
    EXPECT_EQ(editor.description(161), "Description of field 161");
    EXPECT_EQ(editor.valueText(161), "161");
    EXPECT_EQ(editor.valueText(81), "81");
    EXPECT_EQ(editor.valueText(3), "3.25");
    EXPECT_EQ(editor.valueText(328), "328.25");
    EXPECT_EQ(editor.selectedField(), 1);
    EXPECT_EQ(editor.editText(), "1");

    editor.selectField(311);
    EXPECT_EQ(editor.selectedField(), 311);
    EXPECT_EQ(editor.editText(), "311");
    // Numbers outside the fields select nothing.
    editor.selectField(0);
    editor.selectField(329);
    EXPECT_EQ(editor.selectedField(), 311);

    // A file named relative to the current folder shows with its full path.
    fs::path cwd = fs::current_path();
    fs::current_path(dir);
    EXPECT_TRUE(editor.loadFile("plane.flt"));
    fs::current_path(cwd);
    EXPECT_EQ(editor.loadedFile().string(), file.string());
}

TEST_F(FlightEditorTest, MissingOrShortDescriptionsGiveOneMessageAndEmptyLines)
{
    fs::path file = write("plane.flt", makeFlight(0));
    host.chosenFiles.push_back(file);
    editor.startUp(dir);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].text.find("FDataDet.txt was not found"), std::string::npos);
    EXPECT_EQ(editor.description(5), "");
    EXPECT_FALSE(editor.descriptionHeading().has_value());
    EXPECT_EQ(editor.valueText(5), "5.25"); // carries on and loads the file

    host.messages.clear();
    writeText("FDataDet.txt", descriptionText(10));
    EXPECT_FALSE(editor.loadDescriptions(dir));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].text.find("has 10 lines where 329 are expected"), std::string::npos);
    EXPECT_EQ(editor.description(9), "Description of field 9");
    EXPECT_EQ(editor.description(10), "");

    // Lines past 329 are not descriptions; a last line without line end still is.
    host.messages.clear();
    std::string text = descriptionText(kDescriptionLines + 20);
    writeText("FDataDet.txt", text);
    EXPECT_TRUE(editor.loadDescriptions(dir));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(editor.description(328), "Description of field 328");
    text = descriptionText(kDescriptionLines);
    text.resize(text.size() - 2);
    writeText("FDataDet.txt", text);
    EXPECT_TRUE(editor.loadDescriptions(dir));
    EXPECT_EQ(editor.description(328), "Description of field 328");
}

TEST(FltDescriptions, EachLineIsDecodedOnItsOwn)
{
    // A heading with a byte-order mark, a UTF-8 line and a Latin-1 line.
    const auto lines = splitDescriptions("\xEF\xBB\xBFHeading\r\nSchub \xC3\xBC"
                                         "ber alles\r\nM\xFC"
                                         "nze\r\n");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Heading");
    EXPECT_EQ(lines[1],
        "Schub \xC3\xBC"
        "ber alles");
    EXPECT_EQ(lines[2],
        "M\xC3\xBC"
        "nze");
}

TEST_F(FlightEditorTest, FilesThatCannotBeLoadedLeaveTheLoadedOneInPlace)
{
    Bytes shortImage = makeFlight(0);
    shortImage.resize(kFileSize - 1);
    fs::path shortFile = write("short.flt", shortImage);
    start(shortFile);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text,
        "\"" + shortFile.string()
            + "\" is 1283 bytes long, shorter than the 1284 bytes of a flight file. It was not loaded.");
    EXPECT_EQ(host.messages[0].title, "Orlith's Flight Editor");
    EXPECT_EQ(host.messages[0].icon, kvl::MessageIcon::Warning);
    EXPECT_EQ(editor.status(), "No file loaded.");
    EXPECT_TRUE(editor.loadedFile().empty());
    EXPECT_EQ(editor.valueText(1), "");
    // Nothing is written into the short file either.
    editor.selectField(1);
    editor.setEditText("5");
    EXPECT_FALSE(editor.writeEditText());
    EXPECT_EQ(read(shortFile), shortImage);

    fs::path good = write("good.flt", makeFlight(0));
    ASSERT_TRUE(editor.loadFile(good));
    host.messages.clear();
    EXPECT_FALSE(editor.loadFile(dir / "missing.flt"));
    EXPECT_FALSE(editor.loadFile(dir)); // a folder
    EXPECT_FALSE(editor.loadFile(shortFile));
    // A pipe is not opened at all (opening it would wait for a writer).
    const bool fifo = kvl::test::makeFifo(dir / "pipe.flt"); // none on Windows
    if (fifo) {
        EXPECT_FALSE(editor.loadFile(dir / "pipe.flt"));
    }
    ASSERT_EQ(host.messages.size(), fifo ? 4u : 3u);
    EXPECT_EQ(host.messages[0].text, "Cannot open \"" + (dir / "missing.flt").string() + "\". No file was loaded.");
    EXPECT_EQ(host.messages[1].text, "\"" + dir.string() + "\" is a folder, not a flight file. No file was loaded.");
    if (fifo) {
        EXPECT_EQ(host.messages[3].text, "Cannot open \"" + (dir / "pipe.flt").string() + "\". No file was loaded.");
    }
    EXPECT_EQ(editor.status(), "\"" + good.string() + "\" stays loaded.");
    EXPECT_EQ(editor.loadedFile(), good);
    EXPECT_EQ(editor.valueText(2), "2");

    // Cancelling the dialog keeps the loaded file too.
    editor.chooseAndLoadFile();
    EXPECT_EQ(editor.loadedFile(), good);
    EXPECT_EQ(editor.status(), "No new file chosen; \"" + good.string() + "\" stays loaded.");
}

TEST_F(FlightEditorTest, EditWritesOnlyTheFieldsBytes)
{
    Bytes original = makeFlight(0);
    original.insert(original.end(), { 0xAA, 0xBB, 0xCC }); // a longer file keeps its tail
    fs::path file = write("plane.flt", original);
    start(file);

    // A float field: 0.5 is 0x3F000000.
    editor.selectField(3);
    editor.setEditText("0.5");
    ASSERT_TRUE(editor.writeEditText());
    EXPECT_EQ(editor.valueText(3), "0.5");
    EXPECT_EQ(editor.editText(), "0.5");
    expectOnlyChanged(original, read(file), { { 4, 0 }, { 5, 0 }, { 6, 0 }, { 7, 0x3F } });

    // A short field: the two bytes of field 161 are offsets 636 and 637.
    Bytes before = read(file);
    editor.selectField(161);
    editor.setEditText("1.5");
    ASSERT_TRUE(editor.writeEditText());
    EXPECT_EQ(editor.valueText(161), "2");
    EXPECT_EQ(editor.editText(), "2");
    expectOnlyChanged(before, read(file), { { 636, 2 }, { 637, 0 } });
    editor.setEditText("2.5");
    ASSERT_TRUE(editor.writeEditText());
    expectOnlyChanged(before, read(file), { { 636, 2 }, { 637, 0 } });
    editor.setEditText("-300");
    ASSERT_TRUE(editor.writeEditText());
    expectOnlyChanged(before, read(file), { { 636, 0xD4 }, { 637, 0xFE } });

    // A long field at 317 and the last float at 1281.
    before = read(file);
    editor.selectField(81);
    editor.setEditText("-2");
    ASSERT_TRUE(editor.writeEditText());
    editor.selectField(328);
    editor.setEditText("-2");
    ASSERT_TRUE(editor.writeEditText());
    expectOnlyChanged(before, read(file),
        { { 316, 0xFE }, { 317, 0xFF }, { 318, 0xFF }, { 319, 0xFF }, { 1280, 0 }, { 1281, 0 }, { 1282, 0 },
            { 1283, 0xC0 } });
    EXPECT_EQ(read(file).size(), kFileSize + 3u);
}

TEST_F(FlightEditorTest, RefusedEditsWriteNothingAndKeepTheCell)
{
    Bytes original = makeFlight(0);
    fs::path file = write("plane.flt", original);
    start(file);
    struct Case {
        int row;
        const char* text;
        const char* says;
    };
    const Case cases[] = {
        { 161, "abc", "is not a number" },
        { 161, "", "is not a number" },
        { 161, "1,5", "is not a number" },
        { 161, "40000", "a short holds whole numbers from -32768 to 32767" },
        { 161, "32767.5", "a short holds" },
        { 81, "3e9", "a long holds" },
        { 4, "1e39", "a float holds" },
    };
    for (const Case& c : cases) {
        host.messages.clear();
        editor.selectField(c.row);
        editor.setEditText(c.text);
        EXPECT_FALSE(editor.writeEditText()) << c.text;
        ASSERT_EQ(host.messages.size(), 1u) << c.text;
        EXPECT_NE(host.messages[0].text.find(c.says), std::string::npos) << host.messages[0].text;
        EXPECT_NE(host.messages[0].text.find("field " + std::to_string(c.row)), std::string::npos);
        EXPECT_EQ(editor.valueText(c.row), c.row == 4 ? "4.25" : std::to_string(c.row));
        EXPECT_EQ(editor.editText(), c.text); // left for the user to correct
    }
    EXPECT_EQ(editor.valueText(161), "161");
    EXPECT_EQ(read(file), original);
}

TEST_F(FlightEditorTest, WithNoFileLoadedNothingIsWrittenAndTheStatusSaysSo)
{
    writeText("FDataDet.txt", descriptionText(kDescriptionLines));
    editor.startUp(dir); // the dialog is cancelled
    EXPECT_TRUE(editor.loadedFile().empty());
    EXPECT_NE(editor.status().find("No file loaded"), std::string::npos);

    editor.selectField(3);
    editor.setEditText("1");
    EXPECT_FALSE(editor.writeEditText());
    EXPECT_NE(editor.status().find("No file loaded: nothing was written"), std::string::npos);
    editor.beginMark(3);
    editor.endMark(4);
    EXPECT_FALSE(editor.storeValues());
    EXPECT_NE(editor.status().find("No file loaded"), std::string::npos);
    EXPECT_FALSE(editor.pasteValues());
    EXPECT_NE(editor.status().find("No file loaded: nothing was pasted"), std::string::npos);
    EXPECT_TRUE(host.messages.empty());
    // Nothing was created next to the description file.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(FlightEditorTest, AFileThatShrankAfterLoadingIsNotGrown)
{
    fs::path file = write("plane.flt", makeFlight(0));
    start(file);
    Bytes cut = makeFlight(0);
    cut.resize(600);
    write("plane.flt", cut);
    editor.selectField(328);
    editor.setEditText("1");
    EXPECT_FALSE(editor.writeEditText());
    EXPECT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(read(file), cut);
    EXPECT_EQ(editor.valueText(328), "328.25");
}

TEST_F(FlightEditorTest, StoreKeepsTheMarkedRangeInOrderWhenDraggedUpwards)
{
    fs::path file = write("plane.flt", makeFlight(0));
    start(file);
    EXPECT_FALSE(editor.storeValues()); // nothing marked yet
    EXPECT_NE(editor.status().find("No values are marked"), std::string::npos);

    editor.beginMark(100);
    editor.endMark(97);
    EXPECT_EQ(editor.markFirst(), 97);
    EXPECT_EQ(editor.markLast(), 100);
    ASSERT_TRUE(editor.storeValues());
    EXPECT_EQ(editor.storedValues(), (std::vector<std::string> { "97.25", "98.25", "99.25", "100.25" }));
    EXPECT_EQ(editor.storedFrom(), 97);

    // A single click stores one value; rows outside the table clamp to it.
    editor.beginMark(0);
    editor.endMark(0);
    ASSERT_TRUE(editor.storeValues());
    EXPECT_EQ(editor.storedValues(), (std::vector<std::string> { "1" }));
    editor.beginMark(400);
    editor.endMark(327);
    ASSERT_TRUE(editor.storeValues());
    EXPECT_EQ(editor.storedValues(), (std::vector<std::string> { "327.25", "328.25" }));
}

TEST_F(FlightEditorTest, PasteConvertsToEachTargetTypeAndWritesOnlyTheRun)
{
    fs::path a = write("a.flt", makeFlight(0));
    fs::path b = write("b.flt", makeFlight(1));
    start(a);
    // Three floats of file A, given values that show the conversions.
    for (auto [row, text] : { std::pair { 3, "2.5" }, { 4, "1234.5" }, { 5, "-7.75" } }) {
        editor.selectField(row);
        editor.setEditText(text);
        ASSERT_TRUE(editor.writeEditText());
    }
    Bytes aBefore = read(a);
    editor.beginMark(5);
    editor.endMark(3);
    ASSERT_TRUE(editor.storeValues());

    // Stored values stay when file B is loaded; fields 80 to 82 are float, long, float.
    host.chosenFiles.push_back(b);
    editor.chooseAndLoadFile();
    ASSERT_EQ(editor.loadedFile(), b);
    EXPECT_EQ(editor.storedValues().size(), 3u);
    Bytes bBefore = read(b);
    editor.selectField(80);
    ASSERT_TRUE(editor.pasteValues());
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(editor.valueText(80), "2.5");
    EXPECT_EQ(editor.valueText(81), "1234"); // tie to even
    EXPECT_EQ(editor.valueText(82), "-7.75");
    EXPECT_EQ(editor.selectedField(), 82);
    EXPECT_EQ(editor.editText(), "-7.75");
    // Field 80 at 313 (2.5 = 0x40200000), 81 at 317 (1234 = 0x4D2), 82 at 321 (-7.75 = 0xC0F80000).
    expectOnlyChanged(bBefore, read(b),
        { { 312, 0 }, { 313, 0 }, { 314, 0x20 }, { 315, 0x40 }, { 316, 0xD2 }, { 317, 0x04 }, { 318, 0 }, { 319, 0 },
            { 320, 0 }, { 321, 0 }, { 322, 0xF8 }, { 323, 0xC0 } });
    EXPECT_EQ(read(a), aBefore);

    // Into shorts: field 161 and 162 take whole numbers.
    bBefore = read(b);
    editor.selectField(160);
    ASSERT_TRUE(editor.pasteValues());
    EXPECT_EQ(editor.valueText(161), "1234");
    EXPECT_EQ(editor.valueText(162), "-8");
    expectOnlyChanged(bBefore, read(b),
        { { 632, 0 }, { 633, 0 }, { 634, 0x20 }, { 635, 0x40 }, { 636, 0xD2 }, { 637, 0x04 }, { 638, 0xF8 },
            { 639, 0xFF } });
}

TEST_F(FlightEditorTest, APasteThatCannotBeWrittenWholeWritesNothing)
{
    fs::path file = write("plane.flt", makeFlight(0));
    start(file);
    editor.selectField(10);
    editor.setEditText("3e9"); // fits a float, not a long
    ASSERT_TRUE(editor.writeEditText());
    Bytes before = read(file);

    EXPECT_FALSE(editor.pasteValues()); // nothing stored yet
    EXPECT_NE(editor.status().find("Nothing is stored"), std::string::npos);

    editor.beginMark(8);
    editor.endMark(12);
    ASSERT_TRUE(editor.storeValues());
    // Past the last field: 5 values from 325 would need 329.
    editor.selectField(325);
    EXPECT_FALSE(editor.pasteValues());
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].text.find("run past field 328"), std::string::npos);
    // Exactly to the last field is fine in range terms, so check the other refusal:
    // the third value (3e9) lands on field 81, a long; the two before it fit.
    host.messages.clear();
    editor.selectField(79);
    EXPECT_FALSE(editor.pasteValues());
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].text.find("Stored value 3 (\"3E+09\") does not fit field 81"), std::string::npos);
    EXPECT_EQ(read(file), before);
    EXPECT_EQ(editor.valueText(79), "79.25");
    EXPECT_EQ(editor.selectedField(), 79);

    editor.selectField(324);
    ASSERT_TRUE(editor.pasteValues());
    EXPECT_EQ(editor.valueText(328), "12.25");
}
