// Tests only: a folder tree that nothing can write into. For a normal user
// its folders lose their write permission; root is not stopped by file
// modes, so for root the tree lives on a small tmpfs that is then mounted
// read-only. Where neither works, ready() is false and the caller skips.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include <sys/mount.h>
#include <unistd.h>

namespace kvl::test {

class ReadOnlyFolder {
public:
    /// Makes `folder`, lets `fill` write the tree into it, then makes the
    /// tree read-only.
    ReadOnlyFolder(std::filesystem::path folder, const std::function<void(const std::filesystem::path&)>& fill)
        : m_folder(std::move(folder))
    {
        std::error_code ec;
        std::filesystem::create_directories(m_folder, ec);
        if (::geteuid() == 0) {
            if (::mount("tmpfs", m_folder.c_str(), "tmpfs", 0, "size=1024k") != 0)
                return;
            m_mounted = true;
            fill(m_folder);
            m_ready = ::mount("tmpfs", m_folder.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=1024k") == 0;
            return;
        }
        fill(m_folder);
        m_ready = setWritable(false);
    }
    ~ReadOnlyFolder()
    {
        if (m_mounted)
            ::umount(m_folder.c_str());
        else
            setWritable(true);
        std::error_code ec;
        std::filesystem::remove_all(m_folder, ec);
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    bool ready() const { return m_ready; }
    const std::filesystem::path& path() const { return m_folder; }

private:
    bool setWritable(bool writable)
    {
        namespace fs = std::filesystem;
        const auto perms = writable ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_exec;
        std::error_code ec;
        bool ok = true;
        for (auto it = fs::recursive_directory_iterator(m_folder, ec); !ec && it != fs::recursive_directory_iterator();
             it.increment(ec))
            if (it->is_directory()) {
                std::error_code set;
                fs::permissions(it->path(), perms, set);
                ok = ok && !set;
            }
        fs::permissions(m_folder, perms, ec);
        return ok && !ec;
    }

    std::filesystem::path m_folder;
    bool m_mounted = false;
    bool m_ready = false;
};

} // namespace kvl::test
