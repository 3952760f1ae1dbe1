// modelconv: converts a game .3DB model into a VKM model file and a text dump.
// Without arguments it asks for the file names on standard input; with
// arguments it converts the models named on its command line.
#include "modelconv/commandline.h"
#include "modelconv/converter.h"

#include "common/console.h"

#include <iostream>

int main(int argc, char** argv)
{
    kvl::ignoreBrokenPipe();
    if (argc > 1)
        return kvl::modelconv::runCommandLine(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
    kvl::modelconv::runModelConverter(std::cin, std::cout, std::filesystem::path("."));
    return 0;
}
