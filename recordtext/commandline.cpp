// The record converters' command line: argument checks, the batch loop and
// the output files.
#include "recordtext/commandline.h"
#include "common/platform.h"

#include "recordtext/comparecommands.h"
#include "recordtext/roundtrip.h"
#include "recordtext/textreading.h"

#include "common/cli.h"
#include "common/console.h"
#include "common/fileimage.h"

#include <algorithm>
#include <iostream>
#include <iterator>
#include <optional>
#include <set>
#include <system_error>

namespace kvl::recordtext {

namespace fs = std::filesystem;

namespace {

enum class Command { ToText, ToBinary, Verify, Diff, Merge };

/// One run of the command line: what was asked, and where things go.
class Batch {
public:
    Batch(const ProgramTable& table, RecordConverter& converter, std::istream& in, std::ostream& out, std::ostream& err)
        : m_table(table),
          m_converter(converter),
          m_in(in),
          m_out(out),
          m_err(err)
    {
    }

    cli::OutputPolicy policy;
    std::string outOption; // -o as given; empty when not given
    bool outIsFolder = false;
    AnnotationSet notes;

    bool run(Command command, const std::string& file)
    {
        switch (command) {
        case Command::ToText:
            return toText(file);
        case Command::ToBinary:
            return toBinary(file);
        case Command::Verify:
            return verify(file);
        case Command::Diff:
        case Command::Merge:
            break;
        }
        return false;
    }

private:
    /// Where the result of `input` goes: standard output, or a file.
    struct Target {
        bool toStdout = false;
        fs::path path;
    };

    static std::string shown(const std::string& input) { return input == "-" ? "standard input" : input; }

    bool fail(const std::string& input, const std::string& why)
    {
        m_err << shown(input) << ": " << why << '\n';
        return false;
    }

    Result<std::vector<std::uint8_t>> read(const std::string& input)
    {
        if (input != "-")
            return readFileImage(kvl::platform::pathFromUtf8(input));
        std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(m_in)), std::istreambuf_iterator<char>());
        if (m_in.bad())
            return Error { "cannot read standard input" };
        return bytes;
    }

    /// NAME.TXT / NAME.DAT beside the input, or in the -o folder, or the -o
    /// file; standard input's result goes to standard output unless -o says
    /// otherwise (into a folder it takes the dialogue's file name).
    Target target(const std::string& input, std::string_view extension, std::string_view stdinName) const
    {
        if (outOption == "-" || (outOption.empty() && input == "-"))
            return { true, {} };
        const std::string name = input == "-"
            ? std::string(stdinName)
            : kvl::platform::utf8FromPath(kvl::platform::pathFromUtf8(input).stem()) + std::string(extension);
        if (outOption.empty())
            return { false, kvl::platform::pathFromUtf8(input).parent_path() / kvl::platform::pathFromUtf8(name) };
        if (outIsFolder)
            return { false, kvl::platform::pathFromUtf8(outOption) / kvl::platform::pathFromUtf8(name) };
        return { false, kvl::platform::pathFromUtf8(outOption) };
    }

