// Tests only: a fresh, empty folder that is removed again afterwards.
#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace kvl::test {

class TempFolder {
public:
    TempFolder()
    {
        // A random name that nobody has yet: create_directory says whether
        // this call made it, on every system.
        std::random_device random;
        std::error_code ec;
        const auto base = std::filesystem::temp_directory_path(ec);
        for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
            const auto candidate = base / ("kvl-test-" + std::to_string(random()) + std::to_string(random() % 1000));
            if (std::filesystem::create_directory(candidate, ec))
                m_path = candidate;
        }
    }
    ~TempFolder()
    {
        std::error_code ec;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

} // namespace kvl::test
