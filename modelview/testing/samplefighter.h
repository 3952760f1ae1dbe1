// A small fighter aircraft built from boxes and prisms, as a VKM image, for
// screenshots, benchmarks and seeds when no converted model is at hand.
#pragma once

#include "modelview/testing/vkmbuilder.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace kvl::test {

namespace detail {

using V3 = std::array<double, 3>;

inline V3 sub(V3 a, V3 b)
{
    return { a[0] - b[0], a[1] - b[1], a[2] - b[2] };
}
inline V3 cross(V3 a, V3 b)
{
    return { a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0] };
}
inline double dot(V3 a, V3 b)
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// Adds a face through the points `idx` (drawing coordinates in `pos`),
// ordered so that it is stored clockwise when seen from the side `outward`
// points to - the side the viewer must be on to see it.
inline void face(
    VkmBuilder& b, const std::vector<V3>& pos, std::vector<std::uint8_t> idx, V3 outward, std::uint8_t type = 3)
{
    const V3 n = cross(sub(pos[idx[1]], pos[idx[0]]), sub(pos[idx[2]], pos[idx[1]]));
    if (dot(n, outward) > 0) // counter-clockwise from outside: turn it round
        std::reverse(idx.begin(), idx.end());
    if (type == 3) {
        b.element(VkmBuilder::polygon(idx));
        return;
    }
    // A prefixed textured record: prefix code 131, value 0, type 5.
    std::vector<std::uint8_t> r { 131, 0, 5, std::uint8_t(idx.size()) };
    for (std::size_t k = 0; k < idx.size(); ++k) {
        r.push_back(idx[k]);
        r.push_back(std::uint8_t(k * 60));
        r.push_back(std::uint8_t(255 - k * 60));
    }
    r.insert(r.end(), { 1, 0, 255 });
    b.element(r);
}

struct Builder {
    VkmBuilder vkm;
    std::vector<V3> pos;

    std::uint8_t point(double x, double y, double z)
    {
        pos.push_back({ x, y, z });
        return std::uint8_t(vkm.point(int(std::lround(x)), int(std::lround(y)), int(std::lround(z))));
    }

    void box(double x0, double x1, double y0, double y1, double z0, double z1)
    {
        std::uint8_t c[8];
        for (int i = 0; i < 8; ++i)
            c[i] = point(i & 1 ? x1 : x0, i & 2 ? y1 : y0, i & 4 ? z1 : z0);
        const V3 mid { (x0 + x1) / 2, (y0 + y1) / 2, (z0 + z1) / 2 };
        auto quad = [&](int a, int b2, int c2, int d) {
            const V3 centre = { (pos[c[a]][0] + pos[c[c2]][0]) / 2, (pos[c[a]][1] + pos[c[c2]][1]) / 2,
                (pos[c[a]][2] + pos[c[c2]][2]) / 2 };
            face(vkm, pos, { c[a], c[b2], c[c2], c[d] }, sub(centre, mid));
        };
        quad(0, 1, 3, 2); // back  (z0)
        quad(4, 5, 7, 6); // front (z1)
        quad(0, 1, 5, 4); // bottom
        quad(2, 3, 7, 6); // top
        quad(0, 2, 6, 4); // left
        quad(1, 3, 7, 5); // right
    }
};

} // namespace detail

/// The sample fighter: nose towards the viewer (+z), wings along x.
inline std::vector<std::uint8_t> sampleFighter()
{
    using namespace detail;
    Builder f;
    constexpr int sides = 8;
    constexpr double radius = 12;
    const double pi = std::acos(-1.0);
    std::uint8_t front[sides];
    std::uint8_t back[sides];
    for (int i = 0; i < sides; ++i) {
        const double a = 2 * pi * i / sides;
        front[i] = f.point(radius * std::cos(a), radius * std::sin(a), 55);
        back[i] = f.point(radius * 0.7 * std::cos(a), radius * 0.7 * std::sin(a) + 2, -80);
    }
    const std::uint8_t nose = f.point(0, 0, 95);
    const std::uint8_t tail = f.point(0, 4, -120);
    for (int i = 0; i < sides; ++i) {
        const int j = (i + 1) % sides;
        const double a = 2 * pi * (i + 0.5) / sides;
        const V3 out { std::cos(a), std::sin(a), 0 };
        face(f.vkm, f.pos, { front[i], front[j], back[j], back[i] }, out, i == 2 ? 131 : 3);
        face(f.vkm, f.pos, { front[i], front[j], nose }, { out[0], out[1], 1 });
        face(f.vkm, f.pos, { back[i], back[j], tail }, { out[0], out[1], -1 });
    }
    f.box(-110, 110, -3, 1, -25, 15);   // wing
    f.box(-40, 40, 2, 4, -118, -100);   // tailplane
    f.box(-1.5, 1.5, 4, 42, -122, -98); // fin
    // Navigation lights and a gun sight line.
    const std::uint8_t left = f.point(-112, -1, -5);
    const std::uint8_t right = f.point(112, -1, -5);
    const std::uint8_t top = f.point(0, 44, -118);
    f.vkm.element(VkmBuilder::marker(left));
    f.vkm.element(VkmBuilder::marker(right));
    f.vkm.element(VkmBuilder::marker(top));
    f.vkm.element({ 1, nose, top, 0, 255 });
    f.vkm.element({ 255 });
    return f.vkm.build();
}

} // namespace kvl::test
