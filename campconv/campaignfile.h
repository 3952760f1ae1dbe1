// The game's campaign file: exactly 3708 bytes in eight fixed blocks, no
// header, little-endian, no padding:
//
//   offset  size  block
//        0    28  campaign setup
//       28   800  25 phases of 32 bytes
//      828   480  30 plane types of 16 bytes
//     1308    44  German forces
//     1352    44  Allied forces
//     1396   256  32 special events of 8 bytes
//     1652  2048  32 special missions of 64 bytes
//     3700     8  V-1 missions
//
// All records are always present whatever the setup block's counts say.
// Each record's fields are listed once, in file order, as a field list
// (recordtext/fieldlist.h); kCampaignLayout puts the blocks in file order
// under the sections of CAMPAIGN.TXT. The binary reader and writer and the
// text writer and parser all walk it.
#pragma once

#include "recordtext/fieldlist.h"
#include "recordtext/fieldwalkers.h"

#include "common/byteview.h"
#include "common/result.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace kvl::campconv {

constexpr std::size_t kCampaignFileSize = 3708;
constexpr std::size_t kCampaignPhaseCount = 25;
constexpr std::size_t kCampaignPlaneTypeCount = 30;
constexpr std::size_t kCampaignEventCount = 32;
constexpr std::size_t kCampaignMissionCount = 32;

/// Comment category codes of the campaign text.
constexpr int kSideCode = 0;      // Briefing Language, Attacking Side, Nationality
constexpr int kConditionCode = 1; // Win Condition, Loss Condition
constexpr int kTargetTypeCode = 2;
constexpr int kEventTypeCode = 3;
constexpr int kEventTriggerCode = 4;
constexpr int kMissionTriggerCode = 5;
constexpr int kSpeechCode = 6; // only for values of 65500 and above
constexpr int kCrewQualityCode = 7;
constexpr int kMissionTypeCode = 8;
constexpr int kWeatherCode = 9;
constexpr int kPlaneNameCode = 11;

struct CampaignSetup {
    std::uint16_t commencementYear = 0;
    std::uint8_t commencementMonth = 0;
    std::uint8_t commencementDay = 0;
    std::int32_t briefingLanguage = 0;
    std::int32_t attackingSide = 0;
    std::uint16_t campaignType = 0;
    std::uint16_t attackingBase = 0;
    std::uint16_t attackersCapital = 0;
    std::uint16_t defendersCapital = 0;
    std::uint16_t numSquadrons = 0;
    std::uint8_t numSpecialEvents = 0;
    std::uint8_t numSpecialMissions = 0;
    std::uint8_t numPhases = 0;
    std::uint8_t phaseLengthDays = 0;
    std::uint8_t daysBetweenMissions = 0;
    std::uint8_t numPlaneTypes = 0;
};

/// Aircraft, Armaments, ... Submarine: the eight industries, in file order.
inline constexpr std::array<std::string_view, 8> kIndustryNames = { "Aircraft", "Armaments", "Chemical", "Oil",
    "Ball Bearing", "Railyard", "Shipping", "Submarine" };

struct CampaignPhase {
    std::uint8_t winCondition = 0;
    std::uint8_t winParameter = 0;
    std::uint8_t lossCondition = 0;
    std::uint8_t lossParameter = 0;
    std::array<std::uint16_t, 8> usTargets {}; // US Aircraft ... US Submarine
    std::uint16_t germanProduction = 0;
    std::uint16_t britishProduction = 0;
    std::array<std::uint8_t, 8> targetType {};
};

struct CampaignPlaneType {
    std::uint8_t slotNumber = 0;
    std::uint8_t startPhase = 0;
    std::uint8_t endPhase = 0;
    std::uint8_t replacement = 0;
    std::int32_t planeCount = 0;
    std::int32_t production = 0;
    std::int32_t startPoints = 0;
};

struct CampaignForces {
    std::int32_t nationality = 0;
    std::uint16_t airStrength = 0;
    std::uint16_t groundStrength = 0;
    std::uint8_t crewQuality = 0;
    std::uint8_t crewMorale = 0;
    std::uint16_t repairPoints = 0;
    std::array<std::uint16_t, 8> industry {};  // "<name> Industry"
    std::array<std::uint16_t, 8> factories {}; // "<name> Factories"
};

struct CampaignEvent {
    std::uint8_t eventType = 0;
    std::uint8_t eventTrigger = 0;
    std::uint8_t triggerParameter = 0;
    std::uint8_t chance = 0;
    std::uint16_t parameter1 = 0;
    std::uint16_t parameter2 = 0;
};

/// Speech Opening ... Speech Weather Conditions: the eight speech bytes of a mission.
inline constexpr std::array<std::string_view, 8> kMissionSpeechNames = { "Speech Opening", "Speech Long Opening",
    "Speech Target Area", "Speech Mission Type", "Speech Mission Objective", "Speech Flak", "Speech Enemy Fighters",
    "Speech Weather Conditions" };

