// The Windows side of the platform layer: the wide-character Win32 calls, so
// that every file name the file system holds can be opened, whatever the
// code page.
#include "common/platform.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <shellapi.h>

namespace kvl::platform {

namespace fs = std::filesystem;

namespace {

// The errno number of a Windows error code, as the C runtime maps them, but
// for a file held open by another program, which gets a number of its own so
// that its message can say so.
int errnoOf(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return ENOENT;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
        return kInUse;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_CURRENT_DIRECTORY:
        return EACCES;
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
        return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_NOT_SAME_DEVICE:
        return EXDEV;
    case ERROR_DIRECTORY:
        return EISDIR;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_PARAMETER:
        return EINVAL;
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_FUNCTION:
        return ENOSYS;
    default:
        return EIO;
    }
}

int lastErrno()
{
    return errnoOf(::GetLastError());
}

// Renaming over or removing a file another program holds open fails with
// "access denied", as a read-only file does; the two are told apart by trying
// to open the file for deletion.
int replaceErrno(const fs::path& target)
{
    const DWORD error = ::GetLastError();
    if (error != ERROR_ACCESS_DENIED)
        return errnoOf(error);
    HANDLE probe = ::CreateFileW(target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        ::CloseHandle(probe);
        return EACCES;
    }
    const DWORD probeError = ::GetLastError();
    return probeError == ERROR_SHARING_VIOLATION ? kInUse : EACCES;
}

HANDLE handleOf(std::intptr_t value)
{
    return reinterpret_cast<HANDLE>(value);
}

// Other programs may read and even rename or remove a file we hold open, as
// POSIX allows: the game or a file manager looking on must not stop a switch.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

} // namespace

std::string errorText(int code)
{
    if (code == kInUse)
        return "The file is in use by another program (is the game running?)";
    return std::strerror(code);
}

Error fileError(const std::string& what, const fs::path& path, int code)
{
    return Error { what + " \"" + utf8FromPath(path) + "\": " + errorText(code), code };
}

Result<File> File::openForReading(const fs::path& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return fileError("cannot open", path, EISDIR);
    HANDLE handle = ::CreateFileW(
        path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return fileError("cannot open", path, lastErrno());
    File file(reinterpret_cast<std::intptr_t>(handle));
    if (::GetFileType(handle) != FILE_TYPE_DISK)
        return fileError("cannot open", path, EINVAL);
    return file;
}

Result<File> File::create(const fs::path& path)
{
    HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
        nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return fileError("cannot create", path, lastErrno());
    return File(reinterpret_cast<std::intptr_t>(handle));
}

Result<File> File::openForUpdate(const fs::path& path)
{
    HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return fileError("cannot open", path, lastErrno());
    return File(reinterpret_cast<std::intptr_t>(handle));
}

Result<void> File::seek(std::uint64_t offset)
{
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    if (!::SetFilePointerEx(handleOf(m_handle), to, nullptr, FILE_BEGIN)) {
        const int code = lastErrno();
        return Error { errorText(code), code };
    }
    return {};
}

Result<std::uint64_t> File::size() const
{
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(handleOf(m_handle), &size)) {
        const int code = lastErrno();
        return Error { errorText(code), code };
    }
    return static_cast<std::uint64_t>(size.QuadPart);
}

Result<std::size_t> File::read(std::span<std::uint8_t> buffer)
{
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(buffer.size(), 1u << 30));
    if (!::ReadFile(handleOf(m_handle), buffer.data(), want, &got, nullptr)) {
        const int code = lastErrno();
        return Error { errorText(code), code };
    }
    return static_cast<std::size_t>(got);
}

Result<void> File::writeAll(std::span<const std::uint8_t> bytes)
{
    std::size_t at = 0;
    while (at < bytes.size()) {
        DWORD put = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - at, 1u << 30));
        if (!::WriteFile(handleOf(m_handle), bytes.data() + at, want, &put, nullptr) || put == 0) {
            const int code = lastErrno();
            return Error { errorText(code), code };
        }
        at += put;
    }
    return {};
}

Result<void> File::flush()
{
    if (!::FlushFileBuffers(handleOf(m_handle))) {
        const int code = lastErrno();
        return Error { errorText(code), code };
    }
    return {};
}

Result<void> File::close()
{
    if (m_handle == kClosed)
        return {};
    HANDLE handle = handleOf(m_handle);
    m_handle = kClosed;
    if (!::CloseHandle(handle)) {
        const int code = lastErrno();
        return Error { errorText(code), code };
    }
    return {};
}

