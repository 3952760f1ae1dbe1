// Fuzz target: reading LastCampaign.txt and writing it back.
#include "folioswap/settree.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto name = kvl::folioswap::parseLastCampaign(text);
    if (name) {
        // A name without line ends must survive a write and a read unchanged.
        if (name->find('\n') == std::string::npos && name->find('\r') == std::string::npos) {
            auto again = kvl::folioswap::parseLastCampaign(kvl::folioswap::formatLastCampaign(*name));
            if (!again || *again != *name)
                std::abort();
        }
    }
    (void)kvl::folioswap::commentText(text);
    return 0;
}
