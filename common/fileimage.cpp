// Whole-file images, in-place writes and case-insensitive file look-up.
#include "common/fileimage.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <system_error>

#include <fcntl.h>
#ifdef _WIN32
#include <io.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kvl {

namespace fs = std::filesystem;

Result<std::vector<std::uint8_t>> readFileImage(const fs::path& path)
{
    std::error_code ec;
    if (fs::is_directory(path, ec))
        return Error { "\"" + path.string() + "\" is a folder, not a file", EISDIR };
    // A pipe or device would block the read or never end: only plain files.
    if (fs::exists(path, ec) && !fs::is_regular_file(path, ec))
        return Error { "\"" + path.string() + "\" is not a plain file", EINVAL };
        // C stdio rather than a file stream: a stream sets up the C++ locale on
        // first use, a cost the window programs would otherwise pay at start-up.
#ifdef _WIN32
    std::FILE* in = _wfopen(path.c_str(), L"rb");
    const auto seek = [](std::FILE* f, long long at, int whence) { return _fseeki64(f, at, whence); };
    const auto tell = [](std::FILE* f) -> long long { return _ftelli64(f); };
#else
    std::FILE* in = std::fopen(path.c_str(), "rb");
    const auto seek = [](std::FILE* f, long long at, int whence) { return fseeko(f, static_cast<off_t>(at), whence); };
    const auto tell = [](std::FILE* f) -> long long { return ftello(f); };
#endif
    if (!in) {
        const int code = errno;
        return Error { "cannot open \"" + path.string() + "\": " + std::strerror(code), code };
    }
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> closer(in, &std::fclose);
    if (seek(in, 0, SEEK_END) != 0)
        return Error { "cannot find the length of \"" + path.string() + "\"", EIO };
    const long long length = tell(in);
    if (length < 0 || seek(in, 0, SEEK_SET) != 0)
        return Error { "cannot find the length of \"" + path.string() + "\"", EIO };
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
    if (length > 0 && std::fread(bytes.data(), 1, bytes.size(), in) != bytes.size())
        return Error { "cannot read \"" + path.string() + "\"", EIO };
    return bytes;
}

bool readFileImage(const fs::path& path, std::vector<std::uint8_t>& out, std::string* error)
{
    auto result = readFileImage(path);
    if (!result) {
        out.clear();
        if (error)
            *error = result.error().message;
        return false;
    }
    out = std::move(result).value();
    return true;
}

bool writeFileImage(const fs::path& path, std::span<const std::uint8_t> bytes)
{
    std::ofstream outFile(path, std::ios::binary | std::ios::trunc);
    if (!outFile)
        return false;
    outFile.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    outFile.close();
    return !outFile.fail();
}

