// Fuzz target: the campaign file reader. A file it accepts must come back
// from the writer equal in its first 3708 bytes.
#include "campconv/campaignfile.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    kvl::CampaignFile file;
    if (!kvl::readCampaignImage(kvl::ByteView(data, size), file))
        return 0;
    const std::vector<std::uint8_t> image = kvl::campaignImage(file);
    if (image.size() != kvl::CampaignFileSize || std::memcmp(image.data(), data, image.size()) != 0)
        std::abort();
    return 0;
}
