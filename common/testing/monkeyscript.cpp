// Action lines, delta debugging and the verdict on a child run.
#include "common/testing/monkeyscript.h"

#include <algorithm>
#include <limits>
#include <set>

namespace kvl::test::monkey {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void appendHex(std::string& out, unsigned char c)
{
    out += "\\x";
    out += kHex[c >> 4];
    out += kHex[c & 15];
}

// Bytes below 0x20, DEL, the backslash and the quote are written as escapes;
// in a target also the space, so that a target is one word.
std::string escaped(std::string_view text, bool target)
{
    std::string out;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\\')
            out += "\\\\";
        else if (c == '"' && !target)
            out += "\\\"";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else if (c < 0x20 || c == 0x7F || (target && (c == ' ' || c == '"')))
            appendHex(out, c);
        else
            out += ch;
    }
    return out;
}

// Undoes escaped() on text[from, to); the reason when an escape is broken.
kvl::Result<std::string> unescaped(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (i + 1 >= text.size())
            return kvl::Error { "a backslash ends the text" };
        const char next = text[++i];
        switch (next) {
        case '\\':
        case '"':
            out += next;
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case 'x': {
            const int high = i + 1 < text.size() ? hexDigit(text[i + 1]) : -1;
            const int low = i + 2 < text.size() ? hexDigit(text[i + 2]) : -1;
            if (high < 0 || low < 0)
                return kvl::Error { "\\x needs two hexadecimal digits" };
            out += static_cast<char>(high * 16 + low);
            i += 2;
            break;
        }
        default:
            return kvl::Error { std::string("unknown escape \\") + next };
        }
    }
    return out;
}

std::string_view trimmed(std::string_view line)
{
    while (!line.empty() && (isBlank(line.back()) || line.back() == '\r'))
        line.remove_suffix(1);
    while (!line.empty() && isBlank(line.front()))
        line.remove_prefix(1);
    return line;
}

// The next word of `rest` (up to a blank), taken off it.
std::string_view takeWord(std::string_view& rest)
{
    std::size_t end = 0;
    while (end < rest.size() && !isBlank(rest[end]))
        ++end;
    std::string_view word = rest.substr(0, end);
    rest.remove_prefix(end);
    while (!rest.empty() && isBlank(rest.front()))
        rest.remove_prefix(1);
    return word;
}

} // namespace

std::string formatAction(const Action& action)
{
    std::string line = action.kind;
    line += ' ';
    line += action.target.empty() ? std::string("-")
        : action.target == "-"    ? std::string("\\x2D")
                                  : escaped(action.target, true);
    line += " @" + std::to_string(action.answers);
    if (!action.argument.empty())
        line += " \"" + escaped(action.argument, false) + '"';
    return line;
}

kvl::Result<Action> parseAction(std::string_view line)
{
    std::string_view rest = trimmed(line);
    Action action;
    const std::string_view kind = takeWord(rest);
    if (kind.empty()
        || !std::all_of(kind.begin(), kind.end(), [](char c) { return (c >= 'a' && c <= 'z') || c == '-'; }))
        return kvl::Error { "the line does not start with the kind of an action (lower-case letters)" };
    action.kind = std::string(kind);
    const std::string_view target = takeWord(rest);
    if (target.empty())
        return kvl::Error { "the target is missing (\"-\" for none)" };
    if (target != "-") {
        auto name = unescaped(target);
        if (!name)
            return kvl::Error { "the target: " + name.error().message };
        action.target = std::move(*name);
    }
    const std::string_view seed = takeWord(rest);
    if (seed.size() < 2 || seed.front() != '@')
        return kvl::Error { "\"@\" and the seed of the answers are missing" };
    std::uint64_t value = 0;
    for (const char c : seed.substr(1)) {
        if (c < '0' || c > '9')
            return kvl::Error { "the seed of the answers is not a whole number" };
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > std::numeric_limits<std::uint32_t>::max())
            return kvl::Error { "the seed of the answers is larger than 4294967295" };
    }
    action.answers = static_cast<std::uint32_t>(value);
    if (rest.empty())
        return action;
    if (rest.size() < 2 || rest.front() != '"' || rest.back() != '"')
        return kvl::Error { "the argument must stand in double quotes at the end of the line" };
    const std::string_view inner = rest.substr(1, rest.size() - 2);
    // The closing quote must be the only unescaped one.
    for (std::size_t i = 0; i < inner.size(); ++i) {
        if (inner[i] == '\\')
            ++i;
        else if (inner[i] == '"')
            return kvl::Error { "text after the argument's closing quote" };
    }
    auto argument = unescaped(inner);
    if (!argument)
        return kvl::Error { "the argument: " + argument.error().message };
    action.argument = std::move(*argument);
    return action;
}

kvl::Result<std::vector<Action>> parseActionList(std::string_view text)
{
    std::vector<Action> actions;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        const std::string_view content = trimmed(line);
        if (content.empty() || content.front() == '#')
            continue;
        auto action = parseAction(content);
        if (!action)
            return kvl::Error { "line " + std::to_string(lineNumber) + ": " + action.error().message };
        actions.push_back(std::move(*action));
    }
    return actions;
}

std::string formatActionList(const std::vector<Action>& actions)
{
    std::string text;
    for (const Action& action : actions)
        text += formatAction(action) + '\n';
    return text;
}

