// Builds VKM file images by hand for tests, seeds and benchmarks: header,
// insert, normal and sequence tables, points, element offsets, elements.
#pragma once

#include "common/byteview.h"

#include <cstdint>
#include <vector>

namespace kvl::test {

struct VkmBuilder {
    std::uint8_t texture[14] = { 'S', 'K', 'I', 'N', '.', 'B', 'M', 'P' };
    int inserts = 0;
    struct Pt {
        std::int16_t y, z, x, b;
    };
    std::vector<Pt> points;
    std::vector<std::vector<std::uint8_t>> elements; // each with its records and final 255

    /// Adds a point given in drawing order (x, y, z); returns its index.
    int point(int x, int y, int z)
    {
        points.push_back({ std::int16_t(y), std::int16_t(z), std::int16_t(x), 0 });
        return int(points.size()) - 1;
    }
    void element(std::vector<std::uint8_t> bytes) { elements.push_back(std::move(bytes)); }

    /// A type-3 outline through `indices`, attribute 1 = 9.
    static std::vector<std::uint8_t> polygon(const std::vector<std::uint8_t>& indices)
    {
        std::vector<std::uint8_t> r;
        r.reserve(indices.size() + 4);
        r.push_back(3);
        r.push_back(std::uint8_t(indices.size()));
        for (std::uint8_t i : indices)
            r.push_back(i);
        r.push_back(9);
        r.push_back(255);
        return r;
    }
    /// A type-2 marker at `index`.
    static std::vector<std::uint8_t> marker(std::uint8_t index) { return { 2, 7, index, 255 }; }

    /// Where the element data starts.
    std::size_t dataStart() const
    {
        const std::size_t a = std::size_t(inserts) + 1;
        return 16 + 8 * a + 16 * elements.size() + 8 * points.size();
    }

    std::vector<std::uint8_t> build() const
    {
        ByteWriter w;
        w.u16(182);
        for (std::uint8_t c : texture)
            w.u8(c);
        w.u16(std::uint16_t(inserts + 1));
        w.u16(std::uint16_t(points.size()));
        w.u16(std::uint16_t(elements.size()));
        for (int i = 0; i < inserts; ++i) {
            w.u8(std::uint8_t(i));
            w.u8(1);
            w.i16(10);
            w.i16(20);
            w.i16(30);
        }
        for (std::size_t e = 0; e < elements.size(); ++e) {
            w.i16(0);
            w.i16(16384);
            w.i16(0);
            w.i32(-5);
            w.i16(1);
        }
        for (std::size_t e = 0; e <= elements.size(); ++e) {
            w.u8(std::uint8_t(e));
            w.u8(std::uint8_t(e + 1));
        }
        for (const Pt& p : points) {
            w.i16(p.y);
            w.i16(p.z);
            w.i16(p.x);
            w.i16(p.b);
        }
        std::size_t at = dataStart();
        for (const auto& e : elements) {
            w.u16(std::uint16_t(at));
            at += e.size();
        }
        for (const auto& e : elements)
            w.bytes(e);
        return w.take();
    }
};

} // namespace kvl::test
