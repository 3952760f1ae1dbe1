// Command lines of the console converters: option parsing in the usual
// conventions (-f, --force, --out DIR, --out=DIR, -oDIR, "--" ends options, "-"
// is an argument) and output files written whole, never over an existing file
// unless asked, and not at all in a dry run.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/optiontable.h"
#include "common/result.h"

namespace kvl::cli {

/// Exit statuses of every command line in the suite.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

class ParsedArguments {
public:
    bool has(std::string_view longName) const { return m_values.count(std::string(longName)) != 0; }
    /// The last value given for an option, or `otherwise`.
    std::string value(std::string_view longName, std::string otherwise = {}) const;
    const std::vector<std::string>& positionals() const { return m_positionals; }

private:
    friend Result<ParsedArguments> parseArguments(std::span<const Option>, const std::vector<std::string>&);
    std::map<std::string, std::vector<std::string>> m_values;
    std::vector<std::string> m_positionals;
};

/// Parses `arguments` (without the program name) by the rows of a program's
/// option table (common/optiontable.h): their names and whether they take a
/// value. The error is a usage
/// message such as "unknown option '--frobnicate'" or "option '--out' needs a
/// value".
Result<ParsedArguments> parseArguments(std::span<const Option> options, const std::vector<std::string>& arguments);

/// How outputs are written.
struct OutputPolicy {
    bool force = false;  // replace an existing file
    bool dryRun = false; // write nothing, only say what would be written
};

enum class WriteOutcome { Written, WouldWrite };

/// Writes an output file whole (temporary file, then rename) or not at all.
/// Fails without touching anything when the file exists and `force` is off
/// ("FILE exists (use --force to replace it)"), or when it would be written
/// over a folder. In a dry run checks the same and writes nothing.
Result<WriteOutcome> writeOutput(
    const std::filesystem::path& path, std::span<const std::uint8_t> bytes, const OutputPolicy& policy);
Result<WriteOutcome> writeOutput(const std::filesystem::path& path, std::string_view text, const OutputPolicy& policy);

/// Outputs of a batch, written whole or not at all like writeOutput, but with
/// one flush to disk for the whole batch instead of one per file: stage()
/// checks as writeOutput does and writes a temporary file beside the output;
/// commit() flushes them all, then renames each into place. Temporary files
/// not committed are removed when the batch ends.
class OutputBatch {
public:
    explicit OutputBatch(OutputPolicy policy) : m_policy(policy) { }
    ~OutputBatch();
    OutputBatch(const OutputBatch&) = delete;
    OutputBatch& operator=(const OutputBatch&) = delete;

    Result<WriteOutcome> stage(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

    /// The outputs that could not be put in place, with why; each of them is
    /// left as it was and its temporary file removed.
    std::vector<std::pair<std::filesystem::path, Error>> commit();

private:
    struct Staged {
        std::filesystem::path temp, path;
    };
    OutputPolicy m_policy;
    std::vector<Staged> m_staged;
};

/// The last line of a batch: "3 succeeded, 1 failed".
std::string batchSummary(std::size_t succeeded, std::size_t failed);

} // namespace kvl::cli
