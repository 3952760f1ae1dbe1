// The built programs and the written documents against the option tables:
// each program's --help lists exactly its table's options (the window
// programs with the table's texts), each manual page renders without a
// warning, and the completion script offers what the tables say when bash
// runs it.
#include "packaging/docgen/docgen.h"
#include "packaging/docgen/programs.h"

#include "common/cli.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <set>
#include <string>

namespace {

using namespace kvl;

struct Outcome {
    int status = -1;
    std::string out;
};

/// Runs a shell command; its standard output, standard error dropped.
Outcome shell(const std::string& command)
{
    Outcome run;
    FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        run.out.append(buffer, n);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

/// `text` as one shell word.
std::string quoted(const std::string& text)
{
    std::string out = "'";
    for (const char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string help(const cli::ProgramOptions& table)
{
    const std::string program = std::string(KVL_PROGRAM_FOLDER) + "/" + std::string(table.program);
    const Outcome run = shell("QT_QPA_PLATFORM=offscreen " + quoted(program) + " --help");
    EXPECT_EQ(run.status, 0);
    return run.out;
}

/// The option names that begin the entries of --help's "Options:" list.
std::set<std::string> listedOptions(const std::string& text)
{
    std::set<std::string> names;
    const std::size_t start = text.find("\nOptions:\n");
    EXPECT_NE(start, std::string::npos);
    const std::regex entry(R"(\n {2,6}(-[a-zA-Z])?(, )?(--[a-z][-a-z0-9]*)?)");
    const std::size_t end = text.find("\n\n", start + 1);
    const std::string list = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    for (auto it = std::sregex_iterator(list.begin(), list.end(), entry); it != std::sregex_iterator(); ++it) {
        for (const int group : { 1, 3 })
            if ((*it)[group].matched)
                names.insert((*it)[group]);
    }
    return names;
}

std::set<std::string> tableNames(const cli::ProgramOptions& table)
{
    std::set<std::string> names;
    for (const cli::Option& option : table.options) {
        names.insert(cli::longForm(option));
        if (option.shortName != 0)
            names.insert(cli::shortForm(option));
    }
    return names;
}

std::string squeezed(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        const bool space = c == ' ' || c == '\n';
        if (space && (out.empty() || out.back() == ' '))
            continue;
        out += space ? ' ' : c;
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

TEST(Help, EachProgramListsExactlyItsTablesOptions)
{
    for (const cli::ProgramOptions* table : docgen::kPrograms) {
        SCOPED_TRACE(std::string(table->program));
        const std::string text = help(*table);
        EXPECT_EQ(listedOptions(text), tableNames(*table)) << text;
    }
}

TEST(Help, ConsoleProgramsPrintTheTablesListAndWindowProgramsItsTexts)
{
    for (const cli::ProgramOptions* table : docgen::kPrograms) {
        SCOPED_TRACE(std::string(table->program));
        const std::string text = help(*table);
        const bool window = cli::findOption(*table, "help-all") != nullptr;
        if (!window) {
            const std::size_t column = table->program == "modelconv" ? 21 : 19;
            EXPECT_NE(text.find("Options:\n" + cli::formatOptionList(*table, column) + "\n"), std::string::npos);
            if (!table->modes.back().help.empty()) {
                EXPECT_NE(text.find("Commands:\n" + cli::formatCommandList(*table, 14) + "\n"), std::string::npos);
            }
            continue;
        }
        // Qt wraps the texts to its own width: compared with spaces squeezed.
        const std::string flat = squeezed(text);
        for (const cli::Option& option : table->options) {
            std::string names = option.shortName != 0 ? cli::shortForm(option) + ", " : std::string();
            names += cli::longForm(option);
            if (!option.valueName.empty())
                names += " <" + std::string(option.valueName) + ">";
            EXPECT_NE(flat.find(names + " " + squeezed(option.help)), std::string::npos) << names;
        }
        for (const cli::Operand& operand : table->operands)
            EXPECT_NE(flat.find(std::string(operand.name) + " " + squeezed(operand.help)), std::string::npos);
    }
}

TEST(ManPages, EachRendersWithoutAWarning)
{
    if (shell("command -v man").status != 0)
        GTEST_SKIP() << "man is not installed";
    for (const cli::ProgramOptions* table : docgen::kPrograms) {
        const std::string page = std::string(KVL_DOCS_FOLDER) + "/man/" + std::string(table->program) + ".1";
        ASSERT_TRUE(std::filesystem::exists(page)) << page;
        // Warnings go to standard error: kept, the page itself dropped.
        const Outcome run = shell(
            "LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z " + quoted(page) + " 2>&1 >/dev/null");
        EXPECT_EQ(run.out, "") << table->program;
        EXPECT_EQ(shell("MANWIDTH=80 man -l " + quoted(page) + " | grep -c '^SYNOPSIS'").out, "1\n");
    }
}

/// What the completion offers for the command line `line` (the cursor at its
/// end), run by bash with stand-ins for bash-completion's helpers: a file
/// completion shows as "FILES pattern", a folder one as "FOLDERS".
std::string complete(const std::string& line)
{
    const std::string script = std::string(KVL_DOCS_FOLDER) + "/korval-tools.bash";
    const std::string program = R"(
shopt -s extglob
_init_completion() { words=("${COMP_WORDS[@]}"); cword=$COMP_CWORD; cur=${words[cword]}; prev=${words[cword-1]}; }
_filedir() { if [[ $1 == -d ]]; then COMPREPLY=(FOLDERS); else COMPREPLY=("FILES $1"); fi; }
source "$1"
read -ra COMP_WORDS <<< "$2"
[[ $2 == *' ' ]] && COMP_WORDS+=("")
COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
_kvl_complete "${COMP_WORDS[0]}"
printf '%s\n' "${COMPREPLY[@]}"
)";
    return shell("bash -c " + quoted(program) + " completion " + quoted(script) + " " + quoted(line)).out;
}

TEST(Completion, OffersOptionsValuesCommandsAndFilesOfTheModeTyped)
{
    EXPECT_EQ(complete("planesedit --sl"), "--slot\n");
    EXPECT_EQ(complete("planesedit --slot 2"), "2\n20\n21\n22\n23\n24\n25\n26\n27\n28\n29\n");
    EXPECT_EQ(complete("planesedit --import-csv "), "FILES @([cC][sS][vV])\n");
    EXPECT_EQ(complete("planesedit --import-csv a.csv --slot 3 "), "FILES @([dD][aA][tT])\n");
    EXPECT_EQ(complete("planesedit --slot 3 "), "\n"); // the window takes no file
    EXPECT_EQ(complete("fltpatch "), "FILES @([fF][lL][tT])\n");
    EXPECT_EQ(complete("fltpatch --diff "), "FILES @([fF][lL][tT])\n");
    EXPECT_EQ(complete("fltpatch --ex"), "--export-csv\n");
    EXPECT_EQ(complete("modelview --view f"), "front\n");
    EXPECT_EQ(complete("modelview x"), "FILES @([vV][kK][mM]|3[dD][bB])\n");
    EXPECT_EQ(complete("modelconv -o "), "FOLDERS\n");
    EXPECT_EQ(complete("modelconv --vkm "), "FILES @(3[dD][bB])\n");
    EXPECT_EQ(complete("campconv "), "to-text\nto-binary\nverify\ndiff\nmerge\n");
    EXPECT_EQ(complete("squadconv -n to-b"), "to-binary\n");
    EXPECT_EQ(complete("campconv -f to-binary "), "FILES @([tT][xX][tT])\n");
    EXPECT_EQ(complete("campconv merge a.dat "), "FILES @([dD][aA][tT]|[tT][xX][tT])\n");
    EXPECT_EQ(complete("squadconv merge --prefer "), "mine\ntheirs\n");
    EXPECT_EQ(complete("squadconv --notes "), "FOLDERS\n");
    EXPECT_EQ(complete("folioswap --q"), "--quit-after-load\n");
    EXPECT_EQ(complete("planesedit --apply-working-copy "), "FILES @([oO][aA][wW])\n");
    EXPECT_EQ(complete("planesedit -n --apply-script a.oaw "), "FILES @([dD][aA][tT])\n");
    EXPECT_EQ(complete("folioswap --add-set "),
        "FILES @([zZ][iI][pP]|7[zZ]|[rR][aA][rR]|[tT][aA][rR]|[tT][gG][zZ]|[gG][zZ]|"
        "[bB][zZ]2|[xX][zZ])\n");
    EXPECT_EQ(complete("folioswap --name "), "\n"); // a free name
}

TEST(Completion, EveryProgramOffersExactlyItsTablesOptions)
{
    for (const cli::ProgramOptions* table : docgen::kPrograms) {
        SCOPED_TRACE(std::string(table->program));
        std::set<std::string> offered;
        const std::string words = complete(std::string(table->program) + " -");
        for (std::size_t start = 0; start < words.size();) {
            const std::size_t end = words.find('\n', start);
            offered.insert(words.substr(start, end - start));
            start = end + 1;
        }
        EXPECT_EQ(offered, tableNames(*table));
    }
}

} // namespace
