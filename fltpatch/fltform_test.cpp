// The editor's rules, driven on temporary files.
#include "fltpatch/fltform.h"

#include "common/byteview.h"
#include "common/fileimage.h"

#include <gtest/gtest.h>

#include <bit>
#include <deque>
#include <map>
#include <random>

#include <sys/stat.h>

using namespace fltpatch;
namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

class ScriptedDialogs : public FltDialogs {
public:
    fs::path chooseFltFile(const fs::path& startFolder) override
    {
        startFolders.push_back(startFolder);
        if (answers.empty())
            return {};
        fs::path p = answers.front();
        answers.pop_front();
        return p;
    }
    void showMessage(const std::string& text) override { messages.push_back(text); }

    std::deque<fs::path> answers;
    std::vector<fs::path> startFolders;
    std::vector<std::string> messages;
};

// A flight file whose every field holds a value of its type that tells the
// field apart: short n -> 1000 * variant + n, long n -> 100000 * variant + n,
// float n -> n + 0.25 + variant.
Bytes makeFlight(int variant)
{
    Bytes image(kFileSize, 0);
    for (const FieldInfo& f : fieldTable()) {
        auto offset = static_cast<std::size_t>(f.position - 1);
        switch (f.type) {
        case FieldType::Short:
            kvl::putI16(image, offset, static_cast<std::int16_t>(1000 * variant + f.number));
            break;
        case FieldType::Long:
            kvl::putI32(image, offset, 100000 * variant + f.number);
            break;
        case FieldType::Float:
            kvl::putF32(image, offset, static_cast<float>(f.number) + 0.25f + static_cast<float>(variant));
            break;
        }
    }
    return image;
}

std::string descriptionText(int lines, const char* lineEnd = "\r\n")
{
    std::string text;
    for (int i = 0; i < lines; ++i)
        text += (i == 0 ? std::string("What the value sets") : "Description of field " + std::to_string(i)) + lineEnd;
    return text;
}

class FltFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device rd;
        dir = fs::temp_directory_path() / ("fltpatch_form_" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(dir);
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

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
    // Starts the form with a full description file and `file` picked in the dialog.
    void start(const fs::path& file)
    {
        writeText("FDataDet.txt", descriptionText(kDescriptionLines));
        dialogs.answers.push_back(file);
        form.formLoad(dir);
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

    fs::path dir;
    ScriptedDialogs dialogs;
    FlightForm form { dialogs };
};

} // namespace

TEST(FltInstructions, TextIsAssembledInOrder)
{
    std::string text = instructionsText();
    EXPECT_EQ(
        text.rfind("TRANSFERRING DATA:\n\nTo copy some values into the storage grid below, click on the first value "
                   "you want in the main table, and drag the mouse to the last one The values should show as "
                   "highlighted.\n\nThen click the 'Store Values' button.\n",
            0),
        0u);
    EXPECT_NE(text.find("storage grid.\nLoad a new file if you need to.\nLocate the first cell where pasting needs to "
                        "start from, and then click the 'Paste Values' button.\nBe very careful"),
        std::string::npos);
}

TEST_F(FltFormTest, StartUpFillsTheTableAndShowsFieldOne)
{
    fs::path file = write("plane.flt", makeFlight(0));
    // The game's files come in any letter case.
    writeText("fdatadet.TXT", descriptionText(kDescriptionLines, "\n"));
    dialogs.answers.push_back(file);
    form.formLoad(dir);

    EXPECT_TRUE(dialogs.messages.empty());
    ASSERT_EQ(dialogs.startFolders.size(), 1u);
    EXPECT_EQ(dialogs.startFolders[0], dir);
    EXPECT_EQ(form.loadedFile(), file);
    EXPECT_EQ(form.label1(), file.string());
    EXPECT_EQ(form.cell(0, FlightForm::ColDescription), "What the value sets");
    EXPECT_EQ(form.cell(161, FlightForm::ColNumber), "161");
    EXPECT_EQ(form.cell(161, FlightForm::ColPosition), "637");
    EXPECT_EQ(form.cell(161, FlightForm::ColType), "short");
    EXPECT_EQ(form.cell(161, FlightForm::ColDescription), "Description of field 161");
    EXPECT_EQ(form.cell(161, FlightForm::ColValue), "161");
    EXPECT_EQ(form.cell(81, FlightForm::ColValue), "81");
    EXPECT_EQ(form.cell(3, FlightForm::ColValue), "3.25");
    EXPECT_EQ(form.cell(328, FlightForm::ColValue), "328.25");
    EXPECT_EQ(form.currentRow(), 1);
    EXPECT_EQ(form.text1(), "1");
    EXPECT_EQ(form.label2(), "1");
    EXPECT_EQ(form.label3(), "short");
    EXPECT_EQ(form.label4(), "1");
    EXPECT_EQ(form.label5(), "Description of field 1");

    form.enterCell(311);
    EXPECT_EQ(form.label4(), "1213");
    EXPECT_EQ(form.label3(), "long");
    // Rows outside the fields are no current row.
    form.enterCell(0);
    form.enterCell(329);
    EXPECT_EQ(form.currentRow(), 311);

    // A file named relative to the current folder shows with its full path.
    fs::path cwd = fs::current_path();
    fs::current_path(dir);
    EXPECT_TRUE(form.loadFile("plane.flt"));
    fs::current_path(cwd);
    EXPECT_EQ(form.label1(), file.string());
}

