// The VKM model: conversion from a .3DB model, checks, and the writer.
#include "modelconv/vkm.h"

#include "common/byteview.h"
#include "common/fileimage.h"

#include <algorithm>
#include <cmath>

namespace kvl::modelconv {

namespace {

constexpr std::uint16_t kFirstVkmPrefix = 131;
constexpr std::uint16_t kLastVkmPrefix = 199;
/// The viewer reads a record whose first byte is 7 or more as prefixed.
constexpr std::uint8_t kFirstViewerPrefixByte = 7;

std::int16_t low16(double v)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(truncatedLowBits(v)));
}

std::uint8_t low8(double v)
{
    return static_cast<std::uint8_t>(truncatedLowBits(v));
}

bool isPlainType(std::uint8_t type)
{
    return type >= 1 && type <= 4;
}

std::size_t tablesSize(std::size_t I, std::size_t P, std::size_t E)
{
    // 16 + 8A + 16E + 8P with A = I + 1.
    return 16 + 8 * (I + 1) + 16 * E + 8 * P;
}

} // namespace

std::uint32_t truncatedLowBits(double value)
{
    if (!std::isfinite(value))
        return 0;
    // The common case, without the division: any value inside the 64-bit
    // range truncates exactly on conversion.
    if (value > -9.2e18 && value < 9.2e18)
        return static_cast<std::uint32_t>(static_cast<std::int64_t>(value));
    // fmod of an integral double by 2^32 is exact and lies in (-2^32, 2^32),
    // so the conversion below is defined; the unsigned cast wraps mod 2^32.
    const double wrapped = std::fmod(std::trunc(value), 4294967296.0);
    return static_cast<std::uint32_t>(static_cast<std::int64_t>(wrapped));
}

bool RecordVKM::hasPrefix() const
{
    return !isPlainType(type) && prefixCode >= kFirstVkmPrefix && prefixCode <= kLastVkmPrefix;
}

std::size_t RecordVKM::size() const
{
    switch (type) {
    case 1:
        return 4;
    case 2:
        return 3;
    case 3:
        return std::size_t(count) + 3;
    case 4:
        return 2 * std::size_t(count) + 3;
    default:
        return 3 * std::size_t(count) + (hasPrefix() ? 6 : 4);
    }
}

std::size_t ElementVKM::size() const
{
    if (empty)
        return 1;
    std::size_t bytes = first.size() + 1;
    for (const RecordVKM& r : subRecords)
        bytes += r.size();
    return bytes;
}

namespace {

// One record in VKM form: `r` gives the fixed fields, `e` the entries.
RecordVKM convertRecord(const Record3DB& r, const RecordEntries3DB& e)
{
    RecordVKM v;
    v.type = r.type;
    v.count = r.count;
    v.attribute1 = r.type == 4 ? 0 : r.attribute1;
    v.attribute2 = r.attribute2;
    // A prefixed record with body type 1 to 4 was read with the textured
    // layout: entries its type needs but the record lacks are taken as 0.
    auto index = [&](std::size_t j) { return static_cast<std::uint8_t>(e.index(j)); };
    switch (r.type) {
    case 1:
        v.indices = { index(0), index(1) };
        break;
    case 2:
        v.indices = { index(0) };
        break;
    case 3:
        v.indices.resize(r.count);
        for (std::size_t j = 0; j < r.count; ++j)
            v.indices[j] = index(j);
        break;
    case 4:
        v.indices.resize(r.count);
        v.secondOrS.resize(r.count);
        for (std::size_t j = 0; j < r.count; ++j) {
            v.indices[j] = index(j);
            v.secondOrS[j] = static_cast<std::uint8_t>(e.second(j));
        }
        break;
    default:
        v.prefixCode = static_cast<std::uint8_t>(r.prefixCode);
        v.prefixValue = static_cast<std::uint8_t>(r.prefixValue);
        v.indices.resize(r.count);
        v.secondOrS.resize(r.count);
        v.tValues.resize(r.count);
        for (std::size_t j = 0; j < r.count; ++j) {
            v.indices[j] = index(j);
            v.secondOrS[j] = low8(256.0 * e.s(j));
            v.tValues[j] = low8(256.0 * e.t(j));
        }
        break;
    }
    return v;
}

} // namespace

