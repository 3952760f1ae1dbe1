// Feeds arbitrary text to the working copy reader (see valuesfilecheck.h).
#include "planesedit/fuzz/valuesfilecheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    kvl::planesedit::fuzz::checkValuesFileReader(kvl::planesedit::ValuesFileKind::WorkingCopy, data, size);
    return 0;
}
