// The layout of a flight-model file and the text form of its values.
#include "fltpatch/fltfields.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <system_error>

namespace kvl::fltpatch {

namespace {

// The two blocks of integer fields. Everything else is a single.
constexpr int kShortFields[] = { 1, 2, 161, 162, 173, 174, 185, 186, 197, 198, 209, 210, 221, 222 };
constexpr int kLongFields[] = { 81, 95, 109, 123, 137, 311, 312 };

constexpr FieldType typeOf(int number)
{
    for (int n : kShortFields)
        if (n == number)
            return FieldType::Short;
    for (int n : kLongFields)
        if (n == number)
            return FieldType::Long;
    return FieldType::Float;
}

std::array<FieldInfo, kFieldCount> buildTable()
{
    std::array<FieldInfo, kFieldCount> table {};
    int position = 1;
    for (int n = 1; n <= kFieldCount; ++n) {
        FieldInfo& info = table[static_cast<std::size_t>(n - 1)];
        info.number = n;
        info.type = typeOf(n);
        info.position = static_cast<std::int16_t>(position);
        position += fieldWidth(info.type);
    }
    return table;
}

// A decimal number taken apart: the value is 0.DIGITS x 10^pointPos, with
// DIGITS free of leading zeros (empty for zero).
struct Decimal {
    bool negative = false;
    std::string digits;
    std::int64_t pointPos = 0;
};

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string_view trimSpaces(std::string_view s)
{
    auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && space(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && space(s.back()))
        s.remove_suffix(1);
    return s;
}

// [+|-] digits [. digits] [(e|E) [+|-] digits], at least one mantissa digit.
std::optional<Decimal> parseDecimal(std::string_view s)
{
    Decimal d;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        d.negative = s[i] == '-';
        ++i;
    }
    std::string all;
    std::int64_t before = 0;
    while (i < s.size() && isDigit(s[i])) {
        all.push_back(s[i++]);
        ++before;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i]))
            all.push_back(s[i++]);
    }
    if (all.empty())
        return std::nullopt;
    std::int64_t exponent = 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            negativeExponent = s[i] == '-';
            ++i;
        }
        if (i >= s.size() || !isDigit(s[i]))
            return std::nullopt;
        // Saturate: any exponent this large already overflows or underflows.
        while (i < s.size() && isDigit(s[i])) {
            if (exponent < 100000000)
                exponent = exponent * 10 + (s[i] - '0');
            ++i;
        }
        if (negativeExponent)
            exponent = -exponent;
    }
    if (i != s.size())
        return std::nullopt;
    std::size_t firstNonZero = all.find_first_not_of('0');
    if (firstNonZero == std::string::npos) {
        d.digits.clear();
        d.pointPos = 0;
        return d;
    }
    std::size_t lastNonZero = all.find_last_not_of('0');
    d.digits = all.substr(firstNonZero, lastNonZero + 1 - firstNonZero);
    d.pointPos = before - static_cast<std::int64_t>(firstNonZero) + exponent;
    return d;
}

bool equalsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
        if (x != b[i])
            return false;
    }
    return true;
}

// "nan", "inf" or "infinity" with an optional sign; the value when it is one.
std::optional<float> parseSpecial(std::string_view s)
{
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    // The sign of a not-a-number is kept: the x86 default NaN has it set,
    // and a value shown as "-NaN" must write back the same sign bit.
    if (equalsNoCase(s, "nan"))
        return std::copysign(std::numeric_limits<float>::quiet_NaN(), negative ? -1.0f : 1.0f);
    if (equalsNoCase(s, "inf") || equalsNoCase(s, "infinity"))
        return negative ? -std::numeric_limits<float>::infinity() : std::numeric_limits<float>::infinity();
    return std::nullopt;
}

// Rounds a decimal to a whole number, ties to even. Nothing when its
// magnitude is 10^10 or more (far beyond any field).
std::optional<std::int64_t> roundToWhole(const Decimal& d)
{
    if (d.digits.empty())
        return 0;
    const std::int64_t k = d.pointPos; // digits that lie before the point
    if (k > 10)
        return std::nullopt;
    const auto len = static_cast<std::int64_t>(d.digits.size());
    std::int64_t whole = 0;
    for (std::int64_t i = 0; i < k; ++i)
        whole = whole * 10 + (i < len ? d.digits[static_cast<std::size_t>(i)] - '0' : 0);
    int firstFraction = 0;
    bool restNonZero = false;
    if (k >= 0) {
        if (k < len)
            firstFraction = d.digits[static_cast<std::size_t>(k)] - '0';
        // The digits carry no trailing zeros, so any digit after the first
        // fraction digit means a non-zero rest.
        restNonZero = k + 1 < len;
    }
    bool up = firstFraction > 5 || (firstFraction == 5 && (restNonZero || whole % 2 == 1));
    if (up)
        ++whole;
    return d.negative ? -whole : whole;
}

void putLittleEndian(EncodedValue& out, std::uint32_t bits, int size)
{
    out.size = size;
    for (int i = 0; i < size; ++i)
        out.bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(bits >> (8 * i));
}