struct CampaignMission {
    std::uint8_t missionTrigger = 0;
    std::uint8_t chance = 0;
    std::uint16_t triggerParameter = 0;
    std::uint8_t missionType = 0;
    std::uint8_t numberOfTargets = 0;
    std::uint16_t targetType = 0;
    std::array<std::uint16_t, 8> targetLocation {};
    std::uint8_t randomTime = 0;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    std::uint8_t weather = 0;
    std::array<std::uint16_t, 8> specialSpeech {};
    std::array<std::uint8_t, 8> speech {}; // kMissionSpeechNames
    std::uint16_t successEvent = 0;
    std::uint16_t failEvent = 0;
    std::uint16_t secondaryFlight = 0;
    std::uint16_t hasSameTarget = 0;
    std::uint16_t formationType = 0;
    std::uint16_t altitude = 0;
};

inline constexpr std::array<std::string_view, 4> kV1SpeechNames = { "V-1 Site Attack Speech",
    "V-1 Site Escort Bombers Speech", "V-1 Intercept Speech", "V-1 Ground Control Related Speech" };

struct CampaignV1 {
    std::array<std::uint16_t, 4> speech {}; // kV1SpeechNames
};

struct CampaignFile {
    CampaignSetup setup;
    std::array<CampaignPhase, kCampaignPhaseCount> phases {};
    std::array<CampaignPlaneType, kCampaignPlaneTypeCount> planeTypes {};
    CampaignForces german;
    CampaignForces allied;
    std::array<CampaignEvent, kCampaignEventCount> events {};
    std::array<CampaignMission, kCampaignMissionCount> missions {};
    CampaignV1 v1;
};

/// The campaign in the first 3708 bytes of a file image; an error saying why
/// when the image is shorter.
Result<CampaignFile> readCampaignImage(ByteView image);

/// The 3708-byte file image.
std::vector<std::uint8_t> campaignImage(const CampaignFile& file);

/// Every value of the campaign file with its offset and its name in the text,
/// in file order.
const std::vector<recordtext::FieldPlace>& campaignFieldPlaces();

// ---- Field lists -------------------------------------------------------------

