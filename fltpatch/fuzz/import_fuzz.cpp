// Arbitrary bytes as a CSV file to import into a flight file: the checked
// import never crashes, and every row it accepts names a field once and holds
// a value that converts to that field's type.
#include "fltpatch/fltfieldtable.h"

#include <cstdint>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kvl::fltpatch;
    static const std::vector<std::string> values(kFieldCount, "1");
    static const std::vector<std::string> labels(kFieldCount, "a, \"label\"");
    const FlightFieldTable table(values, labels);
    auto rows = kvl::parseImportCsv(
        table, std::string_view(reinterpret_cast<const char*>(data), size), flightCsvLayout());
    if (!rows)
        return 0;
    std::vector<bool> seen(kFieldCount, false);
    for (const kvl::FieldAssignment& row : *rows) {
        if (row.index >= static_cast<std::size_t>(kFieldCount) || seen[row.index])
            __builtin_trap();
        seen[row.index] = true;
        if (encodeValue(fieldTable()[row.index].type, row.value).status != EncodedValue::Status::Ok)
            __builtin_trap();
    }
    return 0;
}
