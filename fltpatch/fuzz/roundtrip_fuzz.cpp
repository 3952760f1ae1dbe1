// Round trips of field values between the bytes of a .flt file and the text
// the editor shows, for every field type ("short", "long", "float"):
//
// - bytes -> text -> bytes: the first 2 (short) or 4 (long, float) bytes of
//   the input, shown as the editor shows them and written back, give the same
//   bytes. The one exception is a float not-a-number: it shows as "NaN" or
//   "-NaN", which writes the quiet not-a-number 0x7FC00000 with the sign
//   kept, so the other payload bits (and a signalling NaN's quiet bit) are
//   not carried back.
// - text -> bytes -> text: a text that converts shows as a text that
//   converts to the same bytes and shows the same again.
#include "fltpatch/fltfields.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

using namespace kvl::fltpatch;

constexpr std::uint32_t kQuietNaN = 0x7FC00000u;
constexpr std::uint32_t kSignBit = 0x80000000u;

std::uint32_t littleEndian(const std::uint8_t* p, int width)
{
    std::uint32_t v = 0;
    for (int k = width - 1; k >= 0; --k)
        v = (v << 8) | p[k];
    return v;
}

void bytesThroughText(FieldType type, const std::uint8_t* data)
{
    const int width = fieldWidth(type);
    const auto shown = readFieldText(kvl::ByteView(data, static_cast<std::size_t>(width)), FieldInfo { 1, 1, type });
    if (!shown)
        std::abort();
    const EncodedValue back = encodeValue(type, *shown);
    if (back.status != EncodedValue::Status::Ok || back.size != width || back.text != *shown)
        std::abort();
    std::uint32_t expected = littleEndian(data, width);
    if (type == FieldType::Float && (expected & 0x7F800000u) == 0x7F800000u && (expected & 0x007FFFFFu) != 0)
        expected = kQuietNaN | (expected & kSignBit);
    if (littleEndian(back.bytes.data(), width) != expected)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    for (FieldType type : { FieldType::Short, FieldType::Long, FieldType::Float }) {
        if (size >= static_cast<std::size_t>(fieldWidth(type)))
            bytesThroughText(type, data);
        const EncodedValue v = encodeValue(type, std::string_view(reinterpret_cast<const char*>(data), size));
        if (v.status != EncodedValue::Status::Ok)
            continue;
        const EncodedValue again = encodeValue(type, v.text);
        if (again.status != EncodedValue::Status::Ok || again.bytes != v.bytes || again.text != v.text)
            std::abort();
    }
    return 0;
}
