// The layout of a flight-model file (.flt) and the text form of its values.
//
// A .flt file is a flat run of 328 little-endian fields with no header and no
// padding, 1284 bytes in all. Each field is a signed 16-bit integer ("short"),
// a signed 32-bit integer ("long") or an IEEE single ("float"). Positions
// count bytes from 1, as the editor shows them: position p is file offset p-1.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/byteview.h"

namespace kvl::fltpatch {

constexpr int kFieldCount = 328;
constexpr int kFileSize = 1284;

enum class FieldType { Short, Long, Float };

struct FieldInfo {
    int number = 0;            // 1 to 328
    std::int16_t position = 0; // 1-based byte position in the file
    FieldType type = FieldType::Float;
};

/// The type of field `number` (1 to 328); fields outside that range are floats.
FieldType fieldType(int number);
/// Bytes taken by a field of the type: 2 for "short", 4 otherwise.
int fieldWidth(FieldType type);
/// "short", "long" or "float".
const char* typeName(FieldType type);

/// Fields 1 to 328 with their positions; entry i describes field i + 1.
const std::array<FieldInfo, kFieldCount>& fieldTable();
/// The entry of field `number`; `number` must lie in 1 to 328.
const FieldInfo& field(int number);

/// The text the editor shows for a float: the shortest decimal text that
/// reads back to the same single, plain for magnitudes from 1E-05 up to
/// below 1E+07 and in exponent form ("1.5E+08") outside that. Infinities and
/// not-a-number show as "Inf", "-Inf", "NaN" and "-NaN".
std::string formatFloat(float value);

/// The text of the field's value in `image` (a whole .flt file), or nothing
/// when the field does not lie inside the image.
std::optional<std::string> readFieldText(kvl::ByteView image, const FieldInfo& info);

/// A value converted to a field's type, ready to be written.
struct EncodedValue {
    enum class Status { Ok, NotANumber, OutOfRange };
    Status status = Status::NotANumber;
    std::array<std::uint8_t, 4> bytes {}; // little-endian; the first `size` count
    int size = 0;
    std::string text; // the value as the editor shows it once written
};

/// Converts typed text to a field's type. Spaces around the number are
/// ignored; the decimal separator is a point; an exponent ("1.5e3") is allowed.
/// For "short" and "long" a fraction rounds to the nearest whole number, ties
/// to the even one (1.5 -> 2, 2.5 -> 2, -2.5 -> -2), computed on the decimal
/// digits themselves so long inputs round exactly. Floats round to the nearest
/// single; a magnitude too large for a single is out of range, one too small
/// becomes zero. "NaN", "-NaN", "Inf" and "-Inf" are accepted for floats so
/// that every shown value can be written back.
EncodedValue encodeValue(FieldType type, std::string_view text);

/// The whole numbers a field of the type holds, for messages.
std::string rangeDescription(FieldType type);

} // namespace kvl::fltpatch
