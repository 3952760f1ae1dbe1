#include "packaging/docgen/docgen.h"
#include "packaging/docgen/programs.h"

#include "common/textio.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace kvl;

// A program with a window mode, an export chosen by an option that needs
// another one, and a flag that works alone.
constexpr cli::Option kRows[] = {
    cli::option("slot", "Choose slot N.").takes("N", cli::range(0, 9)).in(3).requiredIn(2),
    cli::option("export", "Write it out. No window.").takes("OUT.csv", cli::files("*.csv")).in(2),
    cli::option('q', "quiet", "Say less.").in(1),
    cli::option('h', "help", "show this help and end"),
};
constexpr cli::Mode kModes[] = { cli::mode("", "[FILE.dat]", cli::files("*.dat")), cli::mode("--export", "FILE.dat") };
constexpr cli::Operand kOperands[] = { { "FILE.dat", "[FILE.dat]", "The file." } };
constexpr cli::ProgramOptions kTable { "tool", kRows, kModes, kOperands };

std::set<std::string> longNames(const cli::ProgramOptions& table)
{
    std::set<std::string> names;
    for (const cli::Option& option : table.options)
        names.insert(cli::longForm(option));
    return names;
}

/// Every "--name" a roff page or a script mentions.
std::set<std::string> mentionedOptions(const std::string& text, bool roff)
{
    std::set<std::string> names;
    const std::regex pattern(roff ? R"(\\-\\-([a-z][a-z0-9]*(\\-[a-z0-9]+)*))" : R"(--([a-z][a-z0-9]*(-[a-z0-9]+)*))");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern); it != std::sregex_iterator(); ++it) {
        std::string name = (*it)[1];
        name = std::regex_replace(name, std::regex(R"(\\-)"), "-");
        names.insert("--" + name);
    }
    return names;
}

std::string pageOf(const cli::ProgramOptions& table)
{
    std::string pageTemplate;
    EXPECT_TRUE(
        readTextFile(std::string(KVL_MAN_TEMPLATES) + "/" + std::string(table.program) + ".1.in", pageTemplate));
    const Result<std::string> page = docgen::fillManPage(table, pageTemplate);
    EXPECT_TRUE(page.ok()) << (page.ok() ? "" : page.error().message);
    return page.ok() ? *page : std::string();
}

TEST(Roff, TextIsEscapedAndGuarded)
{
    EXPECT_EQ(docgen::roffText("start-up a\\b"), "start\\-up a\\eb");
    EXPECT_EQ(docgen::roffText(".hidden"), "\\&.hidden");
    EXPECT_EQ(docgen::roffText("'quoted'"), "\\&'quoted'");
    EXPECT_EQ(docgen::extensionGlob("*.flt *.3db"), "@([fF][lL][tT]|3[dD][bB])");
}

TEST(ManPage, SynopsisHasALinePerModeWithRequiredOptionsBareAndOthersInBrackets)
{
    EXPECT_EQ(docgen::manSynopsis(kTable),
        ".SY tool\n[\\fB\\-\\-slot\\fR \\fIN\\fR]\n[\\fB\\-q\\fR]\n[\\fIFILE.dat\\fR]\n.YS\n"
        ".SY tool\n\\fB\\-\\-export\\fR \\fIOUT.csv\\fR\n\\fB\\-\\-slot\\fR \\fIN\\fR\n\\fIFILE.dat\\fR\n.YS\n"
        ".SY tool\n\\fB\\-h\\fR | \\fB\\-\\-help\\fR\n.YS\n");
}

TEST(ManPage, OptionsListOperandsThenOptionsASentenceALine)
{
    const std::string options = docgen::manOptions(kTable);
    EXPECT_TRUE(options.starts_with(".TP\n\\fIFILE.dat\\fR\nThe file.\n")) << options;
    EXPECT_NE(
        options.find(".TP\n\\fB\\-\\-export\\fR \\fIOUT.csv\\fR\nWrite it out.\nNo window.\n"), std::string::npos);
    EXPECT_NE(options.find(".TP\n\\fB\\-q\\fR, \\fB\\-\\-quiet\\fR\nSay less.\n"), std::string::npos);
}

TEST(ManPage, MarkersAreReplacedAndAPageWithoutThemOrWithStrayOnesIsRefused)
{
    const Result<std::string> page = docgen::fillManPage(kTable,
        ".TH TOOL 1\n.SH SYNOPSIS\n@SYNOPSIS@\n.SH OPTIONS\n"
        "Intro.\n@OPTIONS@\n.PP\nMore.\n");
    ASSERT_TRUE(page.ok()) << page.error().message;
    EXPECT_EQ(*page,
        ".TH TOOL 1\n.SH SYNOPSIS\n" + docgen::manSynopsis(kTable) + ".SH OPTIONS\nIntro.\n"
            + docgen::manOptions(kTable) + ".PP\nMore.\n");
    for (const char* bad : {
             ".SH SYNOPSIS\n@SYNOPSIS@\n.SH OPTIONS\n", // no options
             "@SYNOPSIS@\n@OPTIONS@\n@OPTIONS@\n",      // twice
             "@SYNOPSIS@\n@OPTIONS@\n@COMMANDS@\n",     // commands of a program without any
             "@SYNOPSIS@\n@OPTIONS@\n@EXAMPLES@\n",     // unknown
         })
        EXPECT_FALSE(docgen::fillManPage(kTable, bad).ok()) << bad;
    EXPECT_FALSE(docgen::fillManPage(campconv::kCommandLine, "@SYNOPSIS@\n@OPTIONS@\n").ok());
}

