// The game's .3DB model file and its reader.
//
// A .3DB file is little-endian with no padding:
//   header (60 bytes): 12 unknown bytes, then signed 32-bit counts I (inserts,
//     "sub matrices"), P (points), T (true vertex normals), E (elements), then
//     32 bytes nobody interprets;
//   I insert records of 16 bytes, P point records of 16, T TVN records of 16,
//   E normal records of 20, one sequence start record of 4, E sequence records
//   of 4, E element offsets (u32, counted from the end of the header), the
//   element data, and a 104-byte end block whose place follows from the last
//   element of the offset table (see load3DB).
//
// An element is a chain of records ended by a byte 255. Each record starts
// with its lead byte; a point index is always one byte, whatever slot the
// record gives it. Lead bytes 8 to 254 are a prefix (code, value, two unused
// bytes) in front of a textured body. A textured or prefixed record that is
// not the element's first is followed by one more byte, its end code.
#pragma once

#include "common/byteview.h"
#include "common/result.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kvl::modelconv {

/// Sizes of the fixed parts of a .3DB file.
inline constexpr std::size_t kHeaderSize3DB = 60;
inline constexpr std::size_t kInsertSize3DB = 16;
inline constexpr std::size_t kPointSize3DB = 16;
inline constexpr std::size_t kTvnSize3DB = 16;
inline constexpr std::size_t kNormalSize3DB = 20;
inline constexpr std::size_t kSequenceSize3DB = 4;
inline constexpr std::size_t kElementOffsetSize3DB = 4;
inline constexpr std::size_t kEndBlockSize3DB = 104;
inline constexpr std::size_t kTextureNameOffset = 36; // inside the end block
inline constexpr std::size_t kTextureNameSize = 14;
/// The byte that ends an element (and, as a type, marks an empty element).
inline constexpr std::uint8_t kElementEnd = 255;

/// How a record's entries lie in the file image.
enum class EntryLayout3DB : std::uint8_t {
    None,     // an empty element
    Type1,    // two indices at +0 and +2
    Type2,    // one index
    Type3,    // n indices, 4 bytes apart
    Type4,    // n pairs of index and second value (4 bytes after it), 6 bytes apart
    Textured, // n of index, f32 s (at +4), f32 t (at +8), 12 bytes apart
};

/// One decoded record of an element chain: its fixed fields, and where its
/// entries (point indices, second values, texture coordinates) lie in the
/// file image. The entries are not copied into lists of their own, so
/// decoding a large model allocates nothing per record; read them through
/// Model3DB::entries. Fields a record's type does not carry stay 0.
struct Record3DB {
    std::size_t entries = 0;       // image position of the first entry's index byte
    std::uint32_t firstChild = 0;  // elements: first sub-record in Model3DB::subRecords()
    std::uint32_t childCount = 0;  // elements: number of sub-records (32-bit: a large model has more than 65535)
    std::uint16_t prefixCode = 0;  // lead byte of a prefixed record
    std::uint16_t prefixValue = 0; // the byte after it
    std::uint8_t type = 0;         // lead byte, or body type of a prefixed record; 255 = empty element
    std::uint8_t count = 0;        // n, for types 3, 4, textured and prefixed
    std::uint8_t attribute1 = 0;
    std::uint8_t attribute2 = 0;
    std::uint8_t endCode = 0; // textured/prefixed sub-records only
    EntryLayout3DB layout = EntryLayout3DB::None;

    bool isEmptyElement() const { return type == kElementEnd; }
    /// Number of index entries the record holds in the file.
    std::size_t entryCount() const
    {
        switch (layout) {
        case EntryLayout3DB::None:
            return 0;
        case EntryLayout3DB::Type1:
            return 2;
        case EntryLayout3DB::Type2:
            return 1;
        default:
            return count;
        }
    }
    /// Bytes from one entry to the next; entryCount() * entryStride() bytes
    /// from `entries` on all lie inside the record.
    std::size_t entryStride() const
    {
        switch (layout) {
        case EntryLayout3DB::Type1:
            return 2;
        case EntryLayout3DB::Type3:
            return 4;
        case EntryLayout3DB::Type4:
            return 6;
        case EntryLayout3DB::Textured:
            return 12;
        default:
            return 1;
        }
    }
};

/// The entries of one record, read from the file image the reader checked
/// the record against. An entry the record lacks reads as 0 (a prefixed
/// record of body type 1 to 4 has the textured layout, so it has no second
/// values, and its type may show more indices than it holds).
class RecordEntries3DB {
public:
    RecordEntries3DB(ByteView image, const Record3DB& record) : m_stride(record.entryStride()), m_layout(record.layout)
    {
        if (auto entries = image.record(record.entries, record.entryCount() * m_stride)) {
            m_entries = *entries;
            m_count = record.entryCount();
        }
    }