TEST_F(FltFormTest, MissingOrShortDescriptionsGiveOneMessageAndEmptyLines)
{
    fs::path file = write("plane.flt", makeFlight(0));
    dialogs.answers.push_back(file);
    form.formLoad(dir);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].find("FDataDet.txt was not found"), std::string::npos);
    EXPECT_EQ(form.cell(5, FlightForm::ColDescription), "");
    EXPECT_EQ(form.cell(5, FlightForm::ColValue), "5.25"); // carries on and loads the file

    dialogs.messages.clear();
    writeText("FDataDet.txt", descriptionText(10));
    EXPECT_FALSE(form.loadDescriptions(dir));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].find("has 10 lines where 329 are expected"), std::string::npos);
    EXPECT_EQ(form.cell(9, FlightForm::ColDescription), "Description of field 9");
    EXPECT_EQ(form.cell(10, FlightForm::ColDescription), "");

    // Lines past 329 are not descriptions; a last line without line end still is.
    dialogs.messages.clear();
    std::string text = descriptionText(kDescriptionLines + 20);
    writeText("FDataDet.txt", text);
    EXPECT_TRUE(form.loadDescriptions(dir));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(form.cell(328, FlightForm::ColDescription), "Description of field 328");
    text = descriptionText(kDescriptionLines);
    text.resize(text.size() - 2);
    writeText("FDataDet.txt", text);
    EXPECT_TRUE(form.loadDescriptions(dir));
    EXPECT_EQ(form.cell(328, FlightForm::ColDescription), "Description of field 328");
}

TEST_F(FltFormTest, FilesThatCannotBeLoadedLeaveTheLoadedOneInPlace)
{
    Bytes shortImage = makeFlight(0);
    shortImage.resize(kFileSize - 1);
    fs::path shortFile = write("short.flt", shortImage);
    start(shortFile);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].find("1283 bytes long"), std::string::npos);
    EXPECT_TRUE(form.loadedFile().empty());
    EXPECT_EQ(form.cell(1, FlightForm::ColValue), "");
    // Nothing is written into the short file either.
    form.enterCell(1);
    form.setText1("5");
    EXPECT_FALSE(form.editFlt());
    EXPECT_EQ(read(shortFile), shortImage);

    fs::path good = write("good.flt", makeFlight(0));
    ASSERT_TRUE(form.loadFile(good));
    dialogs.messages.clear();
    EXPECT_FALSE(form.loadFile(dir / "missing.flt"));
    EXPECT_FALSE(form.loadFile(dir)); // a folder
    EXPECT_FALSE(form.loadFile(shortFile));
    // A pipe is not opened at all (opening it would wait for a writer).
    ASSERT_EQ(mkfifo((dir / "pipe.flt").c_str(), 0600), 0);
    EXPECT_FALSE(form.loadFile(dir / "pipe.flt"));
    EXPECT_EQ(dialogs.messages.size(), 4u);
    EXPECT_EQ(form.loadedFile(), good);
    EXPECT_EQ(form.cell(2, FlightForm::ColValue), "2");

    // Cancelling the dialog keeps the loaded file too.
    form.loadFlt();
    EXPECT_EQ(form.loadedFile(), good);
    EXPECT_EQ(form.label1(), good.string());
}