bool writeFileImage(const fs::path& path, std::string_view text)
{
    return writeFileImage(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

namespace {

#ifdef _WIN32
// Windows paths are wide strings, and only a handle open for writing can be
// flushed (_commit is FlushFileBuffers underneath).
bool flushToDisk(const fs::path& path)
{
    int fd = ::_wopen(path.c_str(), _O_RDWR | _O_BINARY);
    if (fd < 0)
        return false;
    bool ok = ::_commit(fd) == 0;
    ::_close(fd);
    return ok;
}
#else
bool flushToDisk(const fs::path& path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}
#endif

} // namespace

Result<fs::path> writeTemporaryBeside(const fs::path& path, std::span<const std::uint8_t> bytes)
{
    std::random_device rd;
    fs::path temp = path;
    temp += ".tmp" + std::to_string(rd() % 1000000);
    errno = 0;
    if (!writeFileImage(temp, bytes)) {
        const int code = errno ? errno : EIO;
        std::error_code ec;
        fs::remove(temp, ec);
        return Error { "cannot write \"" + path.string() + "\": " + std::strerror(code), code };
    }
    return temp;
}

Result<void> flushFilesToDisk(std::span<const fs::path> files)
{
#ifndef _WIN32
    // One syncfs per file system flushes every file on it: a batch of a
    // thousand outputs costs one flush, not a thousand.
    std::vector<dev_t> synced;
    for (const fs::path& file : files) {
        int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat info { };
        if (fd < 0 || ::fstat(fd, &info) != 0) {
            const int code = errno;
            if (fd >= 0)
                ::close(fd);
            return Error { "cannot flush \"" + file.string() + "\": " + std::strerror(code), code };
        }
        if (std::find(synced.begin(), synced.end(), info.st_dev) == synced.end()) {
            if (::syncfs(fd) != 0) {
                const int code = errno;
                ::close(fd);
                return Error { "cannot flush \"" + file.string() + "\": " + std::strerror(code), code };
            }
            synced.push_back(info.st_dev);
        }
        ::close(fd);
    }
#else
    for (const fs::path& file : files) {
        errno = 0;
        if (!flushToDisk(file)) {
            const int code = errno ? errno : EIO;
            return Error { "cannot flush \"" + file.string() + "\": " + std::strerror(code), code };
        }
    }
#endif
    return {};
}

Result<void> replaceFile(const fs::path& path, std::span<const std::uint8_t> bytes)
{
    auto temp = writeTemporaryBeside(path, bytes);
    if (!temp)
        return temp.error();
    auto fail = [&](const std::string& what, int code) {
        std::error_code ec;
        fs::remove(*temp, ec);
        return Error { what + " \"" + path.string() + "\": " + std::strerror(code), code };
    };
    // The new content must be on disk before the rename makes it the file,
    // or a power cut could leave an empty file under the old name.
    errno = 0;
    if (!flushToDisk(*temp))
        return fail("cannot write", errno ? errno : EIO);
    std::error_code ec;
    fs::rename(*temp, path, ec);
    if (ec)
        return fail("cannot replace", ec.value());
    return {};
}

bool writeFileAtomically(const fs::path& path, std::span<const std::uint8_t> bytes)
{
    return replaceFile(path, bytes).ok();
}

bool writeFileAtomically(const fs::path& path, std::string_view text)
{
    return writeFileAtomically(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

bool writeInPlace(const fs::path& path, std::uint64_t offset, std::span<const std::uint8_t> bytes, std::string* error)
{
    auto fail = [&](const std::string& why) {
        if (error)
            *error = why;
        return false;
    };
    std::int64_t size = fileSize(path);
    if (size < 0)
        return fail("\"" + path.string() + "\" does not exist");
    if (offset > static_cast<std::uint64_t>(size) || bytes.size() > static_cast<std::uint64_t>(size) - offset)
        return fail("bytes " + std::to_string(offset) + " to " + std::to_string(offset + bytes.size())
            + " lie past the end of the " + std::to_string(size) + "-byte file \"" + path.string() + "\"");
    std::fstream io(path, std::ios::binary | std::ios::in | std::ios::out);
    if (!io)
        return fail("cannot open \"" + path.string() + "\" for writing: " + std::strerror(errno));
    // The old bytes are kept so that a write that fails half way (a full
    // disk, a file size limit) can be undone; what was written is read back,
    // so a file system that silently drops the write is noticed too.
    std::vector<char> old(bytes.size());
    io.seekg(static_cast<std::streamoff>(offset));
    io.read(old.data(), static_cast<std::streamsize>(old.size()));
    io.seekp(static_cast<std::streamoff>(offset));
    io.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    io.flush();
    const bool written = static_cast<bool>(io);
    std::vector<char> back(bytes.size());
    if (written) {
        io.seekg(static_cast<std::streamoff>(offset));
        io.read(back.data(), static_cast<std::streamsize>(back.size()));
    }
    const bool same = written && io
        && std::equal(back.begin(), back.end(), bytes.begin(), bytes.end(),
            [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
    if (same) {
        io.close();
        if (!io.fail())
            return true;
    }
    io.clear();
    io.seekp(static_cast<std::streamoff>(offset));
    io.write(old.data(), static_cast<std::streamsize>(old.size()));
    io.close();
    if (written)
        return fail("\"" + path.string() + "\" does not read back what was written to it");
    return fail("cannot write \"" + path.string() + "\"");
}

std::int64_t fileSize(const fs::path& path)
{
    std::error_code ec;
    if (!fs::is_regular_file(path, ec))
        return -1;
    auto size = fs::file_size(path, ec);
    if (ec)
        return -1;
    return static_cast<std::int64_t>(size);
}

bool equalsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

namespace {

fs::path findEntryNoCase(const fs::path& folder, const std::string& name)
{
    std::error_code ec;
    fs::path direct = folder / name;
    if (fs::exists(direct, ec))
        return direct;
    std::vector<std::string> matches;
    for (fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::string entry = it->path().filename().string();
        if (equalsNoCase(entry, name))
            matches.push_back(entry);
    }
    if (matches.empty())
        return direct;
    std::sort(matches.begin(), matches.end());
    return folder / matches.front();
}

} // namespace

fs::path findFileNoCase(const fs::path& folder, const std::string& name)
{
    fs::path relative(name);
    if (relative.is_absolute() || name.empty())
        return folder / relative;
    fs::path current = folder;
    for (const auto& part : relative) {
        std::string component = part.string();
        if (component.empty() || component == "." || component == "..") {
            current /= part;
            continue;
        }
        current = findEntryNoCase(current, component);
    }
    return current;
}

} // namespace kvl
