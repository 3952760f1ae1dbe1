// Fuzz target: the .3DB reader, and everything that consumes a model it
// accepts (text dump, VKM checks and conversion).
#include "modelconv/model3db.h"
#include "modelconv/textdump.h"
#include "modelconv/vkm.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kvl::modelconv;
    auto decoded = decode3DB(std::vector<std::uint8_t>(data, data + size));
    if (!decoded)
        return 0;
    const Model3DB& model = *decoded;
    if (model.elements().size() != static_cast<std::size_t>(model.elementCount()))
        __builtin_trap();
    std::string dump = formatTextDump(model);
    if (dump.empty())
        __builtin_trap();
    if (model.pointCount() <= kVkmMaxPoints && model.elementCount() <= kVkmMaxElements && !vkmProblem(model)) {
        std::vector<std::uint8_t> bytes = vkmBytes(convertToVKM(model));
        if (bytes.size() < kVkmHeaderSize + 2)
            __builtin_trap();
    }
    return 0;
}
