// Any text as an action list: never crashes, and a list that parses prints
// as lines that parse back to the same actions.
#include "common/testing/monkeyscript.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kvl::test::monkey;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto list = parseActionList(text);
    if (!list)
        return 0;
    auto again = parseActionList(formatActionList(*list));
    if (!again || *again != *list)
        __builtin_trap();
    return 0;
}
