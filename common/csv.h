// Comma-separated values as RFC 4180 has them: CR LF line ends, fields with a
// comma, quote, CR or LF in double quotes, quotes doubled inside them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"

namespace kvl {

/// One field, quoted only when it has to be.
std::string csvField(std::string_view text);

/// One record: the fields joined with commas, then CR LF.
std::string csvRecord(const std::vector<std::string>& fields);

/// A parsed record and the (1-based) line on which it starts.
struct CsvRow {
    std::size_t line = 0;
    std::vector<std::string> fields;
};

/// Parses a whole text. Accepts LF as well as CR LF line ends and skips empty
/// lines. Refuses, naming the line, a quote inside an unquoted field, text
/// after a closing quote and a quoted field left open at the end.
Result<std::vector<CsvRow>> parseCsv(std::string_view text);

} // namespace kvl
