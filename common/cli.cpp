// Option parsing and whole-or-nothing output files for the console converters.
#include "common/cli.h"

#include <system_error>

#include "common/fileimage.h"
#include "common/platform.h"

namespace kvl::cli {

std::string ParsedArguments::value(std::string_view longName, std::string otherwise) const
{
    auto it = m_values.find(std::string(longName));
    if (it == m_values.end() || it->second.empty())
        return otherwise;
    return it->second.back();
}

Result<ParsedArguments> parseArguments(std::span<const Option> options, const std::vector<std::string>& arguments)
{
    ParsedArguments parsed;
    auto byLong = [&](std::string_view name) -> const Option* {
        for (const Option& o : options)
            if (o.longName == name)
                return &o;
        return nullptr;
    };
    auto byShort = [&](char name) -> const Option* {
        for (const Option& o : options)
            if (o.shortName != 0 && o.shortName == name)
                return &o;
        return nullptr;
    };
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
            parsed.m_positionals.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg.starts_with("--")) {
            const std::size_t equals = arg.find('=');
            const std::string name = arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
            const Option* option = byLong(name);
            if (!option)
                return Error { "unknown option '--" + name + "'" };
            if (option->valueName.empty()) {
                if (equals != std::string::npos)
                    return Error { "option '--" + name + "' takes no value" };
                parsed.m_values[std::string(option->longName)];
            } else if (equals != std::string::npos) {
                parsed.m_values[std::string(option->longName)].push_back(arg.substr(equals + 1));
            } else if (i + 1 < arguments.size()) {
                parsed.m_values[std::string(option->longName)].push_back(arguments[++i]);
            } else {
                return Error { "option '--" + name + "' needs a value (" + std::string(option->valueName) + ")" };
            }
            continue;
        }
        // One or more short options: -fn, -o DIR, -oDIR.
        for (std::size_t k = 1; k < arg.size(); ++k) {
            const Option* option = byShort(arg[k]);
            if (!option)
                return Error { std::string("unknown option '-") + arg[k] + "'" };
            std::vector<std::string>& values = parsed.m_values[std::string(option->longName)];
            if (option->valueName.empty())
                continue;
            if (k + 1 < arg.size())
                values.push_back(arg.substr(k + 1));
            else if (i + 1 < arguments.size())
                values.push_back(arguments[++i]);
            else
                return Error { std::string("option '-") + arg[k] + "' needs a value (" + std::string(option->valueName)
                    + ")" };
            break;
        }
    }
    return parsed;
}

namespace {

Result<void> checkTarget(const std::filesystem::path& path, const OutputPolicy& policy)
{
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (std::filesystem::is_directory(status))
        return Error { kvl::platform::utf8FromPath(path) + " is a folder; nothing written", EISDIR };
    if (std::filesystem::exists(status) && !policy.force)
        return Error { kvl::platform::utf8FromPath(path) + " exists (use --force to replace it)", EEXIST };
    return {};
}

} // namespace

Result<WriteOutcome> writeOutput(
    const std::filesystem::path& path, std::span<const std::uint8_t> bytes, const OutputPolicy& policy)
{
    if (auto checked = checkTarget(path, policy); !checked)
        return checked.error();
    if (policy.dryRun)
        return WriteOutcome::WouldWrite;
    if (auto written = replaceFile(path, bytes); !written)
        return written.error();
    return WriteOutcome::Written;
}

Result<WriteOutcome> writeOutput(const std::filesystem::path& path, std::string_view text, const OutputPolicy& policy)
{
    return writeOutput(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), policy);
}

OutputBatch::~OutputBatch()
{
    for (const Staged& s : m_staged) {
        std::error_code ec;
        std::filesystem::remove(s.temp, ec);
    }
}

Result<WriteOutcome> OutputBatch::stage(const std::filesystem::path& path, std::span<const std::uint8_t> bytes)
{
    if (auto checked = checkTarget(path, m_policy); !checked)
        return checked.error();
    if (m_policy.dryRun)
        return WriteOutcome::WouldWrite;
    auto temp = writeTemporaryBeside(path, bytes);
    if (!temp)
        return temp.error();
    m_staged.push_back({ std::move(*temp), path });
    return WriteOutcome::Written;
}

std::vector<std::pair<std::filesystem::path, Error>> OutputBatch::commit()
{
    std::vector<std::pair<std::filesystem::path, Error>> failures;
    std::vector<std::filesystem::path> temps;
    for (const Staged& s : m_staged)
        temps.push_back(s.temp);
    if (auto flushed = flushFilesToDisk(temps); !flushed) {
        for (const Staged& s : m_staged)
            failures.emplace_back(s.path, flushed.error());
    } else {
        for (const Staged& s : m_staged) {
            if (auto renamed = platform::renameReplacing(s.temp, s.path); !renamed)
                failures.emplace_back(s.path, renamed.error());
        }
    }
    for (const Staged& s : m_staged) {
        std::error_code ec;
        std::filesystem::remove(s.temp, ec); // only those that were not renamed are still there
    }
    m_staged.clear();
    return failures;
}

std::string batchSummary(std::size_t succeeded, std::size_t failed)
{
    return std::to_string(succeeded) + " succeeded, " + std::to_string(failed) + " failed";
}

} // namespace kvl::cli
