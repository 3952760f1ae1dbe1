// Feeds arbitrary bytes to the manual page filler as a page's template (the
// first byte picks the program) and to the converters' argument parser as a
// command line (the bytes split at NUL). A page that is filled must keep
// every line of the template that is no marker, in order, and keep no
// marker; a parsed command line keeps its operands in order.
#include "common/cli.h"
#include "packaging/docgen/docgen.h"
#include "packaging/docgen/programs.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kvl;
    if (size == 0)
        return 0;
    const cli::ProgramOptions& table = *docgen::kPrograms[data[0] % docgen::kPrograms.size()];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    const Result<std::string> page = docgen::fillManPage(table, text);
    if (page) {
        std::size_t at = 0;
        std::size_t start = 0;
        while (start < text.size()) {
            const std::size_t end = std::min(text.find('\n', start), text.size());
            const std::string_view line = text.substr(start, end - start);
            start = end + 1;
            if (line.starts_with('@'))
                continue;
            at = page->find(line, at);
            if (at == std::string::npos)
                std::abort(); // a line of the template was lost
            at += line.size();
        }
        if (page->starts_with("@") || page->find("\n@SYNOPSIS@") != std::string::npos
            || page->find("\n@OPTIONS@") != std::string::npos)
            std::abort(); // a marker was left
    }

    std::vector<std::string> arguments;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find('\0', start), text.size());
        arguments.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    const Result<cli::ParsedArguments> parsed = cli::parseArguments(table.options, arguments);
    if (parsed && parsed->positionals().size() > arguments.size())
        std::abort();
    return 0;
}
