// squadconv end to end: the dialogue driving the squadron converter in a folder.
#include "common/testing/testprocess.h"
#include "recordtext/testing/convertertest.h"
#include "squadconv/squadronconverter.h"

#include "common/fileimage.h"
#include "common/textio.h"
#include "samplegen/samples.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using namespace kvl;
using namespace kvl::squadconv;
using namespace kvl::recordtext;

const std::string kBanner = "KORVAL\nSquadron to Text Converter\n"
                            "Game data <-> annotated text, for the KORVAL modding community\n\n";
const std::string kMenu = "Press 1 to convert SQxx4x.DAT --> Squadron.TXT\n"
                          "Press 2 to convert Squadron.TXT --> Squadron.DAT\nChoice: ";

class Squadconv : public test::ConverterDialogue<SquadronConverter> {
protected:
    Squadconv() : ConverterDialogue(squadronProgramTable()) { }
};

TEST_F(Squadconv, SampleFolderRoundTripIsByteIdentical)
{
    ASSERT_TRUE(samples::writeCampaignSamples(folder.path()));
    auto image = bytes("SQ0141.DAT");
    image.resize(image.size() + 50, 0x55); // a part record is not carried over
    writeFileImage(folder / "sq0141.dat", image);
    std::filesystem::remove(folder / "SQ0141.DAT");

    EXPECT_EQ(run("1\nSQ0141.DAT\n"),
        kBanner + kMenu
            + "SQxx4x.DAT --> Squadron.TXT\nEnter Squadron filename: Loading...LOADED\nConverting...CONVERTED\n");
    std::string text;
    ASSERT_TRUE(readTextFile(folder / "Squadron.TXT", text));
    EXPECT_NE(text.find("    Weapon Type:          1          ; Drop tank\r\n"), std::string::npos);
    EXPECT_NE(text.find("  Aircraft Type:          0          ; Kestrel F.1 fighter\r\n"), std::string::npos);

    std::filesystem::rename(folder / "Squadron.TXT", folder / "SQUADRON.TXT");
    EXPECT_EQ(
        run("2\n"), kBanner + kMenu + "Squadron.TXT --> Squadron.DAT\nLoading...LOADED\nConverting...CONVERTED\n");
    image.resize(image.size() - 50);
    EXPECT_EQ(bytes("Squadron.dat"), image);
}

TEST_F(Squadconv, EmptyFolder)
{
    const std::string sideFiles = "Unable to open SQUADRONDATA.TXT!\nNo Comments will be included\n";
    EXPECT_EQ(run("1\nSQ0141.DAT\n"),
        kBanner + sideFiles + kMenu
            + "SQxx4x.DAT --> Squadron.TXT\nEnter Squadron filename: Loading...Unable to open Squadron file!\n"
              "FAILED!\n");
    EXPECT_EQ(run("2\n"), kBanner + sideFiles + kMenu + "Squadron.TXT --> Squadron.DAT\nLoading...FAILED!\n");
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

TEST_F(Squadconv, CountBeyondTheTextWritesNothing)
{
    writeFileImage(folder / "Squadron.TXT",
        std::string_view("KORVAL - SQUADRON FILE (TEXT VERSION)\r\nNUMBER OF SQUADRONS: 99\r\n\r\n"));
    const std::string out = run("2\n");
    EXPECT_NE(out.find("Loading...Unexpected end of Squadron.TXT after line 3 (Commencement Year expected)\n"
                       "FAILED!\n"),
        std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(folder / "Squadron.dat"));
}

TEST_F(Squadconv, ACampaignTextUnderTheSquadronNameIsRefused)
{
    writeFileImage(folder / "Squadron.TXT",
        std::string_view("KORVAL - CAMPAIGN FILE (TEXT VERSION)\r\n\r\n1. CAMPAIGN HEADER\r\n"));
    EXPECT_EQ(run("2\n"),
        kBanner + "Unable to open SQUADRONDATA.TXT!\nNo Comments will be included\n" + kMenu
            + "Squadron.TXT --> Squadron.DAT\nLoading...Squadron.TXT is not the expected text: line 2 does not "
              "begin with \"NUMBER OF SQUADRONS:\"\nFAILED!\n");
    EXPECT_FALSE(std::filesystem::exists(folder / "Squadron.dat"));
}

TEST_F(Squadconv, EndsWithStatusZeroWhenNobodyReadsItsOutput)
{
    ASSERT_TRUE(samples::writeCampaignSamples(folder.path()));
    EXPECT_EQ(test::runWithClosedOutput(KVL_SQUADCONV_PROGRAM, folder.path(), "1\nSQ0141.DAT\n"), 0);
    EXPECT_EQ(test::runWithClosedOutput(KVL_SQUADCONV_PROGRAM, folder.path(), "2\n"), 0);
    // Both conversions were made.
    EXPECT_EQ(bytes("Squadron.dat"), bytes("SQ0141.DAT"));
}

} // namespace
