// Compare, CSV export and CSV import over any TypedFieldTable.
#include "common/fieldtable.h"

#include <algorithm>
#include <charconv>
#include <unordered_map>

#include "common/csv.h"

namespace kvl {

std::vector<FieldDifference> compareFields(const TypedFieldTable& mine, const TypedFieldTable& theirs)
{
    std::vector<FieldDifference> out;
    const std::size_t count = std::min(mine.fieldCount(), theirs.fieldCount());
    for (std::size_t i = 0; i < count; ++i) {
        std::string a = mine.valueText(i);
        std::string b = theirs.valueText(i);
        if (a != b)
            out.push_back({ i, std::move(a), std::move(b) });
    }
    return out;
}

std::string exportCsv(const TypedFieldTable& table, const CsvLayout& layout)
{
    std::string out = csvRecord(layout.columns);
    std::vector<std::string> fields(layout.columns.size());
    for (std::size_t i = 0; i < table.fieldCount(); ++i) {
        const TypedField info = table.field(i);
        for (std::size_t c = 0; c < layout.columns.size(); ++c) {
            const std::string& name = layout.columns[c];
            if (name == layout.numberColumn)
                fields[c] = std::to_string(info.number);
            else if (name == "position")
                fields[c] = std::to_string(info.position);
            else if (name == "type")
                fields[c] = info.type;
            else if (name == "label")
                fields[c] = info.label;
            else if (name == "value")
                fields[c] = table.valueText(i);
            else
                fields[c].clear();
        }
        out += csvRecord(fields);
    }
    return out;
}

Result<std::vector<FieldAssignment>> parseImportCsv(
    const TypedFieldTable& table, std::string_view csv, const CsvLayout& layout)
{
    auto rows = parseCsv(csv);
    if (!rows)
        return rows.error();
    if (rows->empty())
        return Error { "the file is empty (a header row is needed)" };
    const CsvRow& header = rows->front();
    auto column = [&](std::string_view name) -> std::ptrdiff_t {
        auto it = std::find(header.fields.begin(), header.fields.end(), name);
        return it == header.fields.end() ? -1 : it - header.fields.begin();
    };
    const std::ptrdiff_t numberAt = column(layout.numberColumn);
    const std::ptrdiff_t valueAt = column("value");
    if (numberAt < 0 || valueAt < 0)
        return Error { "line " + std::to_string(header.line) + ": the header row must name the columns \""
            + layout.numberColumn + "\" and \"value\"" };

    std::unordered_map<int, std::size_t> indexOf;
    for (std::size_t i = 0; i < table.fieldCount(); ++i)
        indexOf.emplace(table.field(i).number, i);

    std::vector<FieldAssignment> out;
    std::vector<bool> seen(table.fieldCount(), false);
    for (std::size_t r = 1; r < rows->size(); ++r) {
        const CsvRow& row = (*rows)[r];
        auto fail = [&](const std::string& why) { return Error { "line " + std::to_string(row.line) + ": " + why }; };
        const auto width = static_cast<std::size_t>(std::max(numberAt, valueAt));
        if (row.fields.size() <= width)
            return fail("the row has " + std::to_string(row.fields.size()) + " columns, " + std::to_string(width + 1)
                + " needed");
        const std::string& numberText = row.fields[static_cast<std::size_t>(numberAt)];
        int number = 0;
        auto [end, ec] = std::from_chars(numberText.data(), numberText.data() + numberText.size(), number);
        if (ec != std::errc() || end != numberText.data() + numberText.size())
            return fail("\"" + numberText + "\" is not a " + layout.numberColumn + " number");
        auto found = indexOf.find(number);
        if (found == indexOf.end())
            return fail(layout.numberColumn + " " + numberText + " does not exist");
        if (seen[found->second])
            return fail(layout.numberColumn + " " + numberText + " is given twice");
        seen[found->second] = true;
        const std::string& value = row.fields[static_cast<std::size_t>(valueAt)];
        if (auto checked = table.checkValue(found->second, value); !checked)
            return fail(layout.numberColumn + " " + numberText + ": \"" + value + "\" " + checked.error().message);
        out.push_back({ found->second, value, row.line });
    }
    return out;
}

} // namespace kvl
