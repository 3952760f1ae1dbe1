// Arbitrary bytes as a flight file image and as a description file.
#include "fltpatch/flighteditor.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kvl::fltpatch;
    kvl::ByteView image(data, size);
    for (const FieldInfo& info : fieldTable()) {
        auto text = readFieldText(image, info);
        bool fits = static_cast<std::size_t>(info.position - 1 + fieldWidth(info.type)) <= size;
        if (text.has_value() != fits)
            __builtin_trap();
    }
    auto lines = splitDescriptions(std::string_view(reinterpret_cast<const char*>(data), size));
    if (static_cast<int>(lines.size()) > kDescriptionLines)
        __builtin_trap();
    return 0;
}