ModelVKM convertToVKM(const Model3DB& model)
{
    ModelVKM vkm;
    const ByteView name = model.textureNameField();
    for (std::size_t i = 0; i < vkm.textureName.size(); ++i)
        vkm.textureName[i] = name.u8(i).value_or(0);
    const std::size_t I = static_cast<std::size_t>(std::max(0, model.insertCount()));
    const std::size_t P = static_cast<std::size_t>(std::max(0, model.pointCount()));
    const std::size_t E = model.elements().size();
    vkm.insertsPlusOne = static_cast<std::uint16_t>(I + 1);
    vkm.pointCount = static_cast<std::uint16_t>(P);
    vkm.elementCount = static_cast<std::uint16_t>(E);

    vkm.inserts.reserve(I);
    for (std::size_t k = 0; k < I; ++k) {
        const Insert3DB r = model.insert(k);
        vkm.inserts.push_back({ r.cod, r.num, low16(r.y), low16(r.z), low16(r.x) });
    }
    vkm.normals.reserve(E);
    for (std::size_t k = 0; k < E; ++k) {
        const Normal3DB r = model.normal(k);
        vkm.normals.push_back({ low16(16384.0 * r.y), low16(16384.0 * r.z), low16(16384.0 * r.x),
            static_cast<std::int32_t>(truncatedLowBits(16384.0 * r.d)), r.f });
    }
    vkm.sequence.reserve(E + 1);
    const Sequence3DB start = model.sequenceStart();
    vkm.sequence.push_back({ static_cast<std::uint8_t>(start.back), static_cast<std::uint8_t>(start.front) });
    for (std::size_t k = 0; k < E; ++k) {
        const Sequence3DB r = model.sequence(k);
        vkm.sequence.push_back({ static_cast<std::uint8_t>(r.back), static_cast<std::uint8_t>(r.front) });
    }
    vkm.points.reserve(P);
    for (std::size_t k = 0; k < P; ++k) {
        const Point3DB r = model.point(k);
        vkm.points.push_back({ low16(r.y), low16(r.z), low16(r.x), r.b });
    }

    const Record3DB* subs = model.subRecords().data();
    vkm.elements.reserve(E);
    vkm.elementOffsets.reserve(E);
    std::size_t offset = tablesSize(I, P, E);
    for (const Record3DB& element : model.elements()) {
        ElementVKM e;
        if (!element.isEmptyElement()) {
            e.empty = false;
            e.first = convertRecord(element, model.entries(element));
            e.subRecords.reserve(element.childCount);
            for (std::uint32_t j = 0; j < element.childCount; ++j) {
                const Record3DB& sub = subs[element.firstChild + j];
                e.subRecords.push_back(convertRecord(sub, model.entries(sub)));
            }
        }
        vkm.elementOffsets.push_back(static_cast<std::uint16_t>(offset));
        offset += e.size();
        vkm.elements.push_back(std::move(e));
    }
    return vkm;
}

std::optional<std::string> vkmProblem(const Model3DB& model)
{
    const std::size_t I = static_cast<std::size_t>(std::max(0, model.insertCount()));
    const std::size_t P = static_cast<std::size_t>(std::max(0, model.pointCount()));
    const std::size_t E = model.elements().size();
    if (I + 1 > 0xFFFF)
        return "This 3DB contains more than 65534 inserts!";
    const auto& subs = model.subRecords();
    // The record's VKM form without building it: only its first bytes and
    // its size matter here.
    auto shape = [](const Record3DB& r) {
        RecordVKM v;
        v.type = r.type;
        v.count = r.count;
        if (!isPlainType(r.type))
            v.prefixCode = static_cast<std::uint8_t>(r.prefixCode);
        return v;
    };
    auto misread = [](const RecordVKM& r) { return !r.hasPrefix() && r.type >= kFirstViewerPrefixByte; };
    auto misreadMessage = [](std::size_t k, const RecordVKM& r) {
        return "Element " + std::to_string(k) + " has a record of type " + std::to_string(r.type) + " without prefix!";
    };
    // The first point index of a record past the model's points, if any. The
    // indices are those convertRecord writes (two for a line, one for a
    // marker, the vertex count otherwise); the viewer refuses a file whose
    // element names a point it does not have.
    auto pointPastTable = [&](const Record3DB& r) -> std::optional<std::size_t> {
        const std::size_t n = r.type == 1 ? 2 : r.type == 2 ? 1 : r.count;
        const RecordEntries3DB entries = model.entries(r);
        for (std::size_t j = 0; j < n; ++j)
            if (entries.index(j) >= P)
                return entries.index(j);
        return std::nullopt;
    };
    auto pastTableMessage = [P](std::size_t k, std::size_t point) {
        return "Element " + std::to_string(k) + " uses node " + std::to_string(point) + ", but this 3DB has only "
            + std::to_string(P) + " nodes!";
    };
    std::size_t offset = tablesSize(I, P, E);
    for (std::size_t k = 0; k < E; ++k) {
        if (offset > 0xFFFF)
            return "Element " + std::to_string(k) + " would start past byte 65535 of the VKM file!";
        const Record3DB& element = model.elements()[k];
        if (element.isEmptyElement()) {
            if (element.prefixCode != 0 || element.childCount != 0)
                return "Element " + std::to_string(k) + " starts with a record of type 255!";
            offset += 1;
            continue;
        }
        const RecordVKM first = shape(element);
        if (misread(first))
            return misreadMessage(k, first);
        if (first.type != 1 && first.type != 2 && first.count > kVkmMaxVertices)
            return "Element " + std::to_string(k) + " has " + std::to_string(first.count) + " vertices, more than "
                + std::to_string(kVkmMaxVertices) + "!";
        if (const auto point = pointPastTable(element))
            return pastTableMessage(k, *point);
        offset += first.size() + 1;
        for (std::uint32_t j = 0; j < element.childCount; ++j) {
            const Record3DB& record = subs[element.firstChild + j];
            const RecordVKM sub = shape(record);
            if (misread(sub))
                return misreadMessage(k, sub);
            if (const auto point = pointPastTable(record))
                return pastTableMessage(k, *point);
            offset += sub.size();
        }
    }
    return std::nullopt;
}

