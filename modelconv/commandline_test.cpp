// The modelconv command line: options and usage errors, output names, the
// same bytes as the dialogue, refusal to overwrite, dry runs, batches with
// bad models among good ones, summaries, and outputs that cannot be written.
#include "modelconv/commandline.h"
#include "modelconv/converter.h"
#include "modelconv/summary.h"
#include "modelconv/testing/builder3db.h"

#include "common/fileimage.h"
#include "common/testing/testfolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <set>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kvl::modelconv {
namespace {

namespace fs = std::filesystem;
using namespace kvl::test;

const std::string kTryHelp = "Try 'modelconv --help' for more information.\n";

std::vector<std::uint8_t> modelBytes(int points, int elements, bool type7 = false)
{
    Builder3DB b;
    b.setTextureName("PLANE.BMP");
    b.addInsert(1, 2, 3, 4, 5, 6);
    for (int i = 0; i < points; ++i)
        b.addPoint(static_cast<float>(i), 0.5f, -1, 0);
    for (int i = 0; i < elements; ++i) {
        Element3DBData e;
        e.records = { type7 ? recordTextured(7, 0, 0, { { 0, 0, 0 } })
                            : record3(0, 0, { 0, static_cast<std::uint8_t>(i % points), 1 }) };
        b.addElement(e);
    }
    return b.build();
}

std::vector<std::uint8_t> brokenBytes()
{
    std::vector<std::uint8_t> bytes = modelBytes(4, 2);
    bytes.resize(bytes.size() - 50);
    return bytes;
}

struct Outcome {
    int status = -1;
    std::string out, err;
};

class CommandLine : public ::testing::Test {
protected:
    fs::path path(const std::string& name) const { return m_dir / name; }
    std::string at(const std::string& name) const { return path(name).string(); }

    void put(const std::string& name, const std::vector<std::uint8_t>& bytes)
    {
        fs::create_directories(path(name).parent_path());
        ASSERT_TRUE(writeFileImage(path(name), bytes));
    }

    std::vector<std::uint8_t> read(const std::string& name) const
    {
        auto bytes = readFileImage(path(name));
        EXPECT_TRUE(bytes) << name;
        return bytes ? *bytes : std::vector<std::uint8_t> {};
    }

    Outcome run(std::vector<std::string> args)
    {
        std::ostringstream out, err;
        Outcome r;
        r.status = runCommandLine(args, out, err);
        r.out = out.str();
        r.err = err.str();
        return r;
    }

    std::set<std::string> files(const std::string& folder = {}) const
    {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(path(folder)))
            names.insert(entry.path().filename().string());
        return names;
    }

    /// What the dialogue prints and writes for `model` with both outputs asked
    /// for, in a folder of its own; an output it does not write stays empty.
    std::string dialogue(const std::vector<std::uint8_t>& model, std::vector<std::uint8_t>* vkm = nullptr,
        std::vector<std::uint8_t>* text = nullptr)
    {
        test::TempFolder folder;
        EXPECT_TRUE(writeFileImage(folder / "D.3DB", model));
        // Without the VKM question the second answer goes to the text question.
        auto decoded = decode3DB(model);
        const bool asksForVkm = decoded && !vkmRefusal(*decoded);
        std::istringstream in(asksForVkm ? "D.3DB\nD.VKM\nD.TXT\n" : "D.3DB\nD.TXT\n");
        std::ostringstream out;
        runModelConverter(in, out, folder.path());
        for (auto [name, bytes] : { std::pair { "D.VKM", vkm }, std::pair { "D.TXT", text } })
            if (bytes && fs::exists(folder / name))
                *bytes = readFileImage(folder / name).value();
        return out.str();
    }

    test::TempFolder m_dir;
};

