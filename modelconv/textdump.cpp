// The commented text dump of a .3DB model.
//
// A large model gives tens of megabytes of text, nearly all of it fixed-width
// number fields, so the dump is written straight into one growing character
// buffer: every field has a known maximum width and each record makes room
// for all of its fields at once.
#include "modelconv/textdump.h"

#include "common/fileimage.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string_view>
#include <vector>

namespace kvl::model {

namespace {

/// Width of every float field.
constexpr std::size_t FloatWidth = 14;
/// Upper bound of an integer field of width 10 or less (sign and 19 digits).
constexpr std::size_t IntMax = 21;

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
constexpr int FirstPower = -32, LastPower = 51;
constexpr double PowersOfTen[LastPower - FirstPower + 1] = { 1e-32, 1e-31, 1e-30, 1e-29, 1e-28, 1e-27, 1e-26, 1e-25,
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
        return (p < FirstPower || p > LastPower) ? -1.0 : x * PowersOfTen[p - FirstPower];
    };
    double y = scaled(decimalExponent);
    if (y >= 1e7)
        y = scaled(++decimalExponent);
    if (!(y >= 1e6 && y < 1e7))
        return false;
    std::uint32_t n = static_cast<std::uint32_t>(y);
    const double fraction = y - static_cast<double>(n);
    constexpr double Margin = 1e-8;
    if (std::fabs(fraction - 0.5) < Margin)
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

/// Writes the 14-character float field at `out`.
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
        std::memcpy(out, negative ? "-0.000000e+000" : "+0.000000e+000", FloatWidth);
        return;
    }
    if (!putFloatFast(out, value, negative))
        putFloatExact(out, value, negative);
}

/// An integer field may be written with up to this many characters from its
/// start, blanks past its end included (later fields overwrite them): every
/// buffer the fields go into keeps this much room past its last field.
constexpr std::size_t IntSlack = 16;

/// 10^d: the first magnitude that does not fit in d digits (nothing fits in 0).
constexpr unsigned long long DigitsLimit[11] = { 0, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000,
    1000000000, 10000000000 };

/// putInt for a number wider than its field, or a field wider than 10.
std::size_t putWideInt(char* out, long long value, int width, bool plus)
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
    else if (plus)
        *--p = '+';
    const std::size_t length = static_cast<std::size_t>(end - p);
    const std::size_t pad = length < static_cast<std::size_t>(width) ? static_cast<std::size_t>(width) - length : 0;
    std::memset(out, ' ', pad);
    std::memcpy(out + pad, p, length);
    return pad + length;
}