    bool emit(const std::string& input, const Target& to, std::span<const std::uint8_t> bytes)
    {
        const std::string size = std::to_string(bytes.size()) + " bytes";
        if (to.toStdout) {
            if (policy.dryRun) {
                m_err << shown(input) << " -> standard output (dry run: would write " << size << ")\n";
                return true;
            }
            m_out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
            m_out.flush();
            return m_out ? true : fail(input, "cannot write to standard output");
        }
        const std::string name = kvl::platform::utf8FromPath(to.path);
        if (m_written.count(to.path))
            return fail(input, name + " was written for an earlier file of this batch; nothing written");
        std::error_code ec;
        if (input != "-" && fs::equivalent(input, to.path, ec))
            return fail(input, name + " is the input itself; nothing written");
        const fs::path parent = to.path.parent_path();
        if (!parent.empty() && !fs::is_directory(parent, ec))
            return fail(input, "cannot write " + name + ": there is no folder " + kvl::platform::utf8FromPath(parent));
        if (!m_outputs)
            m_outputs.emplace(policy);
        const Result<cli::WriteOutcome> written = m_outputs->stage(to.path, bytes);
        if (!written)
            return fail(input, written.error().message);
        m_written.insert(to.path);
        m_err << shown(input) << " -> " << name;
        if (*written == cli::WriteOutcome::WouldWrite)
            m_err << " (dry run: would write " << size << ')';
        m_err << '\n';
        return true;
    }

public:
    /// Puts every staged output in place with one flush to disk for the
    /// whole batch; reports each that could not be and returns how many.
    std::size_t commitOutputs()
    {
        if (!m_outputs)
            return 0;
        const auto failures = m_outputs->commit();
        for (const auto& [path, error] : failures)
            m_err << kvl::platform::utf8FromPath(path) << ": " << error.message << "; nothing written\n";
        return failures.size();
    }

private:
    bool toText(const std::string& input)
    {
        const Result<std::vector<std::uint8_t>> image = read(input);
        if (!image)
            return fail(input, image.error().message);
        if (const Result<void> loaded = m_converter.loadImage(*image); !loaded)
            return fail(input, loaded.error().message);
        const std::string text = m_converter.text(notes);
        return emit(input, target(input, ".TXT", m_table.textFile),
            std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    }

    bool toBinary(const std::string& input)
    {
        const Result<std::vector<std::uint8_t>> bytes = read(input);
        if (!bytes)
            return fail(input, bytes.error().message);
        const std::string_view text(reinterpret_cast<const char*>(bytes->data()), bytes->size());
        // A field whose line does not match would be written as zero: in a
        // script nobody reads that message, so the file is refused instead.
        const TextReading reading = readRecordText(m_converter, m_table, text, shown(input));
        if (!reading.ok()) {
            for (const std::string& line : readingReport(reading))
                fail(input, line);
            if (!reading.stop.empty())
                return false;
            return fail(input, "not converted: the labels above do not match; nothing written");
        }
        return emit(input, target(input, ".DAT", m_table.binaryFile), m_converter.binaryImage());
    }

    bool verify(const std::string& input)
    {
        const Result<std::vector<std::uint8_t>> image = read(input);
        if (!image)
            return fail(input, image.error().message);
        const Result<std::optional<std::string>> checked = checkRoundTrip(m_converter, m_table, notes, *image);
        if (!checked)
            return fail(input, checked.error().message);
        m_out << shown(input) << ": " << (*checked ? **checked : std::string("round trip identical")) << '\n';
        return !*checked;
    }

    const ProgramTable& m_table;
    RecordConverter& m_converter;
    std::istream& m_in;
    std::ostream& m_out;
    std::ostream& m_err;
    std::set<fs::path> m_written;
    std::optional<cli::OutputBatch> m_outputs;
};

int usageError(const ProgramTable& table, std::ostream& err, const std::string& why)
{
    err << table.programName << ": " << why << '\n'
        << "Try '" << table.programName << " --help' for more information.\n";
    return cli::kExitUsage;
}

constexpr std::string_view kCommands = "to-text, to-binary, verify, diff or merge";

/// The side files' folder: --notes DIR, or `folder`; nothing when DIR is no folder.
std::optional<fs::path> notesFolder(const cli::ParsedArguments& parsed, const fs::path& folder)
{
    if (!parsed.has("notes"))
        return folder;
    const fs::path dir = kvl::platform::pathFromUtf8(parsed.value("notes"));
    std::error_code ec;
    if (!fs::is_directory(dir, ec))
        return std::nullopt;
    return dir;
}

/// diff and merge: their arguments checked, then run.
int runCompare(const ProgramTable& table, RecordConverter& converter, Command command,
    const std::vector<std::string>& files, const cli::ParsedArguments& parsed, const fs::path& folder, std::istream& in,
    std::ostream& out, std::ostream& err)
{
    CompareRequest request;
    request.files = files;
    request.json = parsed.has("json");
    if (command == Command::Diff) {
        if (files.size() != 2)
            return usageError(table, err, "'diff' compares two files (A B), not " + std::to_string(files.size()));
        if (parsed.has("out") || parsed.has("force") || parsed.has("dry-run") || parsed.has("notes"))
            return usageError(table, err, "diff writes no file: --out, --force, --dry-run and --notes do not apply");
        return runDiff(table, converter, request, in, out, err);
    }
    if (files.size() != 3)
        return usageError(
            table, err, "'merge' takes three files (BASE MINE THEIRS), not " + std::to_string(files.size()));
    request.out = parsed.value("out");
    if (request.out.empty())
        return usageError(table, err, "merge needs -o OUT (the merged file, or - for standard output)");
    std::error_code ec;
    if (request.out.back() == '/' || fs::is_directory(kvl::platform::pathFromUtf8(request.out), ec))
        return usageError(
            table, err, "merge writes one file: --out must name a file ('" + request.out + "' is a folder)");
    if (parsed.has("prefer")) {
        const std::string side = parsed.value("prefer");
        if (side != "mine" && side != "theirs")
            return usageError(table, err, "--prefer takes mine or theirs, not '" + side + "'");
        request.prefer = side == "mine" ? Prefer::Mine : Prefer::Theirs;
    }
    request.policy = { parsed.has("force"), parsed.has("dry-run") };
    const std::optional<fs::path> notes = notesFolder(parsed, folder);
    if (!notes)
        return usageError(table, err, "--notes: '" + parsed.value("notes") + "' is not a folder");
    request.notesFolder = *notes;
    return runMerge(table, converter, request, in, out, err);
}

} // namespace

