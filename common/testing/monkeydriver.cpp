// The monkey test program's main: the short run of the test command, long
// runs for scripts/monkey.sh, replays, and shrinking a failing action list.
// Every run of the window happens in a child process (this program started
// again with --child), so that a crash, a sanitizer report or a hang ends
// the child only and is reported here.
#include "common/testing/monkey.h"

#include "common/fileimage.h"
#include "common/platform.h"
#include "common/testing/testfolder.h"

#include <QApplication>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kvl::test::monkey {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

/// Actions per child in a long run: long enough to reach deep states, short
/// enough that a failure shrinks quickly.
constexpr int kActionsPerLongRun = 400;

struct Options {
    std::optional<std::uint64_t> seed;
    std::optional<int> actions;
    std::optional<double> seconds;
    std::optional<fs::path> replay;
    bool child = false;
    fs::path root;
    fs::path log;
    fs::path out;
    double hang = 8;
    double secondsLeft = 0;
    double shrinkSeconds = 900;
};

int usage(const std::string& program, const std::string& why)
{
    std::fprintf(stderr,
        "%s_monkey_test: %s\n"
        "usage: %s_monkey_test [--seed N] [--actions K | --seconds S] [--hang S] [--shrink-seconds S] [--out DIR]\n"
        "       %s_monkey_test --replay FILE [--child]\n",
        program.c_str(), why.c_str(), program.c_str(), program.c_str());
    return 2;
}

std::optional<double> positive(const char* text)
{
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text, &end);
    if (errno != 0 || end == text || *end != '\0' || !(value > 0) || value > 1e7)
        return std::nullopt;
    return value;
}

std::optional<Options> parseOptions(int argc, char** argv, const std::string& program, int& status)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        const char* value = hasValue ? argv[i + 1] : "";
        if (arg == "--child") {
            o.child = true;
            continue;
        }
        if (!hasValue) {
            status = usage(program, arg + " needs a value or is not an option");
            return std::nullopt;
        }
        ++i;
        if (arg == "--seed") {
            char* end = nullptr;
            const unsigned long long seed = std::strtoull(value, &end, 10);
            if (end == value || *end != '\0') {
                status = usage(program, "--seed takes a whole number");
                return std::nullopt;
            }
            o.seed = seed;
        } else if (arg == "--actions") {
            const auto v = positive(value);
            if (!v || *v != static_cast<int>(*v)) {
                status = usage(program, "--actions takes a whole number above 0");
                return std::nullopt;
            }
            o.actions = static_cast<int>(*v);
        } else if (arg == "--seconds" || arg == "--hang" || arg == "--seconds-left" || arg == "--shrink-seconds") {
            const auto v = positive(value);
            if (!v) {
                status = usage(program, arg + " takes a number of seconds above 0");
                return std::nullopt;
            }
            (arg == "--seconds"               ? o.seconds.emplace()
                    : arg == "--hang"         ? o.hang
                    : arg == "--seconds-left" ? o.secondsLeft
                                              : o.shrinkSeconds)
                = *v;
        } else if (arg == "--replay") {
            o.replay = kvl::platform::pathFromUtf8(value);
        } else if (arg == "--root") {
            o.root = kvl::platform::pathFromUtf8(value);
        } else if (arg == "--log") {
            o.log = kvl::platform::pathFromUtf8(value);
        } else if (arg == "--out") {
            o.out = kvl::platform::pathFromUtf8(value);
        } else {
            status = usage(program, "unknown option " + arg);
            return std::nullopt;
        }
    }
    return o;
}

std::string readText(const fs::path& path)
{
    auto image = kvl::readFileImage(path);
    return image ? std::string(image->begin(), image->end()) : std::string();
}

// ---- the child: the window itself -------------------------------------------------

Folders foldersIn(const fs::path& root)
{
    return { root, root / "game", root / "files", root / "out", root / "config" };
}

bool prepareFolders(const Folders& f, const fs::path& sample)
{
    std::error_code ec;
    for (const fs::path& folder : { f.root, f.files, f.out, f.config })
        fs::create_directories(folder, ec);
    fs::copy(sample, f.game, fs::copy_options::recursive, ec);
    if (ec) {
        std::fprintf(stderr, "monkey: cannot copy the sample folder %s: %s\n",
            kvl::platform::utf8FromPath(sample).c_str(), ec.message().c_str());
        return false;
    }
    // The build's own stamp is no game file.
    fs::remove(f.game / ".generated", ec);
    return true;
}

