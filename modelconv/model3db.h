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

#include <bit>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kvl::model {

/// Sizes of the fixed parts of a .3DB file.
inline constexpr std::size_t HeaderSize3DB = 60;
inline constexpr std::size_t InsertSize3DB = 16;
inline constexpr std::size_t PointSize3DB = 16;
inline constexpr std::size_t TvnSize3DB = 16;
inline constexpr std::size_t NormalSize3DB = 20;
inline constexpr std::size_t SequenceSize3DB = 4;
inline constexpr std::size_t EndBlockSize3DB = 104;
inline constexpr std::size_t TextureNameOffset = 36; // inside the end block
inline constexpr std::size_t TextureNameSize = 14;
/// The byte that ends an element (and, as a type, marks an empty element).
inline constexpr std::uint8_t ElementEnd = 255;

/// One decoded record of an element chain. Fields a record's type does not
/// carry stay 0 and their lists empty.
struct Record3DB {
    std::uint16_t prefixCode = 0;  // lead byte of a prefixed record
    std::uint16_t prefixValue = 0; // the byte after it
    std::uint8_t type = 0;         // lead byte, or body type of a prefixed record; 255 = empty element
    std::uint8_t count = 0;        // n, for types 3, 4, textured and prefixed
    std::uint8_t attribute1 = 0;
    std::uint8_t attribute2 = 0;
    std::vector<std::uint16_t> indices;      // one byte each in the file
    std::vector<std::uint16_t> secondValues; // type 4 only
    std::vector<float> tValues;              // textured and prefixed
    std::vector<float> sValues;              // textured and prefixed
    std::uint32_t endCode = 0;               // textured/prefixed sub-records only
    /// Positions in Model3DB::subRecords of this element's sub-records.
    /// (32-bit: a large model can hold more than 65535 sub-records.)
    std::vector<std::uint32_t> children;

    bool isEmptyElement() const { return type == ElementEnd; }
};

/// How a record's entries lie in the file image.
enum class EntryLayout3DB : std::uint8_t {
    None,     // an empty element
    Type1,    // two indices at +0 and +2
    Type2,    // one index
    Type3,    // n indices, 4 bytes apart
    Type4,    // n pairs of index and second value (4 bytes after it), 6 bytes apart
    Textured, // n of index, f32 s (at +4), f32 t (at +8), 12 bytes apart
};

/// A record as the reader keeps it: its fixed fields, and where its entries
/// lie in the file image (no lists of its own, so decoding a large model
/// does not allocate per record). An element's sub-records are consecutive
/// in Model3DB::flatSubRecords().
struct FlatRecord3DB {
    std::size_t entries = 0;      // image position of the first entry's index byte
    std::uint32_t firstChild = 0; // elements: first sub-record
    std::uint32_t childCount = 0; // elements: number of sub-records
    std::uint16_t prefixCode = 0;
    std::uint16_t prefixValue = 0;
    std::uint8_t type = 0;
    std::uint8_t count = 0;
    std::uint8_t attribute1 = 0;
    std::uint8_t attribute2 = 0;
    std::uint8_t endCode = 0;
    EntryLayout3DB layout = EntryLayout3DB::None;

    bool isEmptyElement() const { return type == ElementEnd; }
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
    /// Bytes from one entry to the next.
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

/// The entries of a record held in lists; an entry the lists lack reads as 0.
struct ListEntries3DB {
    const Record3DB& r;
    std::uint16_t index(std::size_t j) const { return j < r.indices.size() ? r.indices[j] : 0; }
    std::uint16_t second(std::size_t j) const { return j < r.secondValues.size() ? r.secondValues[j] : 0; }
    float s(std::size_t j) const { return j < r.sValues.size() ? r.sValues[j] : 0.0f; }
    float t(std::size_t j) const { return j < r.tValues.size() ? r.tValues[j] : 0.0f; }
};

/// The entries of a flat record, read from the file image the reader checked
/// it against; an entry the record lacks reads as 0, as from its lists.
class ImageEntries3DB {
public:
    ImageEntries3DB(const std::uint8_t* image, const FlatRecord3DB& record)
        : m_at(image + record.entries),
          m_count(record.entryCount()),
          m_stride(record.entryStride()),
          m_layout(record.layout)
    {
    }

