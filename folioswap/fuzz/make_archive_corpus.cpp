// Writes the seed corpus of the archive fuzz target: the good and crafted
// set archives the tests use.
//   folioswap_archive_corpus FOLDER
#include "folioswap/testing/archivemaker.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: folioswap_archive_corpus FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder(argv[1]);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    for (const auto& archive : kvl::test::craftedArchives()) {
        std::ofstream out(folder / archive.name, std::ios::binary);
        out.write(
            reinterpret_cast<const char*>(archive.bytes.data()), static_cast<std::streamsize>(archive.bytes.size()));
        if (!out) {
            std::fprintf(stderr, "folioswap_archive_corpus: cannot write %s\n", archive.name.c_str());
            return 1;
        }
    }
    return 0;
}
