// Writes the benchmark models into a folder: LARGE.3DB (60,000 elements,
// 65,000 points) and MAXVKM.3DB (the largest model a VKM file can hold).
#include "bench/modelconv_models.h"

#include "common/fileimage.h"

#include <filesystem>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    const std::filesystem::path dir(argv[1]);
    std::filesystem::create_directories(dir);
    bool ok = kvl::writeFileImage(dir / "LARGE.3DB", kvl::bench::largeModel());
    ok = kvl::writeFileImage(dir / "MAXVKM.3DB", kvl::bench::maxVkmModel()) && ok;
    return ok ? 0 : 1;
}
