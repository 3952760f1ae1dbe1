// Manual page sections and the bash completion, written from option tables.
#include "packaging/docgen/docgen.h"

#include <cctype>
#include <map>
#include <vector>

namespace kvl::docgen {

namespace {

using cli::Completion;
using cli::Option;
using cli::ProgramOptions;
using cli::ValueCompletion;

std::vector<std::string_view> splitWords(std::string_view text)
{
    std::vector<std::string_view> words;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find(' ', start), text.size());
        if (end > start)
            words.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return words;
}

std::string bold(std::string_view text)
{
    return "\\fB" + roffText(text) + "\\fR";
}
std::string italic(std::string_view text)
{
    return "\\fI" + roffText(text) + "\\fR";
}

/// An operand as the synopsis shows it: "[NAME]", "NAME..." with the name in
/// italics and the brackets and dots upright.
std::string operandText(std::string_view token)
{
    std::string before;
    std::string after;
    if (token.starts_with('[')) {
        before = "[";
        token.remove_prefix(1);
    }
    while (!token.empty() && (token.back() == ']' || token.back() == '.')) {
        after.insert(after.begin(), token.back());
        token.remove_suffix(1);
    }
    return before + italic(token) + after;
}

std::string operandsText(std::string_view operands)
{
    std::string out;
    for (const std::string_view token : splitWords(operands))
        out += (out.empty() ? "" : " ") + operandText(token);
    return out;
}

/// "--out PATH" / "-o PATH": the form the synopsis uses.
std::string synopsisForm(const Option& option)
{
    std::string text = bold(option.shortName != 0 ? cli::shortForm(option) : cli::longForm(option));
    if (!option.valueName.empty())
        text += " " + italic(option.valueName);
    return text;
}

void appendHelp(std::string& out, std::string_view help)
{
    // A line of its own per sentence keeps the page's source readable.
    std::string line = cli::oneLine(help);
    std::size_t start = 0;
    for (std::size_t at = line.find(". "); at != std::string::npos; at = line.find(". ", start)) {
        out += roffText(std::string_view(line).substr(start, at + 1 - start)) + "\n";
        start = at + 2;
    }
    out += roffText(std::string_view(line).substr(start)) + "\n";
}

bool isCommand(const cli::Mode& mode)
{
    return !mode.selector.empty() && !mode.selector.starts_with('-');
}

bool hasCommands(const ProgramOptions& table)
{
    for (const cli::Mode& mode : table.modes)
        if (isCommand(mode))
            return true;
    return false;
}

// --- bash ---

std::string quoted(std::string_view text)
{
    return "'" + std::string(text) + "'";
}

std::string completionAction(const ValueCompletion& completion)
{
    switch (completion.kind) {
    case Completion::None:
        return "COMPREPLY=()";
    case Completion::Files:
        return completion.patterns.empty() ? "_filedir" : "_filedir " + quoted(extensionGlob(completion.patterns));
    case Completion::Folder:
        return "_filedir -d";
    case Completion::Words:
        return "COMPREPLY=($(compgen -W " + quoted(completion.patterns) + " -- \"$cur\"))";
    case Completion::Range:
        return "COMPREPLY=($(compgen -W \"$(seq " + std::to_string(completion.low) + " "
            + std::to_string(completion.high) + ")\" -- \"$cur\"))";
    }
    return "COMPREPLY=()";
}

/// case arms grouped by action, in the order the actions first come.
class CaseArms {
public:
    void add(const std::string& pattern, const std::string& action)
    {
        auto [it, added] = m_index.try_emplace(action, m_arms.size());
        if (added)
            m_arms.push_back({ action, {} });
        m_arms[it->second].patterns.push_back(pattern);
    }
    std::string text(const std::string& indent, const std::string& after) const
    {
        std::string out;
        for (const Arm& arm : m_arms) {
            out += indent;
            for (std::size_t i = 0; i < arm.patterns.size(); ++i)
                out += (i == 0 ? "" : " | ") + arm.patterns[i];
            out += ") " + arm.action + after + " ;;\n";
        }
        return out;
    }

private:
    struct Arm {
        std::string action;
        std::vector<std::string> patterns;
    };
    std::vector<Arm> m_arms;
    std::map<std::string, std::size_t> m_index;
};

} // namespace

