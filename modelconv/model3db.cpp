// The .3DB reader: whole-file image, section views, element chains.
#include "modelconv/model3db.h"

#include "common/fileimage.h"

#include <bit>

#include <string_view>

namespace kvl::model {

namespace {

constexpr std::size_t ElementOffsetSize = 4;
constexpr std::uint8_t FirstPrefixCode = 8;

// Elements reach their data through offsets only, so two elements may point
// at the same bytes. A real model walks each byte of its element data once;
// a hostile file could make every element walk the whole file again. Allow a
// generous sharing factor, and refuse beyond it instead of running out of
// memory.
constexpr std::size_t ChainSharingFactor = 4;

// The largest .3DB file that is read at all (see load3DB).
constexpr std::uint64_t MaxModelFileSize = std::uint64_t(64) << 20;

// A float field through the bounds-checked view, 0 when it is not there.
// (Read as its 32 bits: an optional integer comes back in a register, an
// optional float through memory, which costs more than the rest of a read.)
float floatAt(ByteView view, std::size_t at)
{
    return std::bit_cast<float>(view.u32(at).value_or(0));
}

std::string bad(std::string_view what)
{
    return "Bad 3DB file: " + std::string(what) + "!";
}

bool isTexturedType(std::uint8_t b)
{
    return b == 0 || b == 5 || b == 6 || b == 7;
}

// Decodes the record at `pos`. On success `next` is the position of the byte
// after it (after its end code for a textured or prefixed sub-record). False
// when the record does not lie wholly inside the image. Every byte read is
// checked against the image first; the entries stay where they are.
bool decodeRecord(ByteView view, std::size_t pos, bool isSubRecord, FlatRecord3DB& r, std::size_t& next)
{
    const std::uint8_t* d = view.data();
    if (!view.has(pos, 1))
        return false;
    const std::uint8_t b = d[pos];
    std::size_t length = 0;
    bool textured = false;
    switch (b) {
    case 1:
        length = 6;
        if (!view.has(pos, length))
            return false;
        r.type = 1;
        r.attribute1 = d[pos + 1];
        r.entries = pos + 2;
        r.layout = EntryLayout3DB::Type1;
        break;
    case 2:
        length = 4;
        if (!view.has(pos, length))
            return false;
        r.type = 2;
        r.attribute1 = d[pos + 1];
        r.entries = pos + 2;
        r.layout = EntryLayout3DB::Type2;
        break;
    case 3: {
        if (!view.has(pos, 2))
            return false;
        const std::uint8_t n = d[pos + 1];
        length = 4 + 4 * std::size_t(n);
        if (!view.has(pos, length))
            return false;
        r.type = 3;
        r.count = n;
        r.attribute1 = d[pos + 2];
        r.attribute2 = d[pos + 3];
        r.entries = pos + 4;
        r.layout = EntryLayout3DB::Type3;
        break;
    }
    case 4: {
        if (!view.has(pos, 2))
            return false;
        const std::uint8_t n = d[pos + 1];
        length = 2 + 6 * std::size_t(n);
        if (!view.has(pos, length))
            return false;
        r.type = 4;
        r.count = n;
        r.entries = pos + 2;
        r.layout = EntryLayout3DB::Type4;
        break;
    }
    default: {
        // Textured (0, 5, 6, 7) or prefixed (8 to 254); the body of a
        // prefixed record always has the textured layout.
        if (b == ElementEnd)
            return false; // never a lead byte: the caller handles it
        std::size_t body = pos;
        if (b >= FirstPrefixCode && !isTexturedType(b)) {
            if (!view.has(pos, 8))
                return false;
            r.prefixCode = b;
            r.prefixValue = d[pos + 1];
            body = pos + 4;
        }
        if (!view.has(body, 4))
            return false;
        r.type = d[body];
        r.count = d[body + 1];
        r.attribute1 = d[body + 2];
        r.attribute2 = d[body + 3];
        length = (body - pos) + 4 + 12 * std::size_t(r.count);
        if (!view.has(pos, length))
            return false;
        r.entries = body + 4;
        r.layout = EntryLayout3DB::Textured;
        textured = true;
        break;
    }
    }
    next = pos + length;
    if (textured && isSubRecord) {
        if (!view.has(next, 1))
            return false;
        r.endCode = d[next];
        ++next;
    }
    return true;
}

// Little-endian fields of a table record the caller has found inside its
// table: one range check per record instead of one per field.
std::uint16_t le16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::uint32_t le32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

float leFloat(const std::uint8_t* p)
{
    return std::bit_cast<float>(le32(p));
}

} // namespace

Insert3DB Model3DB::insert(std::size_t k) const
{
    const std::size_t at = k * InsertSize3DB;
    if (m_inserts.has(at, InsertSize3DB)) {
        const std::uint8_t* p = m_inserts.data() + at;
        return { leFloat(p), leFloat(p + 4), leFloat(p + 8), p[12], p[13], le16(p + 14) };
    }
    return { floatAt(m_inserts, at), floatAt(m_inserts, at + 4), floatAt(m_inserts, at + 8),
        m_inserts.u8(at + 12).value_or(0), m_inserts.u8(at + 13).value_or(0), m_inserts.u16(at + 14).value_or(0) };
}

Point3DB Model3DB::point(std::size_t k) const
{
    const std::size_t at = k * PointSize3DB;
    if (m_points.has(at, PointSize3DB)) {
        const std::uint8_t* p = m_points.data() + at;
        return { leFloat(p), leFloat(p + 4), leFloat(p + 8), static_cast<std::int16_t>(le16(p + 12)) };
    }
    return { floatAt(m_points, at), floatAt(m_points, at + 4), floatAt(m_points, at + 8),
        m_points.i16(at + 12).value_or(0) };
}

Tvn3DB Model3DB::tvn(std::size_t k) const
{
    const std::size_t at = k * TvnSize3DB;
    Tvn3DB t;
    if (m_tvns.has(at, TvnSize3DB)) {
        const std::uint8_t* p = m_tvns.data() + at;
        for (std::size_t i = 0; i < 4; ++i)
            t.values[i] = leFloat(p + 4 * i);
        return t;
    }
    for (std::size_t i = 0; i < 4; ++i)
        t.values[i] = floatAt(m_tvns, at + 4 * i);
    return t;
}

Normal3DB Model3DB::normal(std::size_t k) const
{
    const std::size_t at = k * NormalSize3DB;
    if (m_normals.has(at, NormalSize3DB)) {
        const std::uint8_t* p = m_normals.data() + at;
        return { leFloat(p), leFloat(p + 4), leFloat(p + 8), leFloat(p + 12), static_cast<std::int16_t>(le16(p + 16)) };
    }
    return { floatAt(m_normals, at), floatAt(m_normals, at + 4), floatAt(m_normals, at + 8),
        floatAt(m_normals, at + 12), m_normals.i16(at + 16).value_or(0) };
}

Sequence3DB Model3DB::sequenceStart() const
{
    return { m_sequenceStart.u16(0).value_or(0), m_sequenceStart.u16(2).value_or(0) };
}

Sequence3DB Model3DB::sequence(std::size_t k) const
{
    const std::size_t at = k * SequenceSize3DB;
    if (m_sequence.has(at, SequenceSize3DB)) {
        const std::uint8_t* p = m_sequence.data() + at;
        return { le16(p), le16(p + 2) };
    }
    return { m_sequence.u16(at).value_or(0), m_sequence.u16(at + 2).value_or(0) };
}

std::uint32_t Model3DB::elementOffset(std::size_t k) const
{
    const std::size_t at = k * ElementOffsetSize;
    if (m_elementOffsets.has(at, ElementOffsetSize))
        return le32(m_elementOffsets.data() + at);
    return 0;
}

ByteView Model3DB::textureNameField() const
{
    return m_endBlock.sub(TextureNameOffset, TextureNameSize).value_or(ByteView());
}

std::string Model3DB::textureName() const
{
    return m_endBlock.zeroTerminated(TextureNameOffset, TextureNameSize).value_or(std::string());
}

Record3DB Model3DB::expand(const FlatRecord3DB& f) const
{
    Record3DB r;
    r.prefixCode = f.prefixCode;
    r.prefixValue = f.prefixValue;
    r.type = f.type;
    r.count = f.count;
    r.attribute1 = f.attribute1;
    r.attribute2 = f.attribute2;
    r.endCode = f.endCode;
    const ByteView view(m_image);
    const std::size_t n = f.entryCount();
    const std::size_t stride = f.entryStride();
    r.indices.resize(n);
    for (std::size_t j = 0; j < n; ++j)
        r.indices[j] = view.u8(f.entries + j * stride).value_or(0);
    if (f.layout == EntryLayout3DB::Type4) {
        r.secondValues.resize(n);
        for (std::size_t j = 0; j < n; ++j)
            r.secondValues[j] = view.u8(f.entries + j * stride + 4).value_or(0);
    } else if (f.layout == EntryLayout3DB::Textured) {
        r.sValues.resize(n);
        r.tValues.resize(n);
        for (std::size_t j = 0; j < n; ++j) {
            r.sValues[j] = floatAt(view, f.entries + j * stride + 4);
            r.tValues[j] = floatAt(view, f.entries + j * stride + 8);
        }
    }
    r.children.resize(f.childCount);
    for (std::uint32_t j = 0; j < f.childCount; ++j)
        r.children[j] = f.firstChild + j;
    return r;
}

void Model3DB::expandAll() const
{
    if (m_expanded)
        return;
    m_elements.reserve(m_flatElements.size());
    for (const FlatRecord3DB& f : m_flatElements)
        m_elements.push_back(expand(f));
    m_subRecords.reserve(m_flatSubRecords.size());
    for (const FlatRecord3DB& f : m_flatSubRecords)
        m_subRecords.push_back(expand(f));
    m_expanded = true;
}

const std::vector<Record3DB>& Model3DB::elements() const
{
    expandAll();
    return m_elements;
}

const std::vector<Record3DB>& Model3DB::subRecords() const
{
    expandAll();
    return m_subRecords;
}

bool decode3DB(Model3DB& model, std::vector<std::uint8_t> image, std::string& error)
{
    model.clear();
    Model3DB m;
    m.m_image = std::move(image);
    const ByteView view(m.m_image);
    const std::size_t size = view.size();
    auto fail = [&](std::string_view what) {
        error = bad(what);
        return false;
    };

    if (size < HeaderSize3DB)
        return fail("the file has " + std::to_string(size) + " bytes, less than the " + std::to_string(HeaderSize3DB)
            + "-byte header");

    static constexpr const char* countNames[4] = { "inserts", "points", "true vertex normals", "elements" };
    for (std::size_t i = 0; i < 4; ++i) {
        m.m_counts[i] = *view.i32(12 + 4 * i);
        if (m.m_counts[i] < 0)
            return fail("the header gives a negative number of " + std::string(countNames[i]) + " ("
                + std::to_string(m.m_counts[i]) + ")");
    }

    // The tables, one after another from the end of the header. The counts
    // are below 2^31, so the 64-bit sums below cannot overflow.
    const std::uint64_t I = std::uint64_t(m.m_counts[0]);
    const std::uint64_t P = std::uint64_t(m.m_counts[1]);
    const std::uint64_t T = std::uint64_t(m.m_counts[2]);
    const std::uint64_t E = std::uint64_t(m.m_counts[3]);
    const std::uint64_t tablesEnd = HeaderSize3DB + InsertSize3DB * I + PointSize3DB * P + TvnSize3DB * T
        + NormalSize3DB * E + SequenceSize3DB + SequenceSize3DB * E + ElementOffsetSize * E;
    if (tablesEnd > size)
        return fail("the header counts (" + std::to_string(I) + " inserts, " + std::to_string(P) + " points, "
            + std::to_string(T) + " true vertex normals, " + std::to_string(E) + " elements) need "
            + std::to_string(tablesEnd) + " bytes of tables but the file has " + std::to_string(size) + " bytes");

    std::size_t at = HeaderSize3DB;
    auto place = [&](ByteView& section, std::size_t bytes) {
        section = *view.sub(at, bytes);
        at += bytes;
    };
    place(m.m_inserts, InsertSize3DB * I);
    place(m.m_points, PointSize3DB * P);
    place(m.m_tvns, TvnSize3DB * T);
    place(m.m_normals, NormalSize3DB * E);
    place(m.m_sequenceStart, SequenceSize3DB);
    place(m.m_sequence, SequenceSize3DB * E);
    place(m.m_elementOffsets, ElementOffsetSize * E);
    const std::size_t elementDataStart = at;

    // The element chains.
    m.m_flatElements.resize(E);
    m.m_flatSubRecords.reserve(E / 4);
    const std::uint64_t walkBudget = std::uint64_t(size) * ChainSharingFactor;
    std::uint64_t walked = 0;
    std::size_t lastTerminator = 0;
    bool lastWasEmpty = false; // its only byte is the 255 (not: its type is 255)
    const std::uint8_t* data = view.data();
    for (std::size_t i = 0; i < E; ++i) {
        const std::uint64_t start = HeaderSize3DB + std::uint64_t(m.elementOffset(i));
        auto which = [i] { return "element " + std::to_string(i); };
        if (start >= size)
            return fail(which() + " starts at byte " + std::to_string(start) + ", past the end of the "
                + std::to_string(size) + "-byte file");
        std::size_t pos = start;
        FlatRecord3DB& element = m.m_flatElements[i];
        const bool emptyElement = data[pos] == ElementEnd;
        if (emptyElement) {
            element.type = ElementEnd;
        } else {
            element.firstChild = static_cast<std::uint32_t>(m.m_flatSubRecords.size());
            bool first = true;
            for (;;) {
                std::size_t next = 0;
                FlatRecord3DB sub;
                FlatRecord3DB& r = first ? element : sub;
                if (!decodeRecord(view, pos, !first, r, next))
                    return fail(which() + " (starting at byte " + std::to_string(start) + ") has a record at byte "
                        + std::to_string(pos) + " that runs past the end of the file");
                if (!first) {
                    m.m_flatSubRecords.push_back(sub);
                    ++element.childCount;
                }
                first = false;
                pos = next;
                if (pos >= size)
                    return fail(which() + " (starting at byte " + std::to_string(start)
                        + ") has no end byte 255 before the end of the file");
                if (data[pos] == ElementEnd)
                    break;
            }
        }
        walked += pos + 1 - start;
        if (walked > walkBudget)
            return fail("its elements share data so often that reading them would take over "
                + std::to_string(ChainSharingFactor) + " times the file's size");
        lastTerminator = pos;
        lastWasEmpty = emptyElement;
    }

    // The end block: 4 bytes after the last element's terminating 255, 5 when
    // that element is empty, 4 after the start of the element data when there
    // are no elements.
    std::size_t endStart = 0;
    if (E == 0)
        endStart = elementDataStart + 4;
    else
        endStart = lastTerminator + (lastWasEmpty ? 5 : 4);
    auto endBlock = view.sub(endStart, EndBlockSize3DB);
    if (!endBlock)
        return fail("the " + std::to_string(EndBlockSize3DB) + "-byte end block at byte " + std::to_string(endStart)
            + " runs past the end of the " + std::to_string(size) + "-byte file");
    m.m_endBlock = *endBlock;
    m.m_endBlockPosition = endStart;

    model = std::move(m);
    return true;
}

bool load3DB(Model3DB& model, const std::filesystem::path& file, std::string& message)
{
    model.clear();
    // A decoded record takes many times its bytes in memory; game models are
    // a few kilobytes, so a file this large is no model and is not read.
    const std::int64_t size = fileSize(file);
    if (size > static_cast<std::int64_t>(MaxModelFileSize)) {
        message = bad("the file has " + std::to_string(size) + " bytes, more than the "
            + std::to_string(MaxModelFileSize >> 20) + " MiB a model may have");
        return false;
    }
    std::vector<std::uint8_t> image;
    if (!readFileImage(file, image)) {
        message = OpenFailedMessage;
        return false;
    }
    return decode3DB(model, std::move(image), message);
}

} // namespace kvl::model
