// Feeds arbitrary text to the aircraft script reader (see valuesfilecheck.h).
#include "planesedit/fuzz/valuesfilecheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    kvl::planesedit::fuzz::checkValuesFileReader(kvl::planesedit::ValuesFileKind::Script, data, size);
    return 0;
}
