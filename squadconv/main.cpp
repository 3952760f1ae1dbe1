// squadconv: squadron files SQxx4x.DAT <-> annotated Squadron.TXT, in the
// current folder, through a one-shot console dialogue. Always exits with 0.
#include "squadconv/squadronconverter.h"

#include <csignal>
#include <iostream>

int main()
{
    // A console whose reader has gone (output piped into a program that ended)
    // must not cut the dialogue short: the output is then lost, but the
    // conversion is made and the program still ends with status 0.
    std::signal(SIGPIPE, SIG_IGN);
    kvl::squadconv::SquadronConverter converter;
    kvl::recordtext::runConverterMenu(kvl::squadconv::squadronProgramTable(), converter, std::cin, std::cout, ".");
    return 0;
}