int runChild(int argc, char** argv, const Program& program, const Options& o)
{
    std::optional<TempFolder> own;
    fs::path root = o.root;
    if (root.empty()) {
        own.emplace();
        root = own->path();
    }
    const Folders folders = foldersIn(root);
    if (!prepareFolders(folders, program.sample))
        return 1;
    std::optional<std::vector<Action>> actions;
    if (o.replay) {
        auto list = parseActionList(readText(*o.replay));
        if (!list) {
            std::fprintf(stderr, "monkey: %s: %s\n", kvl::platform::utf8FromPath(*o.replay).c_str(),
                list.error().message.c_str());
            return 2;
        }
        actions = std::move(*list);
    }
    // The profile (last folders, recent files) and the runtime folder are the run's own.
    ::setenv("XDG_CONFIG_HOME", folders.config.c_str(), 1);
    std::error_code ec;
    fs::create_directories(folders.config / "runtime", ec);
    fs::permissions(folders.config / "runtime", fs::perms::owner_all, ec);
    ::setenv("XDG_RUNTIME_DIR", (folders.config / "runtime").c_str(), 1);
    if (program.beforeApplication)
        program.beforeApplication();
    QApplication app(argc, argv);
    return runHere(program, folders, o.seed.value_or(program.seed), o.actions.value_or(program.actions), actions, o.log,
        o.hang, o.secondsLeft);
}

// ---- the parent: runs, verdicts, shrinking -----------------------------------------

struct Outcome {
    Failure failure;
    std::vector<Action> done; // the actions the child began, in order
    std::string standardError;
};

fs::path selfPath(const char* argv0)
{
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path(argv0) : self;
}

void addOption(const char* variable, const char* option)
{
    const char* old = std::getenv(variable);
    std::string value = old ? old : "";
    if (value.find(std::string(option).substr(0, std::string(option).find('='))) != std::string::npos)
        return;
    value += (value.empty() ? "" : ":") + std::string(option);
    ::setenv(variable, value.c_str(), 1);
}

// Runs this program again as a child with `arguments` in a fresh folder and
// says how it ended.
Outcome runInChild(const fs::path& self, const std::vector<std::string>& arguments, const Options& o)
{
    TempFolder base;
    const fs::path log = base / "actions.log", err = base / "stderr.txt";
    std::vector<std::string> all { kvl::platform::utf8FromPath(self) };
    all.insert(all.end(), arguments.begin(), arguments.end());
    for (const std::string& extra :
        { std::string("--child"), std::string("--root"), kvl::platform::utf8FromPath(base / "run"),
            std::string("--log"), kvl::platform::utf8FromPath(log), std::string("--hang"), std::to_string(o.hang) })
        all.push_back(extra);
    std::vector<char*> argv;
    for (std::string& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int fd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            ::dup2(fd, STDERR_FILENO);
            ::dup2(fd, STDOUT_FILENO);
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    Outcome outcome;
    if (pid < 0) {
        outcome.failure = { Failure::Kind::Crash, "fork", "the child process could not be started" };
        return outcome;
    }
    // The child's watchdog ends a hanging action itself; this one catches
    // what it cannot (a hang before the first action, a stuck exit).
    int status = 0;
    bool killed = false;
    std::uintmax_t logSize = 0;
    auto lastProgress = Clock::now();
    const auto patience = std::chrono::milliseconds(static_cast<long long>((o.hang * 2 + 60) * 1000));
    while (true) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid)
            break;
        if (done < 0 && errno != EINTR)
            break;
        std::error_code ec;
        const std::uintmax_t size = fs::file_size(log, ec);
        if (!ec && size != logSize) {
            logSize = size;
            lastProgress = Clock::now();
        }
        if (Clock::now() - lastProgress > patience && !killed) {
            ::kill(pid, SIGKILL);
            killed = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    outcome.standardError = readText(err);
    const int exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const int signal = WIFSIGNALED(status) && !killed ? WTERMSIG(status) : 0;
    outcome.failure = classifyRun(exitCode, signal, killed, outcome.standardError);
    if (auto list = parseActionList(readText(log)))
        outcome.done = std::move(*list);
    return outcome;
}

Outcome replayInChild(const fs::path& self, const std::vector<Action>& actions, const Options& o)
{
    TempFolder folder;
    const fs::path file = folder / "replay.txt";
    if (!kvl::writeFileImage(file, std::string_view(formatActionList(actions))))
        return { { Failure::Kind::Crash, "write", "the replay list could not be written" }, {}, {} };
    return runInChild(self, { "--replay", kvl::platform::utf8FromPath(file) }, o);
}

// The shortest sub-list of `actions` that still fails as `failure` did.
std::vector<Action> shrink(
    const fs::path& self, const std::vector<Action>& actions, const Failure& failure, const Options& o, int& replays)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(static_cast<long long>(o.shrinkSeconds * 1000));
    const auto select = [&](const std::vector<std::size_t>& indices) {
        std::vector<Action> chosen;
        for (const std::size_t i : indices)
            chosen.push_back(actions[i]);
        return chosen;
    };
    const std::vector<std::size_t> kept = shrinkList(
        actions.size(),
        [&](const std::vector<std::size_t>& indices) {
            ++replays;
            return replayInChild(self, select(indices), o).failure.sameAs(failure);
        },
        [&] { return Clock::now() < deadline; });
    return select(kept);
}

