// Fuzz target: reading a restore list and checking its names.
#include "folioswap/settree.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const auto& entry : kvl::folioswap::parseRestoreList(text)) {
        if (entry.name.empty() || entry.line == 0)
            std::abort();
        if (kvl::folioswap::isSafeRestoreName(entry.name)
            && (entry.name.find('/') != std::string::npos || entry.name == ".."))
            std::abort();
    }
    (void)kvl::folioswap::setNameFromEntry(text);
    return 0;
}
