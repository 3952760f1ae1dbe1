// Round trips of the campaign file through CAMPAIGN.TXT.
//
// Binary -> text -> binary: the first 3708 bytes of any input that long come
// back byte for byte, except in the 32-bit fields (Briefing Language,
// Attacking Side, Plane Count, Production, Start Points, Nationality): the
// parser reads at most five characters of a value, so a value outside
// -9999..99999 comes back as the number its first five characters spell
// (123456 -> 12345, -12345 -> -1234). The expected image is built with that
// one rule; every other byte must match exactly.
//
// Text -> binary -> text: whatever the parser makes of the input, writing it
// and parsing that again gives the same file, and so the same text.
#include "campconv/campaignfile.h"
#include "campconv/campaigntext.h"

#include <cstdlib>
#include <sstream>
#include <string>

namespace {

using namespace kvl::campconv;

std::int32_t throughFiveCharacters(std::int32_t value)
{
    const std::string shown = std::to_string(value).substr(0, 5);
    return static_cast<std::int32_t>(std::strtol(shown.c_str(), nullptr, 10));
}

CampaignFile carriedByText(CampaignFile file)
{
    file.setup.briefingLanguage = throughFiveCharacters(file.setup.briefingLanguage);
    file.setup.attackingSide = throughFiveCharacters(file.setup.attackingSide);
    for (CampaignPlaneType& p : file.planeTypes) {
        p.planeCount = throughFiveCharacters(p.planeCount);
        p.production = throughFiveCharacters(p.production);
        p.startPoints = throughFiveCharacters(p.startPoints);
    }
    file.german.nationality = throughFiveCharacters(file.german.nationality);
    file.allied.nationality = throughFiveCharacters(file.allied.nationality);
    return file;
}

// Parses `text` into a zeroed file; false when the text ended early.
bool parse(const std::string& text, CampaignFile& file)
{
    std::ostringstream messages;
    kvl::recordtext::RecordTextInput in(text, campaignProgramTable(), messages);
    file = CampaignFile {};
    parseCampaignText(in, file);
    return !in.ended();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const kvl::recordtext::AnnotationSet notes;
    if (auto read = readCampaignImage(kvl::ByteView(data, size))) {
        CampaignFile back;
        if (!parse(campaignText(*read, notes), back))
            std::abort();
        if (campaignImage(back) != campaignImage(carriedByText(*read)))
            std::abort();
    }

    CampaignFile first;
    (void)parse(std::string(reinterpret_cast<const char*>(data), size), first);
    const std::string text = campaignText(first, notes);
    // The text is a function of the file, and the image holds every field of
    // the file: equal images mean the second pass writes `text` again, so
    // the third text is not written (it was a quarter of each execution).
    CampaignFile second;
    if (!parse(text, second) || campaignImage(second) != campaignImage(first))
        std::abort();
    return 0;
}
