// A program's command line described once, as data: its options, the modes
// the options choose between and the files each takes. The console
// converters parse with it (kvl::cli::parseArguments) and print their option
// list from it; the window programs add its rows to Qt's parser
// (kvl::qt::addOptions); the build writes each manual page's SYNOPSIS and
// OPTIONS and the bash completion from it (packaging/docgen). No Qt here.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kvl::cli {

/// The modes an option belongs to: bit i is the program's mode i.
using ModeSet = std::uint32_t;

/// What the shell offers for a value or an operand.
enum class Completion : std::uint8_t {
    None,   // nothing: a free value
    Files,  // files matching `patterns` ("*.flt *.csv", any letter case), or any file when empty
    Folder, // folders
    Words,  // one of `patterns` ("perspective front top size")
    Range,  // a whole number from `low` to `high`
};

struct ValueCompletion {
    Completion kind = Completion::None;
    std::string_view patterns;
    int low = 0;
    int high = 0;
};

constexpr ValueCompletion files(std::string_view patterns = {})
{
    return { Completion::Files, patterns, 0, 0 };
}
constexpr ValueCompletion folders()
{
    return { Completion::Folder, {}, 0, 0 };
}
constexpr ValueCompletion words(std::string_view list)
{
    return { Completion::Words, list, 0, 0 };
}
constexpr ValueCompletion range(int low, int high)
{
    return { Completion::Range, {}, low, high };
}

/// One option. Tables write a row as option("slot", "Choose ...")
/// .takes("N", range(0, 29)).in(...).requiredIn(...).
struct Option {
    char shortName = 0; // 0 when the option has only a long name
    std::string_view longName;
    std::string_view valueName; // empty for a flag
    /// As --help shows it. The console converters break it into lines where
    /// it holds '\n'; the window programs' parser wraps it itself.
    std::string_view help;
    ModeSet modes = 0;     // the modes it is used in; 0: it works alone (--help, --version)
    ModeSet required = 0;  // the modes that cannot go without it
    ValueCompletion value; // what its value is, for completion
    std::string_view defaultValue;
    /// Added by the window programs' parser itself (-h/--help, --help-all,
    /// -v/--version): listed for the documents, not added again.
    bool addedByQt = false;

    constexpr Option takes(std::string_view name, ValueCompletion completion = {}) const
    {
        Option o = *this;
        o.valueName = name;
        o.value = completion;
        return o;
    }
    constexpr Option in(ModeSet set) const
    {
        Option o = *this;
        o.modes = set;
        return o;
    }
    constexpr Option requiredIn(ModeSet set) const
    {
        Option o = *this;
        o.required = set;
        return o;
    }
    constexpr Option withDefault(std::string_view given) const
    {
        Option o = *this;
        o.defaultValue = given;
        return o;
    }
};

constexpr Option option(char shortName, std::string_view longName, std::string_view help)
{
    Option o;
    o.shortName = shortName;
    o.longName = longName;
    o.help = help;
    return o;
}
constexpr Option option(std::string_view longName, std::string_view help)
{
    return option(0, longName, help);
}

/// One way of running the program: the window, an export, a converter's
/// command. Option::modes and required name modes by their place here.
struct Mode {
    /// What chooses the mode: an option ("--export-csv"), a command word
    /// ("to-text"), or nothing for a mode chosen by the absence of the others.
    std::string_view selector;
    /// The operands after the options, as the usage shows them: "[FILE.flt]",
    /// "FILE.DAT...", "BASE MINE THEIRS".
    std::string_view operands;
    ValueCompletion operandFiles;
    /// A command's description, lines as --help prints them; empty otherwise.
    std::string_view help;
};

/// A mode chosen by an option, or by no selector at all ("").
constexpr Mode mode(std::string_view selector, std::string_view operands = {}, ValueCompletion files = {})
{
    return { selector, operands, files, {} };
}
/// A converter's command.
constexpr Mode command(std::string_view word, std::string_view operands, ValueCompletion files, std::string_view help)
{
    return { word, operands, files, help };
}

/// An operand a window program's --help describes (Qt's positional argument).
struct Operand {
    std::string_view name;   // "FILE.flt"
    std::string_view syntax; // "[FILE.flt]"
    std::string_view help;
};

struct ProgramOptions {
    std::string_view program;
    std::span<const Option> options;
    std::span<const Mode> modes;
    std::span<const Operand> operands;
};

constexpr ModeSet modeBit(std::size_t mode)
{
    return ModeSet { 1 } << mode;
}

/// The rows every window program shares. Qt's parser adds the three last
/// itself; their texts are Qt's.
constexpr Option quitAfterLoadOption(ModeSet modes)
{
    return option("quit-after-load", "End once the start-up file is loaded (exit status 0) or has failed to load (1).")
        .in(modes);
}
constexpr Option addedByQt(Option o)
{
    o.addedByQt = true;
    return o;
}
inline constexpr Option kQtHelpOption = addedByQt(option('h', "help", "Displays help on commandline options."));
inline constexpr Option kQtHelpAllOption = addedByQt(
    option("help-all", "Displays help including Qt specific options."));
inline constexpr Option kQtVersionOption = addedByQt(option('v', "version", "Displays version information."));

/// The row of `longName`, or nullptr.
const Option* findOption(const ProgramOptions& table, std::string_view longName);

/// The row of the short name `shortName`, or nullptr.
const Option* findShortOption(const ProgramOptions& table, char shortName);

/// Whether `arguments` (without the program name) name an option that
/// `mode` does not take, such as a window program's export, or one that works
/// alone (--help, -v): then the program runs without a window. Unknown
/// options do not count; "--" ends the options.
bool leavesMode(const ProgramOptions& table, std::size_t mode, std::span<const std::string_view> arguments);

/// The options as the console converters list them under "Options:": the
/// names from the third column ("-o, --out DIR", long-only names indented
/// as if they had a short one), the help from `column` on, each help line
/// on a line of its own; names that reach the column put the help on the
/// next line.
std::string formatOptionList(const ProgramOptions& table, std::size_t column);

/// The commands (modes with a command word and help) listed the same way.
std::string formatCommandList(const ProgramOptions& table, std::size_t column);

/// The option's names as typed: "--out", "-o" (empty without a short name).
std::string longForm(const Option& option);
std::string shortForm(const Option& option);

/// The option's help as one line: its line breaks become spaces.
std::string oneLine(std::string_view help);

} // namespace kvl::cli
