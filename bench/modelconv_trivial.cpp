// The baseline for the whole-process timing of modelconv: reads a file whole
// and writes files of given sizes, nothing else.
//   modelconv_trivial INPUT OUT1 SIZE1 [OUT2 SIZE2 ...]
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

int main(int argc, char** argv)
{
    if (argc < 4)
        return 2;
    std::ifstream in(argv[1], std::ios::binary);
    in.seekg(0, std::ios::end);
    const std::streamoff length = in.tellg();
    in.seekg(0, std::ios::beg);
    std::vector<char> image(static_cast<std::size_t>(length > 0 ? length : 0));
    in.read(image.data(), static_cast<std::streamsize>(image.size()));
    for (int a = 2; a + 1 < argc; a += 2) {
        const std::size_t size = std::strtoull(argv[a + 1], nullptr, 10);
        if (size == 0)
            continue;
        std::vector<char> out(size, image.empty() ? 'x' : image[image.size() / 2]);
        std::ofstream file(argv[a], std::ios::binary | std::ios::trunc);
        file.write(out.data(), static_cast<std::streamsize>(out.size()));
    }
    return 0;
}
