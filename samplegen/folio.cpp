// Sample game files: folio.
#include "samplegen/samples.h"

namespace kvl::samples {

bool writeFolioSamples(const std::filesystem::path&)
{
    return true;
}

} // namespace kvl::samples
