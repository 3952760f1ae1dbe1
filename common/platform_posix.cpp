// The POSIX side of the platform layer (Linux and other Unix systems).
#include "common/platform.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kvl::platform {

namespace fs = std::filesystem;

std::string errorText(int code)
{
    return std::strerror(code);
}

Error fileError(const std::string& what, const fs::path& path, int code)
{
    return Error { what + " \"" + path.string() + "\": " + errorText(code), code };
}

Result<File> File::openForReading(const fs::path& path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fileError("cannot open", path, errno);
    File file(fd);
    struct stat info { };
    if (::fstat(fd, &info) != 0)
        return fileError("cannot open", path, errno);
    if (S_ISDIR(info.st_mode))
        return fileError("cannot open", path, EISDIR);
    if (!S_ISREG(info.st_mode))
        return fileError("cannot open", path, EINVAL);
    return file;
}

Result<File> File::create(const fs::path& path)
{
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return fileError("cannot create", path, errno);
    return File(fd);
}

Result<File> File::openForUpdate(const fs::path& path)
{
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return fileError("cannot open", path, errno);
    return File(fd);
}

Result<void> File::seek(std::uint64_t offset)
{
    if (::lseek(static_cast<int>(m_handle), static_cast<off_t>(offset), SEEK_SET) < 0)
        return Error { errorText(errno), errno };
    return {};
}

Result<std::uint64_t> File::size() const
{
    struct stat info { };
    if (::fstat(static_cast<int>(m_handle), &info) != 0)
        return Error { errorText(errno), errno };
    return static_cast<std::uint64_t>(info.st_size);
}

Result<std::size_t> File::read(std::span<std::uint8_t> buffer)
{
    while (true) {
        ssize_t got = ::read(static_cast<int>(m_handle), buffer.data(), buffer.size());
        if (got >= 0)
            return static_cast<std::size_t>(got);
        if (errno != EINTR)
            return Error { errorText(errno), errno };
    }
}

Result<void> File::writeAll(std::span<const std::uint8_t> bytes)
{
    std::size_t at = 0;
    while (at < bytes.size()) {
        ssize_t put = ::write(static_cast<int>(m_handle), bytes.data() + at, bytes.size() - at);
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            return Error { errorText(errno), errno };
        at += static_cast<std::size_t>(put);
    }
    return {};
}

Result<void> File::flush()
{
    if (::fsync(static_cast<int>(m_handle)) != 0)
        return Error { errorText(errno), errno };
    return {};
}

Result<void> File::close()
{
    if (m_handle == kClosed)
        return {};
    int fd = static_cast<int>(m_handle);
    m_handle = kClosed;
    if (::close(fd) != 0)
        return Error { errorText(errno), errno };
    return {};
}

Result<void> flushFile(const fs::path& path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fileError("cannot flush", path, errno);
    const bool ok = ::fsync(fd) == 0;
    const int code = errno;
    ::close(fd);
    if (!ok)
        return fileError("cannot flush", path, code);
    return {};
}

Result<void> flushFiles(std::span<const fs::path> files)
{
    // One syncfs per file system flushes every file on it.
    std::vector<dev_t> synced;
    for (const fs::path& file : files) {
        int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat info { };
        if (fd < 0 || ::fstat(fd, &info) != 0) {
            const int code = errno;
            if (fd >= 0)
                ::close(fd);
            return fileError("cannot flush", file, code);
        }
        if (std::find(synced.begin(), synced.end(), info.st_dev) == synced.end()) {
            if (::syncfs(fd) != 0) {
                const int code = errno;
                ::close(fd);
                return fileError("cannot flush", file, code);
            }
            synced.push_back(info.st_dev);
        }
        ::close(fd);
    }
    return {};
}

void flushFolder(const fs::path& folder)
{
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

Result<void> renameReplacing(const fs::path& from, const fs::path& to)
{
    if (::rename(from.c_str(), to.c_str()) != 0)
        return fileError("cannot replace", to, errno);
    return {};
}

Result<void> renameNew(const fs::path& from, const fs::path& to)
{
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return {};
    // File systems without the flag say EINVAL; they get the check below.
    if (errno != EINVAL && errno != ENOSYS)
        return fileError("cannot rename to", to, errno);
#endif
    struct stat info;
    if (::lstat(to.c_str(), &info) == 0)
        return fileError("cannot rename to", to, EEXIST);
    if (::rename(from.c_str(), to.c_str()) != 0)
        return fileError("cannot rename to", to, errno);
    return {};
}

Result<void> removeFile(const fs::path& path)
{
    if (::unlink(path.c_str()) != 0)
        return fileError("cannot remove", path, errno);
    return {};
}

Result<void> removeTree(const fs::path& path)
{
    std::error_code ec;
    fs::remove_all(path, ec);
    if (ec)
        return fileError("cannot remove", path, ec.value());
    return {};
}

bool makeHardLink(const fs::path& existing, const fs::path& link)
{
    return ::link(existing.c_str(), link.c_str()) == 0;
}

Result<void> copyFileBytes(const fs::path& from, const fs::path& to, const fs::path& reportAs, bool* sourceFailed)
{
    if (sourceFailed)
        *sourceFailed = false;
    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        if (sourceFailed)
            *sourceFailed = true;
        return fileError("cannot open", from, errno);
    }
    int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) {
        int number = errno;
        ::close(in);
        return fileError("cannot create", reportAs, number);
    }
    // The kernel's file-to-file copy where it can, plain reads and writes
    // where it cannot (another file system, an old kernel).
    int failure = 0;
    bool plain = false;
    std::vector<char> buffer;
    while (failure == 0) {
        ssize_t done = 0;
        if (!plain) {
            done = ::copy_file_range(in, nullptr, out, nullptr, std::size_t(1) << 30, 0);
            if (done < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
                plain = true;
                continue;
            }
        } else {
            buffer.resize(1 << 20);
            done = ::read(in, buffer.data(), buffer.size());
            for (ssize_t at = 0; done > 0 && at < done;) {
                ssize_t put = ::write(out, buffer.data() + at, static_cast<std::size_t>(done - at));
                if (put < 0 && errno == EINTR)
                    continue;
                if (put < 0) {
                    done = -1;
                    break;
                }
                at += put;
            }
        }
        if (done < 0 && errno == EINTR)
            continue;
        if (done < 0)
            failure = errno ? errno : EIO;
        if (done == 0)
            break;
    }
    ::close(in);
    if (::close(out) != 0 && failure == 0)
        failure = errno;
    if (failure != 0) {
        ::unlink(to.c_str());
        return fileError("cannot write", reportAs, failure);
    }
    return {};
}

std::vector<std::string> utf8Arguments(int argc, char** argv)
{
    return std::vector<std::string>(argv, argv + argc);
}

fs::path pathFromUtf8(const std::string& text)
{
    return fs::path(text);
}

std::string utf8FromPath(const fs::path& path)
{
    return path.string();
}

void attachParentConsole() { }

void binaryStandardOutput() { }

void utf8Console() { }

} // namespace kvl::platform