const char* kindName(Failure::Kind kind)
{
    switch (kind) {
    case Failure::Kind::None:
        return "no failure";
    case Failure::Kind::Crash:
        return "crash";
    case Failure::Kind::Sanitizer:
        return "sanitizer report";
    case Failure::Kind::Hang:
        return "hang";
    case Failure::Kind::Invariant:
        return "broken invariant";
    }
    return "";
}

// The end of the child's standard error, where the report is.
void printTail(const std::string& text)
{
    std::size_t from = text.size();
    for (int lines = 0; lines < 41 && from > 0; ++lines) {
        const std::size_t newline = text.rfind('\n', from - 1);
        if (newline == std::string::npos) {
            from = 0;
            break;
        }
        from = newline;
    }
    const std::string tail = text.substr(from == 0 ? 0 : from + 1);
    std::fprintf(stderr, "---- the end of the program's standard error ----\n%s----\n", tail.c_str());
}

// Shrinks the failing run `outcome` of seed `seed`, saves and prints the list.
void report(const fs::path& self, const Program& program, std::uint64_t seed, const Outcome& outcome, const Options& o)
{
    std::printf("%s: seed %llu: %s, %s, after %zu actions\n  %s\n", program.name.c_str(),
        static_cast<unsigned long long>(seed), kindName(outcome.failure.kind), outcome.failure.signature.c_str(),
        outcome.done.size(), outcome.failure.summary.c_str());
    if (!outcome.done.empty())
        std::printf("  in action %zu: %s\n", outcome.done.size(), formatAction(outcome.done.back()).c_str());
    std::fflush(stdout);
    printTail(outcome.standardError);
    std::vector<Action> list = outcome.done;
    int replays = 1;
    const Outcome again = replayInChild(self, list, o);
    std::string note;
    if (!again.failure.sameAs(outcome.failure)) {
        note = "it did not fail the same way when replayed (" + std::string(kindName(again.failure.kind)) + ", "
            + again.failure.signature + "); the whole list is kept";
    } else {
        list = shrink(self, list, outcome.failure, o, replays);
    }
    const fs::path folder = o.out.empty() ? fs::current_path() : o.out;
    const fs::path file = folder / (program.name + "-monkey-" + std::to_string(seed) + ".txt");
    std::string text = "# " + program.name + ", seed " + std::to_string(seed) + ": " + kindName(outcome.failure.kind)
        + ", " + outcome.failure.signature + "\n# " + outcome.failure.summary + "\n";
    text += formatActionList(list);
    std::error_code ec;
    fs::create_directories(folder, ec);
    const bool saved = kvl::writeFileImage(file, std::string_view(text));
    std::printf("  shortest failing list: %zu of %zu actions (%d replays)%s%s\n", list.size(), outcome.done.size(),
        replays, note.empty() ? "" : "; ", note.c_str());
    for (const Action& a : list)
        std::printf("    %s\n", formatAction(a).c_str());
    if (saved)
        std::printf("  saved in %s\n  replay: %s_monkey_test --replay %s\n", kvl::platform::utf8FromPath(file).c_str(),
            program.name.c_str(), kvl::platform::utf8FromPath(file).c_str());
    std::fflush(stdout);
}