Result<void> flushFile(const fs::path& path)
{
    // Only a handle open for writing can be flushed.
    HANDLE handle = ::CreateFileW(
        path.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return fileError("cannot flush", path, lastErrno());
    const bool ok = ::FlushFileBuffers(handle);
    const int code = ok ? 0 : lastErrno();
    ::CloseHandle(handle);
    if (!ok)
        return fileError("cannot flush", path, code);
    return {};
}

Result<void> flushFiles(std::span<const fs::path> files)
{
    for (const fs::path& file : files) {
        if (auto flushed = flushFile(file); !flushed)
            return flushed;
    }
    return {};
}

void flushFolder(const fs::path& folder)
{
    // NTFS keeps its folders in its own journal; a folder opened with backup
    // semantics can still be flushed, where the file system allows it.
    HANDLE handle = ::CreateFileW(folder.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        ::FlushFileBuffers(handle);
        ::CloseHandle(handle);
    }
}

Result<void> renameReplacing(const fs::path& from, const fs::path& to)
{
    if (!::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return fileError("cannot replace", to, replaceErrno(to));
    return {};
}

Result<void> renameNew(const fs::path& from, const fs::path& to)
{
    // Without MOVEFILE_REPLACE_EXISTING an existing target is refused.
    if (!::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH))
        return fileError("cannot rename to", to, errnoOf(::GetLastError()));
    return {};
}

Result<void> removeFile(const fs::path& path)
{
    if (!::DeleteFileW(path.c_str()))
        return fileError("cannot remove", path, replaceErrno(path));
    return {};
}

// The tree is walked here rather than by std::filesystem::remove_all: a file
// that another handle holds open with delete sharing stays listed in its
// folder, "delete pending", until that handle closes, and MinGW's remove_all
// then tries again for ever. Here each entry is removed once, and a folder
// that does not empty is reported.
Result<void> removeTree(const fs::path& path)
{
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    if (ec)
        return ec == std::errc::no_such_file_or_directory ? Result<void> {}
                                                          : fileError("cannot remove", path, ec.value());
    if (fs::is_directory(status)) {
        std::vector<fs::path> inside;
        for (fs::directory_iterator entry(path, ec), end; !ec && entry != end; entry.increment(ec))
            inside.push_back(entry->path());
        if (ec)
            return fileError("cannot list", path, ec.value());
        for (const auto& child : inside)
            if (auto removed = removeTree(child); !removed)
                return removed;
    }
    if (!fs::remove(path, ec) && ec)
        return fileError("cannot remove", path, ec.value());
    return {};
}

bool makeHardLink(const fs::path& existing, const fs::path& link)
{
    return ::CreateHardLinkW(link.c_str(), existing.c_str(), nullptr) != 0;
}

Result<void> copyFileBytes(const fs::path& from, const fs::path& to, const fs::path& reportAs, bool* sourceFailed)
{
    if (sourceFailed)
        *sourceFailed = false;
    auto in = File::openForReading(from);
    if (!in) {
        if (sourceFailed)
            *sourceFailed = true;
        return in.error();
    }
    auto out = File::create(to);
    if (!out)
        return fileError("cannot create", reportAs, out.error().code);
    std::vector<std::uint8_t> buffer(1 << 20);
    int failure = 0;
    while (failure == 0) {
        auto got = in->read(buffer);
        if (!got) {
            failure = got.error().code;
            break;
        }
        if (*got == 0)
            break;
        if (auto put = out->writeAll(std::span(buffer.data(), *got)); !put)
            failure = put.error().code;
    }
    if (auto closed = out->close(); !closed && failure == 0)
        failure = closed.error().code;
    if (failure != 0) {
        ::DeleteFileW(to.c_str());
        return fileError("cannot write", reportAs, failure);
    }
    return {};
}

std::vector<std::string> utf8Arguments(int argc, char** argv)
{
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!wide || count != argc) {
        if (wide)
            ::LocalFree(wide);
        return std::vector<std::string>(argv, argv + argc);
    }
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i)
        arguments.push_back(utf8FromPath(fs::path(wide[i])));
    ::LocalFree(wide);
    return arguments;
}

fs::path pathFromUtf8(const std::string& text)
{
    return fs::path(std::u8string(text.begin(), text.end()));
}

std::string utf8FromPath(const fs::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

void attachParentConsole()
{
    // A handle that is already there (a redirect to a file or a pipe) is
    // kept; only a missing one is taken from the parent's console.
    const bool hasOut = ::GetStdHandle(STD_OUTPUT_HANDLE) != nullptr;
    const bool hasErr = ::GetStdHandle(STD_ERROR_HANDLE) != nullptr;
    if ((hasOut && hasErr) || !::AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    if (!hasOut)
        (void)std::freopen("CONOUT$", "w", stdout);
    if (!hasErr)
        (void)std::freopen("CONOUT$", "w", stderr);
}

namespace {

UINT gConsoleOutputPage = 0;
UINT gConsoleInputPage = 0;

void restoreConsolePages()
{
    if (gConsoleOutputPage != 0)
        ::SetConsoleOutputCP(gConsoleOutputPage);
    if (gConsoleInputPage != 0)
        ::SetConsoleCP(gConsoleInputPage);
}

} // namespace

void utf8Console()
{
    // The console's code pages belong to the console, not the program: the
    // command prompt that started it keeps them after it ends, so the old
    // ones go back at exit.
    if (gConsoleOutputPage != 0 || gConsoleInputPage != 0)
        return;
    const UINT output = ::GetConsoleOutputCP();
    const UINT input = ::GetConsoleCP();
    if (output != 0 && output != CP_UTF8 && ::SetConsoleOutputCP(CP_UTF8))
        gConsoleOutputPage = output;
    if (input != 0 && input != CP_UTF8 && ::SetConsoleCP(CP_UTF8))
        gConsoleInputPage = input;
    if (gConsoleOutputPage != 0 || gConsoleInputPage != 0)
        std::atexit(restoreConsolePages);
}

void binaryStandardOutput()
{
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
}

} // namespace kvl::platform
