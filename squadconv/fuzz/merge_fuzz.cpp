// Fuzz target: the field merge and diff of squadron files and texts, whose
// squadron counts may differ (the properties are listed in
// recordtext/fuzz/mergeproperties.h).
#include "recordtext/fuzz/mergeproperties.h"
#include "squadconv/squadronconverter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    kvl::squadconv::SquadronConverter converter;
    kvl::recordtext::fuzz::checkMergeProperties(converter, kvl::squadconv::squadronProgramTable(), data, size);
    return 0;
}
