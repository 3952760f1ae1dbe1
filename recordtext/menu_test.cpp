#include "common/testing/testfolder.h"
#include "recordtext/menu.h"

#include "common/fileimage.h"
#include "common/textio.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using namespace kvl;
using namespace kvl::recordtext;

/// A converter of a made-up format: the binary file is two bytes, the text
/// two labelled lines.
class PairConverter : public RecordConverter {
public:
    Result<void> loadImage(const std::vector<std::uint8_t>& image) override
    {
        if (image.size() < 2)
            return Error { "Pair file is too short!" };
        a = image[0];
        b = image[1];
        return {};
    }
    std::vector<std::uint8_t> binaryImage() const override { return { a, b }; }
    std::string text(const AnnotationSet&) const override
    {
        return "A: " + std::to_string(a) + "\r\nB: " + std::to_string(b) + "\r\n";
    }
    void parseText(RecordTextInput& in) override
    {
        a = b = 0;
        readLabelledValue(in, "A", a);
        readLabelledValue(in, "B", b);
    }
    std::optional<FieldPlace> fieldAt(std::size_t offset, std::size_t) const override
    {
        if (offset >= 2)
            return std::nullopt;
        return FieldPlace { offset, 1, false, offset == 0 ? "A" : "B", {}, {}, offset == 0 ? "A" : "B" };
    }
    std::string tailNotCarried(std::size_t) const override { return "a pair has two bytes"; }
    std::size_t recordsEnd(std::size_t fileSize) const override { return std::min<std::size_t>(fileSize, 2); }
    std::size_t repeatedRecordSize() const override { return 0; }
    std::uint8_t a = 0, b = 0;
};

ProgramTable pairTable()
{
    ProgramTable t;
    t.commentFile = "PAIRDATA.TXT";
    t.categoryLimit = 1;
    t.planeNameCode = 1;
    t.titleLine = "Pair to Text Converter";
    t.menuLine1 = "Press 1 to convert PAIR.DAT --> PAIR.TXT";
    t.menuLine2 = "Press 2 to convert PAIR.TXT --> PAIR.DAT";
    t.choice1Banner = "PAIR.DAT --> PAIR.TXT";
    t.fileNamePrompt = "Enter Pair filename: ";
    t.choice2Banner = "PAIR.TXT --> PAIR.DAT";
    t.textFile = "PAIR.TXT";
    t.binaryFile = "pair.dat";
    t.openFailedMessage = "Unable to open pair file!";
    return t;
}

const std::string kHead
    = "KORVAL\nPair to Text Converter\n"
      "Game data <-> annotated text, for the KORVAL modding community\n\n"
      "Unable to open PAIRDATA.TXT!\nNo Comments will be included\n"
      "Press 1 to convert PAIR.DAT --> PAIR.TXT\nPress 2 to convert PAIR.TXT --> PAIR.DAT\nChoice: ";

class Menu : public ::testing::Test {
protected:
    std::string run(const std::string& answers)
    {
        std::istringstream in(answers);
        std::ostringstream out;
        runConverterMenu(pairTable(), converter, in, out, folder.path());
        return out.str();
    }
    std::string read(const std::string& name)
    {
        std::string text;
        readTextFile(folder / name, text);
        return text;
    }
    test::TempFolder folder;
    PairConverter converter;
};

TEST_F(Menu, OtherChoicesShowOnlyBannerAndMenu)
{
    EXPECT_EQ(run("3\n1\n"), kHead);
    EXPECT_EQ(run("\n1\n"), kHead);
    EXPECT_EQ(run(""), kHead);
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

TEST_F(Menu, ChoiceOneConvertsTheNamedFile)
{
    writeFileImage(folder / "pair0001.dat", std::string_view("\x05\x07"));
    EXPECT_EQ(run("1 and the rest is ignored\nPAIR0001.DAT\n"),
        kHead + "PAIR.DAT --> PAIR.TXT\nEnter Pair filename: Loading...LOADED\nConverting...CONVERTED\n");
    EXPECT_EQ(read("PAIR.TXT"), "A: 5\r\nB: 7\r\n");
}

TEST_F(Menu, ChoiceOneReportsFilesItCannotUse)
{
    EXPECT_EQ(run("1\nNOSUCH.DAT\n"),
        kHead + "PAIR.DAT --> PAIR.TXT\nEnter Pair filename: Loading...Unable to open pair file!\nFAILED!\n");
    EXPECT_EQ(run("1\n\n"),
        kHead + "PAIR.DAT --> PAIR.TXT\nEnter Pair filename: Loading...Unable to open pair file!\nFAILED!\n");
    writeFileImage(folder / "SHORT.DAT", std::string_view("\x05"));
    EXPECT_EQ(run("1\nSHORT.DAT\n"),
        kHead + "PAIR.DAT --> PAIR.TXT\nEnter Pair filename: Loading...Pair file is too short!\nFAILED!\n");
    EXPECT_TRUE(read("PAIR.TXT").empty());
}

TEST_F(Menu, FileNamesAreCutToTwelveCharacters)
{
    writeFileImage(folder / "ABCDEFGH.DAT", std::string_view("\x01\x02"));
    EXPECT_NE(run("1\nABCDEFGH.DATXYZ\n").find("LOADED"), std::string::npos);
    EXPECT_EQ(read("PAIR.TXT"), "A: 1\r\nB: 2\r\n");
}

TEST_F(Menu, ChoiceTwoWritesTheBinaryFile)
{
    writeFileImage(folder / "pair.txt", std::string_view("A: 300\nC: 9\n"));
    EXPECT_EQ(run("2\n"),
        kHead
            + "PAIR.TXT --> PAIR.DAT\nLoading...Expected B.  Found C\nLOADED\n"
              "Converting...CONVERTED\n");
    EXPECT_EQ(read("pair.dat"), std::string("\x2c\x00", 2));
}

TEST_F(Menu, ChoiceTwoWritesNothingForAMissingOrShortText)
{
    EXPECT_EQ(run("2\n"), kHead + "PAIR.TXT --> PAIR.DAT\nLoading...FAILED!\n");
    writeFileImage(folder / "PAIR.TXT", std::string_view("A: 3\n\n"));
    EXPECT_EQ(run("2\n"),
        kHead
            + "PAIR.TXT --> PAIR.DAT\nLoading...Unexpected end of PAIR.TXT after line 2 "
              "(B expected)\nFAILED!\n");
    EXPECT_FALSE(std::filesystem::exists(folder / "pair.dat"));
}

TEST_F(Menu, AnOutputThatCannotBeCreatedIsAFailure)
{
    std::filesystem::create_directory(folder / "pair.dat");
    std::filesystem::create_directory(folder / "PAIR.TXT");
    writeFileImage(folder / "P.DAT", std::string_view("\x01\x02"));
    EXPECT_EQ(run("1\nP.DAT\n"),
        kHead
            + "PAIR.DAT --> PAIR.TXT\nEnter Pair filename: Loading...LOADED\n"
              "Converting...Unable to create PAIR.TXT!\nFAILED!\n");
    std::filesystem::remove(folder / "PAIR.TXT");
    writeFileImage(folder / "PAIR.TXT", std::string_view("A: 1\nB: 2\n"));
    EXPECT_EQ(run("2\n"),
        kHead
            + "PAIR.TXT --> PAIR.DAT\nLoading...LOADED\n"
              "Converting...Unable to create pair.dat!\nFAILED!\n");
}

} // namespace
