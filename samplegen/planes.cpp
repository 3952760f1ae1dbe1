// Sample game files: planes.
#include "samplegen/samples.h"

namespace kvl::samples {

bool writePlanesSamples(const std::filesystem::path&)
{
    return true;
}

} // namespace kvl::samples