TEST_F(FltFormTest, EditWritesOnlyTheFieldsBytes)
{
    Bytes original = makeFlight(0);
    original.insert(original.end(), { 0xAA, 0xBB, 0xCC }); // a longer file keeps its tail
    fs::path file = write("plane.flt", original);
    start(file);

    // A float field: 0.5 is 0x3F000000.
    form.enterCell(3);
    form.setText1("0.5");
    ASSERT_TRUE(form.editFlt());
    EXPECT_EQ(form.cell(3, FlightForm::ColValue), "0.5");
    EXPECT_EQ(form.label2(), "0.5");
    expectOnlyChanged(original, read(file), { { 4, 0 }, { 5, 0 }, { 6, 0 }, { 7, 0x3F } });

    // A short field: the two bytes of field 161 are offsets 636 and 637.
    Bytes before = read(file);
    form.enterCell(161);
    form.setText1("1.5");
    ASSERT_TRUE(form.editFlt());
    EXPECT_EQ(form.cell(161, FlightForm::ColValue), "2");
    EXPECT_EQ(form.text1(), "2");
    expectOnlyChanged(before, read(file), { { 636, 2 }, { 637, 0 } });
    form.setText1("2.5");
    ASSERT_TRUE(form.editFlt());
    expectOnlyChanged(before, read(file), { { 636, 2 }, { 637, 0 } });
    form.setText1("-300");
    ASSERT_TRUE(form.editFlt());
    expectOnlyChanged(before, read(file), { { 636, 0xD4 }, { 637, 0xFE } });

    // A long field at 317 and the last float at 1281.
    before = read(file);
    form.enterCell(81);
    form.setText1("-2");
    ASSERT_TRUE(form.editFlt());
    form.enterCell(328);
    form.setText1("-2");
    ASSERT_TRUE(form.editFlt());
    expectOnlyChanged(before, read(file),
        { { 316, 0xFE }, { 317, 0xFF }, { 318, 0xFF }, { 319, 0xFF }, { 1280, 0 }, { 1281, 0 }, { 1282, 0 },
            { 1283, 0xC0 } });
    EXPECT_EQ(read(file).size(), kFileSize + 3u);
}

TEST_F(FltFormTest, RefusedEditsWriteNothingAndKeepTheCell)
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
        dialogs.messages.clear();
        form.enterCell(c.row);
        form.setText1(c.text);
        EXPECT_FALSE(form.editFlt()) << c.text;
        ASSERT_EQ(dialogs.messages.size(), 1u) << c.text;
        EXPECT_NE(dialogs.messages[0].find(c.says), std::string::npos) << dialogs.messages[0];
        EXPECT_NE(dialogs.messages[0].find("field " + std::to_string(c.row)), std::string::npos);
        EXPECT_EQ(form.cell(c.row, FlightForm::ColValue), c.row == 4 ? "4.25" : std::to_string(c.row));
        EXPECT_EQ(form.text1(), c.text); // left for the user to correct
    }
    EXPECT_EQ(form.cell(161, FlightForm::ColValue), "161");
    EXPECT_EQ(read(file), original);
}

