// The game's squadron file: a plain array of 124-byte squadron records, no
// header, no trailer, little-endian, no padding. The number of squadrons is
// the file length divided by 124; a remainder is ignored.
//
// Record layout (offsets within the record):
//     0  u16 Commencement Year     2 u8 Month   3 u8 Day   4 u16 Home Base
//     6  u8 x6 Aircraft Type ... Start Phase   12 u16 #. Squadrons in Group
//    14  u8 x14 Escort Chance ... Num. Aircraft Changes
//    28  4 airfield moves       (u8 Possibility, u8 In Phase #, u16 Airfield Code)
//    44  4 aircraft upgrades    (u8 Possibility, u8 In Phase #, u16 New Aircraft)
//    60  32 special-mission bytes
//    92  8 weapon availabilities (u8 Weapon Type, u8 In Phase #, u16 Number Available)
//
// As for the campaign file, each record's fields are listed once by a visit
// function that the binary reader and writer and the text writer and parser
// all walk.
#pragma once

#include "common/byteview.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace kvl {

constexpr std::size_t SquadronRecordSize = 124;

/// Category codes of the squadron text.
namespace squadcode {
constexpr int None = -1;
constexpr int Weapon = 0;
constexpr int PlaneName = 1;
} // namespace squadcode

struct AirfieldMove {
    std::uint8_t possibility = 0;
    std::uint8_t inPhase = 0;
    std::uint16_t airfieldCode = 0;
};

struct AircraftUpgrade {
    std::uint8_t possibility = 0;
    std::uint8_t inPhase = 0;
    std::uint16_t newAircraft = 0;
};

struct WeaponAvailability {
    std::uint8_t weaponType = 0;
    std::uint8_t inPhase = 0;
    std::uint16_t numberAvailable = 0;
};

struct SquadronRecord {
    std::uint16_t commencementYear = 0;
    std::uint8_t commencementMonth = 0;
    std::uint8_t commencementDay = 0;
    std::uint16_t homeBase = 0;
    std::uint8_t aircraftType = 0;
    std::uint8_t numberOfAircraft = 0;
    std::uint8_t numberOfPilots = 0;
    std::uint8_t moraleAtStart = 0;
    std::uint8_t skillAtStart = 0;
    std::uint8_t startPhase = 0;
    std::uint16_t squadronsInGroup = 0;
    std::uint8_t escortChance = 0;
    std::uint8_t sweepChance = 0;
    std::uint8_t bombChance = 0;
    std::uint8_t interceptChance = 0;
    std::uint8_t interdictChance = 0;
    std::uint8_t spriteNumber = 0;
    std::uint8_t unitsName = 0;
    std::uint8_t unitsDescription = 0;
    std::array<std::uint8_t, 4> squadronName {};
    std::uint8_t numAirfieldMoves = 0;
    std::uint8_t numAircraftChanges = 0;
    std::array<AirfieldMove, 4> airfieldMoves {};
    std::array<AircraftUpgrade, 4> upgrades {};
    std::array<std::uint8_t, 32> specialMissions {};
    std::array<WeaponAvailability, 8> weapons {};
};

struct SquadronFile {
    std::vector<SquadronRecord> squadrons; // in file order
};

/// Reads the whole records of a squadron file image (never fails: a short
/// image holds no squadron).
void readSquadronImage(ByteView image, SquadronFile& file);

/// count x 124 bytes.
std::vector<std::uint8_t> squadronImage(const SquadronFile& file);

// ---- Field list -------------------------------------------------------------
// A visitor has field(name, value, code) for uint8_t and uint16_t values,
// anyField(label, value) for the special-mission bytes (whose labels the
// parser accepts whatever they say), and group(title) before each airfield
// move, aircraft upgrade and weapon availability.

inline std::string specialMissionLabel(std::size_t index)
{
    return "Special Mission #" + std::to_string(index) + ":";
}

template <class V, class R>
void visitSquadron(V& v, R& r)
{
    static_assert(std::is_same_v<std::remove_const_t<R>, SquadronRecord>);
    using namespace squadcode;
    v.field("Commencement Year", r.commencementYear, None);
    v.field("Commencement Month", r.commencementMonth, None);
    v.field("Commencement Day", r.commencementDay, None);
    v.field("Home Base", r.homeBase, None);
    v.field("Aircraft Type", r.aircraftType, PlaneName);
    v.field("Number of Aircraft", r.numberOfAircraft, None);
    v.field("Number of Pilots", r.numberOfPilots, None);
    v.field("Morale at Start", r.moraleAtStart, None);
    v.field("Skill at Start", r.skillAtStart, None);
    v.field("Start Phase", r.startPhase, None);
    v.field("#. Squadrons in Group", r.squadronsInGroup, None);
    v.field("Escort Chance", r.escortChance, None);
    v.field("Sweep Chance", r.sweepChance, None);
    v.field("Bomb Chance", r.bombChance, None);
    v.field("Intercept Chance", r.interceptChance, None);
    v.field("Interdict Chance", r.interdictChance, None);
    v.field("Sprite Number", r.spriteNumber, None);
    v.field("Unit's Name", r.unitsName, None);
    v.field("Unit's Description", r.unitsDescription, None);
    for (std::size_t i = 0; i < r.squadronName.size(); ++i)
        v.field("Squadron " + std::to_string(i + 1) + " Name", r.squadronName[i], None);
    v.field("Num. Airfield Moves", r.numAirfieldMoves, None);
    v.field("Num. Aircraft Changes", r.numAircraftChanges, None);
    for (std::size_t i = 0; i < r.airfieldMoves.size(); ++i) {
        v.group("  AIRFIELD MOVE #" + std::to_string(i + 1));
        v.field("Possibility", r.airfieldMoves[i].possibility, None);
        v.field("In Phase #", r.airfieldMoves[i].inPhase, None);
        v.field("Airfield Code", r.airfieldMoves[i].airfieldCode, None);
    }
    for (std::size_t i = 0; i < r.upgrades.size(); ++i) {
        v.group("  AIRCRAFT UPGRADE #" + std::to_string(i + 1));
        v.field("Possibility", r.upgrades[i].possibility, None);
        v.field("In Phase #", r.upgrades[i].inPhase, None);
        v.field("New Aircraft", r.upgrades[i].newAircraft, PlaneName);
    }
    v.endGroups();
    for (std::size_t i = 0; i < r.specialMissions.size(); ++i)
        v.anyField(i, r.specialMissions[i]);
    for (std::size_t i = 0; i < r.weapons.size(); ++i) {
        v.group("  WEAPON AVAILABILITY #" + std::to_string(i + 1));
        v.field("Weapon Type", r.weapons[i].weaponType, Weapon);
        v.field("In Phase #", r.weapons[i].inPhase, None);
        v.field("Number Available", r.weapons[i].numberAvailable, None);
    }
    v.endGroups();
}

} // namespace kvl
