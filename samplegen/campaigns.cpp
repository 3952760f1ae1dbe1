// Sample game files: campaigns and squadrons, with the side files that
// decorate their text forms (CAMPAIGNDATA.TXT, SQUADRONDATA.TXT, PNAMES.TXT).
//
// The binary files are laid down byte by byte at their offsets here, apart
// from the converters' own record code, so that reading a sample checks the
// converters' layout against a second, independent description of it.
#include "samplegen/samples.h"

#include "common/byteview.h"
#include "common/fileimage.h"

#include <array>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

namespace kvl::samples {

namespace {

using Bytes = std::vector<std::uint8_t>;

void u8(Bytes& b, std::size_t at, unsigned v)
{
    putU8(b, at, static_cast<std::uint8_t>(v));
}
void u16(Bytes& b, std::size_t at, unsigned v)
{
    putU16(b, at, static_cast<std::uint16_t>(v));
}
void i32(Bytes& b, std::size_t at, int v)
{
    putI32(b, at, v);
}

constexpr std::size_t SetupAt = 0, PhasesAt = 28, PlaneTypesAt = 828, GermanAt = 1308, AlliedAt = 1352, EventsAt = 1396,
                      MissionsAt = 1652, V1At = 3700, CampaignSize = 3708;

void forces(Bytes& b, std::size_t at, int nationality, unsigned air, unsigned ground, unsigned quality, unsigned morale,
    unsigned scale)
{
    i32(b, at + 0, nationality);
    u16(b, at + 4, air);
    u16(b, at + 6, ground);
    u8(b, at + 8, quality);
    u8(b, at + 9, morale);
    u16(b, at + 10, 40 + scale);
    for (unsigned i = 0; i < 8; ++i) {
        u16(b, at + 12 + 2 * i, 100 + scale * (i + 1) + 7 * i); // industries
        u16(b, at + 28 + 2 * i, 4 + (scale + i) % 9);           // factories
    }
}

bool writeText(const std::filesystem::path& path, const std::string& text)
{
    if (writeFileImage(path, std::string_view(text)))
        return true;
    std::fprintf(stderr, "kvl-samplegen: cannot write %s\n", path.string().c_str());
    return false;
}

bool writeBinary(const std::filesystem::path& path, const Bytes& bytes)
{
    if (writeFileImage(path, std::span<const std::uint8_t>(bytes)))
        return true;
    std::fprintf(stderr, "kvl-samplegen: cannot write %s\n", path.string().c_str());
    return false;
}

/// An entry line: the value right-aligned in five characters, then the text
/// and the full stop that ends it.
std::string entry(int value, std::string_view text)
{
    char number[8];
    std::snprintf(number, sizeof number, "%5d", value);
    return std::string(number).append(text).append(".\r\n");
}

std::string category(std::string_view title, std::initializer_list<std::pair<int, std::string_view>> entries)
{
    std::string text = "[" + std::to_string(entries.size()) + "] " + std::string(title) + "\r\n";
    for (const auto& [value, comment] : entries)
        text += entry(value, comment);
    return text;
}

std::string campaignDataText()
{
    std::string text = "Section 10 - comment categories of the campaign text\r\n";
    text += category("Sides and languages", { { 0, "Allied" }, { 1, "German" }, { 2, "Italian" } });
    text += category("Win and loss conditions",
        { { 0, "None" }, { 1, "Destroy industry" }, { 2, "Air superiority" }, { 3, "Survive phase" },
            { 4, "Capture base" } });
    text += "\r\n"; // an empty line before a header is passed over
    text += category("Target types",
        { { 0, "Airfield" }, { 1, "Aircraft factory" }, { 2, "Armaments works" }, { 3, "Chemical plant" },
            { 4, "Oil refinery" }, { 5, "Ball bearing works" }, { 6, "Railyard" }, { 7, "Harbour" },
            { 8, "Submarine pens" }, { 9, "V-1 site" }, { 255, "No target" } });
    text += category("Event types",
        { { 0, "None" }, { 1, "Weather front" }, { 2, "Morale boost" }, { 3, "New plane type" },
            { 4, "Industry damaged" }, { 18, "Plane type withdrawn" } });
    text += category("Event triggers",
        { { 0, "Never" }, { 1, "On date" }, { 2, "Phase start" }, { 3, "Mission won" }, { 4, "Mission lost" } });
    text += category(
        "Mission triggers", { { 0, "Never" }, { 1, "Phase start" }, { 2, "Day of phase" }, { 3, "After event" } });
    text += category("Special speech",
        { { 65500, "Speech of the target area" }, { 65534, "Random speech" }, { 65535, "No speech" } });
    text += category("Crew quality", { { 0, "Green" }, { 1, "Regular" }, { 2, "Veteran" }, { 3, "Elite" } });
    text += category("Mission types",
        { { 0, "Escort" }, { 1, "Sweep" }, { 2, "Bombing" }, { 3, "Intercept" }, { 4, "Interdiction" } });
    text += category(
        "Weather", { { 0, "Clear" }, { 1, "Scattered cloud" }, { 2, "Overcast" }, { 3, "Rain" }, { 255, "Random" } });
    return text;
}

std::string squadronDataText()
{
    std::string text = "Section  1 - comment categories of the squadron text\r\n";
    text += category("Weapon types",
        { { 0, "No weapon" }, { 1, "Drop tank" }, { 2, "250 kg bomb" }, { 3, "500 kg bomb" }, { 4, "Rocket rails" },
            { 5, "Gun pod" }, { 255, "Empty" } });
    return text;
}

constexpr std::array<std::string_view, 30> PlaneNames = { "Kestrel F.1 fighter", "Kestrel F.2 fighter",
    "Harrier B.1 medium bomber", "Osprey heavy bomber", "Condor H.3 heavy bomber", "Falke A-4 fighter",
    "Falke A-6 fighter", "Sperber D-2 heavy fighter", "Uhu N-1 night fighter", "Adler K-2 bomber",
    "Wiesel S-1 dive bomber", "Mustela long-range fighter", "Thunder P fighter-bomber", "Lancer twin fighter",
    "Marauder M-2 medium bomber", "Valiant fortress bomber", "Vulcan liberator bomber", "Spitfang F.9 fighter",
    "Typhon F.1B fighter-bomber", "Mosquito-class fast bomber", "Storch liaison", "Eisvogel jet fighter",
    "Komet rocket interceptor", "Zaunkoenig transport", "Kranich glider tug", "Merlin trainer", "Gannet reconnaissance",
    "Hornet escort fighter", "Flak ship", "V-1 flying bomb" };

std::string planeNamesText()
{
    std::string text = "PLANE NAMES\r\nOne name per plane type, type 0 on the third line\r\n";
    for (auto name : PlaneNames)
        text.append(name).append("\r\n");
    return text;
}

} // namespace

std::vector<std::uint8_t> sampleCampaignFile(int variant)
{
    const unsigned v = static_cast<unsigned>(variant < 0 ? -variant : variant);
    Bytes b(CampaignSize, 0);

    // Setup.
    const unsigned months[] = { 8, 3, 6, 11 };
    u16(b, SetupAt + 0, 1943 + v % 2);
    u8(b, SetupAt + 2, months[v % 4]);
    u8(b, SetupAt + 3, 1 + (v * 9) % 28);
    i32(b, SetupAt + 4, 0);       // briefing language
    i32(b, SetupAt + 8, v % 2);   // attacking side
    u16(b, SetupAt + 12, v % 3);  // campaign type
    u16(b, SetupAt + 14, 12 + v); // attacking base
    u16(b, SetupAt + 16, 3);
    u16(b, SetupAt + 18, 7 + v);
    u16(b, SetupAt + 20, 12); // squadrons
    u8(b, SetupAt + 22, 6);   // special events
    u8(b, SetupAt + 23, 4);   // special missions
    const unsigned phases = 4 + v % 3;
    u8(b, SetupAt + 24, phases);
    u8(b, SetupAt + 25, 14 + 7 * (v % 2));
    u8(b, SetupAt + 26, 1 + v % 2);
    u8(b, SetupAt + 27, 10); // plane types

    for (unsigned p = 0; p < phases; ++p) {
        const std::size_t at = PhasesAt + 32 * p;
        u8(b, at + 0, 1 + p % 3); // win condition
        u8(b, at + 1, 50 + 10 * p);
        u8(b, at + 2, p == phases - 1 ? 0 : 3);
        u8(b, at + 3, 2);
        for (unsigned i = 0; i < 8; ++i)
            u16(b, at + 4 + 2 * i, 5 + (p * 3 + i * 7 + v) % 40); // US target shares
        u16(b, at + 20, 220 + 15 * p);                            // German production
        u16(b, at + 22, 1350 + 80 * p);                           // British production
        for (unsigned t = 0; t < 8; ++t)
            u8(b, at + 24 + t, t < 3 + p % 4 ? (p + t * 2 + v) % 10 : 255);
    }

    for (unsigned t = 0; t < 10; ++t) {
        const std::size_t at = PlaneTypesAt + 16 * t;
        const unsigned slot = (t * 3 + v) % 30;
        u8(b, at + 0, slot);
        u8(b, at + 1, t % 3);
        u8(b, at + 2, phases - 1);
        u8(b, at + 3, t % 4 == 3 ? 255 : (slot + 1) % 30);
        i32(b, at + 4, 24 + 12 * static_cast<int>(t));
        i32(b, at + 8, 6 + 2 * static_cast<int>(t % 5));
        i32(b, at + 12, t == 0 ? 12500 : 150 * static_cast<int>(t)); // a five-digit value
    }

    forces(b, GermanAt, 1, 1450 + 50 * v, 3200, 2, 75, 30 + v);
    forces(b, AlliedAt, 0, 2600, 4100 + 100 * v, 1, 82, 55);

    // Events: a new plane type (3), a withdrawal (18), industry damage (4), ...
    const unsigned eventTypes[] = { 3, 18, 4, 1, 2, 4 };
    for (unsigned e = 0; e < 6; ++e) {
        const std::size_t at = EventsAt + 8 * e;
        u8(b, at + 0, eventTypes[e]);
        u8(b, at + 1, 1 + e % 4);
        u8(b, at + 2, e + 1);
        u8(b, at + 3, 25 + 15 * (e % 5));
        u16(b, at + 4, eventTypes[e] == 3 || eventTypes[e] == 18 ? (e * 5 + v) % 30 : 300 + e);
        u16(b, at + 6, 10 * e);
    }

    for (unsigned m = 0; m < 4; ++m) {
        const std::size_t at = MissionsAt + 64 * m;
        u8(b, at + 0, 1 + m % 3);
        u8(b, at + 1, 60 + 10 * m);
        u16(b, at + 2, 2 + m);
        u8(b, at + 4, m % 5);
        u8(b, at + 5, 1 + m % 3);
        u16(b, at + 6, (4 + m + v) % 10);
        for (unsigned l = 0; l < 8; ++l)
            u16(b, at + 8 + 2 * l, l < 1 + m % 3 ? 1000 + 37 * m + l : 0);
        u8(b, at + 24, m % 2);
        u8(b, at + 25, 6 + 2 * m);
        u8(b, at + 26, 15 * m);
        u8(b, at + 27, m == 3 ? 255 : m);
        for (unsigned s = 0; s < 8; ++s)
            u16(b, at + 28 + 2 * s, s < 2 ? 40 + 10 * m + s : (s == 2 ? 65500 : 65535));
        for (unsigned s = 0; s < 8; ++s)
            u8(b, at + 44 + s, (m + s) % 4);
        u16(b, at + 52, m);     // success event
        u16(b, at + 54, 65535); // fail event: none
        u16(b, at + 56, m == 0 ? 1 : 65535);
        u16(b, at + 58, m == 1);
        u16(b, at + 60, m % 3);
        u16(b, at + 62, 6000 + 500 * m);
    }

    u16(b, V1At + 0, 120 + v);
    u16(b, V1At + 2, 121 + v);
    u16(b, V1At + 4, 65535);
    u16(b, V1At + 6, 122 + v);
    return b;
}

std::vector<std::uint8_t> sampleSquadronFile(int variant)
{
    const unsigned v = static_cast<unsigned>(variant < 0 ? -variant : variant);
    constexpr std::size_t RecordSize = 124;
    const unsigned count = 12 + v % 3;
    Bytes b(RecordSize * count, 0);
    for (unsigned s = 0; s < count; ++s) {
        const std::size_t at = RecordSize * s;
        u16(b, at + 0, 1943 + (s + v) % 2);
        u8(b, at + 2, 1 + (s * 5 + v) % 12);
        u8(b, at + 3, 1 + (s * 7) % 28);
        u16(b, at + 4, 100 + 3 * s + v); // home base
        u8(b, at + 6, s % 6 == 5 ? 255 : (s * 2 + v) % 30);
        u8(b, at + 7, 12 + s % 5 * 2); // aircraft
        u8(b, at + 8, 14 + s % 5 * 2); // pilots
        u8(b, at + 9, 60 + s * 3 % 40);
        u8(b, at + 10, 40 + s * 7 % 50);
        u8(b, at + 11, s % 3);
        u16(b, at + 12, 1 + s % 4);
        for (unsigned c = 0; c < 5; ++c)
            u8(b, at + 14 + c, (s * 13 + c * 29) % 101);
        u8(b, at + 19, s % 8);     // sprite
        u8(b, at + 20, 2 * s);     // unit's name
        u8(b, at + 21, 2 * s + 1); // unit's description
        for (unsigned n = 0; n < 4; ++n)
            u8(b, at + 22 + n, n < 3 ? 30 + 4 * s + n : 255);
        const unsigned moves = s % 3, changes = s % 2;
        u8(b, at + 26, moves);
        u8(b, at + 27, changes);
        for (unsigned m = 0; m < moves; ++m) {
            u8(b, at + 28 + 4 * m, 50 + 25 * m);
            u8(b, at + 29 + 4 * m, 1 + m);
            u16(b, at + 30 + 4 * m, 200 + 11 * s + m);
        }
        for (unsigned c = 0; c < 4; ++c) {
            u8(b, at + 44 + 4 * c, c < changes ? 80 : 0);
            u8(b, at + 45 + 4 * c, c < changes ? 2 : 0);
            u16(b, at + 46 + 4 * c, c < changes ? (s * 2 + 1 + v) % 30 : 255); // 255: no new aircraft
        }
        for (unsigned k = 0; k < 32; ++k)
            u8(b, at + 60 + k, k < 4 + s % 5 ? (k + s) % 7 : 255);
        for (unsigned w = 0; w < 8; ++w) {
            u8(b, at + 92 + 4 * w, w < 3 ? 1 + (w + s) % 5 : 255);
            u8(b, at + 93 + 4 * w, w < 3 ? w : 0);
            u16(b, at + 94 + 4 * w, w < 3 ? 24 * (w + 1) + s : 0);
        }
    }
    return b;
}

bool writeCampaignSamples(const std::filesystem::path& game)
{
    bool ok = writeBinary(game / "CAMP0001.DAT", sampleCampaignFile(0));
    ok = writeBinary(game / "CAMP0002.DAT", sampleCampaignFile(1)) && ok;
    ok = writeBinary(game / "SQ0141.DAT", sampleSquadronFile(0)) && ok;
    ok = writeText(game / "CAMPAIGNDATA.TXT", campaignDataText()) && ok;
    ok = writeText(game / "SQUADRONDATA.TXT", squadronDataText()) && ok;
    ok = writeText(game / "PNAMES.TXT", planeNamesText()) && ok;
    return ok;
}

} // namespace kvl::samples