TEST_F(FltFormTest, WithNoFileLoadedNothingIsWrittenAndTheStatusSaysSo)
{
    writeText("FDataDet.txt", descriptionText(kDescriptionLines));
    form.formLoad(dir); // the dialog is cancelled
    EXPECT_TRUE(form.loadedFile().empty());
    EXPECT_NE(form.status().find("No file loaded"), std::string::npos);

    form.enterCell(3);
    form.setText1("1");
    EXPECT_FALSE(form.editFlt());
    EXPECT_NE(form.status().find("No file loaded: nothing was written"), std::string::npos);
    form.mouseDown(3);
    form.mouseUp(4);
    EXPECT_FALSE(form.storeValues());
    EXPECT_NE(form.status().find("No file loaded"), std::string::npos);
    EXPECT_FALSE(form.pasteValues());
    EXPECT_NE(form.status().find("No file loaded: nothing was pasted"), std::string::npos);
    EXPECT_TRUE(dialogs.messages.empty());
    // Nothing was created next to the description file.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(FltFormTest, AFileThatShrankAfterLoadingIsNotGrown)
{
    fs::path file = write("plane.flt", makeFlight(0));
    start(file);
    Bytes cut = makeFlight(0);
    cut.resize(600);
    write("plane.flt", cut);
    form.enterCell(328);
    form.setText1("1");
    EXPECT_FALSE(form.editFlt());
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(read(file), cut);
    EXPECT_EQ(form.cell(328, FlightForm::ColValue), "328.25");
}

TEST_F(FltFormTest, StoreKeepsTheMarkedRangeInOrderWhenDraggedUpwards)
{
    fs::path file = write("plane.flt", makeFlight(0));
    start(file);
    EXPECT_FALSE(form.storeValues()); // nothing marked yet
    EXPECT_NE(form.status().find("No values are marked"), std::string::npos);

    form.mouseDown(100);
    form.mouseUp(97);
    EXPECT_EQ(form.markFirst(), 97);
    EXPECT_EQ(form.markLast(), 100);
    ASSERT_TRUE(form.storeValues());
    EXPECT_EQ(form.stored(), (std::vector<std::string> { "97.25", "98.25", "99.25", "100.25" }));
    EXPECT_EQ(form.label9(), "Description of field 97");

    // A single click stores one value; rows outside the table clamp to it.
    form.mouseDown(0);
    form.mouseUp(0);
    ASSERT_TRUE(form.storeValues());
    EXPECT_EQ(form.stored(), (std::vector<std::string> { "1" }));
    form.mouseDown(400);
    form.mouseUp(327);
    ASSERT_TRUE(form.storeValues());
    EXPECT_EQ(form.stored(), (std::vector<std::string> { "327.25", "328.25" }));
}

TEST_F(FltFormTest, PasteConvertsToEachTargetTypeAndWritesOnlyTheRun)
{
    fs::path a = write("a.flt", makeFlight(0));
    fs::path b = write("b.flt", makeFlight(1));
    start(a);
    // Three floats of file A, given values that show the conversions.
    for (auto [row, text] : { std::pair { 3, "2.5" }, { 4, "1234.5" }, { 5, "-7.75" } }) {
        form.enterCell(row);
        form.setText1(text);
        ASSERT_TRUE(form.editFlt());
    }
    Bytes aBefore = read(a);
    form.mouseDown(5);
    form.mouseUp(3);
    ASSERT_TRUE(form.storeValues());

    // Stored values stay when file B is loaded; fields 80 to 82 are float, long, float.
    dialogs.answers.push_back(b);
    form.loadFlt();
    ASSERT_EQ(form.loadedFile(), b);
    EXPECT_EQ(form.stored().size(), 3u);
    Bytes bBefore = read(b);
    form.enterCell(80);
    ASSERT_TRUE(form.pasteValues());
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(form.cell(80, FlightForm::ColValue), "2.5");
    EXPECT_EQ(form.cell(81, FlightForm::ColValue), "1234"); // tie to even
    EXPECT_EQ(form.cell(82, FlightForm::ColValue), "-7.75");
    EXPECT_EQ(form.currentRow(), 82);
    EXPECT_EQ(form.text1(), "-7.75");
    // Field 80 at 313 (2.5 = 0x40200000), 81 at 317 (1234 = 0x4D2), 82 at 321 (-7.75 = 0xC0F80000).
    expectOnlyChanged(bBefore, read(b),
        { { 312, 0 }, { 313, 0 }, { 314, 0x20 }, { 315, 0x40 }, { 316, 0xD2 }, { 317, 0x04 }, { 318, 0 }, { 319, 0 },
            { 320, 0 }, { 321, 0 }, { 322, 0xF8 }, { 323, 0xC0 } });
    EXPECT_EQ(read(a), aBefore);

    // Into shorts: field 161 and 162 take whole numbers.
    bBefore = read(b);
    form.enterCell(160);
    ASSERT_TRUE(form.pasteValues());
    EXPECT_EQ(form.cell(161, FlightForm::ColValue), "1234");
    EXPECT_EQ(form.cell(162, FlightForm::ColValue), "-8");
    expectOnlyChanged(bBefore, read(b),
        { { 632, 0 }, { 633, 0 }, { 634, 0x20 }, { 635, 0x40 }, { 636, 0xD2 }, { 637, 0x04 }, { 638, 0xF8 },
            { 639, 0xFF } });
}

TEST_F(FltFormTest, APasteThatCannotBeWrittenWholeWritesNothing)
{
    fs::path file = write("plane.flt", makeFlight(0));
    start(file);
    form.enterCell(10);
    form.setText1("3e9"); // fits a float, not a long
    ASSERT_TRUE(form.editFlt());
    Bytes before = read(file);

    EXPECT_FALSE(form.pasteValues()); // nothing stored yet
    EXPECT_NE(form.status().find("Nothing is stored"), std::string::npos);

    form.mouseDown(8);
    form.mouseUp(12);
    ASSERT_TRUE(form.storeValues());
    // Past the last field: 5 values from 325 would need 329.
    form.enterCell(325);
    EXPECT_FALSE(form.pasteValues());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].find("run past field 328"), std::string::npos);
    // Exactly to the last field is fine in range terms, so check the other refusal:
    // the third value (3e9) lands on field 81, a long; the two before it fit.
    dialogs.messages.clear();
    form.enterCell(79);
    EXPECT_FALSE(form.pasteValues());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].find("Stored value 3 (\"3E+09\") does not fit field 81"), std::string::npos);
    EXPECT_EQ(read(file), before);
    EXPECT_EQ(form.cell(79, FlightForm::ColValue), "79.25");
    EXPECT_EQ(form.currentRow(), 79);

    form.enterCell(324);
    ASSERT_TRUE(form.pasteValues());
    EXPECT_EQ(form.cell(328, FlightForm::ColValue), "12.25");
}