/// Writes an integer right-aligned in `width` (wider when it must be);
/// returns the characters written (at most IntMax for widths up to 10).
[[gnu::always_inline]] inline std::size_t putInt(char* out, long long value, int width, bool plus = false)
{
    unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                             : static_cast<unsigned long long>(value);
    const bool sign = value < 0 || plus;
    // The common field: the number fits its width. Blanks, then the digits
    // from the right, with no calls for the variable lengths.
    if (width < 1 || width > 10 || magnitude >= DigitsLimit[width - (sign ? 1 : 0)])
        return putWideInt(out, value, width, plus);
    std::memcpy(out, "                ", IntSlack);
    char* p = out + width;
    do {
        *--p = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (sign)
        *--p = value < 0 ? '-' : '+';
    return static_cast<std::size_t>(width);
}

/// The record number: at least three digits, zero-padded.
std::size_t putKey(char* out, std::size_t number)
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

// Models repeat many float values (texture coordinates, axis-aligned normal
// components, zeros): remember recent results in a small direct-mapped table.
class FloatCache {
public:
    void put(char* out, float value)
    {
        std::uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        Entry& e = m_entries[(bits ^ (bits >> 15)) % Size];
        if (!e.valid || e.bits != bits) {
            putFloat(e.text, value);
            e.bits = bits;
            e.valid = true;
        }
        std::memcpy(out, e.text, FloatWidth);
    }

private:
    static constexpr std::size_t Size = 4093;
    struct Entry {
        std::uint32_t bits = 0;
        bool valid = false;
        char text[FloatWidth] = {};
    };
    std::vector<Entry> m_entries = std::vector<Entry>(Size);
};

/// The growing output buffer. `room(n)` makes sure n more characters fit and
/// returns where they go; the writer then moves on with `advance`.
class Sink {
public:
    explicit Sink(std::size_t capacity) : m_data(std::make_unique_for_overwrite<char[]>(capacity)), m_capacity(capacity)
    {
    }

    char* room(std::size_t n)
    {
        n += IntSlack;
        if (m_capacity - m_used < n) {
            const std::size_t capacity = std::max(2 * m_capacity, m_used + n);
            auto data = std::make_unique_for_overwrite<char[]>(capacity);
            std::memcpy(data.get(), m_data.get(), m_used);
            m_data = std::move(data);
            m_capacity = capacity;
        }
        return m_data.get() + m_used;
    }
    void advance(std::size_t n) { m_used += n; }
    void put(std::string_view text)
    {
        std::memcpy(room(text.size()), text.data(), text.size());
        m_used += text.size();
    }
    std::string_view text() const { return { m_data.get(), m_used }; }

private:
    std::unique_ptr<char[]> m_data;
    std::size_t m_capacity = 0;
    std::size_t m_used = 0;
};

/// Upper bound of the characters a record of `count` entries takes.
std::size_t recordRoom(std::size_t count)
{
    // Prefix and four leading fields, then per vertex an index, a blank and
    // two floats with their blanks (the widest per-vertex layout).
    return 8 * IntMax + count * (IntMax + 3 + 2 * FloatWidth) + 2 * IntMax + IntSlack;
}

/// Writes one record by the record rule at `out`; returns its length.
/// `r` gives the fixed fields, `e` the entries.
template <typename Record, typename Entries, typename FloatWriter>
std::size_t putRecord(char* out, const Record& r, const Entries& e, FloatWriter&& writeFloat)
{
    if (r.isEmptyElement())
        return 0;
    char* p = out;
    if (r.prefixCode > 130 && r.prefixCode < 200) {
        p += putInt(p, r.prefixCode, 4);
        p += putInt(p, r.prefixValue, 4);
    }
    // A prefixed record with body type 1 to 4 was read with the textured
    // layout, so it may lack the entries its type shows: those read as 0.
    switch (r.type) {
    case 1:
        std::memcpy(p, "   1", 4);
        p += 4;
        p += putInt(p, r.attribute1, 4);
        p += putInt(p, e.index(0), 6);
        p += putInt(p, e.index(1), 6);
        break;
    case 2:
        std::memcpy(p, "   2", 4);
        p += 4;
        p += putInt(p, r.attribute1, 4);
        p += putInt(p, e.index(0), 6);
        break;
    case 3:
        std::memcpy(p, "   3", 4);
        p += 4;
        p += putInt(p, r.count, 4);
        p += putInt(p, r.attribute1, 4);
        for (std::size_t j = 0; j < r.count; ++j)
            p += putInt(p, e.index(j), 6);
        break;
    case 4:
        std::memcpy(p, "   4", 4);
        p += 4;
        p += putInt(p, r.count, 4);
        for (std::size_t j = 0; j < r.count; ++j) {
            p += putInt(p, e.index(j), 6);
            p += putInt(p, e.second(j), 4);
        }
        break;
    default:
        p += putInt(p, r.type, 4);
        p += putInt(p, r.count, 4);
        p += putInt(p, r.attribute1, 4);
        p += putInt(p, r.attribute2, 4);
        for (std::size_t j = 0; j < r.count; ++j) {
            p += putInt(p, e.index(j), 6);
            *p++ = ' ';
            writeFloat(p, e.s(j));
            p += FloatWidth;
            *p++ = ' ';
            writeFloat(p, e.t(j));
            p += FloatWidth;
            *p++ = ' ';
        }
        break;
    }
    return static_cast<std::size_t>(p - out);
}

} // namespace

namespace dumpfmt {

void appendFloat(std::string& out, float value)
{
    char text[FloatWidth];
    putFloat(text, value);
    out.append(text, FloatWidth);
}

void appendInt(std::string& out, long long value, int width, bool plus)
{
    char text[64];
    out.append(text, putInt(text, value, std::min(width, 40), plus));
}

void appendKey(std::string& out, std::size_t number)
{
    char text[32];
    out.append(text, putKey(text, number));
}

void appendRecord(std::string& out, const Record3DB& r)
{
    std::vector<char> text(recordRoom(r.count));
    out.append(text.data(), putRecord(text.data(), r, ListEntries3DB { r }, [](char* p, float v) { putFloat(p, v); }));
}

} // namespace dumpfmt