namespace {

// Where the help's command and option lists begin their descriptions.
constexpr std::size_t kCommandColumn = 14;
constexpr std::size_t kOptionColumn = 19;

std::string example(const std::string& command, const std::string& what)
{
    constexpr std::size_t kColumn = 46;
    return "  " + command + std::string(command.size() < kColumn ? kColumn - command.size() : 1, ' ') + what + "\n";
}

} // namespace

std::string commandLineHelp(const ProgramTable& table)
{
    const std::string p(table.programName);
    const std::string bin(table.exampleBinary);
    const std::string stem = kvl::platform::utf8FromPath(fs::path(bin).stem());
    const std::string txt = stem + ".TXT";
    const std::string usage = "       " + p + " [OPTIONS] ";
    return "Usage: " + p + "          (no arguments: the question-and-answer dialogue)\n" + usage
        + "to-text FILE.DAT...\n" + usage + "to-binary FILE.TXT...\n" + usage + "verify FILE.DAT...\n" + usage
        + "diff A B\n" + usage + "merge BASE MINE THEIRS -o OUT\n" + "\n" + "Converts the game's "
        + std::string(table.fileKind) + " to annotated text and back.\n" + "\n" + "Commands:\n"
        + cli::formatCommandList(*table.commandLine, kCommandColumn) + "\n" + "Options:\n"
        + cli::formatOptionList(*table.commandLine, kOptionColumn) + "\n"
        + "A FILE of - is standard input; its result goes to standard output unless -o is given.\n"
        + "Outputs are written whole or not at all. Messages go to standard error; after\n"
        + "to-text, to-binary and verify the last line counts the files that succeeded and\n" + "failed.\n"
        + "Exit status: 0 every file done (verify: identical), 1 a file failed (verify: a file\n"
        + "differs), 2 a usage error. diff: 0 the same fields, 1 they differ, 2 a usage error\n"
        + "or a file that cannot be read. merge: 0 written, 1 not (a conflict, a file that\n"
        + "cannot be read or written), 2 a usage error.\n" + "\n" + "Examples:\n"
        + example(p + " to-text " + bin, "writes " + txt)
        + example(p + " to-text -o texts *.DAT", "one text per file, in the folder texts")
        + example(p + " to-binary -f " + txt, "writes " + bin + ", replacing it")
        + example(p + " to-binary -o new.dat - < " + txt, "standard input to new.dat")
        + example(p + " to-text -o - " + bin + " | less", "read the text at once")
        + example(p + " -n to-binary texts/*.TXT", "what would be written")
        + example(p + " verify *.DAT", "which files survive the text form")
        + example(p + " diff " + bin + " " + txt, "what the edited text changes")
        + example(p + " merge " + bin + " A.TXT B.DAT -o NEW.DAT", "both mods' changes in one file");
}

