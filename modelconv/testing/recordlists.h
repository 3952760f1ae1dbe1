// Records of a decoded .3DB model with their entries copied into lists, for
// tests that compare a record field by field or with an independent
// reference: the reader itself keeps the entries in the file image.
#pragma once

#include "modelconv/model3db.h"

#include <cstdint>
#include <vector>

namespace kvl::test {

using namespace kvl::modelconv;

/// One record with its entries in lists. Lists a record's type does not
/// carry are empty.
struct RecordLists3DB {
    std::uint16_t prefixCode = 0;
    std::uint16_t prefixValue = 0;
    std::uint8_t type = 0;
    std::uint8_t count = 0;
    std::uint8_t attribute1 = 0;
    std::uint8_t attribute2 = 0;
    std::vector<std::uint16_t> indices;      // one byte each in the file
    std::vector<std::uint16_t> secondValues; // type 4 only
    std::vector<float> sValues;              // textured and prefixed
    std::vector<float> tValues;              // textured and prefixed
    std::uint32_t endCode = 0;               // textured/prefixed sub-records only
    /// Positions in Model3DB::subRecords() of an element's sub-records.
    std::vector<std::uint32_t> children;

    bool isEmptyElement() const { return type == kElementEnd; }
    /// Entries the lists lack read as 0, as Model3DB::entries gives them.
    std::uint16_t index(std::size_t j) const { return j < indices.size() ? indices[j] : 0; }
    std::uint16_t second(std::size_t j) const { return j < secondValues.size() ? secondValues[j] : 0; }
    float s(std::size_t j) const { return j < sValues.size() ? sValues[j] : 0.0f; }
    float t(std::size_t j) const { return j < tValues.size() ? tValues[j] : 0.0f; }
};

/// The record with its entries read from the model's image through checked
/// reads, independently of Model3DB::entries.
RecordLists3DB listsOf(const Model3DB& model, const Record3DB& record);
/// Every element record, and every sub-record, in list form.
std::vector<RecordLists3DB> elementLists(const Model3DB& model);
std::vector<RecordLists3DB> subRecordLists(const Model3DB& model);

} // namespace kvl::test
