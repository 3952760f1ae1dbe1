// The viewer's in-memory VKM model and its loader.
//
// A VKM file is read whole; the loader finds its tables from the three header
// counts alone and decodes the first record of every element into a fixed
// record of at most 20 vertices. Drawing works from that decoded form and the
// point table only. Everything is read through the bounds-checked byte view:
// a count, an element offset or a vertex index that points outside the image
// or the point table makes the load fail, exactly like a record with more
// than 20 vertices. The failure says which check refused the file; the user
// sees only "Not a valid VKM file!", the reason is for tests and tools.
#pragma once

#include "common/byteview.h"
#include "common/result.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kvl::modelview {

/// Most vertices a decoded element can hold.
inline constexpr int kMaxElementVertices = 20;

/// Element types with a meaning of their own to the viewer.
inline constexpr std::uint8_t kTypeLine = 1;
inline constexpr std::uint8_t kTypeMarker = 2;
inline constexpr std::uint8_t kTypeEmpty = 255;

/// The first record of one element, decoded.
struct DecodedElement {
    std::uint8_t type = kTypeEmpty;
    std::uint8_t count = 0;
    std::array<std::uint8_t, kMaxElementVertices> indices {};
    std::array<std::uint8_t, kMaxElementVertices> t {};
    std::array<std::uint8_t, kMaxElementVertices> s {};
    std::array<std::uint8_t, 3> trailing {};
};

/// One point of the point table, in file order (y, z, x, b).
struct VkmPoint {
    std::int16_t y = 0;
    std::int16_t z = 0;
    std::int16_t x = 0;
    std::int16_t b = 0;
};

/// The OpenGL implementation's point size limits, read when a file is loaded.
struct PointSizeRange {
    float minimum = 1.0f;
    float maximum = 1.0f;
    float granularity = 0.125f;
};

/// Where the tables lie in the image (byte offsets from the start).
struct VkmLayout {
    std::uint16_t insertCountPlusOne = 0; // A
    std::uint16_t pointCount = 0;         // P
    std::uint16_t elementCount = 0;       // E
    std::size_t insertTable = 22;
    std::size_t normalTable = 0;
    std::size_t sequenceTable = 0;
    std::size_t pointTable = 0;
    std::size_t elementOffsets = 0;
};

/// The viewer's model: the file image and what was decoded from it.
class VkmModel {
public:
    /// The complete file contents.
    const std::vector<std::uint8_t>& fileImage() const { return m_image; }
    const VkmLayout& layout() const { return m_layout; }

    int pointCount() const { return m_layout.pointCount; }
    int elementCount() const { return m_layout.elementCount; }

    /// Point i of the point table; i must be below pointCount().
    VkmPoint point(int i) const;
    /// Element offset j as stored; j must be below elementCount().
    std::uint16_t elementOffset(int j) const;
    const std::vector<DecodedElement>& elements() const { return m_elements; }

    /// Texture object bound before the polygons are drawn; nothing sets it.
    std::uint32_t textureName() const { return m_textureName; }
    const PointSizeRange& pointSizes() const { return m_pointSizes; }

private:
    friend Result<VkmModel> loadVkm(std::vector<std::uint8_t>, const PointSizeRange&);

    std::vector<std::uint8_t> m_image;
    VkmLayout m_layout;
    std::vector<DecodedElement> m_elements;
    std::uint32_t m_textureName = 0;
    PointSizeRange m_pointSizes;
};

/// Decodes `image` into a model that keeps the image and `sizes`. Fails,
/// naming what and where, when the header is short, a table lies outside the
/// image, an element offset or a record runs past the end, a record declares
/// more than 20 vertices, or a vertex index is not below the point count.
Result<VkmModel> loadVkm(std::vector<std::uint8_t> image, const PointSizeRange& sizes);

/// Axis-aligned extent of the model in drawing coordinates (OpenGL x, y, z)
/// together with what its elements are, for the overview views.
struct ModelSummary {
    int points = 0;
    int elements = 0;
    int polygons = 0;
    int markers = 0;
    int lines = 0;
    int empty = 0;
    int other = 0;
    bool hasExtent = false;
    std::array<float, 3> minimum {};
    std::array<float, 3> maximum {};
};

/// Counts the model's elements by kind and measures its points.
ModelSummary summarize(const VkmModel& model);

/// True for element types that are drawn as a polygon.
constexpr bool isPolygonType(std::uint8_t type)
{
    return type >= 3 && type <= 254;
}

} // namespace kvl::modelview
