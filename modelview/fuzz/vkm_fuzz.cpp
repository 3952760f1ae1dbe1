// Feeds arbitrary bytes to the VKM loader and, when it accepts them, touches
// every point an element refers to, as drawing does.
#include "modelview/vkmmodel.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kvl::modelview;
    const kvl::Result<VkmModel> loaded = loadVkm(std::vector<std::uint8_t>(data, data + size), PointSizeRange {});
    if (!loaded)
        return 0;
    const VkmModel& model = *loaded;
    long sum = 0;
    for (const DecodedElement& e : model.elements()) {
        for (int k = 0; k < e.count; ++k)
            sum += model.point(e.indices[k]).x;
        if (e.type == kTypeMarker || e.type == kTypeLine)
            sum += model.point(e.indices[0]).y;
    }
    const ModelSummary s = summarize(model);
    return (sum + s.points) == -1 ? 0 : 0;
}
