// RFC 4180 writing and a strict reader.
#include "common/csv.h"

namespace kvl {

std::string csvField(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
    return out;
}

std::string csvRecord(const std::vector<std::string>& fields)
{
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i)
            out.push_back(',');
        out += csvField(fields[i]);
    }
    out += "\r\n";
    return out;
}

Result<std::vector<CsvRow>> parseCsv(std::string_view text)
{
    std::vector<CsvRow> rows;
    std::size_t line = 1;
    std::size_t i = 0;
    auto fail = [&](std::size_t at, const std::string& why) {
        return Error { "line " + std::to_string(at) + ": " + why };
    };
    while (i < text.size()) {
        // Empty lines between records carry nothing.
        if (text[i] == '\n' || (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
            i += text[i] == '\r' ? 2 : 1;
            ++line;
            continue;
        }
        CsvRow row;
        row.line = line;
        for (;;) {
            std::string field;
            if (i < text.size() && text[i] == '"') {
                const std::size_t opened = line;
                ++i;
                for (;;) {
                    if (i >= text.size())
                        return fail(opened, "a quoted field is not closed");
                    if (text[i] == '"') {
                        if (i + 1 < text.size() && text[i + 1] == '"') {
                            field.push_back('"');
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    if (text[i] == '\n')
                        ++line;
                    field.push_back(text[i++]);
                }
                if (i < text.size() && text[i] != ',' && text[i] != '\n' && text[i] != '\r')
                    return fail(line, "text after the closing quote of a field");
            } else {
                while (i < text.size() && text[i] != ',' && text[i] != '\n' && text[i] != '\r') {
                    if (text[i] == '"')
                        return fail(line, "a quote inside an unquoted field");
                    field.push_back(text[i++]);
                }
            }
            row.fields.push_back(std::move(field));
            if (i < text.size() && text[i] == ',') {
                ++i;
                continue;
            }
            break;
        }
        if (i < text.size() && text[i] == '\r') {
            if (i + 1 >= text.size() || text[i + 1] != '\n')
                return fail(line, "a CR that does not end the line");
            ++i;
        }
        if (i < text.size() && text[i] == '\n') {
            ++i;
            ++line;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace kvl
