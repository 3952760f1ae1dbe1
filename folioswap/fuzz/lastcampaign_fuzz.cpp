// Fuzz target: reading LastCampaign.txt and writing it back.
#include "folioswap/foliofiles.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto name = folio::parseLastCampaign(text);
    if (name) {
        // A name without line ends must survive a write and a read unchanged.
        if (name->find('\n') == std::string::npos && name->find('\r') == std::string::npos) {
            auto again = folio::parseLastCampaign(folio::formatLastCampaign(*name));
            if (!again || *again != *name)
                std::abort();
        }
    }
    (void)folio::commentText(text);
    return 0;
}