std::vector<std::size_t> shrinkList(std::size_t count,
    const std::function<bool(const std::vector<std::size_t>&)>& fails, const std::function<bool()>& goOn)
{
    std::vector<std::size_t> current(count);
    for (std::size_t i = 0; i < count; ++i)
        current[i] = i;
    std::set<std::vector<std::size_t>> tried;
    const auto test = [&](const std::vector<std::size_t>& candidate) {
        if (candidate.empty() || !tried.insert(candidate).second)
            return false;
        return fails(candidate);
    };
    // Most faults need only the last action and a few before it: the last
    // one alone is the cheapest first try.
    if (count > 1 && goOn() && test({ count - 1 }))
        return { count - 1 };
    std::size_t parts = 2;
    while (current.size() >= 2 && goOn()) {
        const std::size_t size = current.size();
        parts = std::min(parts, size);
        std::vector<std::vector<std::size_t>> chunks;
        for (std::size_t k = 0; k < parts; ++k) {
            const std::size_t from = size * k / parts, to = size * (k + 1) / parts;
            chunks.emplace_back(
                current.begin() + static_cast<std::ptrdiff_t>(from), current.begin() + static_cast<std::ptrdiff_t>(to));
        }
        bool reduced = false;
        for (std::size_t k = 0; k < parts && !reduced && goOn(); ++k) {
            if (test(chunks[k])) {
                current = chunks[k];
                parts = 2;
                reduced = true;
            }
        }
        for (std::size_t k = 0; k < parts && !reduced && goOn(); ++k) {
            std::vector<std::size_t> complement;
            for (std::size_t j = 0; j < parts; ++j)
                if (j != k)
                    complement.insert(complement.end(), chunks[j].begin(), chunks[j].end());
            if (test(complement)) {
                current = std::move(complement);
                parts = std::max<std::size_t>(parts - 1, 2);
                reduced = true;
            }
        }
        if (reduced)
            continue;
        if (parts >= size)
            break;
        parts = std::min(size, parts * 2);
    }
    return current;
}

namespace {

// The line of `text` that holds `at`, without its line end.
std::string_view lineAt(std::string_view text, std::size_t at)
{
    std::size_t from = text.rfind('\n', at);
    from = from == std::string_view::npos ? 0 : from + 1;
    std::size_t to = text.find('\n', at);
    if (to == std::string_view::npos)
        to = text.size();
    return trimmed(text.substr(from, to - from));
}

// "file.cpp:12" of a "/path/to/file.cpp:12:5: runtime error: ..." line.
std::string sourcePlace(std::string_view line)
{
    const std::size_t end = line.find(": runtime error");
    std::string_view place = line.substr(0, end);
    if (const std::size_t slash = place.rfind('/'); slash != std::string_view::npos)
        place.remove_prefix(slash + 1);
    // Keep the file and the line; the column may differ between builds.
    const std::size_t first = place.find(':');
    if (first != std::string_view::npos) {
        const std::size_t second = place.find(':', first + 1);
        if (second != std::string_view::npos)
            place = place.substr(0, second);
    }
    return std::string(place);
}

} // namespace

Failure classifyRun(int exitCode, int signal, bool killedForHang, std::string_view standardError)
{
    Failure failure;
    if (const std::size_t at = standardError.find("ERROR: AddressSanitizer: "); at != std::string_view::npos) {
        std::string_view rest = standardError.substr(at + 25);
        failure.kind = Failure::Kind::Sanitizer;
        failure.signature = "AddressSanitizer: " + std::string(takeWord(rest));
        failure.summary = std::string(lineAt(standardError, at));
        return failure;
    }
    for (const char* other : { "ERROR: LeakSanitizer: ", "ERROR: UndefinedBehaviorSanitizer: " }) {
        if (const std::size_t at = standardError.find(other); at != std::string_view::npos) {
            std::string_view rest = standardError.substr(at + 7);
            failure.kind = Failure::Kind::Sanitizer;
            failure.signature = std::string(takeWord(rest)) + " " + std::string(takeWord(rest));
            failure.summary = std::string(lineAt(standardError, at));
            return failure;
        }
    }
    if (const std::size_t at = standardError.find(": runtime error: "); at != std::string_view::npos) {
        const std::string_view line = lineAt(standardError, at);
        failure.kind = Failure::Kind::Sanitizer;
        failure.signature = "runtime error at " + sourcePlace(line);
        failure.summary = std::string(line);
        return failure;
    }
    if (killedForHang || exitCode == kHangStatus) {
        failure.kind = Failure::Kind::Hang;
        failure.signature = "hang";
        const std::size_t at = standardError.find("monkey: hang: ");
        failure.summary = at != std::string_view::npos ? std::string(lineAt(standardError, at))
                                                       : std::string("the program stopped answering and was ended");
        return failure;
    }
    if (exitCode == kInvariantStatus) {
        failure.kind = Failure::Kind::Invariant;
        const std::size_t at = standardError.find("monkey: invariant: ");
        if (at != std::string_view::npos) {
            const std::string_view line = lineAt(standardError, at);
            std::string_view rest = line.substr(19);
            failure.signature = std::string(rest.substr(0, rest.find(':')));
            failure.summary = std::string(line);
        } else {
            failure.signature = "invariant";
            failure.summary = "an invariant was broken";
        }
        return failure;
    }
    if (signal != 0) {
        failure.kind = Failure::Kind::Crash;
        failure.signature = "signal " + std::to_string(signal);
        failure.summary = "ended by signal " + std::to_string(signal);
        return failure;
    }
    if (exitCode != 0) {
        failure.kind = Failure::Kind::Crash;
        failure.signature = "exit " + std::to_string(exitCode);
        failure.summary = "ended with exit status " + std::to_string(exitCode);
    }
    return failure;
}

} // namespace kvl::test::monkey