    std::uint16_t index(std::size_t j) const { return j < m_count ? m_entries.u8(j * m_stride) : 0; }
    std::uint16_t second(std::size_t j) const
    {
        return m_layout == EntryLayout3DB::Type4 && j < m_count ? m_entries.u8(j * m_stride + 4) : 0;
    }
    float s(std::size_t j) const { return value(j, 4); }
    float t(std::size_t j) const { return value(j, 8); }

private:
    float value(std::size_t j, std::size_t offset) const
    {
        if (m_layout != EntryLayout3DB::Textured || j >= m_count)
            return 0.0f;
        return m_entries.f32(j * m_stride + offset);
    }

    RecordReader m_entries;
    std::size_t m_count = 0;
    std::size_t m_stride;
    EntryLayout3DB m_layout;
};

struct Insert3DB {
    float y = 0, z = 0, x = 0;
    std::uint8_t cod = 0, num = 0;
    std::uint16_t term = 0;
};

struct Point3DB {
    float y = 0, z = 0, x = 0;
    std::int16_t b = 0;
};

struct Tvn3DB {
    float values[4] = { 0, 0, 0, 0 }; // y, z, x and an unnamed fourth value
};

struct Normal3DB {
    float y = 0, z = 0, x = 0, d = 0;
    std::int16_t f = 0;
};

struct Sequence3DB {
    std::uint16_t back = 0, front = 0;
};

/// A loaded .3DB model. It owns the whole file image; the section tables and
/// the records' entries are views into that image, so a model can be moved
/// but not copied.
class Model3DB {
public:
    Model3DB() = default;
    Model3DB(const Model3DB&) = delete;
    Model3DB& operator=(const Model3DB&) = delete;
    Model3DB(Model3DB&&) = default;
    Model3DB& operator=(Model3DB&&) = default;

    std::int32_t insertCount() const { return m_counts[0]; }
    std::int32_t pointCount() const { return m_counts[1]; }
    std::int32_t tvnCount() const { return m_counts[2]; }
    std::int32_t elementCount() const { return m_counts[3]; }

    /// The header's first 12 (unknown) bytes.
    ByteView headerUnknown() const { return ByteView(m_image.data(), m_image.empty() ? 0 : 12); }
    Insert3DB insert(std::size_t k) const;
    Point3DB point(std::size_t k) const;
    Tvn3DB tvn(std::size_t k) const;
    Normal3DB normal(std::size_t k) const;
    Sequence3DB sequenceStart() const;
    Sequence3DB sequence(std::size_t k) const;
    std::uint32_t elementOffset(std::size_t k) const;

    /// Element k's first record; an element's sub-records are consecutive
    /// in subRecords(), from its firstChild on, in reading order.
    const std::vector<Record3DB>& elements() const { return m_elements; }
    const std::vector<Record3DB>& subRecords() const { return m_subRecords; }
    /// The entries of one of this model's records.
    RecordEntries3DB entries(const Record3DB& record) const { return RecordEntries3DB(m_image, record); }

    /// The 104-byte end block and the file position where it starts.
    ByteView endBlock() const { return m_endBlock; }
    std::size_t endBlockPosition() const { return m_endBlockPosition; }
    /// The 14 bytes of the TEXTURE NAME field.
    ByteView textureNameField() const;
    /// TEXTURE NAME as text: up to the first zero byte.
    std::string textureName() const;

    const std::vector<std::uint8_t>& image() const { return m_image; }

private:
    friend Result<Model3DB> decode3DB(std::vector<std::uint8_t> image);

    std::vector<std::uint8_t> m_image;
    std::int32_t m_counts[4] = { 0, 0, 0, 0 };
    ByteView m_inserts, m_points, m_tvns, m_normals, m_sequenceStart, m_sequence, m_elementOffsets;
    std::vector<Record3DB> m_elements;
    ByteView m_endBlock;
    std::size_t m_endBlockPosition = 0;
    std::vector<Record3DB> m_subRecords;
};

/// The message of a file that cannot be opened.
inline constexpr const char* kOpenFailedMessage = "Unable to open 3DB file!";

/// Decodes a whole-file image. Counts, offsets and element chains are
/// checked against the image; a file that fails gives an Error whose message
/// is one line saying what is wrong ("Bad 3DB file: ...!").
Result<Model3DB> decode3DB(std::vector<std::uint8_t> image);

/// Reads the named file whole and decodes it. The Error's message is the
/// line to show: kOpenFailedMessage (with the system's errno as its code)
/// when the file cannot be read, otherwise what decode3DB reported.
Result<Model3DB> load3DB(const std::filesystem::path& file);

} // namespace kvl::modelconv
