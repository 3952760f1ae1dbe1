// Sample game files: flights.
#include "samplegen/samples.h"

namespace kvl::samples {

bool writeFlightSamples(const std::filesystem::path&)
{
    return true;
}

} // namespace kvl::samples
