// Records of a decoded .3DB model with their entries copied into lists.
#include "modelconv/testing/recordlists.h"

namespace kvl::test {

using namespace kvl::modelconv;

RecordLists3DB listsOf(const Model3DB& model, const Record3DB& f)
{
    RecordLists3DB r;
    r.prefixCode = f.prefixCode;
    r.prefixValue = f.prefixValue;
    r.type = f.type;
    r.count = f.count;
    r.attribute1 = f.attribute1;
    r.attribute2 = f.attribute2;
    r.endCode = f.endCode;
    const ByteView view(model.image());
    const std::size_t n = f.entryCount();
    const std::size_t stride = f.entryStride();
    for (std::size_t j = 0; j < n; ++j)
        r.indices.push_back(view.u8(f.entries + j * stride).value_or(0));
    if (f.layout == EntryLayout3DB::Type4) {
        for (std::size_t j = 0; j < n; ++j)
            r.secondValues.push_back(view.u8(f.entries + j * stride + 4).value_or(0));
    } else if (f.layout == EntryLayout3DB::Textured) {
        for (std::size_t j = 0; j < n; ++j) {
            r.sValues.push_back(view.f32(f.entries + j * stride + 4).value_or(0.0f));
            r.tValues.push_back(view.f32(f.entries + j * stride + 8).value_or(0.0f));
        }
    }
    for (std::uint32_t j = 0; j < f.childCount; ++j)
        r.children.push_back(f.firstChild + j);
    return r;
}

std::vector<RecordLists3DB> elementLists(const Model3DB& model)
{
    std::vector<RecordLists3DB> lists;
    for (const Record3DB& r : model.elements())
        lists.push_back(listsOf(model, r));
    return lists;
}

std::vector<RecordLists3DB> subRecordLists(const Model3DB& model)
{
    std::vector<RecordLists3DB> lists;
    for (const Record3DB& r : model.subRecords())
        lists.push_back(listsOf(model, r));
    return lists;
}

} // namespace kvl::test
