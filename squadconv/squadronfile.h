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
// As for the campaign file, the record's fields are listed once, as a field
// list (recordtext/fieldlist.h) that the binary reader and writer and the
// text writer and parser all walk.
#pragma once

#include "recordtext/fieldlist.h"
#include "recordtext/fieldwalkers.h"

#include "common/byteview.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace kvl::squadconv {

constexpr std::size_t kSquadronRecordSize = 124;

/// Category codes of the squadron text.
constexpr int kWeaponCode = 0;
constexpr int kPlaneNameCode = 1;

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

/// Every value of one squadron record with its offset in the record and its
/// name in the text, in file order.
const std::vector<recordtext::FieldPlace>& squadronFieldPlaces();

// ---- Field list --------------------------------------------------------------

namespace fields {
using recordtext::field;
using recordtext::kAnyLabel;
using recordtext::kAtMargin;
using recordtext::kNoComment;
using recordtext::Label;
using recordtext::records;

inline constexpr auto kAirfieldMove = std::tuple(field(&AirfieldMove::possibility, "Possibility"),
    field(&AirfieldMove::inPhase, "In Phase #"), field(&AirfieldMove::airfieldCode, "Airfield Code"));

inline constexpr auto kUpgrade = std::tuple(field(&AircraftUpgrade::possibility, "Possibility"),
    field(&AircraftUpgrade::inPhase, "In Phase #"),
    field(&AircraftUpgrade::newAircraft, "New Aircraft", kPlaneNameCode));

inline constexpr auto kWeapon = std::tuple(field(&WeaponAvailability::weaponType, "Weapon Type", kWeaponCode),
    field(&WeaponAvailability::inPhase, "In Phase #"), field(&WeaponAvailability::numberAvailable, "Number Available"));

/// One squadron record in file order. The special-mission lines are numbered
/// from 0, stand at the margin, and their labels are never checked.
inline constexpr auto kSquadron = std::tuple(field(&SquadronRecord::commencementYear, "Commencement Year"),
    field(&SquadronRecord::commencementMonth, "Commencement Month"),
    field(&SquadronRecord::commencementDay, "Commencement Day"), field(&SquadronRecord::homeBase, "Home Base"),
    field(&SquadronRecord::aircraftType, "Aircraft Type", kPlaneNameCode),
    field(&SquadronRecord::numberOfAircraft, "Number of Aircraft"),
    field(&SquadronRecord::numberOfPilots, "Number of Pilots"),
    field(&SquadronRecord::moraleAtStart, "Morale at Start"), field(&SquadronRecord::skillAtStart, "Skill at Start"),
    field(&SquadronRecord::startPhase, "Start Phase"),
    field(&SquadronRecord::squadronsInGroup, "#. Squadrons in Group"),
    field(&SquadronRecord::escortChance, "Escort Chance"), field(&SquadronRecord::sweepChance, "Sweep Chance"),
    field(&SquadronRecord::bombChance, "Bomb Chance"), field(&SquadronRecord::interceptChance, "Intercept Chance"),
    field(&SquadronRecord::interdictChance, "Interdict Chance"), field(&SquadronRecord::spriteNumber, "Sprite Number"),
    field(&SquadronRecord::unitsName, "Unit's Name"), field(&SquadronRecord::unitsDescription, "Unit's Description"),
    field(&SquadronRecord::squadronName, Label("Squadron ", 1, " Name")),
    field(&SquadronRecord::numAirfieldMoves, "Num. Airfield Moves"),
    field(&SquadronRecord::numAircraftChanges, "Num. Aircraft Changes"),
    records(&SquadronRecord::airfieldMoves, Label("AIRFIELD MOVE #", 1), kAirfieldMove),
    records(&SquadronRecord::upgrades, Label("AIRCRAFT UPGRADE #", 1), kUpgrade),
    field(&SquadronRecord::specialMissions, Label("Special Mission #", 0), kNoComment, kAtMargin | kAnyLabel),
    records(&SquadronRecord::weapons, Label("WEAPON AVAILABILITY #", 1), kWeapon));

} // namespace fields

} // namespace kvl::squadconv
