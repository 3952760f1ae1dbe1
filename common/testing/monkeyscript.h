// Tests only: the parts of the random-input ("monkey") tests of the window
// programs that need no toolkit. An action list is plain text, one action a
// line, so a failing run can be printed, saved, shrunk and replayed:
//
//   click Command3 @1234
//   type Text1 @77 "12.5\x01"
//   cell G1 @9 "40,2"
//   restart - @0
//
// A line holds the kind of the action, its target (a control's object name,
// "#N" after it for the N-th of several of that name, "-" for none), "@" and
// the seed of the answers given to the message boxes and file dialogs the
// action brings up, and optionally an argument in double quotes. In the
// argument and the target, \\ \" \n \r \t and \xHH stand for themselves;
// other bytes are as they are (UTF-8). Empty lines and lines starting with
// '#' are comments.
//
// Also here: shrinking a failing list by delta debugging, and telling from
// how a child process ended whether (and how) a run failed.
#pragma once

#include "common/result.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvl::test::monkey {

/// One user action: what is done, to which control, with what.
struct Action {
    std::string kind;
    std::string target; // empty for none
    std::uint32_t answers = 0;
    std::string argument;

    bool operator==(const Action&) const = default;
};

/// The action as one line (without a line end).
std::string formatAction(const Action& action);
/// One line back into an action; the reason when it is not one.
kvl::Result<Action> parseAction(std::string_view line);
/// Every action of a text, in order; comments and empty lines skipped. The
/// error names the first line that is not an action.
kvl::Result<std::vector<Action>> parseActionList(std::string_view text);
/// The lines of `actions`, each ending in LF.
std::string formatActionList(const std::vector<Action>& actions);

/// Delta debugging (ddmin): a smallest sub-list (keeping the order) of the
/// `count` items for which `fails` still holds, found by trying halves,
/// quarters... and their complements. `fails` must hold for the whole list.
/// `goOn` is asked before each try; when it says no, the smallest list found
/// so far is returned. The result is 1-minimal when the search was not cut:
/// leaving out any one of its items makes the failure go away.
std::vector<std::size_t> shrinkList(std::size_t count,
    const std::function<bool(const std::vector<std::size_t>&)>& fails, const std::function<bool()>& goOn);

/// How a run of the program under test ended.
struct Failure {
    enum class Kind { None, Crash, Sanitizer, Hang, Invariant };
    Kind kind = Kind::None;
    /// What makes two failures the same one: the sanitizer's report kind and
    /// place, the signal, the invariant's name.
    std::string signature;
    /// One line for the report.
    std::string summary;

    explicit operator bool() const { return kind != Kind::None; }
    bool sameAs(const Failure& other) const { return kind == other.kind && signature == other.signature; }
};

/// The exit status a child run ends with when an invariant was broken, and
/// when an action did not return in time (its watchdog ended it).
inline constexpr int kInvariantStatus = 3;
inline constexpr int kHangStatus = 124;

/// What a child's end says: `exitCode` when it exited (else -1), `signal`
/// when a signal ended it (else 0), `killedForHang` when the parent had to
/// end it, and its standard error.
Failure classifyRun(int exitCode, int signal, bool killedForHang, std::string_view standardError);

} // namespace kvl::test::monkey