namespace {

constexpr std::string_view Eol = "\r\n";

/// Writes the dump into `out`.
class DumpWriter {
public:
    explicit DumpWriter(Sink& out) : m_out(out) { }

    void line(std::string_view text)
    {
        m_out.put(text);
        m_out.put(Eol);
    }

    /// A record line: key, then `floats` float fields and integer fields, each
    /// followed by a blank, then the line end.
    struct Int {
        long long value;
        int width;
        bool plus;
    };
    template <std::size_t Floats, std::size_t Ints>
    void record(char letter, std::size_t number, const float (&floats)[Floats], const Int (&ints)[Ints])
    {
        char* p = recordStart(letter, number, Floats, Ints);
        for (float v : floats)
            p = putFloatField(p, v);
        for (const Int& i : ints) {
            p += putInt(p, i.value, i.width, i.plus);
            *p++ = ' ';
        }
        recordEnd(p);
    }
    template <std::size_t Floats>
    void record(char letter, std::size_t number, const float (&floats)[Floats])
    {
        char* p = recordStart(letter, number, Floats, 0);
        for (float v : floats)
            p = putFloatField(p, v);
        recordEnd(p);
    }

    void sequence(std::size_t number, Sequence3DB s)
    {
        char* start = m_out.room(IntMax + 5 + 2 * IntMax + 2);
        char* p = start;
        *p++ = 'S';
        p += putKey(p, number);
        *p++ = '=';
        *p++ = ' ';
        p += putInt(p, s.back, 6);
        p += putInt(p, s.front, 6);
        *p++ = '\r';
        *p++ = '\n';
        m_out.advance(static_cast<std::size_t>(p - start));
    }

    void element(std::size_t number, const Model3DB& model, const FlatRecord3DB& element)
    {
        char* start = m_out.room(IntMax + 3);
        char* p = start;
        *p++ = 'E';
        p += putKey(p, number);
        *p++ = '=';
        *p++ = ' ';
        m_out.advance(static_cast<std::size_t>(p - start));
        auto cached = [this](char* at, float v) { m_floats.put(at, v); };
        const std::uint8_t* image = model.image().data();
        m_out.advance(
            putRecord(m_out.room(recordRoom(element.count)), element, ImageEntries3DB(image, element), cached));
        const FlatRecord3DB* sub = model.flatSubRecords().data() + element.firstChild;
        for (std::uint32_t j = 0; j < element.childCount; ++j, ++sub)
            m_out.advance(putRecord(m_out.room(recordRoom(sub->count)), *sub, ImageEntries3DB(image, *sub), cached));
        m_out.put(" 255\r\n");
    }

    void bytes(std::string_view label, ByteView bytes)
    {
        m_out.put(label);
        char* start = m_out.room(4 * bytes.size() + 2);
        char* p = start;
        for (std::size_t i = 0; i < bytes.size(); ++i)
            p += putInt(p, bytes.u8(i).value_or(0), 4);
        *p++ = '\r';
        *p++ = '\n';
        m_out.advance(static_cast<std::size_t>(p - start));
    }

    void sectionEnd() { m_out.put("[END]\r\n\r\n"); }

private:
    // The key of a record line, in room for its fields and line end.
    char* recordStart(char letter, std::size_t number, std::size_t floats, std::size_t ints)
    {
        m_recordStart = m_out.room(IntMax + 3 + floats * (FloatWidth + 1) + ints * (IntMax + 1) + 2);
        char* p = m_recordStart;
        *p++ = letter;
        p += putKey(p, number);
        *p++ = '=';
        *p++ = ' ';
        return p;
    }
    char* putFloatField(char* p, float v)
    {
        m_floats.put(p, v);
        p[FloatWidth] = ' ';
        return p + FloatWidth + 1;
    }
    void recordEnd(char* p)
    {
        *p++ = '\r';
        *p++ = '\n';
        m_out.advance(static_cast<std::size_t>(p - m_recordStart));
    }

