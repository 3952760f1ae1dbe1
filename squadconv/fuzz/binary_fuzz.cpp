// Fuzz target: the squadron file reader. Its whole records must come back
// from the writer unchanged.
#include "squadconv/squadronfile.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    kvl::squadconv::SquadronFile file;
    kvl::squadconv::readSquadronImage(kvl::ByteView(data, size), file);
    const std::vector<std::uint8_t> image = kvl::squadconv::squadronImage(file);
    if (image.size() != size / kvl::squadconv::kSquadronRecordSize * kvl::squadconv::kSquadronRecordSize
        || (!image.empty() && std::memcmp(image.data(), data, image.size()) != 0))
        std::abort();
    return 0;
}
