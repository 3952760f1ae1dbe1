// Builds .3DB file images from parts, for the sample game folder, the tests
// and the benchmarks. It lays the file out the way the reader expects it:
// tables one after another, elements packed in order, the end block 4 bytes
// after the last element's terminating 255 (5 when that element is empty).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kvl::test {

/// One textured vertex: point index, texture coordinates s and t.
struct TexVertex {
    std::uint8_t index = 0;
    float s = 0, t = 0;
};

/// The bytes of one record, as the builder writes it into an element chain.
struct RecordBytes {
    std::vector<std::uint8_t> bytes;
    bool needsEndCode = false; // textured and prefixed records, when they are sub-records
};

RecordBytes record1(std::uint8_t attribute1, std::uint8_t index0, std::uint8_t index1);
RecordBytes record2(std::uint8_t attribute1, std::uint8_t index0);
RecordBytes record3(std::uint8_t attribute1, std::uint8_t attribute2, const std::vector<std::uint8_t>& indices);
RecordBytes record4(const std::vector<std::uint8_t>& indices, const std::vector<std::uint8_t>& secondValues);
/// Types 0, 5, 6, 7 (any type byte is accepted, for odd test files).
RecordBytes recordTextured(
    std::uint8_t type, std::uint8_t attribute1, std::uint8_t attribute2, const std::vector<TexVertex>& vertices);
/// A prefix code (8 to 254) and value in front of a textured body of `type`.
RecordBytes recordPrefixed(std::uint8_t prefixCode, std::uint8_t prefixValue, std::uint8_t type,
    std::uint8_t attribute1, std::uint8_t attribute2, const std::vector<TexVertex>& vertices);

struct Element3DBData {
    float normal[4] = { 0, 0, 1, 0 }; // y, z, x, d
    std::int16_t f = 0;
    std::uint16_t back = 0, front = 0;
    /// Empty: the element is the single byte 255. Otherwise the first entry is
    /// the element record and the others are its sub-records.
    std::vector<RecordBytes> records;
    std::uint8_t endCode = 0; // written after textured/prefixed sub-records
};

class Builder3DB {
public:
    std::uint8_t headerUnknown[12] = {};
    std::uint16_t startBack = 0, startFront = 0;
    std::uint8_t endUnknown[36] = {};
    std::uint8_t textureName[14] = {};
    std::uint8_t endUnknown2[54] = {};

    void setTextureName(const std::string& name);
    void addInsert(float y, float z, float x, std::uint8_t cod, std::uint8_t num, std::uint16_t term);
    /// Returns the new point's index.
    std::size_t addPoint(float y, float z, float x, std::int16_t b = 0);
    void addTvn(float y, float z, float x, float w);
    void addElement(Element3DBData element);

    std::size_t pointCount() const { return m_points.size() / 16; }
    std::size_t elementCount() const { return m_elements.size(); }

    /// The file image.
    std::vector<std::uint8_t> build() const;
    /// File position where build() put element i's first byte, and where it put
    /// the end block (valid after build()).
    std::vector<std::size_t> elementPositions() const;
    std::size_t endBlockPosition() const;

private:
    std::size_t elementDataStart() const;
    std::vector<std::uint8_t> elementBytes(const Element3DBData& element) const;

    std::vector<std::uint8_t> m_inserts, m_points, m_tvns;
    std::vector<Element3DBData> m_elements;
};

} // namespace kvl::test