TEST_F(CommandLine, HelpNamesEveryOptionAndVersionNamesTheProgram)
{
    for (const char* option : { "--help", "-h" }) {
        const Outcome r = run({ option, "IGNORED.3DB" });
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out.rfind("Usage: modelconv [OPTIONS] MODEL.3DB...\n", 0), 0u);
        for (const char* name : { "--vkm", "--text", "--info", "--json", "-o, --out DIR", "-f, --force",
                 "-n, --dry-run", "-h, --help", "--version", "Examples:", "modelconv FIGHTER.3DB" })
            EXPECT_NE(r.out.find(name), std::string::npos) << name;
    }
    const Outcome r = run({ "--version" });
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string("modelconv ") + KVL_VERSION + "\n");
    EXPECT_TRUE(files().empty());
}

TEST_F(CommandLine, UsageErrorsExitWithTwoAndTouchNothing)
{
    put("M.3DB", modelBytes(3, 1));
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        { { "--frobnicate", at("M.3DB") }, "unknown option '--frobnicate'" },
        { { "-x", at("M.3DB") }, "unknown option '-x'" },
        { { at("M.3DB"), "-o" }, "option '-o' needs a value (DIR)" },
        { { "--out=", at("M.3DB") }, "option '--out' needs a folder name" },
        { { "--text=yes", at("M.3DB") }, "option '--text' takes no value" },
        { { "--vkm", "--text" }, "no model file given" },
        { { "--" }, "no model file given" },
    };
    for (const auto& [args, reason] : cases) {
        const Outcome r = run(args);
        EXPECT_EQ(r.status, 2) << reason;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "modelconv: " + reason + "\n" + kTryHelp);
    }
    EXPECT_EQ(files(), (std::set<std::string> { "M.3DB" }));
}

TEST_F(CommandLine, OutputsHoldTheDialoguesBytes)
{
    for (const auto& model : { modelBytes(4, 2), modelBytes(255, 255), modelBytes(300, 10) }) {
        std::vector<std::uint8_t> vkm, text;
        dialogue(model, &vkm, &text);
        put("M.3DB", model);
        fs::remove(path("M.VKM"));
        const Outcome r = run({ "--vkm", "--text", "--force", at("M.3DB") });
        EXPECT_EQ(read("M.TXT"), text);
        if (!vkm.empty()) {
            EXPECT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(read("M.VKM"), vkm);
        } else {
            EXPECT_EQ(r.status, 1);
            EXPECT_FALSE(fs::exists(path("M.VKM")));
        }
    }
}

TEST_F(CommandLine, OutputsAreNamedAfterTheModelBesideItOrInTheOutFolder)
{
    put("models/Plane.v2.3db", modelBytes(3, 1));
    put("models/Tank", modelBytes(3, 1));
    fs::create_directories(path("out"));

    // Neither --vkm nor --text: the VKM file alone.
    Outcome r = run({ at("models/Plane.v2.3db"), at("models/Tank") });
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err,
        at("models/Plane.v2.3db") + " -> " + at("models/Plane.v2.VKM") + "\n" + at("models/Tank") + " -> "
            + at("models/Tank.VKM") + "\n2 succeeded, 0 failed\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(files("models"), (std::set<std::string> { "Plane.v2.3db", "Plane.v2.VKM", "Tank", "Tank.VKM" }));

    r = run({ "--text", "-o", at("out"), at("models/Plane.v2.3db") });
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(files("out"), (std::set<std::string> { "Plane.v2.TXT" }));
    r = run({ "--vkm", "--out=" + at("out"), at("models/Tank") });
    EXPECT_EQ(files("out"), (std::set<std::string> { "Plane.v2.TXT", "Tank.VKM" }));
}

TEST_F(CommandLine, AnExistingOutputIsReplacedOnlyWithForce)
{
    put("M.3DB", modelBytes(3, 1));
    put("M.VKM", { 1, 2, 3 });
    Outcome r = run({ at("M.3DB") });
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, at("M.3DB") + ": " + at("M.VKM") + " exists (use --force to replace it)\n0 succeeded, 1 failed\n");
    EXPECT_EQ(read("M.VKM"), (std::vector<std::uint8_t> { 1, 2, 3 }));

    r = run({ "-f", at("M.3DB") });
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_GT(read("M.VKM").size(), 3u);
}

