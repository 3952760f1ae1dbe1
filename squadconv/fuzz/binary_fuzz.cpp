// Fuzz target: the squadron file reader. Its whole records must come back
// from the writer unchanged.
#include "squadconv/squadronfile.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    kvl::SquadronFile file;
    kvl::readSquadronImage(kvl::ByteView(data, size), file);
    const std::vector<std::uint8_t> image = kvl::squadronImage(file);
    if (image.size() != size / kvl::SquadronRecordSize * kvl::SquadronRecordSize
        || (!image.empty() && std::memcmp(image.data(), data, image.size()) != 0))
        std::abort();
    return 0;
}