EncodedValue encodeWhole(FieldType type, std::string_view text)
{
    EncodedValue out;
    std::optional<Decimal> d = parseDecimal(text);
    if (!d) {
        out.status = parseSpecial(text) && !std::isnan(*parseSpecial(text)) ? EncodedValue::Status::OutOfRange
                                                                            : EncodedValue::Status::NotANumber;
        return out;
    }
    std::optional<std::int64_t> whole = roundToWhole(*d);
    const std::int64_t low = type == FieldType::Short ? std::numeric_limits<std::int16_t>::min()
                                                      : std::numeric_limits<std::int32_t>::min();
    const std::int64_t high = type == FieldType::Short ? std::numeric_limits<std::int16_t>::max()
                                                       : std::numeric_limits<std::int32_t>::max();
    if (!whole || *whole < low || *whole > high) {
        out.status = EncodedValue::Status::OutOfRange;
        return out;
    }
    out.status = EncodedValue::Status::Ok;
    auto bits = static_cast<std::uint32_t>(static_cast<std::int32_t>(*whole));
    putLittleEndian(out, bits, fieldWidth(type));
    out.text = std::to_string(*whole);
    return out;
}

EncodedValue encodeFloat(std::string_view text)
{
    EncodedValue out;
    float value = 0.0f;
    if (std::optional<float> special = parseSpecial(text)) {
        value = *special;
    } else {
        std::optional<Decimal> d = parseDecimal(text);
        if (!d)
            return out;
        if (d->digits.empty()) {
            value = d->negative ? -0.0f : 0.0f;
        } else {
            // Rebuild the number in one plain form for the correctly rounded
            // standard conversion: 0.DIGITS e pointPos.
            std::string plain = "0." + d->digits + "e" + std::to_string(d->pointPos);
            auto [end, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
            if (ec == std::errc::result_out_of_range) {
                if (d->pointPos > 0) {
                    out.status = EncodedValue::Status::OutOfRange;
                    return out;
                }
                value = 0.0f; // too small for a single: it reads as zero
            } else if (ec != std::errc() || end != plain.data() + plain.size()) {
                return out;
            } else if (std::isinf(value)) {
                out.status = EncodedValue::Status::OutOfRange;
                return out;
            }
            if (d->negative)
                value = -value;
        }
    }
    out.status = EncodedValue::Status::Ok;
    putLittleEndian(out, std::bit_cast<std::uint32_t>(value), 4);
    out.text = formatFloat(value);
    return out;
}

} // namespace

FieldType fieldType(int number)
{
    return typeOf(number);
}

int fieldWidth(FieldType type)
{
    return type == FieldType::Short ? 2 : 4;
}

const char* typeName(FieldType type)
{
    switch (type) {
    case FieldType::Short:
        return "short";
    case FieldType::Long:
        return "long";
    case FieldType::Float:
        break;
    }
    return "float";
}

const std::array<FieldInfo, kFieldCount>& fieldTable()
{
    static const std::array<FieldInfo, kFieldCount> table = buildTable();
    return table;
}

const FieldInfo& field(int number)
{
    return fieldTable()[static_cast<std::size_t>(number - 1)];
}

std::string formatFloat(float value)
{
    if (std::isnan(value))
        return std::signbit(value) ? "-NaN" : "NaN";
    if (std::isinf(value))
        return value < 0 ? "-Inf" : "Inf";
    // The shortest digits that read back to the same single, in exponent form.
    char buffer[48];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    if (ec != std::errc())
        return "NaN"; // cannot happen with this buffer size
    std::string_view sci(buffer, static_cast<std::size_t>(end - buffer));
    bool negative = !sci.empty() && sci.front() == '-';
    if (negative)
        sci.remove_prefix(1);
    std::size_t e = sci.find('e');
    std::string digits;
    for (char c : sci.substr(0, e))
        if (isDigit(c))
            digits.push_back(c);
    int exponent = 0;
    std::string_view exponentText = sci.substr(e + 1);
    if (!exponentText.empty() && exponentText.front() == '+')
        exponentText.remove_prefix(1);
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string out = negative ? "-" : "";
    if (digits == "0") {
        out += "0";
    } else if (exponent < -5 || exponent >= 7) {
        out += digits.substr(0, 1);
        if (digits.size() > 1)
            out += "." + digits.substr(1);
        char exp[16];
        std::snprintf(exp, sizeof exp, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
        out += exp;
    } else if (exponent < 0) {
        out += "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    } else {
        auto intDigits = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= intDigits) {
            out += digits + std::string(intDigits - digits.size(), '0');
        } else {
            out += digits.substr(0, intDigits) + "." + digits.substr(intDigits);
        }
    }
    return out;
}

std::optional<std::string> readFieldText(kvl::ByteView image, const FieldInfo& info)
{
    if (info.position < 1)
        return std::nullopt;
    auto offset = static_cast<std::size_t>(info.position - 1);
    switch (info.type) {
    case FieldType::Short:
        if (auto v = image.i16(offset))
            return std::to_string(*v);
        return std::nullopt;
    case FieldType::Long:
        if (auto v = image.i32(offset))
            return std::to_string(*v);
        return std::nullopt;
    case FieldType::Float:
        break;
    }
    if (auto v = image.f32(offset))
        return formatFloat(*v);
    return std::nullopt;
}

EncodedValue encodeValue(FieldType type, std::string_view text)
{
    text = trimSpaces(text);
    if (type == FieldType::Float)
        return encodeFloat(text);
    return encodeWhole(type, text);
}

std::string rangeDescription(FieldType type)
{
    switch (type) {
    case FieldType::Short:
        return "a short holds whole numbers from -32768 to 32767";
    case FieldType::Long:
        return "a long holds whole numbers from -2147483648 to 2147483647";
    case FieldType::Float:
        break;
    }
    return "a float holds numbers up to about 3.402823E+38 either side of zero";
}

} // namespace kvl::fltpatch
