// Whole-file images, in-place writes and case-insensitive file look-up.
#include "common/fileimage.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <system_error>

#include "common/platform.h"

namespace kvl {

namespace fs = std::filesystem;

Result<std::vector<std::uint8_t>> readFileImage(const fs::path& path)
{
    std::error_code ec;
    if (fs::is_directory(path, ec))
        return Error { "\"" + platform::utf8FromPath(path) + "\" is a folder, not a file", EISDIR };
    // A pipe or device would block the read or never end: only plain files.
    if (fs::exists(path, ec) && !fs::is_regular_file(path, ec))
        return Error { "\"" + platform::utf8FromPath(path) + "\" is not a plain file", EINVAL };
    auto file = platform::File::openForReading(path);
    if (!file)
        return file.error();
    std::vector<std::uint8_t> bytes;
    const auto expected = file->size();
    bytes.resize(expected ? static_cast<std::size_t>(*expected) : 0);
    // The size is only a hint: a file that grows or shrinks while it is read
    // is read to its end all the same.
    std::size_t filled = 0;
    std::uint8_t probe[4096];
    while (true) {
        const bool full = filled == bytes.size();
        auto got = full ? file->read(probe) : file->read(std::span(bytes.data() + filled, bytes.size() - filled));
        if (!got)
            return Error { "cannot read \"" + platform::utf8FromPath(path) + "\": " + got.error().message,
                got.error().code };
        if (*got == 0)
            break;
        if (full)
            bytes.insert(bytes.end(), probe, probe + *got);
        filled += *got;
    }
    bytes.resize(filled);
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
        return Error { "cannot write \"" + platform::utf8FromPath(path) + "\": " + platform::errorText(code), code };
    }
    return temp;
}

Result<void> flushFilesToDisk(std::span<const fs::path> files)
{
    return platform::flushFiles(files);
}

Result<void> replaceFile(const fs::path& path, std::span<const std::uint8_t> bytes)
{
    auto temp = writeTemporaryBeside(path, bytes);
    if (!temp)
        return temp.error();
    auto fail = [&](const std::string& what, int code) {
        std::error_code ec;
        fs::remove(*temp, ec);
        return Error { what + " \"" + platform::utf8FromPath(path) + "\": " + platform::errorText(code), code };
    };
    // The new content must be on disk before the rename makes it the file,
    // or a power cut could leave an empty file under the old name.
    if (auto flushed = platform::flushFile(*temp); !flushed)
        return fail("cannot write", flushed.error().code);
    if (auto renamed = platform::renameReplacing(*temp, path); !renamed)
        return fail("cannot replace", renamed.error().code);
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
        return fail("\"" + platform::utf8FromPath(path) + "\" does not exist");
    if (offset > static_cast<std::uint64_t>(size) || bytes.size() > static_cast<std::uint64_t>(size) - offset)
        return fail("bytes " + std::to_string(offset) + " to " + std::to_string(offset + bytes.size())
            + " lie past the end of the " + std::to_string(size) + "-byte file \"" + platform::utf8FromPath(path)
            + "\"");
    auto io = platform::File::openForUpdate(path);
    if (!io)
        return fail("cannot open \"" + platform::utf8FromPath(path)
            + "\" for writing: " + platform::errorText(io.error().code));
    // The old bytes are kept so that a write that fails half way (a full
    // disk, a file size limit) can be undone; what was written is read back,
    // so a file system that silently drops the write is noticed too.
    auto readExactly = [&](std::vector<std::uint8_t>& into) {
        std::size_t filled = 0;
        while (filled < into.size()) {
            auto got = io->read(std::span(into.data() + filled, into.size() - filled));
            if (!got || *got == 0)
                return false;
            filled += *got;
        }
        return true;
    };
    std::vector<std::uint8_t> old(bytes.size());
    const bool readOld = io->seek(offset).ok() && readExactly(old);
    if (!readOld)
        return fail("cannot read \"" + platform::utf8FromPath(path) + "\"");
    const bool written = io->seek(offset).ok() && io->writeAll(bytes).ok();
    std::vector<std::uint8_t> back(bytes.size());
    const bool same = written && io->seek(offset).ok() && readExactly(back)
        && std::equal(back.begin(), back.end(), bytes.begin(), bytes.end());
    if (same && io->close().ok())
        return true;
    if (io->isOpen() && io->seek(offset).ok())
        (void)io->writeAll(old);
    (void)io->close();
    if (written)
        return fail("\"" + platform::utf8FromPath(path) + "\" does not read back what was written to it");
    return fail("cannot write \"" + platform::utf8FromPath(path) + "\"");
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
    fs::path direct = folder / platform::pathFromUtf8(name);
    // Where the file system itself ignores letter case, the name as given
    // always "exists": the folder is still read, so that the file keeps the
    // spelling it has on disk when it is replaced or shown.
    const bool exists = fs::exists(direct, ec);
    if (exists && !platform::kNamesIgnoreCase)
        return direct;
    std::vector<std::string> matches;
    for (fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::string entry = platform::utf8FromPath(it->path().filename());
        if (equalsNoCase(entry, name))
            matches.push_back(entry);
    }
    if (matches.empty())
        return direct;
    if (std::find(matches.begin(), matches.end(), name) != matches.end())
        return direct;
    std::sort(matches.begin(), matches.end());
    return folder / platform::pathFromUtf8(matches.front());
}

} // namespace

fs::path findFileNoCase(const fs::path& folder, const std::string& name)
{
    fs::path relative = platform::pathFromUtf8(name);
    if (relative.is_absolute() || name.empty())
        return folder / relative;
    fs::path current = folder;
    for (const auto& part : relative) {
        std::string component = platform::utf8FromPath(part);
        if (component.empty() || component == "." || component == "..") {
            current /= part;
            continue;
        }
        current = findEntryNoCase(current, component);
    }
    return current;
}

} // namespace kvl
