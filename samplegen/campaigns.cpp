// Sample game files: campaigns.
#include "samplegen/samples.h"

namespace kvl::samples {

bool writeCampaignSamples(const std::filesystem::path&)
{
    return true;
}

std::vector<std::uint8_t> sampleCampaignFile(int)
{
    return {};
}

std::vector<std::uint8_t> sampleSquadronFile(int)
{
    return {};
}

} // namespace kvl::samples
