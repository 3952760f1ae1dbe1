// Across the two programs: a .3DB model that modelconv converts to a VKM file
// must read back in the viewer's loader as the points and elements the
// converter put in. modelconv refuses (with a warning) every model whose VKM
// would read back otherwise, so any difference here is a fault in one of the
// two: the converter's checks, its writer, or the viewer's loader.
//
// The loader decodes only the first record of each element; that record is
// compared field by field with the converter's: type (the prefix code for a
// prefixed record, which the viewer keeps as the type), vertex count, point
// indices, s and t bytes (the second value for type 4) and the attribute the
// viewer keeps (attribute 1 of types 1 to 4).
#include "modelconv/model3db.h"
#include "modelconv/vkm.h"
#include "modelview/vkmmodel.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using kvl::modelconv::ElementVKM;
using kvl::modelconv::RecordVKM;
using kvl::modelview::DecodedElement;

std::uint8_t at(const std::vector<std::uint8_t>& v, std::size_t k)
{
    return k < v.size() ? v[k] : 0;
}

// The first record as the viewer decodes it.
DecodedElement expectedElement(const ElementVKM& e)
{
    DecodedElement d;
    if (e.empty)
        return d;
    const RecordVKM& r = e.first;
    d.type = r.hasPrefix() ? r.prefixCode : r.type;
    switch (r.type) {
    case 1:
        d.indices[0] = at(r.indices, 0);
        d.indices[1] = at(r.indices, 1);
        d.trailing[0] = r.attribute1;
        break;
    case 2:
        d.indices[0] = at(r.indices, 0);
        d.trailing[0] = r.attribute1;
        break;
    default:
        d.count = r.count;
        for (std::size_t k = 0; k < r.count && k < d.indices.size(); ++k) {
            d.indices[k] = at(r.indices, k);
            if (r.type == 3)
                continue;
            d.s[k] = at(r.secondOrS, k);
            if (r.type != 4)
                d.t[k] = at(r.tValues, k);
        }
        if (r.type == 3 || r.type == 4)
            d.trailing[0] = r.attribute1;
        break;
    }
    return d;
}

bool same(const DecodedElement& a, const DecodedElement& b)
{
    return a.type == b.type && a.count == b.count && a.indices == b.indices && a.s == b.s && a.t == b.t
        && a.trailing == b.trailing;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kvl::modelconv;
    auto decoded = decode3DB(std::vector<std::uint8_t>(data, data + size));
    if (!decoded)
        return 0;
    const Model3DB& model = *decoded;
    if (model.pointCount() > kVkmMaxPoints || model.elementCount() > kVkmMaxElements || vkmProblem(model))
        return 0;
    const ModelVKM vkm = convertToVKM(model);
    const auto loaded = kvl::modelview::loadVkm(vkmBytes(vkm), kvl::modelview::PointSizeRange {});
    if (!loaded) {
        std::fprintf(stderr, "the viewer refuses the converted model: %s\n", loaded.error().message.c_str());
        std::abort();
    }
    const kvl::modelview::VkmModel& view = *loaded;
    if (static_cast<std::size_t>(view.pointCount()) != vkm.points.size()
        || view.elements().size() != vkm.elements.size())
        std::abort();
    for (std::size_t i = 0; i < vkm.points.size(); ++i) {
        const auto p = view.point(static_cast<int>(i));
        const PointVKM& q = vkm.points[i];
        if (p.y != q.y || p.z != q.z || p.x != q.x || p.b != q.b)
            std::abort();
    }
    for (std::size_t j = 0; j < vkm.elements.size(); ++j)
        if (!same(view.elements()[j], expectedElement(vkm.elements[j])))
            std::abort();
    return 0;
}
