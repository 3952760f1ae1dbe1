// Sample game files: planes.dat, the aircraft table (30 records of 216 bytes
// after a 4-byte header). The values are made up but of believable size:
// speeds in hundredths of mph, weights in pounds, range in 1/132000 mile,
// view distances in 1/21 foot.
#include "samplegen/samples.h"

#include "common/byteview.h"
#include "common/fileimage.h"
#include "planesedit/gunpanels.h"

#include <algorithm>

#include <array>
#include <cstdio>

namespace kvl::samples {

namespace {

struct Gun {
    int number, position, type, ammo, smoke;
};

struct Plane {
    std::array<int, 4> flags;
    int year, crew;
    int stallMph, cruiseMph, cornerMph, maxMph; // whole mph
    int emptyLb, fuelBurn, fuelLb, rangeMiles;
    int gunGroups;
    std::array<Gun, 3> guns; // the first three groups; the rest stay empty
    const char* code;
};

// Flag bytes: 1 Fighter 1, Bomber 2, Flyable 4, Jet 8, Twin 16, Four 32, Rocket 64, German 128;
// 2 British 1, American 2, Inline 4, Gear Back 16, Inwards 32, Outwards 64, Nose wheel 128;
// 3 counter-rotating 1, CCW 2, gravity carb 4, dive bomber 16, attack 32, turn 64, energy 128;
// 4 defensive gun 1, multi crew 2, combat flaps 4, slats 8, light armour 16, heavy armour 32.
const std::array<Plane, 30> kPlanes = { {
    { { 1 + 4 + 16, 2 + 4 + 128, 1 + 128, 4 + 16 }, 1943, 1, 105, 275, 250, 402, 12800, 95, 2460, 1100, 2,
        { { { 4, 2, 4, 500, 0 }, { 1, 2, 12, 150, 0 }, { 0, 0, 0, 0, 0 } } }, "P38H" },
    { { 1 + 4 + 16, 2 + 4 + 128, 1 + 128, 4 + 16 }, 1944, 1, 105, 290, 255, 414, 12780, 98, 2460, 1300, 2,
        { { { 4, 2, 4, 500, 0 }, { 1, 2, 12, 150, 0 }, { 0, 0, 0, 0, 0 } } }, "P38J" },
    { { 1 + 4, 2 + 64, 128, 16 }, 1943, 1, 100, 260, 240, 420, 9900, 110, 1830, 640, 1,
        { { { 8, 1, 4, 2700, 0 }, {}, {} } }, "P47C" },
    { { 1 + 4, 2 + 64 + 16, 128 + 16, 32 }, 1944, 1, 100, 270, 245, 426, 10000, 112, 2220, 950, 1,
        { { { 8, 1, 4, 3400, 0 }, {}, {} } }, "P47D" },
    { { 1 + 4, 2 + 4 + 32, 64, 16 }, 1943, 1, 95, 300, 230, 439, 6985, 70, 1620, 1300, 1,
        { { { 4, 1, 4, 1260, 0 }, {}, {} } }, "P51B" },
    { { 1 + 4, 2 + 4 + 32, 64, 16 + 8 }, 1944, 1, 95, 305, 235, 437, 7125, 72, 1620, 1650, 1,
        { { { 6, 1, 4, 1880, 0 }, {}, {} } }, "P51D" },
    // Both "Four engined" and "Twin engined" set, and both gear bits: legal in the file.
    { { 2 + 4 + 32 + 16, 2 + 32 + 64, 0, 1 + 2 + 32 }, 1942, 10, 90, 182, 150, 299, 34000, 220, 10200, 2000, 3,
        { { { 2, 4, 4, 750, 0 }, { 2, 9, 4, 1000, 0 }, { 2, 3, 4, 1000, 0 } } }, "B17F" },
    { { 2 + 4 + 32, 2 + 128 + 64, 0, 1 + 2 }, 1942, 10, 95, 175, 150, 303, 36500, 240, 13860, 2100, 3,
        { { { 2, 4, 4, 750, 0 }, { 2, 3, 4, 1000, 0 }, { 1, 10, 4, 500, 1 } } }, "B24D" },
    { { 2 + 4 + 16, 2 + 128, 0, 1 + 2 + 16 }, 1943, 7, 110, 216, 180, 282, 24000, 180, 5760, 1150, 3,
        { { { 4, 2, 4, 1600, 0 }, { 2, 4, 4, 800, 0 }, { 2, 3, 4, 800, 0 } } }, "B26B" },
    { { 1 + 4, 1 + 4 + 32, 64, 0 }, 1940, 1, 80, 210, 190, 328, 5745, 60, 700, 600, 1,
        { { { 8, 1, 2, 2700, 0 }, {}, {} } }, "HURR" },
    { { 1 + 4, 1 + 4 + 64, 64, 0 }, 1940, 1, 75, 210, 195, 355, 4810, 55, 610, 500, 1,
        { { { 8, 1, 2, 2700, 0 }, {}, {} } }, "SP1A" },
    { { 1 + 4, 1 + 4 + 64, 64, 16 }, 1942, 1, 80, 240, 215, 408, 5630, 65, 610, 430, 2,
        { { { 2, 1, 12, 240, 0 }, { 4, 1, 2, 1400, 0 }, {} } }, "SP9 " },
    { { 1 + 4, 1 + 4 + 64, 64 + 1, 16 }, 1944, 1, 85, 260, 230, 448, 6600, 80, 730, 460, 2,
        { { { 2, 1, 12, 240, 0 }, { 2, 1, 4, 500, 0 }, {} } }, "SP14" },
    { { 1 + 4, 1 + 4 + 32, 128 + 32, 16 }, 1943, 1, 95, 254, 230, 412, 8840, 100, 1100, 510, 1,
        { { { 4, 1, 12, 560, 0 }, {}, {} } }, "TYPH" },
    { { 1 + 4, 1 + 4 + 32, 128, 16 }, 1944, 1, 95, 270, 240, 432, 9000, 100, 1100, 740, 1,
        { { { 4, 1, 12, 800, 0 }, {}, {} } }, "TEMP" },
    { { 1 + 2 + 4 + 16, 1 + 4 + 16, 32 + 4, 2 }, 1943, 2, 105, 265, 230, 378, 14300, 110, 3240, 1500, 2,
        { { { 4, 2, 2, 2000, 0 }, { 4, 2, 12, 600, 0 }, {} } }, "MOSQ" },
    { { 1 + 4 + 128, 4 + 64, 64 + 4, 8 }, 1940, 1, 75, 230, 200, 348, 4440, 60, 580, 410, 2,
        { { { 2, 2, 2, 1000, 0 }, { 2, 1, 12, 120, 0 }, {} } }, "109E" },
    // Flag byte 4 with bits 6 and 7 set beside "Defensive gun" (no box for them).
    { { 1 + 4 + 128, 4 + 64, 64 + 128 + 4, 1 + 64 + 128 }, 1943, 1, 80, 250, 220, 398, 5950, 65, 580, 440, 2,
        { { { 2, 2, 4, 600, 0 }, { 1, 2, 12, 200, 0 }, {} } }, "109G" },
    { { 1 + 4 + 128, 4 + 64, 128 + 4, 8 + 16 }, 1944, 1, 85, 270, 230, 441, 6000, 70, 580, 370, 2,
        { { { 2, 2, 4, 600, 0 }, { 1, 2, 24, 65, 0 }, {} } }, "109K" },
    { { 1 + 4 + 16 + 128, 4 + 16, 1 + 32, 1 + 2 }, 1940, 2, 95, 217, 190, 349, 9920, 115, 2640, 680, 3,
        { { { 4, 2, 2, 4000, 0 }, { 2, 2, 12, 360, 0 }, { 1, 5, 2, 750, 0 } } }, "110C" },
    { { 2 + 1 + 4 + 16 + 128, 4 + 16, 1 + 32, 1 + 2 + 32 }, 1943, 3, 100, 230, 200, 342, 11220, 125, 2800, 560, 3,
        { { { 2, 2, 12, 700, 0 }, { 2, 2, 24, 270, 0 }, { 2, 5, 2, 1600, 0 } } }, "110G" },
    { { 1 + 2 + 4 + 16 + 128, 4 + 16, 32 + 1, 1 + 2 + 16 }, 1943, 2, 105, 255, 230, 388, 13550, 140, 2700, 1050, 3,
        { { { 2, 2, 4, 2000, 0 }, { 2, 2, 12, 700, 0 }, { 1, 10, 4, 900, 0 } } }, "M410" },
    { { 1 + 4 + 128, 16 + 32, 128 + 32, 8 + 32 }, 1943, 1, 90, 260, 240, 408, 7000, 80, 770, 500, 2,
        { { { 2, 2, 2, 1800, 0 }, { 4, 1, 12, 500, 0 }, {} } }, "190A" },
    { { 1 + 4 + 128, 4 + 16 + 32, 128, 8 + 32 }, 1944, 1, 95, 275, 250, 426, 7700, 85, 840, 520, 2,
        { { { 2, 2, 4, 950, 0 }, { 2, 1, 12, 500, 0 }, {} } }, "190D" },
    { { 1 + 4 + 8 + 16 + 128, 128 + 32, 128, 16 + 8 }, 1944, 1, 120, 400, 300, 540, 8380, 250, 3920, 650, 1,
        { { { 4, 2, 24, 360, 0 }, {}, {} } }, "M262" },
    { { 2 + 4 + 16 + 128, 4 + 16, 16, 1 + 2 + 16 }, 1941, 4, 95, 230, 190, 292, 21700, 180, 5100, 1100, 3,
        { { { 1, 5, 2, 1000, 0 }, { 1, 12, 2, 1000, 0 }, { 1, 7, 2, 1000, 1 } } }, "JU8A" },
    { { 1 + 2 + 4 + 16 + 128, 4 + 16, 32, 1 + 2 + 32 }, 1942, 3, 100, 240, 200, 310, 20500, 175, 5100, 1200, 3,
        { { { 3, 2, 12, 600, 0 }, { 3, 2, 2, 3000, 0 }, { 1, 5, 2, 1000, 0 } } }, "JU8C" },
    { { 2 + 4 + 128, 4 + 16, 16 + 32, 1 + 2 + 16 }, 1940, 2, 70, 185, 160, 242, 8600, 90, 1030, 370, 2,
        { { { 2, 1, 2, 1000, 0 }, { 1, 5, 2, 900, 0 }, {} } }, "JU87" },
    { { 2 + 4 + 16 + 128, 4 + 16, 0, 1 + 2 + 16 }, 1940, 5, 85, 190, 170, 252, 19136, 170, 6500, 1200, 3,
        { { { 1, 12, 2, 1000, 0 }, { 1, 6, 2, 1000, 0 }, { 1, 7, 2, 1000, 0 } } }, "H111" },
    { { 64 + 8 + 128, 0, 0, 0 }, 1944, 0, 200, 350, 300, 400, 4750, 300, 1100, 150, 0, { {} }, "V1  " },
} };

// Write the plane into its 216 bytes; the 48 tail bytes get a pattern of their own.
void writePlane(std::array<std::uint8_t, 216>& r, int slot, const Plane& p)
{
    std::span<std::uint8_t> b(r);
    putU8(b, 0, static_cast<std::uint8_t>(slot + 1));
    putU8(b, 1, 0);
    putU8(b, 2, 0);
    putU8(b, 3, 0);
    for (int k = 0; k < 4; ++k)
        putU8(b, 4 + static_cast<std::size_t>(k), static_cast<std::uint8_t>(p.flags[static_cast<std::size_t>(k)]));
    putU16(b, 8, static_cast<std::uint16_t>(p.year));
    putU16(b, 10, static_cast<std::uint16_t>(p.crew));
    const int speeds[4] = { p.stallMph, p.cruiseMph, p.cornerMph, p.maxMph };
    for (int i = 0; i < 4; ++i)
        putU32(b, 12 + 4 * static_cast<std::size_t>(i), static_cast<std::uint32_t>(speeds[i] * 100 + 37 * (slot % 3)));
    putU32(b, 28, static_cast<std::uint32_t>(p.emptyLb));
    putU32(b, 32, static_cast<std::uint32_t>(p.fuelBurn));
    putU32(b, 36, static_cast<std::uint32_t>(p.fuelLb));
    putU32(b, 40, static_cast<std::uint32_t>(p.rangeMiles) * 132000u);
    // View distances in 1/21 ft: close 300 ft up to max 30000 ft, external 60 ft, collision radius by size.
    const std::uint32_t views[7] = { 300 * 21, 1500 * 21, 6000 * 21, 12000 * 21, 30000 * 21, 60 * 21,
        static_cast<std::uint32_t>((p.crew > 3 ? 50 : 20) * 21) };
    for (std::size_t i = 0; i < 7; ++i)
        putU32(b, 44 + 4 * i, views[i]);
    // Damage bytes: hit points of the parts, bigger for bigger aircraft.
    const int scale = p.crew > 3 ? 3 : (p.flags[0] & 16 ? 2 : 1);
    const int damage[12] = { 20, 10, 60, 30, 40, 15, 40, 15, 35, 0, 0, 0 };
    const int engines = p.flags[0] & 32 ? 4 : (p.flags[0] & 16 ? 2 : 1);
    for (int i = 0; i < 12; ++i) {
        int v = damage[i] * scale;
        if (i >= 8)
            v = i - 8 < engines ? 35 * scale : 0;
        putU8(b, 72 + static_cast<std::size_t>(i), static_cast<std::uint8_t>(v > 255 ? 255 : v));
    }
    putU8(b, 84, static_cast<std::uint8_t>(p.gunGroups));
    for (int g = 0; g < 3; ++g) {
        const Gun& gun = p.guns[static_cast<std::size_t>(g)];
        const std::size_t base = 88 + 12 * static_cast<std::size_t>(g);
        if (gun.number == 0)
            continue;
        putU8(b, base + 0, static_cast<std::uint8_t>(gun.number));
        putU8(b, base + 2, static_cast<std::uint8_t>(gun.position));
        putU16(b, base + 4, static_cast<std::uint16_t>(gun.type));
        putU16(b, base + 6, static_cast<std::uint16_t>(gun.ammo));
        putU8(b, base + 8, static_cast<std::uint8_t>(std::max(0, kvl::planesedit::soundForGunType(gun.type))));
        putU8(b, base + 10, static_cast<std::uint8_t>(gun.smoke));
    }
    for (int i = 0; i < 4; ++i)
        putU8(b, 160 + static_cast<std::size_t>(i), static_cast<std::uint8_t>(i == 0 ? slot % 5 : 0));
    for (int i = 0; i < 4; ++i)
        putU8(b, 164 + static_cast<std::size_t>(i), static_cast<std::uint8_t>(p.code[i]));
    for (std::size_t i = 168; i < 216; ++i)
        putU8(b, i, static_cast<std::uint8_t>((slot * 31 + static_cast<int>(i) * 7) & 0xFF));
}

} // namespace

bool writePlanesSamples(const std::filesystem::path& game)
{
    std::vector<std::uint8_t> file { 0x1E, 0x00, 0xD8, 0x00 }; // opaque header
    for (int s = 0; s < 30; ++s) {
        std::array<std::uint8_t, 216> record {};
        writePlane(record, s, kPlanes[static_cast<std::size_t>(s)]);
        file.insert(file.end(), record.begin(), record.end());
    }
    if (!writeFileImage(game / "planes.dat", std::span<const std::uint8_t>(file))) {
        std::fprintf(stderr, "kvl-samplegen: cannot write planes.dat\n");
        return false;
    }
    return true;
}

} // namespace kvl::samples
