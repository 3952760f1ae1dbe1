// Fuzz target: verify on any bytes. It must load, round-trip and name a
// difference without reading outside the file, and a file it calls
// identical must come back from the text byte for byte.
#include "campconv/campaignconverter.h"
#include "recordtext/roundtrip.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::uint8_t> image(data, data + size);
    kvl::campconv::CampaignConverter converter;
    const auto result = kvl::recordtext::checkRoundTrip(
        converter, kvl::campconv::campaignProgramTable(), kvl::recordtext::AnnotationSet {}, image);
    if (result && !result->has_value() && converter.binaryImage() != image)
        std::abort();
    return 0;
}