    std::uint16_t index(std::size_t j) const { return j < m_count ? m_at[j * m_stride] : 0; }
    std::uint16_t second(std::size_t j) const
    {
        return m_layout == EntryLayout3DB::Type4 && j < m_count ? m_at[j * m_stride + 4] : 0;
    }
    float s(std::size_t j) const { return value(j, 4); }
    float t(std::size_t j) const { return value(j, 8); }

private:
    float value(std::size_t j, std::size_t offset) const
    {
        if (m_layout != EntryLayout3DB::Textured || j >= m_count)
            return 0.0f;
        const std::uint8_t* p = m_at + j * m_stride + offset;
        return std::bit_cast<float>(
            std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24);
    }

    const std::uint8_t* m_at;
    std::size_t m_count;
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

/// A loaded .3DB model. It owns the whole file image; the section tables are
/// views into that image, so a model can be moved but not copied.
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

    /// Element k's first record and the sub-records, as the reader keeps
    /// them: entries stay in the image.
    const std::vector<FlatRecord3DB>& flatElements() const { return m_flatElements; }
    const std::vector<FlatRecord3DB>& flatSubRecords() const { return m_flatSubRecords; }
    /// A flat record with its entries copied into lists.
    Record3DB expand(const FlatRecord3DB& record) const;

    /// Element k's first record; its children index subRecords(). The lists
    /// are built from the flat records on the first call of either (so that
    /// call must not race with another on the same model).
    const std::vector<Record3DB>& elements() const;
    const std::vector<Record3DB>& subRecords() const;

    /// The 104-byte end block and the file position where it starts.
    ByteView endBlock() const { return m_endBlock; }
    std::size_t endBlockPosition() const { return m_endBlockPosition; }
    /// The 14 bytes of the TEXTURE NAME field.
    ByteView textureNameField() const;
    /// TEXTURE NAME as text: up to the first zero byte.
    std::string textureName() const;

    const std::vector<std::uint8_t>& image() const { return m_image; }
    bool empty() const { return m_image.empty(); }
    void clear() { *this = Model3DB(); }

private:
    friend bool decode3DB(Model3DB& model, std::vector<std::uint8_t> image, std::string& error);

    std::vector<std::uint8_t> m_image;
    std::int32_t m_counts[4] = { 0, 0, 0, 0 };
    ByteView m_inserts, m_points, m_tvns, m_normals, m_sequenceStart, m_sequence, m_elementOffsets;
    std::vector<FlatRecord3DB> m_flatElements;
    ByteView m_endBlock;
    std::size_t m_endBlockPosition = 0;
    std::vector<FlatRecord3DB> m_flatSubRecords;
    void expandAll() const;
    mutable bool m_expanded = false;
    mutable std::vector<Record3DB> m_elements;
    mutable std::vector<Record3DB> m_subRecords;
};

/// The message of a file that cannot be opened.
inline constexpr const char* OpenFailedMessage = "Unable to open 3DB file!";

/// Decodes a whole-file image into `model`. Counts, offsets and element
/// chains are checked against the image; on failure the model is left empty
/// and `error` holds one line saying what is wrong.
bool decode3DB(Model3DB& model, std::vector<std::uint8_t> image, std::string& error);

/// Reads the named file whole and decodes it. On failure the model is empty
/// and `message` is the line to show: OpenFailedMessage when the file cannot
/// be opened, otherwise what decode3DB reported.
bool load3DB(Model3DB& model, const std::filesystem::path& file, std::string& message);

} // namespace kvl::model
