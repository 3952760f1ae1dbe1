#include "modelview/vkmmodel.h"

#include <algorithm>
#include <string>
#include <utility>

namespace kvl::modelview {

namespace {

constexpr std::size_t kHeaderSize = 22;
constexpr std::size_t kInsertSize = 8;
constexpr std::size_t kNormalSize = 12;
constexpr std::size_t kSequenceEntrySize = 2;
constexpr std::size_t kPointSize = 8;
constexpr std::size_t kOffsetSize = 2;

Error refuse(std::string message)
{
    return Error { std::move(message), 0 };
}

// Decodes the first record of element `j`, starting at `offset`. Every byte
// goes through the cursor, so a record that runs past the image fails.
Result<DecodedElement> decodeElement(ByteView image, std::size_t j, std::size_t offset, int pointCount)
{
    const std::string which = "element " + std::to_string(j);
    ByteCursor in(image, offset);
    DecodedElement out;
    out.type = in.u8();
    if (!in.ok())
        return refuse(which + " starts at " + std::to_string(offset) + ", past the end of the "
            + std::to_string(image.size()) + "-byte file");

    int vertices = 0; // how many of `indices` the record filled
    switch (out.type) {
    case kTypeEmpty:
        return out;
    case kTypeLine:
        out.indices[0] = in.u8();
        out.indices[1] = in.u8();
        out.trailing[0] = in.u8();
        vertices = 2;
        break;
    case kTypeMarker:
        out.trailing[0] = in.u8();
        out.indices[0] = in.u8();
        vertices = 1;
        break;
    default: {
        // Types 3 and 4 list plain indices (type 4 with a second value each)
        // and end with attribute 1. Types 0, 5 and 6 carry textured vertices
        // straight away; a first byte of 7 or more is a prefix code followed
        // by its value and the real type, and is kept as the element's type.
        const bool plain = out.type == 3 || out.type == 4;
        if (out.type >= 7 && !plain)
            in.skip(2);
        const std::uint8_t n = in.u8();
        if (in.ok() && n > kMaxElementVertices)
            return refuse(which + " declares " + std::to_string(n) + " vertices, more than "
                + std::to_string(kMaxElementVertices));
        out.count = n;
        for (int k = 0; k < n; ++k) {
            out.indices[k] = in.u8();
            if (!plain) {
                out.s[k] = in.u8();
                out.t[k] = in.u8();
            } else if (out.type == 4) {
                out.s[k] = in.u8();
            }
        }
        if (plain)
            out.trailing[0] = in.u8();
        vertices = n;
        break;
    }
    }
    if (!in.ok())
        return refuse(which + " (at " + std::to_string(offset) + ") runs past the end of the "
            + std::to_string(image.size()) + "-byte file");
    for (int k = 0; k < vertices; ++k)
        if (out.indices[k] >= pointCount)
            return refuse(which + " uses point " + std::to_string(out.indices[k]) + ", but the file has "
                + std::to_string(pointCount) + " points");
    return out;
}

} // namespace

VkmPoint VkmModel::point(int i) const
{
    ByteCursor in(ByteView(m_image), m_layout.pointTable + static_cast<std::size_t>(i) * kPointSize);
    VkmPoint p;
    p.y = in.i16();
    p.z = in.i16();
    p.x = in.i16();
    p.b = in.i16();
    return p;
}

std::uint16_t VkmModel::elementOffset(int j) const
{
    return ByteView(m_image).u16(m_layout.elementOffsets + static_cast<std::size_t>(j) * kOffsetSize).value_or(0);
}

Result<VkmModel> loadVkm(std::vector<std::uint8_t> image, const PointSizeRange& sizes)
{
    VkmModel model;
    model.m_image = std::move(image);
    model.m_pointSizes = sizes;
    const ByteView view(model.m_image);

    ByteCursor header(view, 16);
    VkmLayout& layout = model.m_layout;
    layout.insertCountPlusOne = header.u16();
    layout.pointCount = header.u16();
    layout.elementCount = header.u16();
    if (!header.ok())
        return refuse("the file has " + std::to_string(view.size()) + " bytes, fewer than the "
            + std::to_string(kHeaderSize) + "-byte header");

    // The tables follow each other without gaps; the insert table holds A - 1
    // records, so its end (and the normal table) is at 14 + 8A. All of this
    // fits easily in size_t: A, P and E are 16-bit.
    const std::size_t a = layout.insertCountPlusOne;
    const std::size_t p = layout.pointCount;
    const std::size_t e = layout.elementCount;
    layout.insertTable = kHeaderSize;
    layout.normalTable = kHeaderSize - kInsertSize + kInsertSize * a;
    layout.sequenceTable = layout.normalTable + kNormalSize * e;
    layout.pointTable = layout.sequenceTable + kSequenceEntrySize * (e + 1);
    layout.elementOffsets = layout.pointTable + kPointSize * p;

    // The point and offset tables are read; they must lie inside the image.
    if (!view.has(layout.pointTable, kPointSize * p) || !view.has(layout.elementOffsets, kOffsetSize * e))
        return refuse("the point and element offset tables (" + std::to_string(p) + " points, " + std::to_string(e)
            + " elements) end at " + std::to_string(layout.elementOffsets + kOffsetSize * e) + ", past the end of the "
            + std::to_string(view.size()) + "-byte file");

    model.m_elements.reserve(e);
    for (std::size_t j = 0; j < e; ++j) {
        const std::uint16_t offset = view.u16(layout.elementOffsets + j * kOffsetSize).value_or(0);
        Result<DecodedElement> element = decodeElement(view, j, offset, layout.pointCount);
        if (!element)
            return element.error();
        model.m_elements.push_back(*element);
    }
    return model;
}

ModelSummary summarize(const VkmModel& model)
{
    ModelSummary sum;
    sum.points = model.pointCount();
    sum.elements = model.elementCount();
    for (const DecodedElement& element : model.elements()) {
        if (element.type == kTypeEmpty)
            ++sum.empty;
        else if (element.type == kTypeMarker)
            ++sum.markers;
        else if (element.type == kTypeLine)
            ++sum.lines;
        else if (isPolygonType(element.type))
            ++sum.polygons;
        else
            ++sum.other;
    }
    for (int i = 0; i < model.pointCount(); ++i) {
        const VkmPoint p = model.point(i);
        const std::array<float, 3> at { float(p.x), float(p.y), float(p.z) };
        if (!sum.hasExtent) {
            sum.minimum = at;
            sum.maximum = at;
            sum.hasExtent = true;
        }
        for (int c = 0; c < 3; ++c) {
            sum.minimum[c] = std::min(sum.minimum[c], at[c]);
            sum.maximum[c] = std::max(sum.maximum[c], at[c]);
        }
    }
    return sum;
}

} // namespace kvl::modelview
