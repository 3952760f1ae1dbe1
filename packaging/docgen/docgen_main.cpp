// kvl_docgen: writes each program's manual page and the suite's bash
// completion from the programs' option tables.
//   kvl_docgen TEMPLATE_FOLDER OUTPUT_FOLDER
// reads TEMPLATE_FOLDER/PROGRAM.1.in for each program and writes
// OUTPUT_FOLDER/man/PROGRAM.1 and OUTPUT_FOLDER/korval-tools.bash.
#include "packaging/docgen/docgen.h"
#include "packaging/docgen/programs.h"

#include "common/fileimage.h"
#include "common/platform.h"
#include "common/textio.h"

#include <cstdio>
#include <filesystem>
#include <span>
#include <string>

namespace {

namespace fs = std::filesystem;

bool write(const fs::path& path, const std::string& text)
{
    const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    if (const kvl::Result<void> written = kvl::replaceFile(path, bytes); !written) {
        std::fprintf(stderr, "kvl_docgen: %s\n", written.error().message.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fputs("usage: kvl_docgen TEMPLATE_FOLDER OUTPUT_FOLDER\n", stderr);
        return 2;
    }
    const fs::path templates = kvl::platform::pathFromUtf8(argv[1]);
    const fs::path output = kvl::platform::pathFromUtf8(argv[2]);
    std::error_code ec;
    fs::create_directories(output / "man", ec);
    bool ok = true;
    for (const kvl::cli::ProgramOptions* table : kvl::docgen::kPrograms) {
        const std::string program(table->program);
        const fs::path source = templates / (program + ".1.in");
        std::string pageTemplate;
        if (!kvl::readTextFile(source, pageTemplate)) {
            std::fprintf(stderr, "kvl_docgen: cannot read %s\n", kvl::platform::utf8FromPath(source).c_str());
            ok = false;
            continue;
        }
        const kvl::Result<std::string> page = kvl::docgen::fillManPage(*table, pageTemplate);
        if (!page) {
            std::fprintf(stderr, "kvl_docgen: %s\n", page.error().message.c_str());
            ok = false;
            continue;
        }
        ok = write(output / "man" / (program + ".1"), *page) && ok;
    }
    ok = write(output / "korval-tools.bash", kvl::docgen::completionScript(kvl::docgen::kPrograms)) && ok;
    return ok ? 0 : 1;
}