int runCommandLine(const ProgramTable& table, RecordConverter& converter, const std::vector<std::string>& arguments,
    std::istream& in, std::ostream& out, std::ostream& err, const fs::path& folder)
{
    const Result<cli::ParsedArguments> parsed = cli::parseArguments(table.commandLine->options, arguments);
    if (!parsed)
        return usageError(table, err, parsed.error().message);
    if (parsed->has("help")) {
        out << commandLineHelp(table);
        return cli::kExitOk;
    }
    if (parsed->has("version")) {
        out << table.programName << ' ' << KVL_VERSION << '\n';
        return cli::kExitOk;
    }
    std::vector<std::string> files = parsed->positionals();
    if (files.empty())
        return usageError(table, err, "no command given (" + std::string(kCommands) + ")");
    const std::string name = files.front();
    files.erase(files.begin());
    Command command;
    if (name == "to-text")
        command = Command::ToText;
    else if (name == "to-binary")
        command = Command::ToBinary;
    else if (name == "verify")
        command = Command::Verify;
    else if (name == "diff")
        command = Command::Diff;
    else if (name == "merge")
        command = Command::Merge;
    else
        return usageError(table, err, "unknown command '" + name + "' (" + std::string(kCommands) + ")");
    if (files.empty())
        return usageError(table, err, "'" + name + "' needs at least one file");
    if (std::count(files.begin(), files.end(), "-") > 1)
        return usageError(table, err, "standard input (-) can be read only once");
    if (parsed->has("json") && command != Command::Diff && command != Command::Merge)
        return usageError(table, err, "--json applies to diff and merge only");
    if (parsed->has("prefer") && command != Command::Merge)
        return usageError(table, err, "--prefer applies to merge only");
    if (command == Command::Diff || command == Command::Merge)
        return runCompare(table, converter, command, files, *parsed, folder, in, out, err);

    Batch batch(table, converter, in, out, err);
    batch.policy = { parsed->has("force"), parsed->has("dry-run") };
    batch.outOption = parsed->value("out");
    if (parsed->has("out") && batch.outOption.empty())
        return usageError(table, err, "option '--out' needs a value (PATH)");
    std::error_code ec;
    batch.outIsFolder = !batch.outOption.empty() && batch.outOption != "-"
        && (batch.outOption.back() == '/' || fs::is_directory(kvl::platform::pathFromUtf8(batch.outOption), ec));
    if (command == Command::Verify && (parsed->has("out") || parsed->has("force") || parsed->has("dry-run")))
        return usageError(table, err, "verify writes no file: --out, --force and --dry-run do not apply");
    if (files.size() > 1 && !batch.outOption.empty() && !batch.outIsFolder)
        return usageError(
            table, err, "with several files, --out must name a folder ('" + batch.outOption + "' is not one)");

    const std::optional<fs::path> notes = notesFolder(*parsed, folder);
    if (!notes)
        return usageError(table, err, "--notes: '" + parsed->value("notes") + "' is not a folder");
    if (command != Command::ToBinary) {
        // Only the text carries the side files' comments; verify writes its
        // text as to-text does, without the messages.
        std::ostream quiet(nullptr);
        batch.notes = loadAnnotations(table, *notes, command == Command::ToText ? err : quiet);
    }

    std::size_t succeeded = 0;
    for (const std::string& file : files)
        succeeded += batch.run(command, file) ? 1 : 0;
    // Outputs are written to temporary files as the batch goes and put in
    // place together at the end: one flush to disk, not one per file.
    succeeded -= std::min(succeeded, batch.commitOutputs());
    const std::size_t failed = files.size() - succeeded;
    err << cli::batchSummary(succeeded, failed) << '\n';
    return failed == 0 ? cli::kExitOk : cli::kExitFailed;
}

int runConverterProgram(const ProgramTable& table, RecordConverter& converter, int argc, char** argv)
{
    ignoreBrokenPipe();
    platform::utf8Console();
    if (argc > 1) {
        std::ios::sync_with_stdio(false);
        std::vector<std::string> arguments = platform::utf8Arguments(argc, argv);
        arguments.erase(arguments.begin());
        return runCommandLine(table, converter, arguments, std::cin, std::cout, std::cerr);
    }
    runConverterMenu(table, converter, std::cin, std::cout, ".");
    return 0;
}

} // namespace kvl::recordtext