TEST_F(CommandLine, ADryRunSaysWhatWouldBeWrittenAndWritesNothing)
{
    put("M.3DB", modelBytes(3, 1));
    put("OLD.3DB", modelBytes(3, 1));
    put("OLD.TXT", { 1 });
    std::vector<std::uint8_t> vkm, text;
    dialogue(modelBytes(3, 1), &vkm, &text);

    Outcome r = run({ "-n", "--vkm", "--text", at("M.3DB"), at("OLD.3DB") });
    EXPECT_EQ(r.status, 1); // OLD.TXT exists: a real run would fail too
    EXPECT_EQ(r.err,
        at("M.3DB") + " -> " + at("M.VKM") + " (dry run: would write " + std::to_string(vkm.size()) + " bytes)\n"
            + at("M.3DB") + " -> " + at("M.TXT") + " (dry run: would write " + std::to_string(text.size()) + " bytes)\n"
            + at("OLD.3DB") + " -> " + at("OLD.VKM") + " (dry run: would write " + std::to_string(vkm.size())
            + " bytes)\n" + at("OLD.3DB") + ": " + at("OLD.TXT")
            + " exists (use --force to replace it)\n1 succeeded, 1 failed\n");
    r = run({ "-nf", "--text", at("OLD.3DB") });
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(files(), (std::set<std::string> { "M.3DB", "OLD.3DB", "OLD.TXT" }));
    EXPECT_EQ(read("OLD.TXT"), (std::vector<std::uint8_t> { 1 }));
}

TEST_F(CommandLine, ABatchDoesTheGoodModelsAndReportsTheBadOnesWithTheDialoguesReasons)
{
    put("A.3DB", modelBytes(4, 2));
    put("BIG.3DB", modelBytes(10, 256));
    put("CUT.3DB", brokenBytes());
    put("T7.3DB", modelBytes(3, 1, true));
    put("Z.3DB", modelBytes(5, 3));

    // The reasons the dialogue gives for the same files.
    auto warning = [&](const std::vector<std::uint8_t>& model) {
        const std::string out = dialogue(model);
        const std::size_t at = out.find("WARNING: ") + 9;
        return out.substr(at, out.find('\n', at) - at);
    };
    const std::string bigReason = warning(modelBytes(10, 256));
    const std::string t7Reason = warning(modelBytes(3, 1, true));
    const std::string cutOut = dialogue(brokenBytes());
    const std::string cutReason = cutOut.substr(cutOut.find("Bad 3DB"), cutOut.size() - cutOut.find("Bad 3DB") - 1);
    EXPECT_EQ(bigReason, "This 3DB contains more than 255 elements!");

    const Outcome r = run(
        { "--vkm", "--text", at("A.3DB"), at("BIG.3DB"), at("CUT.3DB"), at("MISSING.3DB"), at("T7.3DB"), at("Z.3DB") });
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
        at("A.3DB") + " -> " + at("A.VKM") + "\n" + at("A.3DB") + " -> " + at("A.TXT") + "\n" + at("BIG.3DB") + ": "
            + bigReason + " Cannot create VKM file!\n" + at("BIG.3DB") + " -> " + at("BIG.TXT") + "\n" + at("CUT.3DB")
            + ": " + cutReason + "\n" + at("MISSING.3DB") + ": Unable to open 3DB file! (No such file or directory)\n"
            + at("T7.3DB") + ": " + t7Reason + " Cannot create VKM file!\n" + at("T7.3DB") + " -> " + at("T7.TXT")
            + "\n" + at("Z.3DB") + " -> " + at("Z.VKM") + "\n" + at("Z.3DB") + " -> " + at("Z.TXT")
            + "\n2 succeeded, 4 failed\n");
    EXPECT_EQ(files(),
        (std::set<std::string> { "A.3DB", "A.VKM", "A.TXT", "BIG.3DB", "BIG.TXT", "CUT.3DB", "T7.3DB", "T7.TXT",
            "Z.3DB", "Z.VKM", "Z.TXT" }));
}

