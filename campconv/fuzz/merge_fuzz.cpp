// Fuzz target: the field merge and diff of campaign files and texts (the
// properties are listed in recordtext/fuzz/mergeproperties.h).
#include "campconv/campaignconverter.h"
#include "recordtext/fuzz/mergeproperties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    kvl::campconv::CampaignConverter converter;
    kvl::recordtext::fuzz::checkMergeProperties(converter, kvl::campconv::campaignProgramTable(), data, size);
    return 0;
}
