// The .3DB reader: whole-file image, section views, element chains.
#include "modelconv/model3db.h"

#include "common/fileimage.h"

#include <string_view>

namespace kvl::modelconv {

namespace {

constexpr std::uint8_t kFirstPrefixCode = 8;

// Elements reach their data through offsets only, so two elements may point
// at the same bytes. A real model walks each byte of its element data once;
// a hostile file could make every element walk the whole file again. Allow a
// generous sharing factor, and refuse beyond it instead of running out of
// memory.
constexpr std::size_t kChainSharingFactor = 4;

// The largest .3DB file that is read at all (see load3DB).
constexpr std::uint64_t kMaxModelFileSize = std::uint64_t(64) << 20;

Error bad(std::string_view what)
{
    return Error { "Bad 3DB file: " + std::string(what) + "!" };
}

bool isTexturedType(std::uint8_t b)
{
    return b == 0 || b == 5 || b == 6 || b == 7;
}

// Decodes the record at `pos`, whose lead byte `b` the caller has read (it
// is not 255). On success `next` is the position of the byte after it (after
// its end code for a textured or prefixed sub-record). False when the record
// does not lie wholly inside the image. The record's fixed part is taken
// from the image with one range check; one more covers the entries of a
// record that has a count, which stay where they are.
bool decodeRecord(ByteView view, std::size_t pos, std::uint8_t b, bool isSubRecord, Record3DB& r, std::size_t& next)
{
    std::size_t length = 0;
    bool textured = false;
    switch (b) {
    case 1: {
        const auto head = view.record(pos, 6);
        if (!head)
            return false;
        length = 6;
        r.type = 1;
        r.attribute1 = head->u8(1);
        r.entries = pos + 2;
        r.layout = EntryLayout3DB::Type1;
        break;
    }
    case 2: {
        const auto head = view.record(pos, 4);
        if (!head)
            return false;
        length = 4;
        r.type = 2;
        r.attribute1 = head->u8(1);
        r.entries = pos + 2;
        r.layout = EntryLayout3DB::Type2;
        break;
    }
    case 3: {
        const auto head = view.record(pos, 4);
        if (!head)
            return false;
        r.type = 3;
        r.count = head->u8(1);
        r.attribute1 = head->u8(2);
        r.attribute2 = head->u8(3);
        length = 4 + 4 * std::size_t(r.count);
        r.entries = pos + 4;
        r.layout = EntryLayout3DB::Type3;
        break;
    }
    case 4: {
        const auto head = view.record(pos, 2); // no attributes: with n = 0 the record is 2 bytes
        if (!head)
            return false;
        r.type = 4;
        r.count = head->u8(1);
        length = 2 + 6 * std::size_t(r.count);
        r.entries = pos + 2;
        r.layout = EntryLayout3DB::Type4;
        break;
    }
    default: {
        // Textured (0, 5, 6, 7) or prefixed (8 to 254, the prefix taking 4
        // bytes); the body of a prefixed record always has the textured layout.
        const bool prefixed = b >= kFirstPrefixCode && !isTexturedType(b);
        const std::size_t body = prefixed ? 4 : 0;
        const auto head = view.record(pos, body + 4);
        if (!head)
            return false;
        if (prefixed) {
            r.prefixCode = b;
            r.prefixValue = head->u8(1);
        }
        r.type = head->u8(body);
        r.count = head->u8(body + 1);
        r.attribute1 = head->u8(body + 2);
        r.attribute2 = head->u8(body + 3);
        length = body + 4 + 12 * std::size_t(r.count);
        r.entries = pos + body + 4;
        r.layout = EntryLayout3DB::Textured;
        textured = true;
        break;
    }
    }
    if (r.layout != EntryLayout3DB::Type1 && r.layout != EntryLayout3DB::Type2 && !view.has(pos, length))
        return false;
    next = pos + length;
    if (textured && isSubRecord) {
        const auto endCode = view.record(next, 1);
        if (!endCode)
            return false;
        r.endCode = endCode->u8(0);
        ++next;
    }
    return true;
}

} // namespace

// The table records: one range check each, then the fields. A record
// outside its table (only for k past the header's count) reads as zeros.

Insert3DB Model3DB::insert(std::size_t k) const
{
    if (const auto r = m_inserts.record(k * kInsertSize3DB, kInsertSize3DB))
        return { r->f32(0), r->f32(4), r->f32(8), r->u8(12), r->u8(13), r->u16(14) };
    return {};
}

Point3DB Model3DB::point(std::size_t k) const
{
    if (const auto r = m_points.record(k * kPointSize3DB, kPointSize3DB))
        return { r->f32(0), r->f32(4), r->f32(8), r->i16(12) };
    return {};
}

Tvn3DB Model3DB::tvn(std::size_t k) const
{
    Tvn3DB t;
    if (const auto r = m_tvns.record(k * kTvnSize3DB, kTvnSize3DB))
        for (std::size_t i = 0; i < 4; ++i)
            t.values[i] = r->f32(4 * i);
    return t;
}

Normal3DB Model3DB::normal(std::size_t k) const
{
    if (const auto r = m_normals.record(k * kNormalSize3DB, kNormalSize3DB))
        return { r->f32(0), r->f32(4), r->f32(8), r->f32(12), r->i16(16) };
    return {};
}

Sequence3DB Model3DB::sequenceStart() const
{
    if (const auto r = m_sequenceStart.record(0, kSequenceSize3DB))
        return { r->u16(0), r->u16(2) };
    return {};
}

Sequence3DB Model3DB::sequence(std::size_t k) const
{
    if (const auto r = m_sequence.record(k * kSequenceSize3DB, kSequenceSize3DB))
        return { r->u16(0), r->u16(2) };
    return {};
}

std::uint32_t Model3DB::elementOffset(std::size_t k) const
{
    if (const auto r = m_elementOffsets.record(k * kElementOffsetSize3DB, kElementOffsetSize3DB))
        return r->u32(0);
    return 0;
}

ByteView Model3DB::textureNameField() const
{
    return m_endBlock.sub(kTextureNameOffset, kTextureNameSize).value_or(ByteView());
}

std::string Model3DB::textureName() const
{
    return m_endBlock.zeroTerminated(kTextureNameOffset, kTextureNameSize).value_or(std::string());
}

Result<Model3DB> decode3DB(std::vector<std::uint8_t> image)
{
    Model3DB m;
    m.m_image = std::move(image);
    const ByteView view(m.m_image);
    const std::size_t size = view.size();

    if (size < kHeaderSize3DB)
        return bad("the file has " + std::to_string(size) + " bytes, less than the " + std::to_string(kHeaderSize3DB)
            + "-byte header");

    static constexpr const char* countNames[4] = { "inserts", "points", "true vertex normals", "elements" };
    const RecordReader header = *view.record(0, kHeaderSize3DB);
    for (std::size_t i = 0; i < 4; ++i) {
        m.m_counts[i] = header.i32(12 + 4 * i);
        if (m.m_counts[i] < 0)
            return bad("the header gives a negative number of " + std::string(countNames[i]) + " ("
                + std::to_string(m.m_counts[i]) + ")");
    }

    // The tables, one after another from the end of the header. The counts
    // are below 2^31, so the 64-bit sums below cannot overflow.
    const std::uint64_t I = std::uint64_t(m.m_counts[0]);
    const std::uint64_t P = std::uint64_t(m.m_counts[1]);
    const std::uint64_t T = std::uint64_t(m.m_counts[2]);
    const std::uint64_t E = std::uint64_t(m.m_counts[3]);
    const std::uint64_t tablesEnd = kHeaderSize3DB + kInsertSize3DB * I + kPointSize3DB * P + kTvnSize3DB * T
        + kNormalSize3DB * E + kSequenceSize3DB + kSequenceSize3DB * E + kElementOffsetSize3DB * E;
    if (tablesEnd > size)
        return bad("the header counts (" + std::to_string(I) + " inserts, " + std::to_string(P) + " points, "
            + std::to_string(T) + " true vertex normals, " + std::to_string(E) + " elements) need "
            + std::to_string(tablesEnd) + " bytes of tables but the file has " + std::to_string(size) + " bytes");

    std::size_t at = kHeaderSize3DB;
    auto place = [&](ByteView& section, std::size_t bytes) {
        section = *view.sub(at, bytes);
        at += bytes;
    };
    place(m.m_inserts, kInsertSize3DB * I);
    place(m.m_points, kPointSize3DB * P);
    place(m.m_tvns, kTvnSize3DB * T);
    place(m.m_normals, kNormalSize3DB * E);
    place(m.m_sequenceStart, kSequenceSize3DB);
    place(m.m_sequence, kSequenceSize3DB * E);
    place(m.m_elementOffsets, kElementOffsetSize3DB * E);
    const std::size_t elementDataStart = at;
    const RecordReader offsets = *view.record(elementDataStart - kElementOffsetSize3DB * E, kElementOffsetSize3DB * E);

    // The element chains.
    m.m_elements.resize(E);
    m.m_subRecords.reserve(E / 4);
    const std::uint64_t walkBudget = std::uint64_t(size) * kChainSharingFactor;
    std::uint64_t walked = 0;
    std::size_t lastTerminator = 0;
    bool lastWasEmpty = false; // its only byte is the 255 (not: its type is 255)
    const std::uint8_t* data = view.data();
    for (std::size_t i = 0; i < E; ++i) {
        const std::uint64_t start = kHeaderSize3DB + std::uint64_t(offsets.u32(kElementOffsetSize3DB * i));
        auto which = [i] { return "element " + std::to_string(i); };
        if (start >= size)
            return bad(which() + " starts at byte " + std::to_string(start) + ", past the end of the "
                + std::to_string(size) + "-byte file");
        // From here on every position read is below `size`: `start` was just
        // checked, and each further one is checked before it is read.
        std::size_t pos = start;
        Record3DB& element = m.m_elements[i];
        std::uint8_t lead = data[pos];
        const bool emptyElement = lead == kElementEnd;
        if (emptyElement) {
            element.type = kElementEnd;
        } else {
            element.firstChild = static_cast<std::uint32_t>(m.m_subRecords.size());
            bool first = true;
            for (;;) {
                std::size_t next = 0;
                Record3DB sub;
                Record3DB& r = first ? element : sub;
                if (!decodeRecord(view, pos, lead, !first, r, next))
                    return bad(which() + " (starting at byte " + std::to_string(start) + ") has a record at byte "
                        + std::to_string(pos) + " that runs past the end of the file");
                if (!first) {
                    m.m_subRecords.push_back(sub);
                    ++element.childCount;
                }
                first = false;
                pos = next;
                if (pos >= size)
                    return bad(which() + " (starting at byte " + std::to_string(start)
                        + ") has no end byte 255 before the end of the file");
                lead = data[pos];
                if (lead == kElementEnd)
                    break;
            }
        }
        walked += pos + 1 - start;
        if (walked > walkBudget)
            return bad("its elements share data so often that reading them would take over "
                + std::to_string(kChainSharingFactor) + " times the file's size");
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
    auto endBlock = view.sub(endStart, kEndBlockSize3DB);
    if (!endBlock)
        return bad("the " + std::to_string(kEndBlockSize3DB) + "-byte end block at byte " + std::to_string(endStart)
            + " runs past the end of the " + std::to_string(size) + "-byte file");
    m.m_endBlock = *endBlock;
    m.m_endBlockPosition = endStart;
    return m;
}

Result<Model3DB> load3DB(const std::filesystem::path& file)
{
    // A decoded record takes many times its bytes in memory; game models are
    // a few kilobytes, so a file this large is no model and is not read.
    const std::int64_t size = fileSize(file);
    if (size > static_cast<std::int64_t>(kMaxModelFileSize))
        return bad("the file has " + std::to_string(size) + " bytes, more than the "
            + std::to_string(kMaxModelFileSize >> 20) + " MiB a model may have");
    auto image = readFileImage(file);
    if (!image)
        return Error { kOpenFailedMessage, image.error().code };
    return decode3DB(std::move(*image));
}

} // namespace kvl::modelconv