// The tables themselves: what the documents and parsers rely on.
TEST(Tables, NamesAreUniqueAndModesSelectorsAndValuesFitTogether)
{
    for (const cli::ProgramOptions* table : docgen::kPrograms) {
        SCOPED_TRACE(std::string(table->program));
        std::set<std::string> names;
        cli::ModeSet used = 0;
        for (const cli::Option& option : table->options) {
            EXPECT_TRUE(names.insert(cli::longForm(option)).second) << cli::longForm(option);
            if (option.shortName != 0) {
                EXPECT_TRUE(names.insert(cli::shortForm(option)).second) << cli::shortForm(option);
            }
            EXPECT_EQ(option.required & ~option.modes, 0u) << option.longName << " is required where it is not used";
            if (option.valueName.empty()) {
                EXPECT_EQ(option.value.kind, cli::Completion::None) << option.longName << " is a flag";
            }
            EXPECT_FALSE(option.help.empty()) << option.longName;
            used |= option.modes;
        }
        ASSERT_LE(table->modes.size(), 32u);
        for (std::size_t m = 0; m < table->modes.size(); ++m) {
            const std::string_view selector = table->modes[m].selector;
            if (selector.starts_with("--")) {
                const cli::Option* option = cli::findOption(*table, selector.substr(2));
                ASSERT_NE(option, nullptr) << selector;
                EXPECT_NE(option->modes & cli::modeBit(m), 0u) << selector << " is not in its own mode";
            }
        }
        EXPECT_EQ(used >> table->modes.size(), 0u) << "an option names a mode the table does not have";
    }
}

TEST(Tables, AnOptionOfAnotherModeTakesAWindowProgramOutOfItsWindow)
{
    using Args = std::vector<std::string_view>;
    const auto leaves = [](const cli::ProgramOptions& table, Args args) { return cli::leavesMode(table, 0, args); };
    EXPECT_FALSE(leaves(planesedit::kCommandLine, Args { "--slot", "3", "--quit-after-load" }));
    EXPECT_TRUE(leaves(planesedit::kCommandLine, Args { "--slot=3", "--import-csv=a.csv" }));
    EXPECT_TRUE(leaves(planesedit::kCommandLine, Args { "-n" }));
    EXPECT_FALSE(leaves(planesedit::kCommandLine, Args { "--frobnicate", "-", "planes.dat" }));
    for (const std::string_view alone : { "--help", "-h", "--help-all", "-v", "--version" }) // answered in text
        EXPECT_TRUE(leaves(planesedit::kCommandLine, Args { "--slot", "3", alone })) << alone;
    EXPECT_FALSE(leaves(planesedit::kCommandLine, Args { "--", "--export-csv" }));
    EXPECT_TRUE(leaves(fltpatch::kCommandLine, Args { "--json" }));
    EXPECT_TRUE(leaves(folioswap::kCommandLine, Args { "--list" }));
    EXPECT_TRUE(leaves(modelconv::kCommandLine, Args { "-fo", "dir" })); // the dialogue takes no options
}

TEST(Tables, EachPageMentionsOnlyItsProgramsOptionsAndDocumentsEveryOne)
{
    for (const cli::ProgramOptions* table : docgen::kPrograms) {
        SCOPED_TRACE(std::string(table->program));
        const std::string page = pageOf(*table);
        const std::set<std::string> mentioned = mentionedOptions(page, true);
        const std::set<std::string> names = longNames(*table);
        for (const std::string& name : mentioned)
            EXPECT_TRUE(names.count(name)) << "the page mentions " << name << ", which the program does not take";
        for (const cli::Option& option : table->options) {
            std::string entry = ".TP\n";
            if (option.shortName != 0)
                entry += "\\fB" + docgen::roffText(cli::shortForm(option)) + "\\fR, ";
            entry += "\\fB" + docgen::roffText(cli::longForm(option)) + "\\fR";
            EXPECT_NE(page.find(entry), std::string::npos) << option.longName << " has no entry";
        }
        EXPECT_EQ(page.find('@'), std::string::npos) << "a marker is left";
    }
}

TEST(Tables, CompletionOffersExactlyEachProgramsOptions)
{
    const std::string script = docgen::completionScript(docgen::kPrograms);
    for (const cli::ProgramOptions* table : docgen::kPrograms) {
        SCOPED_TRACE(std::string(table->program));
        const std::regex line("(^|[ |])" + std::string(table->program) + "[^)]*\\) options='([^']*)'");
        std::smatch match;
        ASSERT_TRUE(std::regex_search(script, match, line));
        std::set<std::string> offered;
        std::set<std::string> expected;
        for (const cli::Option& option : table->options) {
            expected.insert(cli::longForm(option));
            if (option.shortName != 0)
                expected.insert(cli::shortForm(option));
        }
        const std::string words = match[2];
        for (std::size_t start = 0; start < words.size();) {
            const std::size_t end = std::min(words.find(' ', start), words.size());
            offered.insert(words.substr(start, end - start));
            start = end + 1;
        }
        EXPECT_EQ(offered, expected);
    }
    EXPECT_NE(script.find("complete -F _kvl_complete modelconv modelview campconv squadconv planesedit folioswap "
                          "fltpatch\n"),
        std::string::npos);
}

} // namespace
