// Tests and benchmarks only: flight file images and description files whose
// values tell the fields apart.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/byteview.h"
#include "fltpatch/fltfields.h"

namespace kvl::test {

using namespace kvl::fltpatch;

/// A flight file whose every field holds a value of its type that tells the
/// field apart: short n -> 1000 * variant + n, long n -> 100000 * variant + n,
/// float n -> n + 0.25 + variant.
inline std::vector<std::uint8_t> makeFlight(int variant)
{
    std::vector<std::uint8_t> image(kFileSize, 0);
    for (const FieldInfo& f : fieldTable()) {
        auto offset = static_cast<std::size_t>(f.position - 1);
        switch (f.type) {
        case FieldType::Short:
            putI16(image, offset, static_cast<std::int16_t>(1000 * variant + f.number));
            break;
        case FieldType::Long:
            putI32(image, offset, 100000 * variant + f.number);
            break;
        case FieldType::Float:
            putF32(image, offset, static_cast<float>(f.number) + 0.25f + static_cast<float>(variant));
            break;
        }
    }
    return image;
}

/// A description file of `lines` lines: a heading, then "Description of field n".
inline std::string descriptionText(int lines, const char* lineEnd = "\r\n")
{
    std::string text;
    for (int i = 0; i < lines; ++i)
        text += (i == 0 ? std::string("What the value sets") : "Description of field " + std::to_string(i)) + lineEnd;
    return text;
}

} // namespace kvl::test
