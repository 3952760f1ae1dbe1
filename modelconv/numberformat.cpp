// The fixed-width number fields of the text dump.
#include "modelconv/numberformat.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>

namespace kvl::modelconv {

namespace {

// Exact but slow: the library's correctly rounded conversion of the
// magnitude, with the exponent widened to three digits.
void putFloatExact(char* out, float value, bool negative)
{
    char buf[64];
    auto result = std::to_chars(
        buf, buf + sizeof buf, std::fabs(static_cast<double>(value)), std::chars_format::scientific, 6);
    std::string_view text(buf, static_cast<std::size_t>(result.ptr - buf)); // "1.500000e+01"
    const std::size_t e = text.find('e');
    std::string_view digits = text.substr(e + 2);
    char* p = out;
    *p++ = negative ? '-' : '+';
    std::memcpy(p, text.data(), e + 2); // mantissa, 'e' and the exponent's sign
    p += e + 2;
    for (std::size_t i = digits.size(); i < 3; ++i)
        *p++ = '0';
    std::memcpy(p, digits.data(), digits.size());
}

// Fast path for the 7 significant digits of a float: scale it into
// [10^6, 10^7) with one double multiplication by a correctly rounded power of
// ten. The float is exact in a double, so the product is off by at most
// 2^-52 relative, under 2.3e-9 absolute; when the fraction lies farther than
// 1e-8 from 0.5, the rounding decision is the one the exact value gives.
// That holds next to the integers too (a fraction within the error of 0 or 1
// rounds to the nearest integer either way, and at the ends of the range
// both sides give 1.000000 with the same exponent), so values with few
// digits, as models are full of, stay on this path. Otherwise (ties and
// near-ties, a few in a hundred million) the exact conversion decides.
constexpr int kFirstPower = -32, kLastPower = 51;
constexpr double kPowersOfTen[kLastPower - kFirstPower + 1] = { 1e-32, 1e-31, 1e-30, 1e-29, 1e-28, 1e-27, 1e-26, 1e-25,
    1e-24, 1e-23, 1e-22, 1e-21, 1e-20, 1e-19, 1e-18, 1e-17, 1e-16, 1e-15, 1e-14, 1e-13, 1e-12, 1e-11, 1e-10, 1e-9, 1e-8,
    1e-7, 1e-6, 1e-5, 1e-4, 1e-3, 1e-2, 1e-1, 1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13,
    1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22, 1e23, 1e24, 1e25, 1e26, 1e27, 1e28, 1e29, 1e30, 1e31, 1e32,
    1e33, 1e34, 1e35, 1e36, 1e37, 1e38, 1e39, 1e40, 1e41, 1e42, 1e43, 1e44, 1e45, 1e46, 1e47, 1e48, 1e49, 1e50, 1e51 };

bool putFloatFast(char* text, float value, bool negative)
{
    const double x = std::fabs(static_cast<double>(value));
    // x in [2^(b-1), 2^b), b as frexp gives it, from the float's own fields.
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
    const int biased = static_cast<int>((bits >> 23) & 0xFF);
    const int binaryExponent = biased != 0 ? biased - 126 : std::bit_width(bits & 0x7FFFFFu) - 149;
    // floor((b - 1) * log10(2)), exact over the whole float range.
    int decimalExponent = ((binaryExponent - 1) * 78913) >> 18;
    auto scaled = [&](int e) {
        const int p = 6 - e;
        return (p < kFirstPower || p > kLastPower) ? -1.0 : x * kPowersOfTen[p - kFirstPower];
    };
    double y = scaled(decimalExponent);
    if (y >= 1e7)
        y = scaled(++decimalExponent);
    if (!(y >= 1e6 && y < 1e7))
        return false;
    std::uint32_t n = static_cast<std::uint32_t>(y);
    const double fraction = y - static_cast<double>(n);
    constexpr double kMargin = 1e-8;
    if (std::fabs(fraction - 0.5) < kMargin)
        return false;
    if (fraction > 0.5)
        ++n;
    if (n == 10000000) {
        n = 1000000;
        ++decimalExponent;
    }
    text[0] = negative ? '-' : '+';
    for (int i = 8; i >= 3; --i) {
        text[i] = static_cast<char>('0' + n % 10);
        n /= 10;
    }
    text[2] = '.';
    text[1] = static_cast<char>('0' + n);
    text[9] = 'e';
    text[10] = decimalExponent < 0 ? '-' : '+';
    const int magnitude = decimalExponent < 0 ? -decimalExponent : decimalExponent;
    text[11] = static_cast<char>('0' + magnitude / 100);
    text[12] = static_cast<char>('0' + magnitude / 10 % 10);
    text[13] = static_cast<char>('0' + magnitude % 10);
    return true;
}

} // namespace

void putFloat(char* out, float value)
{
    const bool negative = std::signbit(value);
    if (!std::isfinite(value)) {
        std::memset(out, ' ', 10);
        out[10] = negative ? '-' : '+';
        std::memcpy(out + 11, std::isnan(value) ? "nan" : "inf", 3);
        return;
    }
    if (value == 0.0f) {
        std::memcpy(out, negative ? "-0.000000e+000" : "+0.000000e+000", kFloatWidth);
        return;
    }
    if (!putFloatFast(out, value, negative))
        putFloatExact(out, value, negative);
}

std::size_t putWideInt(char* out, long long value, int width, Sign sign)
{
    unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                             : static_cast<unsigned long long>(value);
    char digits[24];
    char* end = digits + sizeof digits;
    char* p = end;
    do {
        *--p = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0)
        *--p = '-';
    else if (sign == Sign::Always)
        *--p = '+';
    const std::size_t length = static_cast<std::size_t>(end - p);
    const std::size_t pad = length < static_cast<std::size_t>(width) ? static_cast<std::size_t>(width) - length : 0;
    std::memset(out, ' ', pad);
    std::memcpy(out + pad, p, length);
    return pad + length;
}

void appendFloat(std::string& out, float value)
{
    char text[kFloatWidth];
    putFloat(text, value);
    out.append(text, kFloatWidth);
}

void appendInt(std::string& out, long long value, int width, Sign sign)
{
    char text[64];
    out.append(text, putInt(text, value, width < 40 ? width : 40, sign));
}

void appendKey(std::string& out, std::size_t number)
{
    char text[32];
    out.append(text, putKey(text, number));
}

} // namespace kvl::modelconv
