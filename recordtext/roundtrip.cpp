// Binary -> text -> binary in memory, and the first difference named by its field.
#include "recordtext/roundtrip.h"

#include <algorithm>
#include <ostream>

namespace kvl::recordtext {

namespace {

/// The little-endian value of a place in an image; nothing when the image
/// ends before it.
std::optional<std::int64_t> valueAt(const FieldPlace& place, const std::vector<std::uint8_t>& image)
{
    if (place.offset + place.size > image.size())
        return std::nullopt;
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < place.size; ++i)
        v |= std::uint32_t(image[place.offset + i]) << (8 * i);
    if (place.isSigned && place.size == 4)
        return static_cast<std::int32_t>(v);
    return v;
}

std::string valueText(const std::optional<std::int64_t>& v)
{
    return v ? std::to_string(*v) : std::string("nothing");
}

} // namespace

std::optional<std::string> firstDifference(
    const RecordConverter& converter, const std::vector<std::uint8_t>& file, const std::vector<std::uint8_t>& back)
{
    const std::size_t common = std::min(file.size(), back.size());
    const auto mismatch = std::mismatch(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(common), back.begin());
    const std::size_t at = static_cast<std::size_t>(mismatch.first - file.begin());
    if (at == common && file.size() == back.size())
        return std::nullopt;
    std::string out = "differs at offset " + std::to_string(at);
    if (at == common) {
        out += ": the file has " + std::to_string(file.size()) + " bytes, the round trip "
            + std::to_string(back.size());
        if (file.size() > back.size())
            out += "; " + converter.tailNotCarried(file.size());
        return out;
    }
    const std::optional<FieldPlace> place = converter.fieldAt(at, file.size());
    if (!place)
        return out + ": byte " + std::to_string(file[at]) + " in the file, " + std::to_string(back[at])
            + " after the round trip";
    const std::optional<std::int64_t> before = valueAt(*place, file);
    out += " (" + place->name + "): " + valueText(before) + " in the file, " + valueText(valueAt(*place, back))
        + " after the round trip";
    if (place->size == 4 && before && (*before > 99999 || *before < -9999))
        out += "; the text keeps five characters of a value, so only -9999 to 99999 survive";
    return out;
}

Result<std::optional<std::string>> checkRoundTrip(RecordConverter& converter, const ProgramTable& table,
    const AnnotationSet& notes, const std::vector<std::uint8_t>& image)
{
    if (Result<void> loaded = converter.loadImage(image); !loaded)
        return loaded.error();
    const std::string text = converter.text(notes);
    std::ostream quiet(nullptr);
    RecordTextInput input(text, table, quiet);
    converter.parseText(input);
    if (input.ended())
        return std::optional<std::string>("its text does not parse back: " + input.stopReason());
    if (!input.mismatches().empty()) {
        const auto& m = input.mismatches().front();
        return std::optional<std::string>("its text does not parse back: line " + std::to_string(m.line) + ": Expected "
            + m.expected + ".  Found " + m.found);
    }
    return firstDifference(converter, image, converter.binaryImage());
}

} // namespace kvl::recordtext
