// Tests only: a typed field table of signed bytes, numbered from 10, as a
// record editor would show them.
#pragma once

#include "common/fieldtable.h"

#include <charconv>
#include <string>
#include <vector>

namespace kvl::test {

class ByteTable : public TypedFieldTable {
public:
    explicit ByteTable(std::vector<int> values) : m_values(std::move(values)) { }
    std::size_t fieldCount() const override { return m_values.size(); }
    TypedField field(std::size_t i) const override
    {
        return { static_cast<int>(10 + i), 4 + i, "i8", i == 1 ? "Climb, rate \"max\"" : "Speed" };
    }
    std::string valueText(std::size_t i) const override { return std::to_string(m_values[i]); }
    Result<void> checkValue(std::size_t, std::string_view text) const override
    {
        int v = 0;
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
        if (ec == std::errc::result_out_of_range || (ec == std::errc() && (v < -128 || v > 127)))
            return Error { "does not fit an i8 (-128 to 127)" };
        if (ec != std::errc() || end != text.data() + text.size() || text.empty())
            return Error { "is not a number" };
        return {};
    }

private:
    std::vector<int> m_values;
};

} // namespace kvl::test
