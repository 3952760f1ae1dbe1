// modelconv: converts a game .3DB model into a VKM model file and a text dump.
// Without arguments it asks for the file names on standard input; with
// arguments it converts the models named on its command line.
#include "modelconv/commandline.h"
#include "modelconv/converter.h"

#include "common/console.h"
#include "common/platform.h"

#include <iostream>

int main(int argc, char** argv)
{
    kvl::ignoreBrokenPipe();
    kvl::platform::utf8Console();
    if (argc > 1) {
        std::vector<std::string> arguments = kvl::platform::utf8Arguments(argc, argv);
        arguments.erase(arguments.begin());
        return kvl::modelconv::runCommandLine(arguments, std::cout, std::cerr);
    }
    kvl::modelconv::runModelConverter(std::cin, std::cout, std::filesystem::path("."));
    return 0;
}
