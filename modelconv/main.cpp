// modelconv: converts a game .3DB model into a VKM model file and a text dump.
// Takes no arguments; asks for file names on standard input.
#include "modelconv/converter.h"

#include <csignal>
#include <iostream>

int main()
{
    // Output piped into a program that has ended must not cut the dialogue
    // short: the files are still written and the status is still 0.
    std::signal(SIGPIPE, SIG_IGN);
    kvl::modelconv::runModelConverter(std::cin, std::cout, std::filesystem::path("."));
    return 0;
}
