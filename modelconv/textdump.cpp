// The commented text dump of a .3DB model.
//
// A large model gives tens of megabytes of text, nearly all of it fixed-width
// number fields, so the dump is written straight into one growing character
// buffer: every field has a known maximum width (numberformat.h) and each
// record makes room for all of its fields at once.
#include "modelconv/textdump.h"

#include "common/fileimage.h"
#include "modelconv/numberformat.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace kvl::modelconv {

namespace {

// Models repeat many float values (texture coordinates, axis-aligned normal
// components, zeros): remember recent results in a small direct-mapped table.
class FloatCache {
public:
    void put(char* out, float value)
    {
        std::uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        Entry& e = m_entries[(bits ^ (bits >> 15)) % kSize];
        if (!e.valid || e.bits != bits) {
            putFloat(e.text, value);
            e.bits = bits;
            e.valid = true;
        }
        std::memcpy(out, e.text, kFloatWidth);
    }

private:
    static constexpr std::size_t kSize = 4093;
    struct Entry {
        std::uint32_t bits = 0;
        bool valid = false;
        char text[kFloatWidth] = {};
    };
    std::vector<Entry> m_entries = std::vector<Entry>(kSize);
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
        n += kIntSlack;
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
    return 8 * kIntMax + count * (kIntMax + 3 + 2 * kFloatWidth) + 2 * kIntMax + kIntSlack;
}

/// Writes one record by the record rule at `out`; returns its length.
/// `r` gives the fixed fields, `e` the entries.
std::size_t putRecord(char* out, const Record3DB& r, const RecordEntries3DB& e, FloatCache& floats)
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
            floats.put(p, e.s(j));
            p += kFloatWidth;
            *p++ = ' ';
            floats.put(p, e.t(j));
            p += kFloatWidth;
            *p++ = ' ';
        }
        break;
    }
    return static_cast<std::size_t>(p - out);
}

constexpr std::string_view kEol = "\r\n";

/// Writes the dump into `out`.
class DumpWriter {
public:
    explicit DumpWriter(Sink& out) : m_out(out) { }

    void line(std::string_view text)
    {
        m_out.put(text);
        m_out.put(kEol);
    }

    /// A record line: key, then `floats` float fields and integer fields, each
    /// followed by a blank, then the line end.
    struct Int {
        long long value;
        int width;
        Sign sign;
    };
    template <std::size_t Floats, std::size_t Ints>
    void record(char letter, std::size_t number, const float (&floats)[Floats], const Int (&ints)[Ints])
    {
        char* p = recordStart(letter, number, Floats, Ints);
        for (float v : floats)
            p = putFloatField(p, v);
        for (const Int& i : ints) {
            p += putInt(p, i.value, i.width, i.sign);
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
        char* start = m_out.room(kIntMax + 5 + 2 * kIntMax + 2);
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

    void element(std::size_t number, const Model3DB& model, const Record3DB& element)
    {
        char* start = m_out.room(kIntMax + 3);
        char* p = start;
        *p++ = 'E';
        p += putKey(p, number);
        *p++ = '=';
        *p++ = ' ';
        m_out.advance(static_cast<std::size_t>(p - start));
        m_out.advance(putRecord(m_out.room(recordRoom(element.count)), element, model.entries(element), m_floats));
        const Record3DB* sub = model.subRecords().data() + element.firstChild;
        for (std::uint32_t j = 0; j < element.childCount; ++j, ++sub)
            m_out.advance(putRecord(m_out.room(recordRoom(sub->count)), *sub, model.entries(*sub), m_floats));
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
        m_recordStart = m_out.room(kIntMax + 3 + floats * (kFloatWidth + 1) + ints * (kIntMax + 1) + 2);
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
        p[kFloatWidth] = ' ';
        return p + kFloatWidth + 1;
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
    const std::size_t E = model.elements().size();
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
        w.record('I', k, { r.y, r.z, r.x },
            { { r.cod, 4, Sign::NegativeOnly }, { r.num, 4, Sign::NegativeOnly }, { r.term, 4, Sign::NegativeOnly } });
    }
    w.sectionEnd();

    w.line("[POINTS]");
    w.line(";P000=            y             z             x       b");
    for (std::size_t k = 0; k < P; ++k) {
        const Point3DB r = model.point(k);
        w.record('P', k, { r.y, r.z, r.x }, { { r.b, 6, Sign::Always } });
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
        w.record('N', k, { r.y, r.z, r.x, r.d }, { { r.f, 10, Sign::NegativeOnly } });
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
        w.element(k, model, model.elements()[k]);
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

bool writeTextDump(const Model3DB& model, const std::filesystem::path& file)
{
    Sink sink(4096 + 4 * model.image().size());
    writeDump(sink, model);
    return writeFileAtomically(file, sink.text());
}

} // namespace kvl::modelconv
