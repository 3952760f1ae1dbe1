// What differs between the systems the suite runs on, in one place: opening,
// reading, writing and flushing files, replacing a file by renaming, hard
// links, the texts of system errors and the program's arguments.
//
// platform_posix.cpp implements it with the POSIX calls, platform_windows.cpp
// with the wide-character Win32 calls (file names are UTF-16 there, so any
// name the file system holds can be opened). Errors are errno numbers on both
// systems: the Windows side maps its error codes onto them, so callers and the
// messages they build stay the same.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "common/result.h"

namespace kvl::platform {

/// Whether the file system ignores letter case in names, as Windows' does.
#ifdef _WIN32
inline constexpr bool kNamesIgnoreCase = true;
#else
inline constexpr bool kNamesIgnoreCase = false;
#endif

/// The errno number a Windows error code means; on other systems unused.
/// A file another program holds open (the game running) is kInUse.
inline constexpr int kInUse = 16; // EBUSY

/// The text of an errno number, as strerror gives it, except that a file held
/// open by another program says so in words a user understands.
std::string errorText(int code);

/// "cannot <what> "<path>": <reason>", the one shape of a file error.
Error fileError(const std::string& what, const std::filesystem::path& path, int code);

/// An open file. Moves, closes itself.
class File {
public:
    File() = default;
    File(File&& other) noexcept : m_handle(other.m_handle) { other.m_handle = kClosed; }
    File& operator=(File&& other) noexcept
    {
        if (this != &other) {
            (void)close();
            m_handle = other.m_handle;
            other.m_handle = kClosed;
        }
        return *this;
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File() { (void)close(); }

    /// Opens an existing plain file for reading. A folder is refused (EISDIR),
    /// and so is anything else that is not a plain file (EINVAL).
    static Result<File> openForReading(const std::filesystem::path& path);
    /// Creates the file, or empties the one there, for writing.
    static Result<File> create(const std::filesystem::path& path);
    /// Opens an existing file for reading and writing in place.
    static Result<File> openForUpdate(const std::filesystem::path& path);

    /// Moves to byte `offset` from the start.
    Result<void> seek(std::uint64_t offset);

    /// The file's size in bytes now.
    Result<std::uint64_t> size() const;
    /// Reads up to buffer.size() bytes; 0 at the end of the file.
    Result<std::size_t> read(std::span<std::uint8_t> buffer);
    /// Writes all of `bytes` or fails.
    Result<void> writeAll(std::span<const std::uint8_t> bytes);
    /// Pushes what was written through every cache to the disk.
    Result<void> flush();
    /// Closes the file; a failure reported by the close is returned.
    Result<void> close();

    bool isOpen() const { return m_handle != kClosed; }

private:
    static constexpr std::intptr_t kClosed = -1;
    explicit File(std::intptr_t handle) : m_handle(handle) { }
    std::intptr_t m_handle = kClosed;
};

/// Flushes one file's content to the disk.
Result<void> flushFile(const std::filesystem::path& path);

/// Flushes the files, with one sync of each file system they lie on where the
/// system offers that (a batch of a thousand costs one flush), else one by one.
Result<void> flushFiles(std::span<const std::filesystem::path> files);

/// Makes a folder's entries (a new name, a removed one) durable, where the
/// system needs that done apart from the files. Best effort: no error.
void flushFolder(const std::filesystem::path& folder);

/// Renames `from` to `to`, replacing a file already called `to` in one step:
/// a reader sees either the old file or the new one. On Windows the rename is
/// written through to the disk before it returns.
Result<void> renameReplacing(const std::filesystem::path& from, const std::filesystem::path& to);

/// Renames a file or a folder to `to`, which must not exist yet: EEXIST when
/// something of that name is there (it is left as it is). Both lie on one
/// file system. On Windows the rename is written through before it returns.
Result<void> renameNew(const std::filesystem::path& from, const std::filesystem::path& to);

/// Removes a file (not a folder). ENOENT when there is none.
Result<void> removeFile(const std::filesystem::path& path);
/// Removes a file or a folder with everything in it; links are removed, not
/// followed. Fails (and returns) when something in it cannot be removed,
/// such as a file another program holds open on Windows.
Result<void> removeTree(const std::filesystem::path& path);

/// Gives the file `existing` a second name `link`. False where the file
/// system cannot (FAT, many network shares) or the name is taken; the caller
/// then copies.
bool makeHardLink(const std::filesystem::path& existing, const std::filesystem::path& link);

/// Copies the bytes of `from` into a new file `to` (replacing one there), with
/// the system's fastest way where it has one. A failure removes the partial
/// copy. The error names `from` when it could not be opened (and then sets
/// `*sourceFailed`), else `reportAs`.
Result<void> copyFileBytes(const std::filesystem::path& from, const std::filesystem::path& to,
    const std::filesystem::path& reportAs, bool* sourceFailed = nullptr);

/// The program's arguments as UTF-8 strings. On Windows they are read again
/// as UTF-16 from the system, since `argv` there holds them in the code page
/// and loses every character the code page lacks.
std::vector<std::string> utf8Arguments(int argc, char** argv);

/// A path from UTF-8 text, and the path as UTF-8 text, the same on every
/// system (std::filesystem's narrow strings are the code page on Windows).
std::filesystem::path pathFromUtf8(const std::string& text);
std::string utf8FromPath(const std::filesystem::path& path);

/// A window program started from a console (its --export-csv and the like)
/// writes to that console. On Windows a window program has no console of its
/// own: this attaches the one it was started from, unless its output already
/// goes to a file or pipe. Elsewhere it does nothing.
void attachParentConsole();

/// Standard output as bytes: what a program prints there (a CSV export, a
/// listing) reaches a file or pipe exactly as on Linux, with no line end
/// turned into CR LF. Does nothing where output is bytes anyway.
void binaryStandardOutput();

/// A console shows what the programs print as UTF-8, the encoding of every
/// name and message they hold, and hands typed answers over as UTF-8. On
/// Windows this switches the console's code pages while the program runs and
/// puts the old ones back when it ends; output to a file or pipe is bytes
/// either way. Elsewhere it does nothing.
void utf8Console();

} // namespace kvl::platform
