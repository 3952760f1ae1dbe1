// Lookups in an option table and the console converters' option and command
// lists.
#include "common/optiontable.h"

namespace kvl::cli {

namespace {

/// One entry of a list: `names` in the first columns, `help` from `column`
/// on, a help line per line.
void appendEntry(std::string& out, const std::string& names, std::string_view help, std::size_t column)
{
    out += names;
    if (names.size() + 1 > column) {
        out += '\n';
        out.append(column, ' ');
    } else {
        out.append(column - names.size(), ' ');
    }
    for (std::size_t start = 0;;) {
        const std::size_t end = help.find('\n', start);
        out += help.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        out += '\n';
        if (end == std::string_view::npos)
            break;
        start = end + 1;
        out.append(column, ' ');
    }
}

} // namespace

const Option* findOption(const ProgramOptions& table, std::string_view longName)
{
    for (const Option& option : table.options)
        if (option.longName == longName)
            return &option;
    return nullptr;
}

const Option* findShortOption(const ProgramOptions& table, char shortName)
{
    for (const Option& option : table.options)
        if (option.shortName != 0 && option.shortName == shortName)
            return &option;
    return nullptr;
}

bool leavesMode(const ProgramOptions& table, std::size_t mode, std::span<const std::string_view> arguments)
{
    for (const std::string_view argument : arguments) {
        if (argument == "--")
            break;
        // An option of other modes, or one that works alone: help and
        // version are answered in text, whatever the mode.
        const auto leaves = [&](const Option* option) { return option && (option->modes & modeBit(mode)) == 0; };
        if (argument.starts_with("--")) {
            if (leaves(findOption(table, argument.substr(2, argument.find('=') - 2))))
                return true;
            continue;
        }
        // Short options, one or more together: -n, -fn, -oDIR.
        for (std::size_t k = 1; argument.starts_with('-') && k < argument.size(); ++k) {
            const Option* option = findShortOption(table, argument[k]);
            if (!option && argument[k] == '?') // the toolkit's other name for -h on Windows
                return true;
            if (leaves(option))
                return true;
            if (!option || !option->valueName.empty())
                break;
        }
    }
    return false;
}

std::string longForm(const Option& option)
{
    return "--" + std::string(option.longName);
}

std::string shortForm(const Option& option)
{
    return option.shortName == 0 ? std::string() : std::string { '-', option.shortName };
}

std::string oneLine(std::string_view help)
{
    std::string line(help);
    for (char& c : line)
        if (c == '\n')
            c = ' ';
    return line;
}

std::string formatOptionList(const ProgramOptions& table, std::size_t column)
{
    std::string out;
    for (const Option& option : table.options) {
        std::string names = option.shortName == 0 ? "      " : "  " + shortForm(option) + ", ";
        names += longForm(option);
        if (!option.valueName.empty())
            names += " " + std::string(option.valueName);
        appendEntry(out, names, option.help, column);
    }
    return out;
}

std::string formatCommandList(const ProgramOptions& table, std::size_t column)
{
    std::string out;
    for (const Mode& mode : table.modes)
        if (!mode.help.empty())
            appendEntry(out, "  " + std::string(mode.selector), mode.help, column);
    return out;
}

} // namespace kvl::cli
