// Sample game files: models.
//
//   FIGHTER.3DB   a small single-engined fighter (fuselage, wings, tailplane,
//                 fin, propeller) that uses every kind of element record;
//   BIGMODEL.3DB  a terrain grid of 300 points and 300 elements, over the VKM
//                 limits (the converter offers only the text dump);
//   TYPE7.3DB     a small model with a type-7 record without prefix, which a
//                 VKM file cannot hold as written;
//   BROKEN.3DB    FIGHTER.3DB cut short in the middle of its element data.
#include "samplegen/samples.h"

#include "common/fileimage.h"
#include "modelconv/testing/builder3db.h"

#include <cmath>
#include <cstdio>

namespace kvl::samples {

namespace {

using namespace kvl::test;

// Plan view: y runs from tail (-) to nose (+), x along the span, z up.
std::vector<std::uint8_t> fighter()
{
    Builder3DB b;
    b.setTextureName("FIGHTER.BMP");
    for (int i = 0; i < 12; ++i)
        b.headerUnknown[i] = static_cast<std::uint8_t>(i * 7 + 1);
    for (int i = 0; i < 36; ++i)
        b.endUnknown[i] = static_cast<std::uint8_t>(200 - i);
    for (int i = 0; i < 54; ++i)
        b.endUnknown2[i] = static_cast<std::uint8_t>(i * 3);
    b.startBack = 0;
    b.startFront = 1;

    // Inserts: a propeller hub and two gun muzzles.
    b.addInsert(92.0f, 0.0f, 0.0f, 1, 2, 0);
    b.addInsert(30.0f, -2.0f, -35.5f, 2, 1, 7);
    b.addInsert(30.0f, -2.0f, 35.5f, 2, 1, 7);

    // Fuselage: five square sections (top, right, bottom, left), nose tip.
    const float stations[5][2] = { { 80, 9 }, { 50, 13 }, { 0, 14 }, { -40, 9 }, { -80, 4 } };
    std::uint8_t ring[5][4];
    for (int s = 0; s < 5; ++s) {
        const float y = stations[s][0], r = stations[s][1];
        ring[s][0] = static_cast<std::uint8_t>(b.addPoint(y, r, 0, 0));
        ring[s][1] = static_cast<std::uint8_t>(b.addPoint(y, 0, r, 1));
        ring[s][2] = static_cast<std::uint8_t>(b.addPoint(y, -r, 0, 0));
        ring[s][3] = static_cast<std::uint8_t>(b.addPoint(y, 0, -r, -1));
    }
    const auto nose = static_cast<std::uint8_t>(b.addPoint(92, 0, 0, 5));
    // Wings: root leading, tip leading, tip trailing, root trailing, per side.
    auto quad = [&](float y0, float x0, float y1, float x1, float y2, float x2, float y3, float x3, float z) {
        std::vector<std::uint8_t> q;
        q.push_back(static_cast<std::uint8_t>(b.addPoint(y0, z, x0)));
        q.push_back(static_cast<std::uint8_t>(b.addPoint(y1, z, x1)));
        q.push_back(static_cast<std::uint8_t>(b.addPoint(y2, z, x2)));
        q.push_back(static_cast<std::uint8_t>(b.addPoint(y3, z, x3)));
        return q;
    };
    // The left side is the mirror image, its corners listed the other way
    // round so that both sides keep the same winding (the viewer culls
    // polygons that face away).
    auto rightWing = quad(22, 13, 12, 95, -4, 95, -18, 13, -3);
    auto leftWing = quad(-18, -13, -4, -95, 12, -95, 22, -13, -3);
    auto rightTail = quad(-62, 6, -68, 36, -76, 36, -80, 4, 0);
    auto leftTail = quad(-80, -4, -76, -36, -68, -36, -62, -6, 0);
    // Fin and canopy.
    const auto fin0 = static_cast<std::uint8_t>(b.addPoint(-52, 9, 0));
    const auto fin1 = static_cast<std::uint8_t>(b.addPoint(-74, 38, 0));
    const auto fin2 = static_cast<std::uint8_t>(b.addPoint(-86, 38, 0));
    const auto fin3 = static_cast<std::uint8_t>(b.addPoint(-82, 4, 0));
    const auto canopy0 = static_cast<std::uint8_t>(b.addPoint(30, 14, 0));
    const auto canopy1 = static_cast<std::uint8_t>(b.addPoint(12, 22, 6));
    const auto canopy2 = static_cast<std::uint8_t>(b.addPoint(-8, 16, 0));
    const auto canopy3 = static_cast<std::uint8_t>(b.addPoint(12, 22, -6));
    // Propeller blade tips and a pilot's-eye marker.
    const auto blade0 = static_cast<std::uint8_t>(b.addPoint(93, 28, 0));
    const auto blade1 = static_cast<std::uint8_t>(b.addPoint(93, -14, 24));
    const auto blade2 = static_cast<std::uint8_t>(b.addPoint(93, -14, -24));
    const auto eye = static_cast<std::uint8_t>(b.addPoint(10, 20, 0, 9));
    for (std::size_t i = 0; i < 8; ++i)
        b.addTvn(0.0f, 0.7071f, i % 2 ? 0.7071f : -0.7071f, 1.0f);

    int seq = 0;
    auto element = [&](std::vector<RecordBytes> records, float ny, float nz, float nx, float d, std::int16_t f,
                       std::uint8_t endCode = 0) {
        Element3DBData e;
        e.normal[0] = ny;
        e.normal[1] = nz;
        e.normal[2] = nx;
        e.normal[3] = d;
        e.f = f;
        e.back = static_cast<std::uint16_t>(seq + 1);
        e.front = static_cast<std::uint16_t>(seq > 0 ? seq - 1 : 0);
        e.records = std::move(records);
        e.endCode = endCode;
        b.addElement(std::move(e));
        ++seq;
    };
    auto tex = [](std::vector<std::uint8_t> idx) {
        std::vector<TexVertex> v;
        const float corners[4][2] = { { 0.0f, 0.0f }, { 0.999f, 0.0f }, { 0.999f, 0.5f }, { 0.0f, 0.5f } };
        for (std::size_t j = 0; j < idx.size(); ++j)
            v.push_back({ idx[j], corners[j % 4][0], corners[j % 4][1] });
        return v;
    };

    // Nose cone: four textured (type 0) triangles.
    for (int k = 0; k < 4; ++k)
        element({ recordTextured(0, 1, 0, tex({ nose, ring[0][k], ring[0][(k + 1) % 4] })) }, 0.9f, 0.3f,
            k < 2 ? 0.3f : -0.3f, -85.5f, static_cast<std::int16_t>(k));
    // Fuselage panels: plain (type 3) quads; the first bay carries its
    // exhaust stubs as a type-2 marker sub-record and a type-1 line.
    for (int s = 0; s < 4; ++s)
        for (int k = 0; k < 4; ++k) {
            std::vector<RecordBytes> records = { record3(
                2, 9, { ring[s][k], ring[s][(k + 1) % 4], ring[s + 1][(k + 1) % 4], ring[s + 1][k] }) };
            if (s == 0 && k == 1) {
                records.push_back(record2(3, ring[0][1]));
                records.push_back(record1(4, ring[0][1], ring[1][1]));
            }
            element(std::move(records), 0.0f, k == 0 ? 1.0f : (k == 2 ? -1.0f : 0.0f),
                k == 1 ? 1.0f : (k == 3 ? -1.0f : 0.0f), -12.25f, -1);
        }
    // Wings: textured type 5, each with a textured sub-record for the
    // underside (it carries the end code).
    element({ recordTextured(5, 2, 1, tex(rightWing)),
                recordTextured(5, 2, 2, tex({ rightWing[3], rightWing[2], rightWing[1], rightWing[0] })) },
        0.0f, 1.0f, 0.0f, 3.0f, 10, 17);
    element({ recordTextured(5, 2, 1, tex(leftWing)),
                recordTextured(5, 2, 2, tex({ leftWing[3], leftWing[2], leftWing[1], leftWing[0] })) },
        0.0f, 1.0f, 0.0f, 3.0f, 11, 17);
    // Tailplane: type 6.
    element({ recordTextured(6, 3, 0, tex(rightTail)) }, 0.0f, 1.0f, 0.0f, 0.0f, 12);
    element({ recordTextured(6, 3, 0, tex(leftTail)) }, 0.0f, 1.0f, 0.0f, 0.0f, 13);
    // Fin: a prefix outside 131..199 (not shown in the dump, not written to VKM).
    element({ recordPrefixed(100, 5, 5, 4, 0, tex({ fin0, fin1, fin2, fin3 })) }, 0.0f, 0.0f, 1.0f, 0.0f, 14);
    // Canopy: prefixed type 7 (prefix 140), glazing frame as a prefixed
    // sub-record at the low edge of the prefix range, plus one past its end.
    element({ recordPrefixed(140, 1, 7, 6, 2, tex({ canopy0, canopy1, canopy2, canopy3 })),
                recordPrefixed(131, 2, 0, 6, 3, tex({ canopy0, canopy2 })),
                recordPrefixed(210, 3, 6, 6, 4, tex({ canopy1, canopy3 })) },
        0.0f, 1.0f, 0.0f, -20.0f, 15, 33);
    // Propeller disc: a type-4 record (index and second value per blade) and
    // the prefix at the high edge of the range as a sub-record.
    element({ record4({ blade0, blade1, blade2 }, { 1, 2, 3 }), recordPrefixed(199, 9, 0, 1, 1, tex({ blade0 })) },
        1.0f, 0.0f, 0.0f, -93.0f, 16, 255);
    // Pilot's eye marker (type 2) and gun lines (type 1).
    element({ record2(7, eye) }, 0.0f, 1.0f, 0.0f, 0.0f, 17);
    element(
        { record1(8, rightWing[0], rightWing[1]), record1(8, leftWing[3], leftWing[2]) }, 1.0f, 0.0f, 0.0f, 0.0f, 18);
    // Two empty elements, the last element of the table among them.
    element({}, 0.0f, 0.0f, 0.0f, 0.0f, 0);
    element(
        { recordTextured(0, 0, 0, tex({ ring[2][0], ring[2][1], ring[2][2] })) }, 0.0f, 1.0f, 0.0f, 1.5e-7f, -32768);
    element({}, 0.0f, 0.0f, 0.0f, 0.0f, 0);
    return b.build();
}

// A gently rolling terrain grid: 15 x 20 points, 300 one-triangle elements.
std::vector<std::uint8_t> bigModel()
{
    Builder3DB b;
    b.setTextureName("GROUND1.BMP");
    constexpr int W = 15, H = 20;
    for (int j = 0; j < H; ++j)
        for (int i = 0; i < W; ++i)
            b.addPoint(static_cast<float>(j * 10 - 95), static_cast<float>(4.0 * std::sin(i * 0.7 + j * 0.4)),
                static_cast<float>(i * 10 - 70), static_cast<std::int16_t>(i + j));
    auto at = [&](int i, int j) { return static_cast<std::uint8_t>((j * W + i) % 256); };
    for (int k = 0; k < 300; ++k) {
        const int i = k % (W - 1), j = (k / (W - 1)) % (H - 1);
        Element3DBData e;
        e.back = static_cast<std::uint16_t>(k);
        e.front = static_cast<std::uint16_t>(k + 1);
        e.records = { record3(1, 0, { at(i, j), at(i + 1, j), at(i, j + 1) }) };
        b.addElement(std::move(e));
    }
    return b.build();
}

std::vector<std::uint8_t> type7Model()
{
    Builder3DB b;
    b.setTextureName("DECAL.BMP");
    const auto p0 = static_cast<std::uint8_t>(b.addPoint(0, 0, 0));
    const auto p1 = static_cast<std::uint8_t>(b.addPoint(40, 0, 0));
    const auto p2 = static_cast<std::uint8_t>(b.addPoint(0, 0, 40));
    Element3DBData e;
    e.records = { recordTextured(7, 1, 1, { { p0, 0.0f, 0.0f }, { p1, 0.5f, 0.0f }, { p2, 0.0f, 0.5f } }) };
    b.addElement(std::move(e));
    return b.build();
}

bool write(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes)
{
    if (writeFileImage(file, bytes))
        return true;
    std::fprintf(stderr, "kvl-samplegen: cannot write %s\n", file.string().c_str());
    return false;
}

} // namespace

bool writeModelSamples(const std::filesystem::path& game)
{
    const std::vector<std::uint8_t> fighterBytes = fighter();
    bool ok = write(game / "FIGHTER.3DB", fighterBytes);
    ok = write(game / "BIGMODEL.3DB", bigModel()) && ok;
    ok = write(game / "TYPE7.3DB", type7Model()) && ok;
    std::vector<std::uint8_t> broken(fighterBytes.begin(), fighterBytes.begin() + fighterBytes.size() * 3 / 4);
    ok = write(game / "BROKEN.3DB", broken) && ok;
    return ok;
}

} // namespace kvl::samples
