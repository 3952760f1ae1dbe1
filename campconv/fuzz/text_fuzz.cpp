// Fuzz target: the CAMPAIGN.TXT parser, then the text writer on what it parsed.
#include "campconv/campaigntext.h"

#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::ostringstream messages;
    kvl::RecordTextInput in(
        std::string_view(reinterpret_cast<const char*>(data), size), kvl::campaignProgramTable(), messages);
    kvl::CampaignFile file;
    kvl::parseCampaignText(in, file);
    kvl::AnnotationSet notes;
    (void)kvl::campaignText(file, notes);
    return 0;
}
