// Tests only: staging what only one system has, in one place. A helper that
// cannot stage its case on this system says so, and the test skips that part.
#pragma once

#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kvl::test {

/// Makes a named pipe (a reader of it would block). False where the system
/// has none in its file system (Windows).
inline bool makeFifo(const std::filesystem::path& path)
{
#ifdef _WIN32
    (void)path;
    return false;
#else
    return ::mkfifo(path.c_str(), 0600) == 0;
#endif
}

/// Whether an entry of exactly this name (letter case included) is in its
/// folder. Where the file system ignores case, std::filesystem::exists finds
/// "CAMP0001.DAT" when only "camp0001.dat" is there.
inline bool entryExists(const std::filesystem::path& path)
{
    std::error_code ec;
    for (std::filesystem::directory_iterator it(path.parent_path(), ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().filename() == path.filename())
            return true;
    }
    return false;
}

/// True when permissions do not bind this process (root on POSIX systems),
/// so a read-only file would still be written.
inline bool permissionsAreIgnored()
{
#ifdef _WIN32
    return false;
#else
    return ::geteuid() == 0;
#endif
}

/// Holds a file open the way a running program that owns it does on Windows:
/// nobody else may open it for writing, rename or remove it. POSIX systems
/// have no such lock; there held() is false.
class ExclusiveHold {
public:
    explicit ExclusiveHold(const std::filesystem::path& path)
    {
#ifdef _WIN32
        m_handle = ::CreateFileW(
            path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
#else
        (void)path;
#endif
    }
    ~ExclusiveHold()
    {
#ifdef _WIN32
        if (m_handle != INVALID_HANDLE_VALUE)
            ::CloseHandle(m_handle);
#endif
    }
    ExclusiveHold(const ExclusiveHold&) = delete;
    ExclusiveHold& operator=(const ExclusiveHold&) = delete;

    bool held() const
    {
#ifdef _WIN32
        return m_handle != INVALID_HANDLE_VALUE;
#else
        return false;
#endif
    }

private:
#ifdef _WIN32
    HANDLE m_handle = INVALID_HANDLE_VALUE;
#endif
};

} // namespace kvl::test
