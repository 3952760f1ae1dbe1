// Models for the tests: every kind of record in a seeded random mix.
#pragma once

#include "modelconv/testing/builder3db.h"

#include <cstring>
#include <limits>
#include <random>

namespace kvl::test {

/// A model whose elements hold random chains of every record type: plain
/// types 1 to 4, textured types 0 and 5 to 7, prefixed records with codes
/// inside and outside 131..199 and any body type (1 to 4 and 255 among
/// them), empty elements, and floats of every kind (NaN, infinities,
/// denormals, huge and tiny values, random bit patterns).
inline Builder3DB mixedRecordsModel(unsigned seed, int elements)
{
    std::mt19937 rng(seed);
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); };
    auto byte = [&] { return static_cast<std::uint8_t>(pick(0, 255)); };
    auto anyFloat = [&]() -> float {
        switch (pick(0, 9)) {
        case 0:
            return std::numeric_limits<float>::quiet_NaN();
        case 1:
            return -std::numeric_limits<float>::infinity();
        case 2:
            return std::numeric_limits<float>::denorm_min() * static_cast<float>(pick(1, 1 << 20));
        case 3:
            return std::numeric_limits<float>::max();
        case 4:
            return -0.0f;
        case 5:
            return 1e-38f;
        case 6: {
            std::uint32_t bits = static_cast<std::uint32_t>(rng());
            float v;
            std::memcpy(&v, &bits, sizeof v);
            return v;
        }
        default:
            return static_cast<float>(pick(-4000, 4000)) / 256.0f;
        }
    };
    auto vertices = [&] {
        std::vector<TexVertex> v(static_cast<std::size_t>(pick(0, 6)));
        for (TexVertex& t : v)
            t = { byte(), anyFloat(), anyFloat() };
        return v;
    };
    auto bytes = [&](std::size_t n) {
        std::vector<std::uint8_t> v(n);
        for (std::uint8_t& b : v)
            b = byte();
        return v;
    };
    Builder3DB b;
    for (int i = 0; i < 20; ++i)
        b.addPoint(anyFloat(), anyFloat(), anyFloat(), static_cast<std::int16_t>(pick(-32768, 32767)));
    for (int i = 0; i < elements; ++i) {
        Element3DBData e;
        e.endCode = byte();
        const int records = pick(0, 9) == 0 ? 0 : pick(1, 4);
        for (int r = 0; r < records; ++r) {
            switch (pick(0, 6)) {
            case 0:
                e.records.push_back(record1(byte(), byte(), byte()));
                break;
            case 1:
                e.records.push_back(record2(byte(), byte()));
                break;
            case 2:
                e.records.push_back(record3(byte(), byte(), bytes(static_cast<std::size_t>(pick(0, 5)))));
                break;
            case 3: {
                const std::size_t n = static_cast<std::size_t>(pick(0, 5));
                e.records.push_back(record4(bytes(n), bytes(n)));
                break;
            }
            case 4: {
                static constexpr std::uint8_t types[] = { 0, 5, 6, 7 };
                e.records.push_back(recordTextured(types[pick(0, 3)], byte(), byte(), vertices()));
                break;
            }
            default: {
                const int code = pick(0, 1) ? pick(131, 199) : pick(8, 130);
                const int type = pick(0, 2) ? pick(0, 7) : pick(0, 255);
                e.records.push_back(recordPrefixed(static_cast<std::uint8_t>(code), byte(),
                    static_cast<std::uint8_t>(type), byte(), byte(), vertices()));
            }
            }
        }
        b.addElement(e);
    }
    return b;
}

} // namespace kvl::test
