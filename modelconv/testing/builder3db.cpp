// Builds .3DB file images from parts.
#include "modelconv/testing/builder3db.h"

#include "common/byteview.h"

#include <algorithm>

namespace kvl::test {

namespace {

void putTextured(ByteWriter& w, std::uint8_t type, std::uint8_t attribute1, std::uint8_t attribute2,
    const std::vector<TexVertex>& vertices)
{
    w.u8(type);
    w.u8(static_cast<std::uint8_t>(vertices.size()));
    w.u8(attribute1);
    w.u8(attribute2);
    for (const TexVertex& v : vertices) {
        w.u8(v.index);
        w.u8(0xCC); // unused slot bytes: filled so that a reader using them shows up
        w.u8(0xCC);
        w.u8(0xCC);
        w.f32(v.s);
        w.f32(v.t);
    }
}

} // namespace

RecordBytes record1(std::uint8_t attribute1, std::uint8_t index0, std::uint8_t index1)
{
    return { { 1, attribute1, index0, 0xCC, index1, 0xCC }, false };
}

RecordBytes record2(std::uint8_t attribute1, std::uint8_t index0)
{
    return { { 2, attribute1, index0, 0xCC }, false };
}

RecordBytes record3(std::uint8_t attribute1, std::uint8_t attribute2, const std::vector<std::uint8_t>& indices)
{
    ByteWriter w;
    w.u8(3);
    w.u8(static_cast<std::uint8_t>(indices.size()));
    w.u8(attribute1);
    w.u8(attribute2);
    for (std::uint8_t index : indices) {
        w.u8(index);
        w.u8(0xCC);
        w.u8(0xCC);
        w.u8(0xCC);
    }
    return { w.take(), false };
}

RecordBytes record4(const std::vector<std::uint8_t>& indices, const std::vector<std::uint8_t>& secondValues)
{
    ByteWriter w;
    w.u8(4);
    w.u8(static_cast<std::uint8_t>(indices.size()));
    for (std::size_t j = 0; j < indices.size(); ++j) {
        w.u8(indices[j]);
        w.u8(0xCC);
        w.u8(0xCC);
        w.u8(0xCC);
        w.u8(j < secondValues.size() ? secondValues[j] : 0);
        w.u8(0xCC);
    }
    return { w.take(), false };
}

RecordBytes recordTextured(
    std::uint8_t type, std::uint8_t attribute1, std::uint8_t attribute2, const std::vector<TexVertex>& vertices)
{
    ByteWriter w;
    putTextured(w, type, attribute1, attribute2, vertices);
    return { w.take(), true };
}

RecordBytes recordPrefixed(std::uint8_t prefixCode, std::uint8_t prefixValue, std::uint8_t type,
    std::uint8_t attribute1, std::uint8_t attribute2, const std::vector<TexVertex>& vertices)
{
    ByteWriter w;
    w.u8(prefixCode);
    w.u8(prefixValue);
    w.u8(0xCC);
    w.u8(0xCC);
    putTextured(w, type, attribute1, attribute2, vertices);
    return { w.take(), true };
}

void Builder3DB::setTextureName(const std::string& name)
{
    std::fill(std::begin(textureName), std::end(textureName), std::uint8_t(0));
    std::copy_n(name.begin(), std::min<std::size_t>(name.size(), 14), std::begin(textureName));
}

void Builder3DB::addInsert(float y, float z, float x, std::uint8_t cod, std::uint8_t num, std::uint16_t term)
{
    ByteWriter w;
    w.f32(y);
    w.f32(z);
    w.f32(x);
    w.u8(cod);
    w.u8(num);
    w.u16(term);
    m_inserts.insert(m_inserts.end(), w.data().begin(), w.data().end());
}

std::size_t Builder3DB::addPoint(float y, float z, float x, std::int16_t b)
{
    ByteWriter w;
    w.f32(y);
    w.f32(z);
    w.f32(x);
    w.i16(b);
    w.u16(0xCCCC);
    m_points.insert(m_points.end(), w.data().begin(), w.data().end());
    return pointCount() - 1;
}

void Builder3DB::addTvn(float y, float z, float x, float w4)
{
    ByteWriter w;
    w.f32(y);
    w.f32(z);
    w.f32(x);
    w.f32(w4);
    m_tvns.insert(m_tvns.end(), w.data().begin(), w.data().end());
}

void Builder3DB::addElement(Element3DBData element)
{
    m_elements.push_back(std::move(element));
}

std::size_t Builder3DB::elementDataStart() const
{
    return 60 + m_inserts.size() + m_points.size() + m_tvns.size() + 20 * m_elements.size() + 4 + 8 * m_elements.size();
}

std::vector<std::uint8_t> Builder3DB::elementBytes(const Element3DBData& element) const
{
    std::vector<std::uint8_t> bytes;
    for (std::size_t r = 0; r < element.records.size(); ++r) {
        const RecordBytes& record = element.records[r];
        bytes.insert(bytes.end(), record.bytes.begin(), record.bytes.end());
        if (r > 0 && record.needsEndCode)
            bytes.push_back(element.endCode);
    }
    bytes.push_back(255);
    return bytes;
}

std::vector<std::size_t> Builder3DB::elementPositions() const
{
    std::vector<std::size_t> positions;
    std::size_t at = elementDataStart();
    for (const Element3DBData& element : m_elements) {
        positions.push_back(at);
        at += elementBytes(element).size();
    }
    return positions;
}

std::size_t Builder3DB::endBlockPosition() const
{
    if (m_elements.empty())
        return elementDataStart() + 4;
    std::size_t terminator = elementPositions().back() + elementBytes(m_elements.back()).size() - 1;
    return terminator + (m_elements.back().records.empty() ? 5 : 4);
}

std::vector<std::uint8_t> Builder3DB::build() const
{
    ByteWriter w(elementDataStart() + 64 * m_elements.size() + 200);
    w.bytes(headerUnknown);
    w.i32(static_cast<std::int32_t>(m_inserts.size() / 16));
    w.i32(static_cast<std::int32_t>(m_points.size() / 16));
    w.i32(static_cast<std::int32_t>(m_tvns.size() / 16));
    w.i32(static_cast<std::int32_t>(m_elements.size()));
    for (int i = 0; i < 32; ++i)
        w.u8(static_cast<std::uint8_t>(0xA0 + i));
    w.bytes(m_inserts);
    w.bytes(m_points);
    w.bytes(m_tvns);
    for (const Element3DBData& e : m_elements) {
        for (float v : e.normal)
            w.f32(v);
        w.i16(e.f);
        w.u16(0xCCCC);
    }
    w.u16(startBack);
    w.u16(startFront);
    for (const Element3DBData& e : m_elements) {
        w.u16(e.back);
        w.u16(e.front);
    }
    std::vector<std::vector<std::uint8_t>> chains;
    std::uint32_t offset = static_cast<std::uint32_t>(elementDataStart() - 60);
    for (const Element3DBData& e : m_elements) {
        chains.push_back(elementBytes(e));
        w.u32(offset);
        offset += static_cast<std::uint32_t>(chains.back().size());
    }
    for (const auto& chain : chains)
        w.bytes(chain);
    // The gap between the last element and the end block.
    std::size_t gap = m_elements.empty() ? 4 : (m_elements.back().records.empty() ? 4 : 3);
    for (std::size_t i = 0; i < gap; ++i)
        w.u8(0xEE);
    w.bytes(endUnknown);
    w.bytes(textureName);
    w.bytes(endUnknown2);
    return w.take();
}

} // namespace kvl::test
