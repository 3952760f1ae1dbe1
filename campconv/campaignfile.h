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
// Each record's fields are listed once, in file order, by a visit function;
// the binary reader and writer and the text writer and parser all walk the
// same lists, so the four can never disagree on order, width or label.
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

constexpr std::size_t CampaignFileSize = 3708;
constexpr std::size_t CampaignPhaseCount = 25;
constexpr std::size_t CampaignPlaneTypeCount = 30;
constexpr std::size_t CampaignEventCount = 32;
constexpr std::size_t CampaignMissionCount = 32;

/// Comment category codes of the campaign text.
namespace campcode {
constexpr int None = -1;
constexpr int Side = 0;      // Briefing Language, Attacking Side, Nationality
constexpr int Condition = 1; // Win Condition, Loss Condition
constexpr int TargetType = 2;
constexpr int EventType = 3;
constexpr int EventTrigger = 4;
constexpr int MissionTrigger = 5;
constexpr int Speech = 6; // only for values of 65500 and above
constexpr int CrewQuality = 7;
constexpr int MissionType = 8;
constexpr int Weather = 9;
constexpr int PlaneName = 11;
} // namespace campcode

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
inline constexpr std::array<std::string_view, 8> IndustryNames = { "Aircraft", "Armaments", "Chemical", "Oil",
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
inline constexpr std::array<std::string_view, 8> MissionSpeechNames = { "Speech Opening", "Speech Long Opening",
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
    std::array<std::uint8_t, 8> speech {}; // MissionSpeechNames
    std::uint16_t successEvent = 0;
    std::uint16_t failEvent = 0;
    std::uint16_t secondaryFlight = 0;
    std::uint16_t hasSameTarget = 0;
    std::uint16_t formationType = 0;
    std::uint16_t altitude = 0;
};

inline constexpr std::array<std::string_view, 4> V1SpeechNames = { "V-1 Site Attack Speech",
    "V-1 Site Escort Bombers Speech", "V-1 Intercept Speech", "V-1 Ground Control Related Speech" };

struct CampaignV1 {
    std::array<std::uint16_t, 4> speech {}; // V1SpeechNames
};

struct CampaignFile {
    CampaignSetup setup;
    std::array<CampaignPhase, CampaignPhaseCount> phases {};
    std::array<CampaignPlaneType, CampaignPlaneTypeCount> planeTypes {};
    CampaignForces german;
    CampaignForces allied;
    std::array<CampaignEvent, CampaignEventCount> events {};
    std::array<CampaignMission, CampaignMissionCount> missions {};
    CampaignV1 v1;
};

/// Reads the first 3708 bytes of a campaign file image. False, with `error`
/// saying why, when the image is shorter.
bool readCampaignImage(ByteView image, CampaignFile& file, std::string* error = nullptr);

/// The 3708-byte file image.
std::vector<std::uint8_t> campaignImage(const CampaignFile& file);

// ---- Field lists -----------------------------------------------------------
// A visitor has field(name, value, code) for uint8_t, uint16_t and int32_t
// values (const or not); `name` is the field name without indentation or colon.

template <class V, class S>
void visitSetup(V& v, S& s)
{
    static_assert(std::is_same_v<std::remove_const_t<S>, CampaignSetup>);
    using namespace campcode;
    v.field("Commencement Year", s.commencementYear, None);
    v.field("Commencement Month", s.commencementMonth, None);
    v.field("Commencement Day", s.commencementDay, None);
    v.field("Briefing Language", s.briefingLanguage, Side);
    v.field("Attacking Side", s.attackingSide, Side);
    v.field("Campaign Type", s.campaignType, None);
    v.field("Attacking Base", s.attackingBase, None);
    v.field("Attacker's Capital", s.attackersCapital, None);
    v.field("Defender's Capital", s.defendersCapital, None);
    v.field("Num. of Squadrons", s.numSquadrons, None);
    v.field("Num. Special Events", s.numSpecialEvents, None);
    v.field("Num. Special Missions", s.numSpecialMissions, None);
    v.field("Num. of Phases", s.numPhases, None);
    v.field("Phase Length (Days)", s.phaseLengthDays, None);
    v.field("Days between Missions", s.daysBetweenMissions, None);
    v.field("Number of Plane Types", s.numPlaneTypes, None);
}

template <class V, class P>
void visitPhase(V& v, P& p)
{
    static_assert(std::is_same_v<std::remove_const_t<P>, CampaignPhase>);
    using namespace campcode;
    v.field("Win Condition", p.winCondition, Condition);
    v.field("Win Parameter", p.winParameter, None);
    v.field("Loss Condition", p.lossCondition, Condition);
    v.field("Loss Parameter", p.lossParameter, None);
    for (std::size_t i = 0; i < p.usTargets.size(); ++i)
        v.field(std::string("US ").append(IndustryNames[i]), p.usTargets[i], None);
    v.field("German Production", p.germanProduction, None);
    v.field("British Production", p.britishProduction, None);
    for (auto& target : p.targetType)
        v.field("Target Type", target, TargetType);
}

template <class V, class T>
void visitPlaneType(V& v, T& t)
{
    static_assert(std::is_same_v<std::remove_const_t<T>, CampaignPlaneType>);
    using namespace campcode;
    v.field("Slot Number", t.slotNumber, PlaneName);
    v.field("Start Phase", t.startPhase, None);
    v.field("End Phase", t.endPhase, None);
    v.field("Replacement", t.replacement, PlaneName);
    v.field("Plane Count", t.planeCount, None);
    v.field("Production", t.production, None);
    v.field("Start Points", t.startPoints, None);
}

template <class V, class F>
void visitForces(V& v, F& f)
{
    static_assert(std::is_same_v<std::remove_const_t<F>, CampaignForces>);
    using namespace campcode;
    v.field("Nationality", f.nationality, Side);
    v.field("Air Strength", f.airStrength, None);
    v.field("Ground Strength", f.groundStrength, None);
    v.field("Crew Quality", f.crewQuality, CrewQuality);
    v.field("Crew Morale", f.crewMorale, None);
    v.field("Repair Points", f.repairPoints, None);
    for (std::size_t i = 0; i < f.industry.size(); ++i)
        v.field(std::string(IndustryNames[i]).append(" Industry"), f.industry[i], None);
    for (std::size_t i = 0; i < f.factories.size(); ++i)
        v.field(std::string(IndustryNames[i]).append(" Factories"), f.factories[i], None);
}

/// Parameter 1 names a plane type for events of type 3 and 18.
constexpr int eventParameter1Code(std::uint8_t eventType)
{
    return eventType == 3 || eventType == 18 ? campcode::PlaneName : campcode::None;
}

template <class V, class E>
void visitEvent(V& v, E& e)
{
    static_assert(std::is_same_v<std::remove_const_t<E>, CampaignEvent>);
    using namespace campcode;
    v.field("Event Type", e.eventType, EventType);
    v.field("Event Trigger", e.eventTrigger, EventTrigger);
    v.field("Trigger Parameter", e.triggerParameter, None);
    v.field("Chance", e.chance, None);
    v.field("Parameter 1", e.parameter1, eventParameter1Code(e.eventType));
    v.field("Parameter 2", e.parameter2, None);
}

template <class V, class M>
void visitMission(V& v, M& m)
{
    static_assert(std::is_same_v<std::remove_const_t<M>, CampaignMission>);
    using namespace campcode;
    v.field("Mission Trigger", m.missionTrigger, MissionTrigger);
    v.field("Chance", m.chance, None);
    v.field("Trigger Parameter", m.triggerParameter, None);
    v.field("Mission Type", m.missionType, MissionType);
    v.field("Number of Targets", m.numberOfTargets, None);
    v.field("Target Type", m.targetType, TargetType);
    for (std::size_t i = 0; i < m.targetLocation.size(); ++i)
        v.field("Target Location " + std::to_string(i + 1), m.targetLocation[i], None);
    v.field("Random Time", m.randomTime, None);
    v.field("Hour", m.hour, None);
    v.field("Minute", m.minute, None);
    v.field("Weather", m.weather, Weather);
    for (std::size_t i = 0; i < m.specialSpeech.size(); ++i)
        v.field("Special Speech " + std::to_string(i + 1), m.specialSpeech[i], Speech);
    for (std::size_t i = 0; i < m.speech.size(); ++i)
        v.field(MissionSpeechNames[i], m.speech[i], None);
    v.field("Success Event", m.successEvent, None);
    v.field("Fail Event", m.failEvent, None);
    v.field("Secondary Flight", m.secondaryFlight, None);
    v.field("Has Same Target", m.hasSameTarget, None);
    v.field("Formation Type", m.formationType, None);
    v.field("Altitude", m.altitude, None);
}

template <class V, class W>
void visitV1(V& v, W& w)
{
    static_assert(std::is_same_v<std::remove_const_t<W>, CampaignV1>);
    for (std::size_t i = 0; i < w.speech.size(); ++i)
        v.field(V1SpeechNames[i], w.speech[i], campcode::None);
}

/// Every record of the file in file order.
template <class V, class C>
void visitCampaign(V& v, C& c)
{
    static_assert(std::is_same_v<std::remove_const_t<C>, CampaignFile>);
    visitSetup(v, c.setup);
    for (auto& p : c.phases)
        visitPhase(v, p);
    for (auto& t : c.planeTypes)
        visitPlaneType(v, t);
    visitForces(v, c.german);
    visitForces(v, c.allied);
    for (auto& e : c.events)
        visitEvent(v, e);
    for (auto& m : c.missions)
        visitMission(v, m);
    visitV1(v, c.v1);
}

} // namespace kvl
