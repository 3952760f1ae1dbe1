// The VKM model file: integer coordinates, byte indices and byte texture
// coordinates. Little-endian, no padding:
//   header (22 bytes): u16 182, 14-byte texture name, u16 A = inserts + 1,
//     u16 P (points), u16 E (elements);
//   A - 1 inserts of 8 bytes at 22; E normals of 12 bytes at 14 + 8A;
//   E + 1 sequence entries of 2 bytes at 14 + 8A + 12E;
//   P points of 8 bytes at 16 + 8A + 14E; E u16 element offsets (from the
//   start of the file) at 16 + 8A + 14E + 8P; then the elements, packed.
// The viewer finds every table from the three counts alone, so these
// positions are exact. An element is its records followed by a byte 255.
// A record is one byte per field; a record whose first byte is 7 or more is
// read as prefixed (prefix code 131..199, prefix value, then the body).
#pragma once

#include "modelconv/model3db.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kvl::modelconv {

inline constexpr std::uint16_t kVkmSignature = 182;
inline constexpr std::size_t kVkmHeaderSize = 22;
/// Point indices and sequence entries are single bytes.
inline constexpr std::int32_t kVkmMaxPoints = 255;
inline constexpr std::int32_t kVkmMaxElements = 255;
/// The most vertices the viewer reads in an element's first record.
inline constexpr std::uint8_t kVkmMaxVertices = 20;

struct RecordVKM {
    std::uint8_t prefixCode = 0;
    std::uint8_t prefixValue = 0;
    std::uint8_t type = 0;
    std::uint8_t count = 0;
    std::vector<std::uint8_t> indices;
    std::vector<std::uint8_t> tValues;
    std::vector<std::uint8_t> secondOrS; // type 4: second values; textured: s values
    std::uint8_t attribute1 = 0;
    std::uint8_t attribute2 = 0;
    std::uint8_t endCode = 255;

    /// True when the record is written with its prefix code and value.
    bool hasPrefix() const;
    /// Bytes the record takes in the file.
    std::size_t size() const;
};

struct ElementVKM {
    bool empty = true;
    RecordVKM first;
    std::vector<RecordVKM> subRecords;

    /// Bytes the element takes, its terminating 255 included.
    std::size_t size() const;
};

struct InsertVKM {
    std::uint8_t cod = 0, num = 0;
    std::int16_t y = 0, z = 0, x = 0;
};

struct NormalVKM {
    std::int16_t y = 0, z = 0, x = 0;
    std::int32_t d = 0;
    std::int16_t f = 0;
};

struct SequenceVKM {
    std::uint8_t back = 0, front = 0;
};

struct PointVKM {
    std::int16_t y = 0, z = 0, x = 0, b = 0;
};

struct ModelVKM {
    std::uint16_t signature = kVkmSignature;
    std::array<std::uint8_t, 14> textureName {};
    std::uint16_t insertsPlusOne = 1; // A
    std::uint16_t pointCount = 0;
    std::uint16_t elementCount = 0;
    std::vector<InsertVKM> inserts;
    std::vector<NormalVKM> normals;
    std::vector<SequenceVKM> sequence; // the start entry, then one per element
    std::vector<PointVKM> points;
    std::vector<std::uint16_t> elementOffsets;
    std::vector<ElementVKM> elements;
};

/// Float to integer as the format stores it: truncated toward zero, then the
/// low 32 bits kept (the callers keep 16 or 8 of them). Nothing is rounded or
/// clamped. Infinities and NaNs have no integer value; they give 0.
std::uint32_t truncatedLowBits(double value);

/// Builds the VKM model. The driver calls it only for models within the
/// limits (at most 255 points and 255 elements) that vkmProblem accepts.
ModelVKM convertToVKM(const Model3DB& model);

/// Why the model cannot be written as a VKM file that reads back as written,
/// or nothing when it can. Checks what the count limits do not: the 16-bit
/// insert count, element offsets past 65535, and records the viewer would
/// take for something else (a record without prefix whose first byte is 7 or
/// more, an element record of type 255 that is not an empty element),
/// records that name a point past the model's points, and elements whose
/// first record has more vertices than the viewer reads.
std::optional<std::string> vkmProblem(const Model3DB& model);

/// The file bytes of a VKM model.
std::vector<std::uint8_t> vkmBytes(const ModelVKM& vkm);

/// Writes the model as the named file, whole or not at all (a temporary file
/// renamed over it). True when the
/// file was created and every byte was written.
bool writeVKM(const ModelVKM& vkm, const std::filesystem::path& file);

} // namespace kvl::modelconv