TEST_F(CommandLine, InfoPrintsTheDialoguesSummaryAndNothingIsWritten)
{
    put("M.3DB", modelBytes(4, 2));
    put("BIG.3DB", modelBytes(300, 300));
    const std::string transcript = dialogue(modelBytes(4, 2));
    const std::size_t from = transcript.find("- 3DB INFORMATION -");
    const std::string summary = transcript.substr(from, transcript.find("Enter VKM") - from);
    const std::string bigTranscript = dialogue(modelBytes(300, 300));
    const std::size_t bigFrom = bigTranscript.find("- 3DB INFORMATION -");
    const std::string bigSummary = bigTranscript.substr(bigFrom, bigTranscript.find("Enter TXT") - bigFrom);

    Outcome r = run({ "--info", at("M.3DB") });
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, summary);
    EXPECT_EQ(r.err, "1 succeeded, 0 failed\n");

    // Several models: each block is headed by its file name.
    r = run({ "--info", at("BIG.3DB"), at("M.3DB") });
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "==> " + at("BIG.3DB") + " <==\n" + bigSummary + "\n==> " + at("M.3DB") + " <==\n" + summary);
    EXPECT_EQ(files(), (std::set<std::string> { "M.3DB", "BIG.3DB" }));

    // With --vkm as well, the file is written and the refusal reported.
    r = run({ "--info", "--vkm", at("BIG.3DB"), at("M.3DB") });
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(files(), (std::set<std::string> { "M.3DB", "M.VKM", "BIG.3DB" }));
}

TEST_F(CommandLine, JsonPrintsOneObjectPerModelOnItsOwnLine)
{
    put("M.3DB", modelBytes(4, 2));
    put("T7.3DB", modelBytes(3, 1, true));
    const Outcome r = run({ "--json", "--info", at("M.3DB"), at("NONE.3DB"), at("T7.3DB") });
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out,
        R"({"file":")" + at("M.3DB")
            + R"(","texture":"PLANE.BMP","inserts":1,"nodes":4,"tvns":0,"elements":2,"vkm":true,"vkmProblem":null})"
              "\n"
            + R"({"file":")" + at("NONE.3DB")
            + R"j(","error":"Unable to open 3DB file! (No such file or directory)"})j"
              "\n"
            + R"({"file":")" + at("T7.3DB")
            + R"(","texture":"PLANE.BMP","inserts":1,"nodes":3,"tvns":0,"elements":1,"vkm":false,)"
              R"("vkmProblem":"Element 0 has a record of type 7 without prefix!"})"
              "\n");
    EXPECT_EQ(files(), (std::set<std::string> { "M.3DB", "T7.3DB" }));
}

TEST_F(CommandLine, OutputsThatCannotBeWrittenAreReportedAndLeaveNoFile)
{
    put("a/X.3DB", modelBytes(3, 1));
    put("b/X.3DB", modelBytes(3, 1));
    fs::create_directories(path("out"));
    // Two models of one name into one folder: the second is not written over the first.
    Outcome r = run({ "-f", "-o", at("out"), at("a/X.3DB"), at("b/X.3DB") });
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(at("b/X.3DB") + ": " + at("out/X.VKM") + " was written for an earlier model of this batch"),
        std::string::npos)
        << r.err;
    // A missing --out folder, an output that is a folder, the model itself as output.
    fs::create_directories(path("a/X.TXT"));
    put("c/Y.TXT", modelBytes(3, 1));
    r = run({ "--text", "-f", at("a/X.3DB"), "-o", at("nowhere"), at("b/X.3DB") });
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("there is no folder " + at("nowhere")), std::string::npos) << r.err;
    r = run({ "--text", "-f", at("a/X.3DB"), at("c/Y.TXT") });
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(at("a/X.TXT") + " is a folder; nothing written"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(at("c/Y.TXT") + " is the model itself; nothing written"), std::string::npos) << r.err;
    EXPECT_EQ(files("a"), (std::set<std::string> { "X.3DB", "X.TXT" }));
    EXPECT_EQ(files("c"), (std::set<std::string> { "Y.TXT" }));
    EXPECT_FALSE(fs::exists(path("nowhere")));
}

