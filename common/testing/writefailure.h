// Test support for writers under failure: a file size limit reached mid-write
// (RLIMIT_FSIZE in a forked child), a full small file system (a tmpfs mount,
// where the tests may mount one), and a snapshot of a folder to show that a
// failed write left every file as it was and no temporary file behind.
#pragma once

#include "common/fileimage.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kvl::test {

/// Runs `body` in a forked child whose files cannot grow past `limit` bytes
/// and returns its exit status (-1 when it did not exit normally). SIGXFSZ is
/// ignored in the child, so a write past the limit fails with EFBIG as a
/// write to a full disk fails with ENOSPC, instead of ending the process.
inline int runWithFileSizeLimit(std::uint64_t limit, const std::function<int()>& body)
{
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit rl { static_cast<rlim_t>(limit), static_cast<rlim_t>(limit) };
        ::setrlimit(RLIMIT_FSIZE, &rl);
        ::_exit(body());
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

/// Every file under `folder` (relative name -> bytes); folders as empty names with a trailing '/'.
inline std::map<std::string, std::vector<std::uint8_t>> folderSnapshot(const std::filesystem::path& folder)
{
    std::map<std::string, std::vector<std::uint8_t>> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string name = std::filesystem::relative(entry.path(), folder).generic_string();
        if (entry.is_directory())
            files[name + "/"];
        else if (auto image = readFileImage(entry.path()))
            files[name] = std::move(*image);
        else
            files[name] = { 0xDE, 0xAD }; // unreadable: differs from any snapshot that could read it
    }
    return files;
}

/// A tmpfs of `kib` KiB mounted on a fresh folder for the life of the object;
/// `mounted()` is false (and the caller skips) where mounting is not allowed.
class SmallFileSystem {
public:
    explicit SmallFileSystem(int kib)
        : m_path(std::filesystem::temp_directory_path() / ("kvl-smallfs-" + std::to_string(::getpid())))
    {
        std::filesystem::create_directories(m_path);
        const std::string options = "size=" + std::to_string(kib) + "k";
        m_mounted = ::mount("tmpfs", m_path.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~SmallFileSystem()
    {
        if (m_mounted)
            ::umount(m_path.c_str());
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool mounted() const { return m_mounted; }
    const std::filesystem::path& path() const { return m_path; }
    /// Fills the file system with one file until `left` bytes or fewer remain free.
    void fillLeaving(std::uintmax_t left) const
    {
        const std::uintmax_t free = std::filesystem::space(m_path).available;
        if (free > left) {
            std::vector<std::uint8_t> filler(free - left, 0);
            (void)writeFileImage(m_path / ".filler", filler);
        }
    }

private:
    std::filesystem::path m_path;
    bool m_mounted = false;
};

} // namespace kvl::test
