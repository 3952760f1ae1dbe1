// The commented text dump of a .3DB model.
#include "modelconv/textdump.h"

#include "common/fileimage.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>
#include <string_view>

namespace kvl::model {

namespace dumpfmt {

namespace {

// Exact but slow: the library's correctly rounded conversion, with the
// exponent widened to three digits.
void appendFloatExact(std::string& out, float value, bool negative)
{
    char buf[64];
    auto result = std::to_chars(buf, buf + sizeof buf, std::fabs(static_cast<double>(value)),
        std::chars_format::scientific, 6);
    std::string_view text(buf, static_cast<std::size_t>(result.ptr - buf)); // "1.500000e+01"
    std::size_t e = text.find('e');
    out.push_back(negative ? '-' : '+');
    out.append(text.substr(0, e + 2)); // mantissa, 'e' and the exponent's sign
    std::string_view digits = text.substr(e + 2);
    if (digits.size() < 3)
        out.append(3 - digits.size(), '0');
    out.append(digits);
}

// Fast path for the 7 significant digits of a float: scale it into
// [10^6, 10^7) with one extended-precision multiplication by a correctly
// rounded power of ten. The float is exact in the 64-bit mantissa, so the
// product is off by at most 2^-63 relative, under 2e-12 absolute; when the
// fraction lies farther than 1e-11 from both 0.5 and the integers, the
// rounding decision is the one the exact value gives. Otherwise (ties and
// near-ties, a few in a million) the exact conversion decides.
constexpr bool HasExtendedPrecision = std::numeric_limits<long double>::digits >= 64;
constexpr int FirstPower = -32, LastPower = 51;
constexpr long double PowersOfTen[LastPower - FirstPower + 1] = {
    1e-32L, 1e-31L, 1e-30L, 1e-29L, 1e-28L, 1e-27L, 1e-26L, 1e-25L,
    1e-24L, 1e-23L, 1e-22L, 1e-21L, 1e-20L, 1e-19L, 1e-18L, 1e-17L,
    1e-16L, 1e-15L, 1e-14L, 1e-13L, 1e-12L, 1e-11L, 1e-10L, 1e-9L,
    1e-8L, 1e-7L, 1e-6L, 1e-5L, 1e-4L, 1e-3L, 1e-2L, 1e-1L,
    1e0L, 1e1L, 1e2L, 1e3L, 1e4L, 1e5L, 1e6L, 1e7L,
    1e8L, 1e9L, 1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L,
    1e16L, 1e17L, 1e18L, 1e19L, 1e20L, 1e21L, 1e22L, 1e23L,
    1e24L, 1e25L, 1e26L, 1e27L, 1e28L, 1e29L, 1e30L, 1e31L,
    1e32L, 1e33L, 1e34L, 1e35L, 1e36L, 1e37L, 1e38L, 1e39L,
    1e40L, 1e41L, 1e42L, 1e43L, 1e44L, 1e45L, 1e46L, 1e47L,
    1e48L, 1e49L, 1e50L, 1e51L };

bool appendFloatFast(std::string& out, float value, bool negative)
{
    if (!HasExtendedPrecision)
        return false;
    const long double x = std::fabs(static_cast<long double>(value));
    int binaryExponent = 0;
    std::frexp(static_cast<double>(value), &binaryExponent); // x in [2^(b-1), 2^b)
    int decimalExponent = static_cast<int>(std::floor((binaryExponent - 1) * 0.30102999566398120));
    auto scaled = [&](int e) {
        const int p = 6 - e;
        return (p < FirstPower || p > LastPower) ? -1.0L : x * PowersOfTen[p - FirstPower];
    };
    long double y = scaled(decimalExponent);
    if (y >= 1e7L)
        y = scaled(++decimalExponent);
    if (!(y >= 1e6L && y < 1e7L))
        return false;
    std::uint32_t n = static_cast<std::uint32_t>(y);
    const long double fraction = y - static_cast<long double>(n);
    constexpr long double Margin = 1e-11L;
    if (fraction < Margin || fraction > 1 - Margin || std::fabs(fraction - 0.5L) < Margin)
        return false;
    if (fraction > 0.5L)
        ++n;
    if (n == 10000000) {
        n = 1000000;
        ++decimalExponent;
    }
    char text[14];
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
    out.append(text, sizeof text);
    return true;
}

} // namespace

void appendFloat(std::string& out, float value)
{
    const bool negative = std::signbit(value);
    if (!std::isfinite(value)) {
        out.append(10, ' ');
        out.push_back(negative ? '-' : '+');
        out.append(std::isnan(value) ? "nan" : "inf");
        return;
    }
    if (value == 0.0f) {
        out.append(negative ? "-0.000000e+000" : "+0.000000e+000");
        return;
    }
    if (!appendFloatFast(out, value, negative))
        appendFloatExact(out, value, negative);
}

void appendInt(std::string& out, long long value, int width, bool plus)
{
    char buf[32];
    char* p = buf;
    if (plus && value >= 0)
        *p++ = '+';
    p = std::to_chars(p, buf + sizeof buf, value).ptr;
    const int length = static_cast<int>(p - buf);
    if (length < width)
        out.append(static_cast<std::size_t>(width - length), ' ');
    out.append(buf, p);
}

void appendKey(std::string& out, std::size_t number)
{
    char buf[32];
    char* p = std::to_chars(buf, buf + sizeof buf, number).ptr;
    const std::size_t length = static_cast<std::size_t>(p - buf);
    if (length < 3)
        out.append(3 - length, '0');
    out.append(buf, p);
}

namespace {

template <typename FloatWriter>
void appendRecordWith(std::string& out, const Record3DB& r, FloatWriter&& writeFloat)
{
    if (r.isEmptyElement())
        return;
    if (r.prefixCode > 130 && r.prefixCode < 200) {
        appendInt(out, r.prefixCode, 4);
        appendInt(out, r.prefixValue, 4);
    }
    // A prefixed record with body type 1 to 4 was read with the textured
    // layout, so it may lack the entries its type shows: those read as 0.
    auto index = [&](std::size_t j) -> long long { return j < r.indices.size() ? r.indices[j] : 0; };
    switch (r.type) {
    case 1:
        out.append("   1");
        appendInt(out, r.attribute1, 4);
        appendInt(out, index(0), 6);
        appendInt(out, index(1), 6);
        break;
    case 2:
        out.append("   2");
        appendInt(out, r.attribute1, 4);
        appendInt(out, index(0), 6);
        break;
    case 3:
        out.append("   3");
        appendInt(out, r.count, 4);
        appendInt(out, r.attribute1, 4);
        for (std::size_t j = 0; j < r.count; ++j)
            appendInt(out, index(j), 6);
        break;
    case 4:
        out.append("   4");
        appendInt(out, r.count, 4);
        for (std::size_t j = 0; j < r.count; ++j) {
            appendInt(out, index(j), 6);
            appendInt(out, j < r.secondValues.size() ? r.secondValues[j] : 0, 4);
        }
        break;
    default:
        appendInt(out, r.type, 4);
        appendInt(out, r.count, 4);
        appendInt(out, r.attribute1, 4);
        appendInt(out, r.attribute2, 4);
        for (std::size_t j = 0; j < r.count; ++j) {
            appendInt(out, index(j), 6);
            out.push_back(' ');
            writeFloat(out, j < r.sValues.size() ? r.sValues[j] : 0.0f);
            out.push_back(' ');
            writeFloat(out, j < r.tValues.size() ? r.tValues[j] : 0.0f);
            out.push_back(' ');
        }
        break;
    }
}

} // namespace

void appendRecord(std::string& out, const Record3DB& r)
{
    appendRecordWith(out, r, [](std::string& o, float v) { appendFloat(o, v); });
}

} // namespace dumpfmt

namespace {

using namespace dumpfmt;

constexpr std::string_view Eol = "\r\n";

// Models repeat many float values (texture coordinates, axis-aligned normal
// components, zeros), and exact decimal formatting is the costliest part of
// the dump: remember recent results in a small direct-mapped table.
class FloatCache {
public:
    void append(std::string& out, float value)
    {
        std::uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        Entry& e = m_entries[(bits ^ (bits >> 15)) % Size];
        if (!e.valid || e.bits != bits) {
            std::string text;
            appendFloat(text, value);
            if (text.size() != sizeof e.text) {
                out.append(text);
                return;
            }
            std::memcpy(e.text, text.data(), sizeof e.text);
            e.bits = bits;
            e.valid = true;
        }
        out.append(e.text, sizeof e.text);
    }

private:
    static constexpr std::size_t Size = 4093;
    struct Entry {
        std::uint32_t bits = 0;
        bool valid = false;
        char text[14] = {};
    };
    std::vector<Entry> m_entries = std::vector<Entry>(Size);
};

void line(std::string& out, std::string_view text)
{
    out.append(text);
    out.append(Eol);
}

void keyed(std::string& out, char letter, std::size_t number)
{
    out.push_back(letter);
    appendKey(out, number);
    out.append("= ");
}

void floatField(std::string& out, FloatCache& cache, float value)
{
    cache.append(out, value);
    out.push_back(' ');
}

void intField(std::string& out, long long value, int width, bool plus = false)
{
    appendInt(out, value, width, plus);
    out.push_back(' ');
}

void bytesLine(std::string& out, std::string_view label, ByteView bytes)
{
    out.append(label);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        appendInt(out, bytes.u8(i).value_or(0), 4);
    out.append(Eol);
}

void sectionEnd(std::string& out)
{
    line(out, "[END]");
    out.append(Eol);
}

} // namespace

std::string formatTextDump(const Model3DB& model)
{
    const std::size_t I = static_cast<std::size_t>(std::max(0, model.insertCount()));
    const std::size_t P = static_cast<std::size_t>(std::max(0, model.pointCount()));
    const std::size_t T = static_cast<std::size_t>(std::max(0, model.tvnCount()));
    const std::size_t E = model.elements().size();

    std::string out;
    // A guess at the size, so that large models do not reallocate often:
    // records take up to about four times their file bytes as text.
    out.reserve(4096 + 4 * model.image().size());
    FloatCache floats;
    auto cachedFloat = [&floats](std::string& o, float v) { floats.append(o, v); };

    line(out, "; This is a text version of a 3DB file");
    line(out, "; There are 8 sectors : HEADER , INSERT, POINTS, TVN, NORMAL, SEQUENCE, ELEMENTS and ENDBYTES");
    line(out, "; The  [END] statement indicates the end of a sector");
    line(out, "; The  [EOF] statement indicates the end of the file");
    line(out, "; Comments starts with ;");
    line(out, "; THIS FILE IS NOT COMPATIBLE WITH VKM STUDIO OR VKM STUDIO CONVERTER!");
    line(out, ";");

    line(out, "[HEADER]");
    bytesLine(out, "UNKNOWN=", model.headerUnknown());
    out.append("SUB MATRICES=" + std::to_string(model.insertCount())).append(Eol);
    out.append("POINTS=" + std::to_string(model.pointCount())).append(Eol);
    out.append("TRUE VERTEX NORMALS=" + std::to_string(model.tvnCount())).append(Eol);
    out.append("ELEMENTS=" + std::to_string(model.elementCount())).append(Eol);
    sectionEnd(out);

    line(out, "[INSERT]");
    line(out, ";I000=            y             z             x cod num  term");
    for (std::size_t k = 0; k < I; ++k) {
        const Insert3DB r = model.insert(k);
        keyed(out, 'I', k);
        floatField(out, floats, r.y);
        floatField(out, floats, r.z);
        floatField(out, floats, r.x);
        intField(out, r.cod, 4);
        intField(out, r.num, 4);
        intField(out, r.term, 4);
        out.append(Eol);
    }
    sectionEnd(out);

    line(out, "[POINTS]");
    line(out, ";P000=            y             z             x       b");
    for (std::size_t k = 0; k < P; ++k) {
        const Point3DB r = model.point(k);
        keyed(out, 'P', k);
        floatField(out, floats, r.y);
        floatField(out, floats, r.z);
        floatField(out, floats, r.x);
        intField(out, r.b, 6, true);
        out.append(Eol);
    }
    sectionEnd(out);

    line(out, "[TVNS]");
    line(out, ";T000=            y             z             x           ???");
    for (std::size_t k = 0; k < T; ++k) {
        const Tvn3DB r = model.tvn(k);
        keyed(out, 'T', k);
        for (float v : r.values)
            floatField(out, floats, v);
        out.append(Eol);
    }
    sectionEnd(out);

    line(out, "[NORMALS]");
    line(out, ";N000=            y             z             x             d           f");
    for (std::size_t k = 0; k < E; ++k) {
        const Normal3DB r = model.normal(k);
        keyed(out, 'N', k);
        floatField(out, floats, r.y);
        floatField(out, floats, r.z);
        floatField(out, floats, r.x);
        floatField(out, floats, r.d);
        intField(out, r.f, 10);
        out.append(Eol);
    }
    sectionEnd(out);

    line(out, "[SEQUENCE]");
    line(out, ";S000=  Back Front");
    line(out, ";the first line is the start point of rendering sequence");
    const Sequence3DB start = model.sequenceStart();
    keyed(out, 'S', 0);
    appendInt(out, start.back, 6);
    appendInt(out, start.front, 6);
    out.append(Eol);
    for (std::size_t k = 0; k < E; ++k) {
        const Sequence3DB r = model.sequence(k);
        keyed(out, 'S', k);
        appendInt(out, r.back, 6);
        appendInt(out, r.front, 6);
        out.append(Eol);
    }
    sectionEnd(out);

    line(out, "[ELEMENTS]");
    line(out, ";E000= data endcode");
    const auto& subs = model.subRecords();
    for (std::size_t k = 0; k < E; ++k) {
        const Record3DB& element = model.elements()[k];
        keyed(out, 'E', k);
        appendRecordWith(out, element, cachedFloat);
        for (std::uint32_t child : element.children)
            if (child < subs.size())
                appendRecordWith(out, subs[child], cachedFloat);
        out.append(" 255");
        out.append(Eol);
    }
    sectionEnd(out);

    line(out, "[ENDBYTES]");
    const ByteView end = model.endBlock();
    bytesLine(out, "UNKNOWN=", end.sub(0, 36).value_or(ByteView()));
    out.append("TEXTURE NAME=");
    const ByteView name = model.textureNameField();
    for (std::size_t i = 0; i < name.size(); ++i) {
        const std::uint8_t c = name.u8(i).value_or(0);
        if (c != 0)
            out.push_back(static_cast<char>(c));
    }
    out.append(Eol);
    bytesLine(out, "UNKNOWN2=", end.sub(50, 54).value_or(ByteView()));
    out.append(Eol);
    line(out, "; end of this file");
    out.append("[EOF]");
    return out;
}

void writeTextDump(const Model3DB& model, const std::filesystem::path& file)
{
    writeFileImage(file, std::string_view(formatTextDump(model)));
}

} // namespace kvl::model
