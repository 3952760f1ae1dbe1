// The modelconv command line: option checks, the batch loop and the output
// files. The outputs are the very bytes the dialogue writes; only the way
// they are named and written differs (named after the model, never over an
// existing file without --force, whole or not at all).
#include "modelconv/commandline.h"
#include "common/platform.h"

#include "common/cli.h"
#include "modelconv/model3db.h"
#include "modelconv/modelconvoptions.h"
#include "modelconv/summary.h"
#include "modelconv/textdump.h"
#include "modelconv/vkm.h"

#include <filesystem>
#include <optional>
#include <set>
#include <span>
#include <system_error>

namespace kvl::modelconv {

namespace fs = std::filesystem;

namespace {

constexpr const char* kProgram = "modelconv";

// Where the help's option list begins its descriptions.
constexpr std::size_t kOptionColumn = 21;

/// What a run was asked to do.
struct Request {
    bool vkm = false;
    bool text = false;
    bool info = false;
    bool json = false;
    std::optional<fs::path> outFolder;
    cli::OutputPolicy policy;
    bool severalModels = false;
};

int usageError(std::ostream& err, const std::string& reason)
{
    err << kProgram << ": " << reason << "\nTry '" << kProgram << " --help' for more information.\n";
    return cli::kExitUsage;
}

std::span<const std::uint8_t> asBytes(std::string_view text)
{
    return { reinterpret_cast<const std::uint8_t*>(text.data()), text.size() };
}

/// One batch: every model of the command line in turn.
class Batch {
public:
    Batch(const Request& request, std::ostream& out, std::ostream& err) : m_request(request), m_out(out), m_err(err) { }

    /// Converts or describes one model; false when anything asked for it failed.
    bool run(const std::string& input)
    {
        if (input == "-")
            return fail(input, "models are read from files, not from standard input");
        Result<Model3DB> loaded = load3DB(kvl::platform::pathFromUtf8(input));
        if (!loaded) {
            std::string why = loaded.error().message;
            if (loaded.error().code != 0)
                why += " (" + std::generic_category().message(loaded.error().code) + ")";
            if (m_request.json)
                m_out << errorJson(input, why) << '\n';
            return fail(input, why);
        }
        const Model3DB& model = *loaded;
        const std::optional<std::string> refusal = vkmRefusal(model);

        bool ok = true;
        if (m_request.json) {
            m_out << summaryJson(input, model) << '\n';
        } else if (m_request.info) {
            if (m_request.severalModels)
                m_out << "==> " << input << " <==\n";
            m_out << formatSummary(model) << formatVkmWarnings(refusal);
            if (m_request.severalModels && refusal)
                m_out << '\n';
        }
        if ((m_request.json || m_request.info) && !m_out.flush())
            ok = fail(input, "cannot write to standard output");

        if (m_request.vkm) {
            if (refusal)
                ok = fail(input, *refusal + " " + kCannotCreateVkm);
            else
                ok = emit(input, outputPath(input, ".VKM"), vkmBytes(convertToVKM(model))) && ok;
        }
        if (m_request.text)
            ok = emit(input, outputPath(input, ".TXT"), asBytes(formatTextDump(model))) && ok;
        return ok;
    }

private:
    bool fail(const std::string& input, const std::string& why)
    {
        m_err << input << ": " << why << '\n';
        return false;
    }

    /// The model's base name with `extension`, beside the model or in --out.
    fs::path outputPath(const std::string& input, const char* extension) const
    {
        const fs::path model = kvl::platform::pathFromUtf8(input);
        const fs::path folder = m_request.outFolder ? *m_request.outFolder : model.parent_path();
        return folder / kvl::platform::pathFromUtf8(kvl::platform::utf8FromPath(model.stem()) + extension);
    }

