// kvl-samplegen GAMEFOLDER: writes a sample game folder of plausible files.
#include "samplegen/samples.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: kvl-samplegen GAMEFOLDER\n");
        return 2;
    }
    std::filesystem::path game(argv[1]);
    std::error_code ec;
    std::filesystem::create_directories(game, ec);
    if (ec) {
        std::fprintf(stderr, "kvl-samplegen: cannot create %s: %s\n", game.string().c_str(), ec.message().c_str());
        return 1;
    }
    using namespace kvl::samples;
    bool ok = writeModelSamples(game);
    ok = writeCampaignSamples(game) && ok;
    ok = writePlanesSamples(game) && ok;
    ok = writeFolioSamples(game) && ok;
    ok = writeFlightSamples(game) && ok;
    return ok ? 0 : 1;
}