std::string roffText(std::string_view text)
{
    std::string out;
    if (text.starts_with('.') || text.starts_with('\''))
        out += "\\&";
    for (const char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    return out;
}

std::string extensionGlob(std::string_view patterns)
{
    std::string out = "@(";
    bool first = true;
    for (std::string_view pattern : splitWords(patterns)) {
        if (pattern.starts_with("*."))
            pattern.remove_prefix(2);
        if (!first)
            out += '|';
        first = false;
        for (const char c : pattern) {
            const unsigned char u = static_cast<unsigned char>(c);
            if (std::isalpha(u))
                out += std::string { '[', static_cast<char>(std::tolower(u)), static_cast<char>(std::toupper(u)), ']' };
            else
                out += c;
        }
    }
    return out + ")";
}

std::string manSynopsis(const ProgramOptions& table)
{
    std::string out;
    for (std::size_t m = 0; m < table.modes.size(); ++m) {
        const cli::Mode& mode = table.modes[m];
        const cli::ModeSet bit = cli::modeBit(m);
        out += ".SY " + roffText(table.program) + "\n";
        const Option* selector = nullptr;
        if (isCommand(mode)) {
            out += bold(mode.selector) + "\n";
        } else if (mode.selector.starts_with("--")) {
            selector = cli::findOption(table, mode.selector.substr(2));
            if (selector)
                out += synopsisForm(*selector) + "\n";
        }
        for (const Option& option : table.options)
            if (&option != selector && (option.required & bit) != 0)
                out += synopsisForm(option) + "\n";
        for (const Option& option : table.options)
            if (&option != selector && (option.modes & bit) != 0 && (option.required & bit) == 0)
                out += "[" + synopsisForm(option) + "]\n";
        if (!mode.operands.empty())
            out += operandsText(mode.operands) + "\n";
        out += ".YS\n";
    }
    for (const Option& option : table.options) {
        if (option.modes != 0)
            continue;
        out += ".SY " + roffText(table.program) + "\n";
        if (option.shortName != 0)
            out += bold(cli::shortForm(option)) + " | ";
        out += bold(cli::longForm(option)) + "\n.YS\n";
    }
    return out;
}

std::string manCommands(const ProgramOptions& table)
{
    std::string out;
    for (const cli::Mode& mode : table.modes) {
        if (!isCommand(mode))
            continue;
        out += ".TP\n" + bold(mode.selector);
        if (!mode.operands.empty())
            out += " " + operandsText(mode.operands);
        out += "\n";
        appendHelp(out, mode.help);
    }
    return out;
}

std::string manOptions(const ProgramOptions& table)
{
    std::string out;
    for (const cli::Operand& operand : table.operands) {
        std::string_view name = operand.syntax;
        while (!name.empty() && (name.front() == '[' || name.back() == ']' || name.back() == '.'))
            name = name.front() == '[' ? name.substr(1) : name.substr(0, name.size() - 1);
        out += ".TP\n" + italic(name) + "\n";
        appendHelp(out, operand.help);
    }
    for (const Option& option : table.options) {
        out += ".TP\n";
        if (option.shortName != 0)
            out += bold(cli::shortForm(option)) + ", ";
        out += bold(cli::longForm(option));
        if (!option.valueName.empty())
            out += " " + italic(option.valueName);
        out += "\n";
        appendHelp(out, option.help);
    }
    return out;
}

Result<std::string> fillManPage(const ProgramOptions& table, std::string_view pageTemplate)
{
    std::string out;
    bool synopsis = false;
    bool options = false;
    bool commands = false;
    std::size_t start = 0;
    while (start < pageTemplate.size()) {
        std::size_t end = pageTemplate.find('\n', start);
        end = end == std::string_view::npos ? pageTemplate.size() : end + 1;
        const std::string_view line = pageTemplate.substr(start, end - start);
        start = end;
        std::string_view bare = line;
        while (!bare.empty() && (bare.back() == '\n' || bare.back() == '\r'))
            bare.remove_suffix(1);
        if (!bare.starts_with('@')) {
            out += line;
            if (!line.ends_with('\n'))
                out += '\n';
            continue;
        }
        if (bare == "@SYNOPSIS@" && !synopsis) {
            out += manSynopsis(table);
            synopsis = true;
        } else if (bare == "@OPTIONS@" && !options) {
            out += manOptions(table);
            options = true;
        } else if (bare == "@COMMANDS@" && !commands && hasCommands(table)) {
            out += manCommands(table);
            commands = true;
        } else {
            return Error { "the page of " + std::string(table.program) + " has an unexpected line '" + std::string(bare)
                + "'" };
        }
    }
    if (!synopsis || !options)
        return Error { "the page of " + std::string(table.program) + " has no @SYNOPSIS@ or no @OPTIONS@ line" };
    if (hasCommands(table) && !commands)
        return Error { "the page of " + std::string(table.program) + " has no @COMMANDS@ line for its commands" };
    return out;
}

std::string completionScript(std::span<const ProgramOptions* const> programs)
{
    CaseArms values;
    CaseArms optionWords;
    CaseArms selectors;
    CaseArms operands;
    std::string names;
    for (const ProgramOptions* table : programs) {
        const std::string program(table->program);
        names += " " + program;
        std::string words;
        for (const Option& option : table->options) {
            std::string patterns = program + ":" + cli::longForm(option);
            if (option.shortName != 0)
                patterns = program + ":" + cli::shortForm(option) + " | " + patterns;
            if (!option.valueName.empty())
                values.add(patterns, completionAction(option.value));
            words += (words.empty() ? "" : " ") + (option.shortName != 0 ? cli::shortForm(option) + " " : "")
                + cli::longForm(option);
        }
        optionWords.add(program, "options=" + quoted(words));

        std::string commands;
        bool defaultDone = false;
        for (const cli::Mode& mode : table->modes) {
            const std::string key = program + ":" + std::string(mode.selector);
            if (!mode.selector.empty()) {
                std::string pattern = key;
                if (!isCommand(mode))
                    pattern += " | " + key + "=*";
                selectors.add(pattern, "mode=" + std::string(mode.selector) + "; break");
                if (isCommand(mode))
                    commands += (commands.empty() ? "" : " ") + std::string(mode.selector);
            }
            if (mode.operandFiles.kind == Completion::None)
                continue;
            if (mode.selector.empty()) {
                if (defaultDone)
                    continue;
                defaultDone = true;
            }
            operands.add(key, completionAction(mode.operandFiles));
        }
        if (!commands.empty() && !defaultDone)
            operands.add(program + ":", completionAction(cli::words(commands)));
    }

    std::string out = R"(# bash completion for the KORVAL modding tools. The build writes this file
# from each program's option table (packaging/docgen): change a program's
# table, not this file. It is installed once per program name;
# bash-completion loads it by the command's name.

_kvl_complete()
{
    local cur prev words cword
    _init_completion || return
    local program=${1##*/}

    # The value of the option before the cursor.
    case "$program:$prev" in
)";
    out += values.text("        ", "; return");
    out += R"(    esac

    if [[ $cur == -* ]]; then
        local options=
        case "$program" in
)";
    out += optionWords.text("            ", "");
    out += R"(        esac
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi

    # The operands of the mode that the words before the cursor choose.
    local word mode=
    for word in "${words[@]:1:cword-1}"; do
        case "$program:$word" in
)";
    out += selectors.text("            ", "");
    out += R"(        esac
    done
    case "$program:$mode" in
)";
    out += operands.text("        ", "");
    out += "    esac\n}\n\ncomplete -F _kvl_complete" + names + "\n";
    return out;
}

} // namespace kvl::docgen
