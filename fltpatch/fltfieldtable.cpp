// A flight file as a typed field table.
#include "fltpatch/fltfieldtable.h"

namespace kvl::fltpatch {

const CsvLayout& flightCsvLayout()
{
    static const CsvLayout layout { "field", { "field", "position", "type", "label", "value" } };
    return layout;
}

FlightFieldTable::FlightFieldTable(std::span<const std::string> values, std::span<const std::string> descriptions)
    : m_values(values),
      m_descriptions(descriptions)
{
}

TypedField FlightFieldTable::field(std::size_t index) const
{
    const FieldInfo& info = fieldTable()[index];
    TypedField out;
    out.number = info.number;
    out.position = static_cast<std::uint64_t>(info.position);
    out.type = typeName(info.type);
    if (index < m_descriptions.size())
        out.label = m_descriptions[index];
    return out;
}

std::string FlightFieldTable::valueText(std::size_t index) const
{
    return index < m_values.size() ? m_values[index] : std::string();
}

Result<void> FlightFieldTable::checkValue(std::size_t index, std::string_view text) const
{
    const FieldType type = fieldTable()[index].type;
    switch (encodeValue(type, text).status) {
    case EncodedValue::Status::Ok:
        return {};
    case EncodedValue::Status::NotANumber:
        return Error { "is not a number" };
    case EncodedValue::Status::OutOfRange:
        break;
    }
    return Error { "does not fit: " + rangeDescription(type) };
}

std::vector<std::string> valueTexts(ByteView image)
{
    std::vector<std::string> out(kFieldCount);
    for (const FieldInfo& info : fieldTable())
        out[static_cast<std::size_t>(info.number - 1)] = readFieldText(image, info).value_or(std::string());
    return out;
}

} // namespace kvl::fltpatch
