// Tests only: seeded random-input ("monkey") tests of the window programs.
//
// One test program per window program drives the real window, in its own
// process, over a fresh copy of the sample game folder: thousands of random
// but legal user actions (clicks on every control, keys, list choices, typed
// text with junk in it, menu commands, files dropped on the window), with
// every message box and file dialog answered at random - file dialogs with
// real sample files, missing paths and damaged copies. After each action the
// files are compared with those before it, and the program's own rules say
// which changes the action had the right to make.
//
// A run fails on a crash, a sanitizer report, an action that does not return
// within a few seconds, or a file changed that no action asked for. It then
// prints its seed and the shortest action list that still fails (delta
// debugging over replays in fresh processes); saved into the program's
// monkey/ folder, that list is replayed by every later test run.
//
//   PROGRAM_monkey_test                  the test command's run: every saved
//                                        list, then a short run of its seed
//   PROGRAM_monkey_test --seconds S      runs of 400 actions with new seeds
//                                        for S seconds (scripts/monkey.sh)
//   PROGRAM_monkey_test --seed N --actions K
//   PROGRAM_monkey_test --replay FILE    one list, in a child process
//   ... --child                          in this process (for a debugger)
//
// Without --seed the seed comes from KVL_MONKEY_SEED, else the short run's
// own (a long run draws one). KVL_MONKEY_VERBOSE=1 prints every action with
// the boxes and dialogs it brought up and the files it changed.
#pragma once

#include "common/testing/monkeyscript.h"
#include "common/windowhost.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

class QWidget;

namespace kvl::test::monkey {

/// The folders of one run, all inside its own temporary folder.
struct Folders {
    std::filesystem::path root;
    std::filesystem::path game;   // a fresh copy of the sample game folder
    std::filesystem::path files;  // damaged copies the file dialogs offer
    std::filesystem::path out;    // where save dialogs are pointed
    std::filesystem::path config; // the profile (XDG_CONFIG_HOME); not watched
};

/// A box or dialog shown during an action, and the answer it got.
struct Shown {
    bool fileDialog = false;
    std::string title;   // the box's title or the dialog's caption
    std::string text;    // the box's text
    std::string answer;  // "Ok", "Cancel", "Yes", "No"; for a dialog the path or ""
    bool saving = false; // a dialog that asks where to write
};

/// A file's bytes as the run saw them; folders have no bytes.
struct Entry {
    bool folder = false;
    std::string bytes;
    bool operator==(const Entry&) const = default;
};
/// Every file and folder below the run's folder (the profile left out), by
/// path relative to it with "/" between the parts.
using Snapshot = std::map<std::string, Entry>;

/// A file or folder that an action made, changed or removed.
struct FileChange {
    std::string path; // relative to the run's folder, "/" between parts
    std::optional<Entry> before;
    std::optional<Entry> after;
};

/// What the engine gives a program's test: the folders, the files as they
/// were before the action being checked, what was shown during it, and the
/// answers. It is also the WindowHost that answers the program's core.
class Session : public kvl::WindowHost {
public:
    explicit Session(Folders folders);

    const Folders& folders() const { return m_folders; }
    /// The files before the current action.
    const Snapshot& before() const { return m_before; }
    /// The boxes and dialogs of the current action, in order.
    const std::vector<Shown>& shown() const { return m_shown; }
    /// True when a box of the current action with exactly `text` got `answer`.
    bool answered(const std::string& text, const std::string& answer) const;
    /// The files the current action wrote where a save dialog pointed (the
    /// engine's own rule allows them; a program may check what they hold).
    const std::vector<FileChange>& saved() const { return m_saved; }
    /// The bytes of `relative` before the current action, if it was a file.
    const std::string* bytesBefore(const std::string& relative) const;
    /// `path` relative to the run's folder ("/" between parts), or "" when
    /// it lies outside.
    std::string relative(const std::filesystem::path& path) const;

    /// A number below `count` from the current action's answers.
    std::size_t pick(std::size_t count);
    /// A file for an open dialog: mostly one its name `filter` shows (a
    /// sample file or a damaged copy), else any, a missing path, a folder;
    /// nothing for Cancel.
    std::filesystem::path pickOpen(const std::string& filter = {});
    /// A path for a save dialog: a new or existing file in the out folder
    /// (named with `extension` when given), one without an extension, a
    /// file in a missing folder, the folder itself; nothing for Cancel.
    std::filesystem::path pickSave(const std::string& extension = {});
    /// A folder for a folder dialog, or nothing.
    std::filesystem::path pickFolder();
    /// Adds a file the open dialogs offer, and damaged copies of it.
    void offer(const std::filesystem::path& file);
    /// The files the open dialogs offer.
    const std::vector<std::filesystem::path>& openable() const { return m_openable; }