/// Runs the built program with arguments in `folder`, standard input from
/// `input`, and files limited to `fileSizeLimit` bytes when it is not 0 (a
/// write past it fails as on a full disk).
Outcome runProgram(
    const std::vector<std::string>& args, const fs::path& folder, const std::string& input, rlim_t fileSizeLimit = 0)
{
    test::TempFolder io;
    Outcome r;
    if (!writeFileImage(io / "in", input))
        return r;
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int in = ::open((io / "in").c_str(), O_RDONLY);
        const int out = ::open((io / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open((io / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0 || ::chdir(folder.c_str()) != 0)
            ::_exit(126);
        ::dup2(in, STDIN_FILENO);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        if (fileSizeLimit != 0) {
            const rlimit limit { fileSizeLimit, fileSizeLimit };
            ::setrlimit(RLIMIT_FSIZE, &limit);
            ::signal(SIGXFSZ, SIG_IGN);
        }
        std::vector<char*> argv { const_cast<char*>(KVL_MODELCONV_PROGRAM) };
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(KVL_MODELCONV_PROGRAM, argv.data());
        ::_exit(127);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return r;
    r.status = WEXITSTATUS(status);
    auto text = [](const fs::path& p) {
        auto bytes = readFileImage(p);
        return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("(unreadable)");
    };
    r.out = text(io / "out");
    r.err = text(io / "err");
    return r;
}

TEST_F(CommandLine, TheProgramAsksNothingWhenGivenArgumentsAndExitsWithTheBatchStatus)
{
    put("M.3DB", modelBytes(3, 1));
    put("CUT.3DB", brokenBytes());
    const std::string answers = "M.3DB\nANSWER.VKM\nANSWER.TXT\n";
    Outcome r = runProgram({ "M.3DB" }, m_dir.path(), answers);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "M.3DB -> M.VKM\n1 succeeded, 0 failed\n");
    r = runProgram({ "--text", "CUT.3DB", "M.3DB" }, m_dir.path(), answers);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.substr(r.err.rfind("M.3DB")), "M.3DB -> M.TXT\n1 succeeded, 1 failed\n");
    r = runProgram({ "--no-such-option" }, m_dir.path(), answers);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "modelconv: unknown option '--no-such-option'\n" + kTryHelp);
    EXPECT_EQ(files(), (std::set<std::string> { "M.3DB", "CUT.3DB", "M.VKM", "M.TXT" }));

    // Without arguments the dialogue runs as ever.
    r = runProgram({}, m_dir.path(), "M.3DB\n\n\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("3DB to VKM converter\n", 0), 0u);
    EXPECT_EQ(r.err, "");
}

TEST_F(CommandLine, AWriteThatFailsHalfwayLeavesNoFileBehind)
{
    put("M.3DB", modelBytes(255, 255)); // a text dump far larger than the limit below
    const Outcome r = runProgram({ "--text", "M.3DB" }, m_dir.path(), "", 16384);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("M.3DB: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find("M.TXT"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.substr(r.err.size() - 22), "0 succeeded, 1 failed\n");
    EXPECT_EQ(files(), (std::set<std::string> { "M.3DB" })); // no M.TXT, no temporary file
}

} // namespace
} // namespace kvl::modelconv
