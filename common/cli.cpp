// Option parsing and whole-or-nothing output files for the console converters.
#include "common/cli.h"

#include <system_error>

#include "common/fileimage.h"

namespace kvl::cli {

std::string ParsedArguments::value(std::string_view longName, std::string otherwise) const
{
    auto it = m_values.find(std::string(longName));
    if (it == m_values.end() || it->second.empty())
        return otherwise;
    return it->second.back();
}

Result<ParsedArguments> parseArguments(std::span<const OptionSpec> options, const std::vector<std::string>& arguments)
{
    ParsedArguments parsed;
    auto byLong = [&](std::string_view name) -> const OptionSpec* {
        for (const OptionSpec& o : options)
            if (o.longName == name)
                return &o;
        return nullptr;
    };
    auto byShort = [&](char name) -> const OptionSpec* {
        for (const OptionSpec& o : options)
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
            const OptionSpec* spec = byLong(name);
            if (!spec)
                return Error { "unknown option '--" + name + "'" };
            if (spec->valueName.empty()) {
                if (equals != std::string::npos)
                    return Error { "option '--" + name + "' takes no value" };
                parsed.m_values[spec->longName];
            } else if (equals != std::string::npos) {
                parsed.m_values[spec->longName].push_back(arg.substr(equals + 1));
            } else if (i + 1 < arguments.size()) {
                parsed.m_values[spec->longName].push_back(arguments[++i]);
            } else {
                return Error { "option '--" + name + "' needs a value (" + spec->valueName + ")" };
            }
            continue;
        }
        // One or more short options: -fn, -o DIR, -oDIR.
        for (std::size_t k = 1; k < arg.size(); ++k) {
            const OptionSpec* spec = byShort(arg[k]);
            if (!spec)
                return Error { std::string("unknown option '-") + arg[k] + "'" };
            if (spec->valueName.empty()) {
                parsed.m_values[spec->longName];
                continue;
            }
            if (k + 1 < arg.size())
                parsed.m_values[spec->longName].push_back(arg.substr(k + 1));
            else if (i + 1 < arguments.size())
                parsed.m_values[spec->longName].push_back(arguments[++i]);
            else
                return Error { std::string("option '-") + arg[k] + "' needs a value (" + spec->valueName + ")" };
            break;
        }
    }
    return parsed;
}

Result<WriteOutcome> writeOutput(
    const std::filesystem::path& path, std::span<const std::uint8_t> bytes, const OutputPolicy& policy)
{
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (std::filesystem::is_directory(status))
        return Error { path.string() + " is a folder; nothing written", EISDIR };
    if (std::filesystem::exists(status) && !policy.force)
        return Error { path.string() + " exists (use --force to replace it)", EEXIST };
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

std::string batchSummary(std::size_t succeeded, std::size_t failed)
{
    return std::to_string(succeeded) + " succeeded, " + std::to_string(failed) + " failed";
}

} // namespace kvl::cli
