// campconv end to end: the dialogue driving the campaign converter in a folder.
#include "campconv/campaignconverter.h"
#include "common/testing/testprocess.h"
#include "recordtext/testing/convertertest.h"

#include "common/fileimage.h"
#include "common/textio.h"
#include "samplegen/samples.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using namespace kvl;
using namespace kvl::campconv;
using namespace kvl::recordtext;

const std::string kBanner = "KORVAL\nCampaign to Text Converter\n"
                            "Game data <-> annotated text, for the KORVAL modding community\n\n";
const std::string kMenu = "Press 1 to convert CAMPxxxx.DAT --> CAMPAIGN.TXT\n"
                          "Press 2 to convert CAMPAIGN.TXT --> CAMPAIGN.DAT\nChoice: ";
const std::string kNoSideFiles = "Unable to open CAMPAIGNDATA.TXT!\nNo Comments will be included\n";

class Campconv : public test::ConverterDialogue<CampaignConverter> {
protected:
    Campconv() : ConverterDialogue(campaignProgramTable()) { }
};

TEST_F(Campconv, SampleFolderRoundTripIsByteIdentical)
{
    ASSERT_TRUE(samples::writeCampaignSamples(folder.path()));
    EXPECT_EQ(run("1\ncamp0002.dat\n"),
        kBanner + kMenu
            + "CAMPxxxx.DAT --> CAMPAIGN.TXT\nEnter Campaign filename: Loading...LOADED\nConverting...CONVERTED\n");
    std::string text;
    ASSERT_TRUE(readTextFile(folder / "CAMPAIGN.TXT", text));
    EXPECT_NE(text.find("  Event Type:         18         ; Plane type withdrawn\r\n"), std::string::npos);

    EXPECT_EQ(
        run("2\n"), kBanner + kMenu + "CAMPAIGN.TXT --> CAMPAIGN.DAT\nLoading...LOADED\nConverting...CONVERTED\n");
    EXPECT_EQ(bytes("campaign.dat"), bytes("CAMP0002.DAT"));
}

TEST_F(Campconv, EmptyFolder)
{
    EXPECT_EQ(run("1\nCAMP0001.DAT\n"),
        kBanner + kNoSideFiles + kMenu
            + "CAMPxxxx.DAT --> CAMPAIGN.TXT\nEnter Campaign filename: Loading...Unable to open campaign file!\n"
              "FAILED!\n");
    EXPECT_EQ(run("2\n"), kBanner + kNoSideFiles + kMenu + "CAMPAIGN.TXT --> CAMPAIGN.DAT\nLoading...FAILED!\n");
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

TEST_F(Campconv, ShortAndLongCampaignFiles)
{
    auto image = samples::sampleCampaignFile(0);
    writeFileImage(folder / "CAMP0009.DAT", std::span(image.data(), 1000));
    EXPECT_EQ(run("1\nCAMP0009.DAT\n"),
        kBanner + kNoSideFiles + kMenu
            + "CAMPxxxx.DAT --> CAMPAIGN.TXT\nEnter Campaign filename: Loading...Campaign file is too short "
              "(1000 bytes, 3708 needed)!\nFAILED!\n");
    EXPECT_FALSE(std::filesystem::exists(folder / "CAMPAIGN.TXT"));

    auto longer = image;
    longer.resize(3800, 0x77);
    writeFileImage(folder / "CAMP0009.DAT", longer);
    run("1\nCAMP0009.DAT\n");
    run("2\n");
    EXPECT_EQ(bytes("campaign.dat"), image);
}

TEST_F(Campconv, TextThatEndsEarlyWritesNothing)
{
    CampaignFile file;
    file = readCampaignImage(samples::sampleCampaignFile(0)).value();
    const std::string text = campaignText(file, AnnotationSet {});
    writeFileImage(folder / "campaign.txt", std::string_view(text).substr(0, text.find("PHASE #3")));
    EXPECT_EQ(run("2\n"),
        kBanner + kNoSideFiles + kMenu
            + "CAMPAIGN.TXT --> CAMPAIGN.DAT\nLoading...Unexpected end of CAMPAIGN.TXT after line 73 "
              "(Win Condition expected)\nFAILED!\n");
    EXPECT_FALSE(std::filesystem::exists(folder / "campaign.dat"));
}

TEST_F(Campconv, EndsWithStatusZeroWhenNobodyReadsItsOutput)
{
    ASSERT_TRUE(samples::writeCampaignSamples(folder.path()));
    EXPECT_EQ(test::runWithClosedOutput(KVL_CAMPCONV_PROGRAM, folder.path(), "1\nCAMP0001.DAT\n"), 0);
    // The dialogue went on to the end: the conversion was made.
    CampaignFile file;
    file = readCampaignImage(samples::sampleCampaignFile(0)).value();
    std::ostringstream messages;
    const AnnotationSet notes = loadAnnotations(campaignProgramTable(), folder.path(), messages);
    std::string text;
    ASSERT_TRUE(readTextFile(folder / "CAMPAIGN.TXT", text));
    EXPECT_EQ(text, campaignText(file, notes));
}

} // namespace