    /// Records a box or dialog that Qt showed without the WindowHost.
    void note(Shown shown) { m_shown.push_back(std::move(shown)); }

    kvl::MessageAnswer showMessage(const kvl::Message& message, kvl::MessageButtons buttons) override;
    std::filesystem::path chooseFile(const kvl::FileDialogRequest& request) override;

    // The engine's side.
    void beginAction(std::uint32_t answers);
    void setBefore(Snapshot snapshot) { m_before = std::move(snapshot); }
    void setSaved(std::vector<FileChange> saved) { m_saved = std::move(saved); }
    Snapshot takeSnapshot() const;

private:
    void addDamagedCopies(const std::filesystem::path& file);

    Folders m_folders;
    Snapshot m_before;
    std::vector<Shown> m_shown;
    std::vector<FileChange> m_saved;
    std::mt19937_64 m_answers;
    std::vector<std::filesystem::path> m_openable;
    int m_saveCount = 0;
};

/// A window program as its monkey test drives it.
class Subject {
public:
    virtual ~Subject() = default;
    /// Adds files of its own to those the dialogs offer (Session::offer),
    /// before the run begins.
    virtual void prepare(Session&) { }
    /// Builds and shows the window over session.folders().game, with
    /// `session` answering its core's boxes and dialogs, as the program
    /// starts.
    virtual void start(Session& session) = 0;
    /// Closes the window as the user does and destroys it.
    virtual void stop() = 0;
    /// The main window while the program runs; null or hidden once it ended
    /// (Exit, a fatal report), after which the monkey starts it again.
    virtual QWidget* window() const = 0;
    /// Remembers what check() needs to know of the state before `action`.
    virtual void beforeAction(const Action& action, const Session& session) = 0;
    /// Why the files or the state after `action` break the program's rules,
    /// or "" when they do not. `changes` are the changes below the run's
    /// folder that the engine's own rules (a file written where a save
    /// dialog pointed) left for the program to judge.
    virtual std::string check(const Action& action, const Session& session, const std::vector<FileChange>& changes) = 0;
    /// How often (out of 1000 actions) the program is closed and started again.
    virtual int restartsPerThousand() const { return 5; }
};

/// A Subject over one main window of type `Window`, kept in m_window:
/// closed as the user does and destroyed by stop().
template <class Window>
class WindowSubject : public Subject {
public:
    void stop() override
    {
        if (m_window) {
            m_window->close();
            m_window.reset();
        }
    }
    QWidget* window() const override { return m_window.get(); }

protected:
    /// Shows the window and waits until it is on the screen.
    void showWindow(int milliseconds = 2000)
    {
        m_window->show();
        waitUntilShown(milliseconds);
    }
    /// Waits until the window (shown by the program itself) is on the screen.
    void waitUntilShown(int milliseconds);

    std::unique_ptr<Window> m_window;
};

/// What the test program of one window program tells the engine.
struct Program {
    std::string name;                  // "planesedit"
    std::filesystem::path sample;      // the sample game folder the build wrote
    std::filesystem::path regressions; // the saved failing lists (*.txt)
    std::uint64_t seed = 1;            // the short run's seed
    int actions = 800;                 // the short run's length...
    double shortRunSeconds = 30;       // ...cut there on a slow machine
    std::function<std::unique_ptr<Subject>()> makeSubject;
    /// Runs before the QApplication is made (the model view's OpenGL set-up).
    std::function<void()> beforeApplication;

    /// The program `name` driven through a `S`, with its short run's seed,
    /// over the build's sample folder, replaying the lists saved in
    /// `regressions`.
    template <class S>
    static Program of(
        std::string name, std::uint64_t seed, std::filesystem::path sample, std::filesystem::path regressions)
    {
        Program program;
        program.name = std::move(name);
        program.seed = seed;
        program.sample = std::move(sample);
        program.regressions = std::move(regressions);
        program.makeSubject = [] { return std::make_unique<S>(); };
        return program;
    }
};

/// Waits up to `milliseconds` until `window` is on the screen; says so on
/// standard error when it is not.
void waitUntilExposed(QWidget* window, int milliseconds);

template <class Window>
void WindowSubject<Window>::waitUntilShown(int milliseconds)
{
    waitUntilExposed(m_window.get(), milliseconds);
}

/// The test program's main.
int monkeyMain(int argc, char** argv, const Program& program);

/// Runs `actions` (or, when it is empty, `count` random actions from
/// `seed`) in this process; the exit status (0, kInvariantStatus). Each
/// action is appended to `log` (when set) before it is done.
int runHere(const Program& program, const Folders& folders, std::uint64_t seed, int count,
    const std::optional<std::vector<Action>>& actions, const std::filesystem::path& log, double hangSeconds,
    double secondsLeft);

/// The one-line description of a change, for failure messages.
std::string describe(const FileChange& change);

} // namespace kvl::test::monkey
