// Campaign text writer and parser: the title, then the campaign's layout
// walked by the labelled-text walkers.
#include "campconv/campaigntext.h"
#include "campconv/campconvoptions.h"

#include "recordtext/fieldwalkers.h"

namespace kvl::campconv {

const recordtext::ProgramTable& campaignProgramTable()
{
    static constexpr recordtext::ProgramTable kTable {
        .commentFile = "CAMPAIGNDATA.TXT",
        .categoryLimit = 11,
        .planeNameCode = kPlaneNameCode,
        .highValueCode = kSpeechCode,
        .highValueThreshold = 65500,
        .fourSpaceIndent = false,
        .anyLabel = "",
        .titleLine = "Campaign to Text Converter",
        .menuLine1 = "Press 1 to convert CAMPxxxx.DAT --> CAMPAIGN.TXT",
        .menuLine2 = "Press 2 to convert CAMPAIGN.TXT --> CAMPAIGN.DAT",
        .choice1Banner = "CAMPxxxx.DAT --> CAMPAIGN.TXT",
        .fileNamePrompt = "Enter Campaign filename: ",
        .choice2Banner = "CAMPAIGN.TXT --> CAMPAIGN.DAT",
        .textFile = "CAMPAIGN.TXT",
        .binaryFile = "campaign.dat",
        .openFailedMessage = "Unable to open campaign file!",
        .programName = "campconv",
        .fileKind = "campaign files (CAMPxxxx.DAT, 3708 bytes)",
        .exampleBinary = "CAMP0001.DAT",
        .countLabel = "",
        .commandLine = &kCommandLine,
    };
    return kTable;
}

std::string campaignText(const CampaignFile& file, const recordtext::AnnotationSet& notes)
{
    CrlfText text;
    text.reserve(150 * 1024);
    recordtext::LabelledOutput out { text, notes, campaignProgramTable(), 0 };
    text.line("KORVAL - CAMPAIGN FILE (TEXT VERSION)");
    text.endLine();
    recordtext::TextWriter writer(out);
    recordtext::walk(writer, file, kCampaignLayout);
    return text.take();
}

void parseCampaignText(recordtext::RecordTextInput& in, CampaignFile& file)
{
    // The title; the first field read passes over the empty line, heading
    // and underline of the setup section.
    in.skipLines(1);
    recordtext::TextParser parser(in);
    recordtext::walk(parser, file, kCampaignLayout);
}

} // namespace kvl::campconv