    bool emit(const std::string& input, const fs::path& path, std::span<const std::uint8_t> bytes)
    {
        const std::string name = kvl::platform::utf8FromPath(path);
        // Two models of one batch can share a base name (A/X.3DB, B/X.3DB into
        // one --out folder): the second would silently replace the first.
        if (m_written.count(path))
            return fail(input, name + " was written for an earlier model of this batch; nothing written");
        std::error_code ec;
        if (fs::equivalent(kvl::platform::pathFromUtf8(input), path, ec))
            return fail(input, name + " is the model itself; nothing written");
        const fs::path parent = path.parent_path();
        if (!parent.empty() && !fs::is_directory(parent, ec))
            return fail(input, "cannot write " + name + ": there is no folder " + kvl::platform::utf8FromPath(parent));
        const Result<cli::WriteOutcome> written = cli::writeOutput(path, bytes, m_request.policy);
        if (!written)
            return fail(input, written.error().message);
        m_written.insert(path);
        m_err << input << " -> " << name;
        if (*written == cli::WriteOutcome::WouldWrite)
            m_err << " (dry run: would write " << bytes.size() << " bytes)";
        m_err << '\n';
        return true;
    }

    const Request& m_request;
    std::ostream& m_out;
    std::ostream& m_err;
    std::set<fs::path> m_written;
};

} // namespace

std::string commandLineHelp()
{
    return std::string(R"(Usage: modelconv [OPTIONS] MODEL.3DB...
       modelconv              (no arguments: asks for the file names instead)

Converts the game's .3DB models into VKM model files (the files modelview
shows) and/or commented text dumps, or prints what the models hold. Each
output is named after its model, FIGHTER.3DB giving FIGHTER.VKM and
FIGHTER.TXT, and goes beside the model or into the folder given with --out.
The files hold exactly the bytes the question-and-answer dialogue writes.

Options:
)") + cli::formatOptionList(kCommandLine, kOptionColumn)
        + R"(
A model over the VKM limits (more than 255 nodes or elements, or a model the
VKM format cannot hold as it is) is reported with the reason and gets no VKM
file; its text dump is still written when asked. An existing output file is
left as it is unless --force is given, and a file that cannot be written
completely is not written at all.

What was written and what failed is told on standard error, closing with a
line such as "3 succeeded, 1 failed". Exit status: 0 when every model was
done, 1 when any failed (the others are still done), 2 for a usage error.

Examples:
  modelconv FIGHTER.3DB                 writes FIGHTER.VKM
  modelconv --vkm --text -o out *.3DB   both files of every model, into out/
  modelconv --text -f BIGMODEL.3DB      the text dump, replacing an old one
  modelconv --info BIGMODEL.3DB         the summary, and why no VKM file
  modelconv --json *.3DB                one JSON line per model, for scripts
  modelconv -n --vkm --text *.3DB       what would be written, writing nothing
)";
}

int runCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    const Result<cli::ParsedArguments> parsed = cli::parseArguments(kCommandLine.options, arguments);
    if (!parsed)
        return usageError(err, parsed.error().message);
    const cli::ParsedArguments& args = *parsed;
    if (args.has("help")) {
        out << commandLineHelp() << std::flush;
        return cli::kExitOk;
    }
    if (args.has("version")) {
        out << kProgram << ' ' << KVL_VERSION << '\n' << std::flush;
        return cli::kExitOk;
    }
    if (args.positionals().empty())
        return usageError(err, "no model file given");

    Request request;
    request.text = args.has("text");
    request.info = args.has("info");
    request.json = args.has("json");
    request.vkm = args.has("vkm") || !(request.text || request.info || request.json);
    if (args.has("out")) {
        const std::string folder = args.value("out");
        if (folder.empty())
            return usageError(err, "option '--out' needs a folder name");
        request.outFolder = kvl::platform::pathFromUtf8(folder);
    }
    request.policy.force = args.has("force");
    request.policy.dryRun = args.has("dry-run");
    request.severalModels = args.positionals().size() > 1;

    Batch batch(request, out, err);
    std::size_t succeeded = 0;
    std::size_t failed = 0;
    for (const std::string& input : args.positionals())
        ++(batch.run(input) ? succeeded : failed);
    err << cli::batchSummary(succeeded, failed) << '\n' << std::flush;
    return failed == 0 ? cli::kExitOk : cli::kExitFailed;
}

} // namespace kvl::modelconv
