// The switch journal: the plan of one Load, Unload or Restore, written to
// Workfiles before the game folder is touched and removed once the operation
// and LastCampaign.txt are complete. A journal found at start-up is an
// operation that was cut short; its hashes tell, file by file, whether the
// game folder holds the state before a step, the state after it, or bytes
// that someone else put there.
//
// The file is text, one record a line, fields separated by one space, every
// line ending in LF:
//
//   folioswap-journal 1
//   operation load|unload|restore
//   set NAME
//   last BEFORE AFTER            LastCampaign.txt's name before and after
//   copy TARGET SOURCE BEFORE AFTER KEEP MAKE
//   delete TARGET BEFORE KEEP MAKE
//   end
//
// TARGET is a file name in the game folder, SOURCE and KEEP are paths inside
// the program folder ("/" between folders). BEFORE and AFTER are file states:
// "-" for no file, otherwise SIZE:HASH, the size in decimal and the content
// hash in 16 lower-case hex digits. KEEP names a copy of the BEFORE bytes
// ("-" when there are none to keep), MAKE is 1 when the step itself makes
// that copy (a safety copy) and 0 when it already exists. Names are written
// with every byte below "!", "%" and DEL as %XX, and an empty name as "%";
// a name that is exactly "-" is written %2D. The "end" line proves the file
// is whole; anything after it, or any other line, makes the journal damaged.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kvl::folioswap {

/// The content hash of the journal: FNV-1a (64-bit) taken over the bytes
/// read as little-endian 64-bit words in four interleaved lanes, the tail
/// bytes folded in one by one, the lanes and the length combined and
/// finished with a 64-bit avalanche mix. It is not a cryptographic hash: it
/// tells a file's bytes from the bytes of any other file that a user or a
/// program may have put in its place, fast enough for large sets.
class ContentHash {
public:
    void add(std::span<const std::uint8_t> bytes);
    std::uint64_t finish() const;

private:
    std::uint64_t m_lanes[4] = { 0xcbf29ce484222325ULL, 0x84222325cbf29ce4ULL, 0x9ce484222325cbf2ULL,
        0x2325cbf29ce48422ULL };
    std::uint8_t m_pending[32] = {};
    std::size_t m_pendingSize = 0;
    std::uint64_t m_length = 0;
};

std::uint64_t contentHash(std::span<const std::uint8_t> bytes);

/// A file as a journal records it: absent, or present with its size and hash.
struct FileState {
    bool exists = false;
    std::uint64_t size = 0;
    std::uint64_t hash = 0;

    static FileState absent() { return {}; }
    static FileState of(std::span<const std::uint8_t> bytes) { return { true, bytes.size(), contentHash(bytes) }; }
    friend bool operator==(const FileState&, const FileState&) = default;
};

enum class Operation { Load, Unload, Restore };
enum class StepKind { Copy, Delete };

/// One change to one game file.
struct JournalStep {
    StepKind kind = StepKind::Copy;
    /// The file's name in the game folder, as it is spelt there.
    std::string target;
    /// Copy: the file written, relative to the program folder.
    std::string source;
    FileState before;
    /// Copy: the bytes written; delete: absent.
    FileState after;
    /// A copy of the `before` bytes relative to the program folder; empty
    /// when nothing is lost (no file before, or the step writes the same bytes).
    std::string keep;
    /// Whether the step makes `keep` itself (a safety copy) before the change.
    bool makeKeep = false;

    friend bool operator==(const JournalStep&, const JournalStep&) = default;
};

struct Journal {
    Operation operation = Operation::Load;
    std::string setName;
    std::string lastBefore;
    std::string lastAfter;
    std::vector<JournalStep> steps;

    friend bool operator==(const Journal&, const Journal&) = default;
};

/// The operation's name as a user reads it: "Load", "Unload", "Restore".
std::string_view operationName(Operation operation);

std::string formatJournal(const Journal& journal);

/// The journal a text holds, or nothing when it is damaged or incomplete.
std::optional<Journal> parseJournal(std::string_view text);

/// SIZE:HASH or "-", as the journal writes a state.
std::string formatState(const FileState& state);

} // namespace kvl::folioswap