std::vector<fs::path> savedLists(const fs::path& folder)
{
    std::vector<fs::path> lists;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->path().extension() == ".txt")
            lists.push_back(it->path());
    std::sort(lists.begin(), lists.end());
    return lists;
}

} // namespace

int monkeyMain(int argc, char** argv, const Program& program)
{
    int status = 0;
    const std::optional<Options> parsed = parseOptions(argc, argv, program.name, status);
    if (!parsed)
        return status;
    const Options& o = *parsed;
    if (o.child)
        return runChild(argc, argv, program, o);

    // Children of the sanitizer build: leaks of the GL and X libraries are
    // no finding; a UB report says where it came from.
    addOption("ASAN_OPTIONS", "detect_leaks=0");
    addOption("UBSAN_OPTIONS", "print_stacktrace=1");
    const fs::path self = selfPath(argv[0]);

    if (o.replay) {
        auto list = parseActionList(readText(*o.replay));
        if (!list) {
            std::fprintf(stderr, "%s_monkey_test: %s: %s\n", program.name.c_str(),
                kvl::platform::utf8FromPath(*o.replay).c_str(), list.error().message.c_str());
            return 2;
        }
        const Outcome outcome = replayInChild(self, *list, o);
        std::printf("%s: replayed %zu of %zu actions of %s: %s%s%s\n", program.name.c_str(), outcome.done.size(),
            list->size(), kvl::platform::utf8FromPath(*o.replay).c_str(), kindName(outcome.failure.kind),
            outcome.failure ? ", " : "", outcome.failure.summary.c_str());
        if (outcome.failure)
            printTail(outcome.standardError);
        return outcome.failure ? 1 : 0;
    }

    long long actions = 0;
    int crashes = 0;
    if (!o.seconds) {
        // The test command's run: the saved lists, then one seed.
        for (const fs::path& file : savedLists(program.regressions)) {
            auto list = parseActionList(readText(file));
            if (!list) {
                std::printf("%s: %s: %s\n", program.name.c_str(), kvl::platform::utf8FromPath(file).c_str(),
                    list.error().message.c_str());
                ++crashes;
                continue;
            }
            const Outcome outcome = replayInChild(self, *list, o);
            actions += static_cast<long long>(outcome.done.size());
            std::printf("%s: %s: %zu actions, %s\n", program.name.c_str(),
                kvl::platform::utf8FromPath(file.filename()).c_str(), outcome.done.size(),
                outcome.failure ? outcome.failure.summary.c_str() : "passed");
            if (outcome.failure) {
                printTail(outcome.standardError);
                ++crashes;
            }
        }
        const std::uint64_t seed = o.seed.value_or(program.seed);
        const int count = o.actions.value_or(program.actions);
        const Outcome outcome = runInChild(self,
            { "--seed", std::to_string(seed), "--actions", std::to_string(count), "--seconds-left",
                std::to_string(o.actions ? 1e6 : program.shortRunSeconds) },
            o);
        actions += static_cast<long long>(outcome.done.size());
        if (outcome.failure) {
            ++crashes;
            report(self, program, seed, outcome, o);
        }
    } else {
        // A long run: new seeds one after the other until the time is up.
        const auto end = Clock::now() + std::chrono::milliseconds(static_cast<long long>(*o.seconds * 1000));
        std::uint64_t seed = o.seed.value_or(std::random_device {}() % 1000000000u);
        std::printf("%s: monkey runs from seed %llu for %.0f s\n", program.name.c_str(),
            static_cast<unsigned long long>(seed), *o.seconds);
        std::fflush(stdout);
        for (; Clock::now() < end; ++seed) {
            const double left = std::chrono::duration<double>(end - Clock::now()).count();
            const Outcome outcome = runInChild(self,
                { "--seed", std::to_string(seed), "--actions", std::to_string(o.actions.value_or(kActionsPerLongRun)),
                    "--seconds-left", std::to_string(std::max(left, 1.0)) },
                o);
            actions += static_cast<long long>(outcome.done.size());
            if (outcome.failure) {
                ++crashes;
                report(self, program, seed, outcome, o);
            }
        }
    }
    std::printf("%s: %lld actions, %d crashes\n", program.name.c_str(), actions, crashes);
    return crashes == 0 ? 0 : 1;
}

} // namespace kvl::test::monkey
