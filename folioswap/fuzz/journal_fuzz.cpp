// Fuzz target: reading a switch journal. Whatever it accepts must be written
// back to the same journal.
#include "folioswap/journal.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto journal = kvl::folioswap::parseJournal(text);
    if (!journal)
        return 0;
    auto again = kvl::folioswap::parseJournal(kvl::folioswap::formatJournal(*journal));
    if (!again || !(*again == *journal))
        std::abort();
    return 0;
}
