// The fixed-width number fields of the text dump, written straight into a
// character buffer: a large model gives tens of megabytes of such fields, so
// they are produced without the C library's formatted output.
//
//   float    14 characters, "%+.6e" with at least three exponent digits:
//            +1.500000e+001, -0.000000e+000; infinities and NaNs are written
//            +inf, -inf, +nan, -nan right-aligned in the same 14 characters.
//   integer  decimal right-aligned in its width ("%*lld", or "%+*lld" with a
//            sign always), wider when the number needs more; never cut.
//   key      a record number with at least three digits, zero-padded ("%03zu").
#pragma once

#include <cstddef>
#include <cstring>
#include <string>

namespace kvl::modelconv {

/// Width of every float field.
inline constexpr std::size_t kFloatWidth = 14;
/// Upper bound of an integer field of width 10 or less (sign and 19 digits).
inline constexpr std::size_t kIntMax = 21;
/// An integer field may be written with up to this many characters from its
/// start, blanks past its end included (later fields overwrite them): every
/// buffer the fields go into keeps this much room past its last field.
inline constexpr std::size_t kIntSlack = 16;

/// Whether an integer field shows the sign of a number that is not negative.
enum class Sign { NegativeOnly, Always };

/// Writes the 14 characters of a float field at `out`.
void putFloat(char* out, float value);

/// putInt for a number wider than its field, or a field wider than 10.
std::size_t putWideInt(char* out, long long value, int width, Sign sign);

namespace detail {
/// 10^d: the first magnitude that does not fit in d digits (nothing fits in 0).
inline constexpr unsigned long long kDigitsLimit[11] = { 0, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000,
    1000000000, 10000000000 };
} // namespace detail

/// Writes an integer right-aligned in `width` (wider when it must be) at
/// `out`, which has room for kIntSlack characters more than the field;
/// returns the characters the field takes (at most kIntMax for widths up to
/// 10). Inline: the dump writes millions of them.
[[gnu::always_inline]] inline std::size_t putInt(char* out, long long value, int width, Sign sign = Sign::NegativeOnly)
{
    unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                             : static_cast<unsigned long long>(value);
    const bool signed_ = value < 0 || sign == Sign::Always;
    // The common field: the number fits its width. Blanks, then the digits
    // from the right, with no calls for the variable lengths.
    if (width < 1 || width > 10 || magnitude >= detail::kDigitsLimit[width - (signed_ ? 1 : 0)])
        return putWideInt(out, value, width, sign);
    std::memcpy(out, "                ", kIntSlack);
    char* p = out + width;
    do {
        *--p = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (signed_)
        *--p = value < 0 ? '-' : '+';
    return static_cast<std::size_t>(width);
}

/// Writes the record number at `out`: at least three digits, zero-padded.
/// Returns its length.
inline std::size_t putKey(char* out, std::size_t number)
{
    std::size_t length = 3;
    for (std::size_t rest = number / 1000; rest != 0; rest /= 10)
        ++length;
    char* p = out + length;
    for (std::size_t i = 0; i < length; ++i) {
        *--p = static_cast<char>('0' + number % 10);
        number /= 10;
    }
    return length;
}

/// The same fields appended to a string.
void appendFloat(std::string& out, float value);
void appendInt(std::string& out, long long value, int width, Sign sign = Sign::NegativeOnly);
void appendKey(std::string& out, std::size_t number);

} // namespace kvl::modelconv
