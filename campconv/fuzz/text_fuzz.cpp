// Fuzz target: the CAMPAIGN.TXT parser, then the text writer on what it parsed.
#include "campconv/campaigntext.h"

#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::ostringstream messages;
    kvl::recordtext::RecordTextInput in(
        std::string_view(reinterpret_cast<const char*>(data), size), kvl::campconv::campaignProgramTable(), messages);
    kvl::campconv::CampaignFile file;
    kvl::campconv::parseCampaignText(in, file);
    kvl::recordtext::AnnotationSet notes;
    (void)kvl::campconv::campaignText(file, notes);
    return 0;
}