namespace {

void putRecord(ByteWriter& w, const RecordVKM& r)
{
    switch (r.type) {
    case 1:
        w.u8(1);
        w.u8(r.indices.size() > 0 ? r.indices[0] : 0);
        w.u8(r.indices.size() > 1 ? r.indices[1] : 0);
        w.u8(r.attribute1);
        break;
    case 2:
        w.u8(2);
        w.u8(r.attribute1);
        w.u8(r.indices.empty() ? 0 : r.indices[0]);
        break;
    case 3:
        w.u8(3);
        w.u8(r.count);
        for (std::size_t j = 0; j < r.count; ++j)
            w.u8(j < r.indices.size() ? r.indices[j] : 0);
        w.u8(r.attribute1);
        break;
    case 4:
        w.u8(4);
        w.u8(r.count);
        for (std::size_t j = 0; j < r.count; ++j) {
            w.u8(j < r.indices.size() ? r.indices[j] : 0);
            w.u8(j < r.secondOrS.size() ? r.secondOrS[j] : 0);
        }
        w.u8(r.attribute1);
        break;
    default:
        if (r.hasPrefix()) {
            w.u8(r.prefixCode);
            w.u8(r.prefixValue);
        }
        w.u8(r.type);
        w.u8(r.count);
        for (std::size_t j = 0; j < r.count; ++j) {
            w.u8(j < r.indices.size() ? r.indices[j] : 0);
            w.u8(j < r.secondOrS.size() ? r.secondOrS[j] : 0);
            w.u8(j < r.tValues.size() ? r.tValues[j] : 0);
        }
        w.u8(r.attribute1);
        w.u8(r.attribute2);
        break;
    }
}

} // namespace

std::vector<std::uint8_t> vkmBytes(const ModelVKM& vkm)
{
    ByteWriter w(tablesSize(vkm.inserts.size(), vkm.points.size(), vkm.elements.size()) + 64 * vkm.elements.size());
    w.u16(vkm.signature);
    w.bytes(vkm.textureName);
    w.u16(vkm.insertsPlusOne);
    w.u16(vkm.pointCount);
    w.u16(vkm.elementCount);
    for (const InsertVKM& r : vkm.inserts) {
        w.u8(r.cod);
        w.u8(r.num);
        w.i16(r.y);
        w.i16(r.z);
        w.i16(r.x);
    }
    for (const NormalVKM& r : vkm.normals) {
        w.i16(r.y);
        w.i16(r.z);
        w.i16(r.x);
        w.i32(r.d);
        w.i16(r.f);
    }
    for (const SequenceVKM& r : vkm.sequence) {
        w.u8(r.back);
        w.u8(r.front);
    }
    for (const PointVKM& r : vkm.points) {
        w.i16(r.y);
        w.i16(r.z);
        w.i16(r.x);
        w.i16(r.b);
    }
    for (std::uint16_t offset : vkm.elementOffsets)
        w.u16(offset);
    for (const ElementVKM& e : vkm.elements) {
        if (!e.empty) {
            putRecord(w, e.first);
            for (const RecordVKM& r : e.subRecords)
                putRecord(w, r);
        }
        w.u8(kElementEnd);
    }
    return w.take();
}

bool writeVKM(const ModelVKM& vkm, const std::filesystem::path& file)
{
    return writeFileAtomically(file, vkmBytes(vkm));
}

} // namespace kvl::modelconv