    Sink& m_out;
    FloatCache m_floats;
    char* m_recordStart = nullptr;
};

void writeDump(Sink& sink, const Model3DB& model)
{
    const std::size_t I = static_cast<std::size_t>(std::max(0, model.insertCount()));
    const std::size_t P = static_cast<std::size_t>(std::max(0, model.pointCount()));
    const std::size_t T = static_cast<std::size_t>(std::max(0, model.tvnCount()));
    const std::size_t E = model.flatElements().size();
    DumpWriter w(sink);

    w.line("; This is a text version of a 3DB file");
    w.line("; There are 8 sectors : HEADER , INSERT, POINTS, TVN, NORMAL, SEQUENCE, ELEMENTS and ENDBYTES");
    w.line("; The  [END] statement indicates the end of a sector");
    w.line("; The  [EOF] statement indicates the end of the file");
    w.line("; Comments starts with ;");
    w.line("; THIS FILE IS NOT COMPATIBLE WITH VKM STUDIO OR VKM STUDIO CONVERTER!");
    w.line(";");

    w.line("[HEADER]");
    w.bytes("UNKNOWN=", model.headerUnknown());
    w.line("SUB MATRICES=" + std::to_string(model.insertCount()));
    w.line("POINTS=" + std::to_string(model.pointCount()));
    w.line("TRUE VERTEX NORMALS=" + std::to_string(model.tvnCount()));
    w.line("ELEMENTS=" + std::to_string(model.elementCount()));
    w.sectionEnd();

    w.line("[INSERT]");
    w.line(";I000=            y             z             x cod num  term");
    for (std::size_t k = 0; k < I; ++k) {
        const Insert3DB r = model.insert(k);
        w.record('I', k, { r.y, r.z, r.x }, { { r.cod, 4, false }, { r.num, 4, false }, { r.term, 4, false } });
    }
    w.sectionEnd();

    w.line("[POINTS]");
    w.line(";P000=            y             z             x       b");
    for (std::size_t k = 0; k < P; ++k) {
        const Point3DB r = model.point(k);
        w.record('P', k, { r.y, r.z, r.x }, { { r.b, 6, true } });
    }
    w.sectionEnd();

    w.line("[TVNS]");
    w.line(";T000=            y             z             x           ???");
    for (std::size_t k = 0; k < T; ++k) {
        const Tvn3DB r = model.tvn(k);
        w.record('T', k, { r.values[0], r.values[1], r.values[2], r.values[3] });
    }
    w.sectionEnd();

    w.line("[NORMALS]");
    w.line(";N000=            y             z             x             d           f");
    for (std::size_t k = 0; k < E; ++k) {
        const Normal3DB r = model.normal(k);
        w.record('N', k, { r.y, r.z, r.x, r.d }, { { r.f, 10, false } });
    }
    w.sectionEnd();

    w.line("[SEQUENCE]");
    w.line(";S000=  Back Front");
    w.line(";the first line is the start point of rendering sequence");
    w.sequence(0, model.sequenceStart());
    for (std::size_t k = 0; k < E; ++k)
        w.sequence(k, model.sequence(k));
    w.sectionEnd();

    w.line("[ELEMENTS]");
    w.line(";E000= data endcode");
    for (std::size_t k = 0; k < E; ++k)
        w.element(k, model, model.flatElements()[k]);
    w.sectionEnd();

    w.line("[ENDBYTES]");
    const ByteView end = model.endBlock();
    w.bytes("UNKNOWN=", end.sub(0, 36).value_or(ByteView()));
    std::string name = "TEXTURE NAME=";
    const ByteView field = model.textureNameField();
    for (std::size_t i = 0; i < field.size(); ++i) {
        const std::uint8_t c = field.u8(i).value_or(0);
        if (c != 0)
            name.push_back(static_cast<char>(c));
    }
    w.line(name);
    w.bytes("UNKNOWN2=", end.sub(50, 54).value_or(ByteView()));
    w.line("");
    w.line("; end of this file");
    sink.put("[EOF]");
}

} // namespace

std::string formatTextDump(const Model3DB& model)
{
    // Records take up to about four times their file bytes as text.
    Sink sink(4096 + 4 * model.image().size());
    writeDump(sink, model);
    return std::string(sink.text());
}

void writeTextDump(const Model3DB& model, const std::filesystem::path& file)
{
    Sink sink(4096 + 4 * model.image().size());
    writeDump(sink, model);
    writeFileImage(file, sink.text());
}

} // namespace kvl::model
