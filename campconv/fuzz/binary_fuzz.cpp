// Fuzz target: the campaign file reader. A file it accepts must come back
// from the writer equal in its first 3708 bytes.
#include "campconv/campaignfile.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const kvl::Result<kvl::campconv::CampaignFile> file = kvl::campconv::readCampaignImage(kvl::ByteView(data, size));
    if (!file)
        return 0;
    const std::vector<std::uint8_t> image = kvl::campconv::campaignImage(*file);
    if (image.size() != kvl::campconv::kCampaignFileSize || std::memcmp(image.data(), data, image.size()) != 0)
        std::abort();
    return 0;
}
