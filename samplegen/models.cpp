// Sample game files: models.
#include "samplegen/samples.h"

namespace kvl::samples {

bool writeModelSamples(const std::filesystem::path&)
{
    return true;
}

} // namespace kvl::samples
