// Generated models for the modelconv benchmarks.
#pragma once

#include "modelconv/testing/builder3db.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace kvl::bench {

/// A large model: `points` points and `elements` textured quads with a
/// type-2 sub-record on every tenth; far over the VKM limits.
inline std::vector<std::uint8_t> largeModel(int points = 65000, int elements = 60000)
{
    using namespace kvl::test;
    Builder3DB b;
    b.setTextureName("BIG.BMP");
    for (int i = 0; i < 50; ++i)
        b.addInsert(static_cast<float>(i) * 1.25f, -3.5f, 1000.0f / (i + 1), 1, 2, static_cast<std::uint16_t>(i));
    for (int i = 0; i < points; ++i)
        b.addPoint(static_cast<float>(std::sin(i * 0.01) * 1234.5), static_cast<float>(i % 977) * 0.37f,
            static_cast<float>(-i) * 0.011f, static_cast<std::int16_t>(i % 200 - 100));
    for (int i = 0; i < 100; ++i)
        b.addTvn(0.5f, -0.5f, 0.7071f, static_cast<float>(i));
    for (int i = 0; i < elements; ++i) {
        Element3DBData e;
        e.normal[0] = 0.6f;
        e.normal[1] = -0.8f;
        e.normal[2] = 0.0f;
        e.normal[3] = static_cast<float>(i) * -0.5f;
        e.f = static_cast<std::int16_t>(i % 300);
        e.back = static_cast<std::uint16_t>(i);
        e.front = static_cast<std::uint16_t>(i + 1);
        auto k = static_cast<std::uint8_t>(i);
        e.records = { recordTextured(static_cast<std::uint8_t>(i % 2 ? 5 : 0), 1, 2,
            { { k, 0.0f, 0.0f }, { std::uint8_t(k + 1), 0.75f, 0.0f }, { std::uint8_t(k + 2), 0.75f, 0.5f },
                { std::uint8_t(k + 3), 0.0f, 0.5f } }) };
        if (i % 10 == 0)
            e.records.push_back(record2(3, k));
        b.addElement(e);
    }
    return b.build();
}

/// The largest model the VKM limits allow: 255 points, 255 elements, and
/// element records that fill the 16-bit offset range (the last element
/// starts just below 65536).
inline std::vector<std::uint8_t> maxVkmModel()
{
    using namespace kvl::test;
    Builder3DB b;
    b.setTextureName("MAX.BMP");
    for (int i = 0; i < 255; ++i)
        b.addPoint(static_cast<float>(i), static_cast<float>(-i), 0.5f * i, 0);
    // Tables: 16 + 8 + 16 * 255 + 8 * 255 = 6144 bytes; 254 elements of
    // 3n + 5 bytes before the last must end by 65535: n = 76.
    std::vector<TexVertex> vertices;
    for (int j = 0; j < 76; ++j)
        vertices.push_back({ static_cast<std::uint8_t>(j), 0.25f, 0.5f });
    for (int i = 0; i < 255; ++i) {
        Element3DBData e;
        e.records = { recordTextured(6, 0, 0, vertices) };
        b.addElement(e);
    }
    return b.build();
}

} // namespace kvl::bench
