// The round trip a modder relies on when editing a game file as text: binary
// -> annotated text -> binary, in memory, and where the bytes do not survive.
//
// What the text form cannot carry (found by round-tripping every value of
// every field width, see roundtrip_test.cpp):
//   - 32-bit values below -9999 or above 99999: the reader takes at most five
//     characters of a value, so 123456 comes back as 12345;
//   - bytes past the last whole record (a campaign file longer than 3708
//     bytes, the remainder of a squadron file that is not a whole record);
//   - squadrons past the 99th: the count line is read from two characters.
// Every 8- and 16-bit value survives.
#pragma once

#include "recordtext/annotations.h"
#include "recordtext/menu.h"
#include "recordtext/programtable.h"

#include "common/result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kvl::recordtext {

/// Carries `image` through the text form and back. Nothing when every byte
/// comes back; otherwise the first difference in one line: "differs at offset
/// 832 (3. CAMPAIGN PLANE TYPES / PLANE TYPE #1 / Plane Count): 123456 in the
/// file, 12345 after the round trip; ...". The error says why `image` could
/// not be loaded at all.
Result<std::optional<std::string>> checkRoundTrip(RecordConverter& converter, const ProgramTable& table,
    const AnnotationSet& notes, const std::vector<std::uint8_t>& image);

/// The first difference between a file and what came back from its text, as
/// checkRoundTrip words it; nothing when they are equal.
std::optional<std::string> firstDifference(
    const RecordConverter& converter, const std::vector<std::uint8_t>& file, const std::vector<std::uint8_t>& back);

} // namespace kvl::recordtext
