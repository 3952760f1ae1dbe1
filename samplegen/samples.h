// The parts of the sample game folder, one writer per kind of game file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace kvl::samples {

/// Each writer puts its files into the game folder `game` (which exists) and
/// returns false, after printing why to standard error, when it cannot.
bool writeModelSamples(const std::filesystem::path& game);
bool writeCampaignSamples(const std::filesystem::path& game);
bool writePlanesSamples(const std::filesystem::path& game);
bool writeFolioSamples(const std::filesystem::path& game);
bool writeFlightSamples(const std::filesystem::path& game);

/// A campaign file of the game's layout; `variant` picks one of several
/// believable campaigns (0, 1, 2, ...).
std::vector<std::uint8_t> sampleCampaignFile(int variant);
/// A squadron file of the game's layout; `variant` as above.
std::vector<std::uint8_t> sampleSquadronFile(int variant);

} // namespace kvl::samples
