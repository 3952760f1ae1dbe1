// The four walkers of a field list (recordtext/fieldlist.h): binary reader
// and writer over the little-endian byte image, labelled-text writer and
// parser over the line formats of recordtext/labelledline.h.
#pragma once

#include "recordtext/fieldlist.h"
#include "recordtext/labelledline.h"

#include "common/byteview.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kvl::recordtext {

/// Fills the values from a byte image, in list order. Past the end of the
/// image the cursor yields zeros and stops being ok().
struct BinaryReader {
    ByteCursor& in;

    void value(const FieldInfo&, std::uint8_t& v) { v = in.u8(); }
    void value(const FieldInfo&, std::uint16_t& v) { v = in.u16(); }
    void value(const FieldInfo&, std::int32_t& v) { v = in.i32(); }
    void beginRecord(const Label&, std::size_t, int) { }
    void endRecord(int) { }
    void beginSection(const SectionLayout&) { }
    void endSection(const SectionLayout&) { }
};

/// Appends the values to a byte image, in list order.
struct BinaryWriter {
    ByteWriter& out;

    void value(const FieldInfo&, std::uint8_t v) { out.u8(v); }
    void value(const FieldInfo&, std::uint16_t v) { out.u16(v); }
    void value(const FieldInfo&, std::int32_t v) { out.i32(v); }
    void beginRecord(const Label&, std::size_t, int) { }
    void endRecord(int) { }
    void beginSection(const SectionLayout&) { }
    void endSection(const SectionLayout&) { }
};

/// Writes one labelled line per value. Labels are indented by `indent`
/// spaces, two more inside each record; a record's title stands at the
/// indentation of what encloses it. Unsigned fields are written unsigned,
/// 32-bit fields signed.
class TextWriter {
public:
    explicit TextWriter(LabelledOutput& out, std::size_t indent = 0) : m_out(out), m_indent(indent) { }

    void value(const FieldInfo& f, std::uint8_t v) { write(f, v); }
    void value(const FieldInfo& f, std::uint16_t v) { write(f, v); }
    void value(const FieldInfo& f, std::int32_t v) { write(f, v); }
    void beginRecord(const Label& title, std::size_t index, int blankLinesEach);
    void endRecord(int blankLines);
    void beginSection(const SectionLayout& layout);
    void endSection(const SectionLayout& layout);

private:
    void write(const FieldInfo& f, std::int32_t value);

    LabelledOutput& m_out;
    std::size_t m_indent;
    std::string m_label;
};

/// Reads one labelled line per value, expecting each field's label (first
/// character only, as readLabelledValue does). The parser does not look at
/// titles, headings, underlines or blank lines: it reads and ignores as many
/// lines as the writer puts there.
class TextParser {
public:
    explicit TextParser(RecordTextInput& in) : m_in(in) { }

    // Once the text has ended no field is read, so no label is made for it.
    void value(const FieldInfo& f, std::uint8_t& v)
    {
        if (!m_in.ended())
            readLabelledValue(m_in, expected(f), v);
    }
    void value(const FieldInfo& f, std::uint16_t& v)
    {
        if (!m_in.ended())
            readLabelledValue(m_in, expected(f), v);
    }
    void value(const FieldInfo& f, std::int32_t& v)
    {
        if (!m_in.ended())
            readLabelledValue(m_in, expected(f), v);
    }
    /// The title, and before it the blank lines closing the record before
    /// (before the first record of a section its underline stands there).
    void beginRecord(const Label&, std::size_t, int blankLinesEach) { m_in.skipLines(1 + blankLinesEach); }
    void endRecord(int) { }
    void beginSection(const SectionLayout& layout) { m_in.skipLines(layout.parserSkips); }
    void endSection(const SectionLayout&) { }

private:
    std::string_view expected(const FieldInfo& f);

    RecordTextInput& m_in;
    std::string m_label;
};

/// Where one value lies in the binary image and how the text names it.
struct FieldPlace {
    std::size_t offset = 0;
    std::size_t size = 0; // 1, 2 or 4 bytes
    bool isSigned = false;
    std::string name;    // "2. CAMPAIGN PHASES / PHASE #3 / Target Type [2 of 8]"
    std::string section; // "2. CAMPAIGN PHASES"; empty outside a numbered section
    std::string record;  // "PHASE #3", "SQUADRON #2 / AIRFIELD MOVE #1"; empty outside records
    std::string label;   // "Target Type [2 of 8]"
};

/// Lists every value of a field list with its byte offset and its name in
/// the text: the section heading and record titles that enclose it, then its
/// label (an element of an array that repeats one label gets "[k of n]").
/// `record` names a record that encloses the whole list ("SQUADRON #2").
class PlaceRecorder {
public:
    explicit PlaceRecorder(std::vector<FieldPlace>& places, std::string record = {}) : m_places(places)
    {
        if (!record.empty())
            m_parts.push_back({ std::move(record), false });
    }

    void value(const FieldInfo& f, std::uint8_t) { add(f, 1, false); }
    void value(const FieldInfo& f, std::uint16_t) { add(f, 2, false); }
    void value(const FieldInfo& f, std::int32_t) { add(f, 4, true); }
    void beginRecord(const Label& title, std::size_t index, int);
    void endRecord(int) { m_parts.pop_back(); }
    void beginSection(const SectionLayout& layout) { m_parts.push_back({ std::string(layout.heading), true }); }
    void endSection(const SectionLayout&) { m_parts.pop_back(); }

private:
    struct Part {
        std::string text;
        bool isSection;
    };
    void add(const FieldInfo& f, std::size_t size, bool isSigned);

    std::vector<FieldPlace>& m_places;
    std::vector<Part> m_parts; // the headings and titles around the value, outermost first
    std::size_t m_offset = 0;
};

/// The place of the value that holds byte `offset`, from a list made by
/// PlaceRecorder; nothing when no value holds it.
const FieldPlace* placeAt(const std::vector<FieldPlace>& places, std::size_t offset);

} // namespace kvl::recordtext
