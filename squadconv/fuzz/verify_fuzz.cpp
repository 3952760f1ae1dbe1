// Fuzz target: verify on any bytes. It must load, round-trip and name a
// difference without reading outside the file, and a file it calls
// identical must come back from the text byte for byte.
#include "recordtext/roundtrip.h"
#include "squadconv/squadronconverter.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::uint8_t> image(data, data + size);
    kvl::squadconv::SquadronConverter converter;
    const auto result = kvl::recordtext::checkRoundTrip(
        converter, kvl::squadconv::squadronProgramTable(), kvl::recordtext::AnnotationSet {}, image);
    if (result && !result->has_value() && converter.binaryImage() != image)
        std::abort();
    return 0;
}
