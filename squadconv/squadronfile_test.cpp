#include "squadconv/squadronfile.h"

#include "recordtext/testing/convertertest.h"
#include "samplegen/samples.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace kvl;
using namespace kvl::squadconv;
using namespace kvl::recordtext;

// The sample generator lays the records down by byte offsets of its own.
TEST(SquadronFile, FieldsSitAtTheirOffsets)
{
    SquadronFile file;
    readSquadronImage(samples::sampleSquadronFile(0), file);
    ASSERT_EQ(file.squadrons.size(), 12u);
    const SquadronRecord& s = file.squadrons[5];
    EXPECT_EQ(s.commencementYear, 1944);
    EXPECT_EQ(s.commencementMonth, 2);
    EXPECT_EQ(s.commencementDay, 8);
    EXPECT_EQ(s.homeBase, 115);
    EXPECT_EQ(s.aircraftType, 255);
    EXPECT_EQ(s.numberOfAircraft, 12);
    EXPECT_EQ(s.numberOfPilots, 14);
    EXPECT_EQ(s.moraleAtStart, 75);
    EXPECT_EQ(s.skillAtStart, 75);
    EXPECT_EQ(s.startPhase, 2);
    EXPECT_EQ(s.squadronsInGroup, 2);
    EXPECT_EQ(s.escortChance, 65);
    EXPECT_EQ(s.interdictChance, (65 + 116) % 101);
    EXPECT_EQ(s.spriteNumber, 5);
    EXPECT_EQ(s.unitsName, 10);
    EXPECT_EQ(s.unitsDescription, 11);
    EXPECT_EQ(s.squadronName[0], 50);
    EXPECT_EQ(s.squadronName[3], 255);
    EXPECT_EQ(s.numAirfieldMoves, 2);
    EXPECT_EQ(s.numAircraftChanges, 1);
    EXPECT_EQ(s.airfieldMoves[1].possibility, 75);
    EXPECT_EQ(s.airfieldMoves[1].inPhase, 2);
    EXPECT_EQ(s.airfieldMoves[1].airfieldCode, 256);
    EXPECT_EQ(s.upgrades[0].possibility, 80);
    EXPECT_EQ(s.upgrades[0].newAircraft, 11);
    EXPECT_EQ(s.upgrades[3].newAircraft, 255);
    EXPECT_EQ(s.specialMissions[0], 5);
    EXPECT_EQ(s.specialMissions[31], 255);
    EXPECT_EQ(s.weapons[2].weaponType, 3);
    EXPECT_EQ(s.weapons[2].inPhase, 2);
    EXPECT_EQ(s.weapons[2].numberAvailable, 77);
    EXPECT_EQ(s.weapons[7].weaponType, 255);
}

TEST(SquadronFile, WholeRecordsOnly)
{
    for (std::size_t size : { 0, 100, 123, 124, 1240, 1250 }) {
        const auto image = test::randomImage(size, static_cast<unsigned>(size));
        SquadronFile file;
        readSquadronImage(image, file);
        EXPECT_EQ(file.squadrons.size(), size / 124);
        const auto written = squadronImage(file);
        ASSERT_EQ(written.size(), size / 124 * 124);
        EXPECT_TRUE(std::equal(written.begin(), written.end(), image.begin()));
    }
}

} // namespace