namespace fields {
using recordtext::field;
using recordtext::Label;

inline constexpr auto kSetup = std::tuple(field(&CampaignSetup::commencementYear, "Commencement Year"),
    field(&CampaignSetup::commencementMonth, "Commencement Month"),
    field(&CampaignSetup::commencementDay, "Commencement Day"),
    field(&CampaignSetup::briefingLanguage, "Briefing Language", kSideCode),
    field(&CampaignSetup::attackingSide, "Attacking Side", kSideCode),
    field(&CampaignSetup::campaignType, "Campaign Type"), field(&CampaignSetup::attackingBase, "Attacking Base"),
    field(&CampaignSetup::attackersCapital, "Attacker's Capital"),
    field(&CampaignSetup::defendersCapital, "Defender's Capital"),
    field(&CampaignSetup::numSquadrons, "Num. of Squadrons"),
    field(&CampaignSetup::numSpecialEvents, "Num. Special Events"),
    field(&CampaignSetup::numSpecialMissions, "Num. Special Missions"),
    field(&CampaignSetup::numPhases, "Num. of Phases"), field(&CampaignSetup::phaseLengthDays, "Phase Length (Days)"),
    field(&CampaignSetup::daysBetweenMissions, "Days between Missions"),
    field(&CampaignSetup::numPlaneTypes, "Number of Plane Types"));

inline constexpr auto kPhase = std::tuple(field(&CampaignPhase::winCondition, "Win Condition", kConditionCode),
    field(&CampaignPhase::winParameter, "Win Parameter"),
    field(&CampaignPhase::lossCondition, "Loss Condition", kConditionCode),
    field(&CampaignPhase::lossParameter, "Loss Parameter"),
    field(&CampaignPhase::usTargets, Label("US ", kIndustryNames)),
    field(&CampaignPhase::germanProduction, "German Production"),
    field(&CampaignPhase::britishProduction, "British Production"),
    field(&CampaignPhase::targetType, "Target Type", kTargetTypeCode));

inline constexpr auto kPlaneType = std::tuple(field(&CampaignPlaneType::slotNumber, "Slot Number", kPlaneNameCode),
    field(&CampaignPlaneType::startPhase, "Start Phase"), field(&CampaignPlaneType::endPhase, "End Phase"),
    field(&CampaignPlaneType::replacement, "Replacement", kPlaneNameCode),
    field(&CampaignPlaneType::planeCount, "Plane Count"), field(&CampaignPlaneType::production, "Production"),
    field(&CampaignPlaneType::startPoints, "Start Points"));

inline constexpr auto kForces = std::tuple(field(&CampaignForces::nationality, "Nationality", kSideCode),
    field(&CampaignForces::airStrength, "Air Strength"), field(&CampaignForces::groundStrength, "Ground Strength"),
    field(&CampaignForces::crewQuality, "Crew Quality", kCrewQualityCode),
    field(&CampaignForces::crewMorale, "Crew Morale"), field(&CampaignForces::repairPoints, "Repair Points"),
    field(&CampaignForces::industry, Label("", kIndustryNames, " Industry")),
    field(&CampaignForces::factories, Label("", kIndustryNames, " Factories")));

/// Parameter 1 names a plane type for events of type 3 and 18.
constexpr int eventParameter1Code(const CampaignEvent& e)
{
    return e.eventType == 3 || e.eventType == 18 ? kPlaneNameCode : recordtext::kNoComment;
}

inline constexpr auto kEvent = std::tuple(field(&CampaignEvent::eventType, "Event Type", kEventTypeCode),
    field(&CampaignEvent::eventTrigger, "Event Trigger", kEventTriggerCode),
    field(&CampaignEvent::triggerParameter, "Trigger Parameter"), field(&CampaignEvent::chance, "Chance"),
    field(&CampaignEvent::parameter1, "Parameter 1", &eventParameter1Code),
    field(&CampaignEvent::parameter2, "Parameter 2"));

inline constexpr auto kMission = std::tuple(
    field(&CampaignMission::missionTrigger, "Mission Trigger", kMissionTriggerCode),
    field(&CampaignMission::chance, "Chance"), field(&CampaignMission::triggerParameter, "Trigger Parameter"),
    field(&CampaignMission::missionType, "Mission Type", kMissionTypeCode),
    field(&CampaignMission::numberOfTargets, "Number of Targets"),
    field(&CampaignMission::targetType, "Target Type", kTargetTypeCode),
    field(&CampaignMission::targetLocation, Label("Target Location ", 1)),
    field(&CampaignMission::randomTime, "Random Time"), field(&CampaignMission::hour, "Hour"),
    field(&CampaignMission::minute, "Minute"), field(&CampaignMission::weather, "Weather", kWeatherCode),
    field(&CampaignMission::specialSpeech, Label("Special Speech ", 1), kSpeechCode),
    field(&CampaignMission::speech, Label("", kMissionSpeechNames)),
    field(&CampaignMission::successEvent, "Success Event"), field(&CampaignMission::failEvent, "Fail Event"),
    field(&CampaignMission::secondaryFlight, "Secondary Flight"),
    field(&CampaignMission::hasSameTarget, "Has Same Target"), field(&CampaignMission::formationType, "Formation Type"),
    field(&CampaignMission::altitude, "Altitude"));

inline constexpr auto kV1 = std::tuple(field(&CampaignV1::speech, Label("", kV1SpeechNames)));

} // namespace fields

/// The eight blocks in file order, each under its section of CAMPAIGN.TXT:
/// heading, label width W, blank lines after it, and the lines the parser
/// reads and ignores before it (the blank lines and heading before a section
/// of records; a section of plain fields is found by its first field read,
/// which passes over blank lines and the heading by itself).
inline constexpr auto kCampaignLayout = std::tuple(
    recordtext::section({ "1. CAMPAIGN SETUP", 23, 3, 0 }, recordtext::block(&CampaignFile::setup, fields::kSetup)),
    recordtext::section({ "2. CAMPAIGN PHASES", 22, 2, 4 },
        recordtext::records(&CampaignFile::phases, recordtext::Label("PHASE #", 1), fields::kPhase, 1)),
    recordtext::section({ "3. CAMPAIGN PLANE TYPES", 15, 2, 4 },
        recordtext::records(&CampaignFile::planeTypes, recordtext::Label("PLANE TYPE #", 1), fields::kPlaneType, 1)),
    recordtext::section({ "4. GERMAN FORCES", 24, 3, 0 }, recordtext::block(&CampaignFile::german, fields::kForces)),
    recordtext::section({ "5. ALLIED FORCES", 24, 3, 0 }, recordtext::block(&CampaignFile::allied, fields::kForces)),
    recordtext::section({ "6. SPECIAL EVENTS", 22, 2, 4 },
        recordtext::records(&CampaignFile::events, recordtext::Label("EVENT #", 1), fields::kEvent, 1)),
    recordtext::section({ "7. SPECIAL MISSIONS", 30, 2, 4 },
        recordtext::records(&CampaignFile::missions, recordtext::Label("MISSION #", 1), fields::kMission, 1)),
    recordtext::section({ "8. V-1 MISSIONS", 37, 0, 3 }, recordtext::block(&CampaignFile::v1, fields::kV1)));

} // namespace kvl::campconv
