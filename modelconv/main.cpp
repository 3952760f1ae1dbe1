// modelconv: converts a game .3DB model into a VKM model file and a text dump.
// Takes no arguments; asks for file names on standard input.
#include "modelconv/converter.h"

#include <iostream>

int main()
{
    kvl::model::runModelConverter(std::cin, std::cout, std::filesystem::path("."));
    return 0;
}
