// Typed text -> field bytes, for every field type: never crashes, and a value
// that converts shows as a text that converts back to the same bytes.
#include "fltpatch/fltfields.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kvl::fltpatch;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    for (FieldType type : { FieldType::Short, FieldType::Long, FieldType::Float }) {
        EncodedValue v = encodeValue(type, text);
        if (v.status != EncodedValue::Status::Ok)
            continue;
        if (v.size != fieldWidth(type))
            __builtin_trap();
        EncodedValue again = encodeValue(type, v.text);
        if (again.status != EncodedValue::Status::Ok || again.bytes != v.bytes || again.text != v.text)
            __builtin_trap();
    }
    // The first four bytes as a single: its text reads back to the same bits.
    if (size >= 4) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, data, 4);
        float value = std::bit_cast<float>(bits);
        if (!std::isnan(value)) {
            EncodedValue back = encodeValue(FieldType::Float, formatFloat(value));
            std::uint32_t got = 0;
            std::memcpy(&got, back.bytes.data(), 4);
            if (back.status != EncodedValue::Status::Ok || got != bits)
                __builtin_trap();
        }
    }
    return 0;
}
