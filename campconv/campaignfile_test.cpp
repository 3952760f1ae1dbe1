#include "campconv/campaignconverter.h"

#include "recordtext/testing/convertertest.h"
#include "samplegen/samples.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace kvl;
using namespace kvl::campconv;
using namespace kvl::recordtext;

// The sample generator lays the file down by byte offsets of its own, so
// reading a sample checks the field order and widths of every block.
TEST(CampaignFile, FieldsSitAtTheirOffsets)
{
    CampaignFile file;
    file = readCampaignImage(samples::sampleCampaignFile(1)).value();
    EXPECT_EQ(file.setup.commencementYear, 1944);
    EXPECT_EQ(file.setup.commencementMonth, 3);
    EXPECT_EQ(file.setup.commencementDay, 10);
    EXPECT_EQ(file.setup.attackingSide, 1);
    EXPECT_EQ(file.setup.attackingBase, 13);
    EXPECT_EQ(file.setup.defendersCapital, 8);
    EXPECT_EQ(file.setup.numSquadrons, 12);
    EXPECT_EQ(file.setup.numSpecialMissions, 4);
    EXPECT_EQ(file.setup.numPhases, 5);
    EXPECT_EQ(file.setup.numPlaneTypes, 10);

    const CampaignPhase& phase = file.phases[1];
    EXPECT_EQ(phase.winCondition, 2);
    EXPECT_EQ(phase.winParameter, 60);
    EXPECT_EQ(phase.lossParameter, 2);
    EXPECT_EQ(phase.usTargets[7], 5 + (3 + 49 + 1) % 40);
    EXPECT_EQ(phase.germanProduction, 235);
    EXPECT_EQ(phase.britishProduction, 1430);
    EXPECT_EQ(phase.targetType[0], 2);
    EXPECT_EQ(phase.targetType[7], 255);

    EXPECT_EQ(file.planeTypes[0].slotNumber, 1);
    EXPECT_EQ(file.planeTypes[3].replacement, 255);
    EXPECT_EQ(file.planeTypes[0].startPoints, 12500);
    EXPECT_EQ(file.planeTypes[9].planeCount, 132);
    EXPECT_EQ(file.planeTypes[9].production, 14);

    EXPECT_EQ(file.german.nationality, 1);
    EXPECT_EQ(file.german.airStrength, 1500);
    EXPECT_EQ(file.german.crewQuality, 2);
    EXPECT_EQ(file.german.crewMorale, 75);
    EXPECT_EQ(file.german.repairPoints, 71);
    EXPECT_EQ(file.german.factories[7], 4 + (31 + 7) % 9);
    EXPECT_EQ(file.allied.nationality, 0);
    EXPECT_EQ(file.allied.groundStrength, 4200);

    EXPECT_EQ(file.events[1].eventType, 18);
    EXPECT_EQ(file.events[1].chance, 40);
    EXPECT_EQ(file.events[1].parameter1, 6);
    EXPECT_EQ(file.events[5].parameter2, 50);

    const CampaignMission& mission = file.missions[3];
    EXPECT_EQ(mission.missionTrigger, 1);
    EXPECT_EQ(mission.triggerParameter, 5);
    EXPECT_EQ(mission.targetType, 8);
    EXPECT_EQ(mission.targetLocation[0], 1111);
    EXPECT_EQ(mission.weather, 255);
    EXPECT_EQ(mission.specialSpeech[2], 65500);
    EXPECT_EQ(mission.speech[7], (3 + 7) % 4);
    EXPECT_EQ(mission.failEvent, 65535);
    EXPECT_EQ(mission.altitude, 7500);
    EXPECT_EQ(file.v1.speech[0], 121);
    EXPECT_EQ(file.v1.speech[3], 123);
}

TEST(CampaignFile, WritesBackTheFirst3708BytesUnchanged)
{
    for (std::size_t size : { std::size_t(3708), std::size_t(4000) }) {
        const auto image = test::randomImage(size, static_cast<unsigned>(size));
        CampaignFile file;
        file = readCampaignImage(image).value();
        const auto written = campaignImage(file);
        ASSERT_EQ(written.size(), 3708u);
        EXPECT_TRUE(std::equal(written.begin(), written.end(), image.begin()));
    }
    // The last field of the file.
    auto image = test::randomImage(3708, 1);
    image[3706] = 0xEF;
    image[3707] = 0xBE;
    CampaignFile file;
    file = readCampaignImage(image).value();
    EXPECT_EQ(file.v1.speech[3], 0xBEEF);
}

TEST(CampaignFile, ShortFileIsRefusedAndLeavesTheRecordsAlone)
{
    CampaignConverter converter;
    converter.file().setup.commencementYear = 1942;
    const Result<void> loaded = converter.loadImage(test::randomImage(3707, 3));
    ASSERT_FALSE(loaded.ok());
    EXPECT_EQ(loaded.error().message, "Campaign file is too short (3707 bytes, 3708 needed)!");
    EXPECT_EQ(converter.file().setup.commencementYear, 1942);
    const Result<CampaignFile> read = readCampaignImage(ByteView());
    ASSERT_FALSE(read.ok());
    EXPECT_EQ(read.error().message, "Campaign file is too short (0 bytes, 3708 needed)!");
}

} // namespace
