// squadconv: squadron files SQxx4x.DAT <-> annotated Squadron.TXT, in the
// current folder, through a one-shot console dialogue. Always exits with 0.
#include "squadconv/squadronconverter.h"

#include <iostream>

int main()
{
    kvl::SquadronConverter converter;
    kvl::runConverterMenu(kvl::squadronProgramTable(), converter, std::cin, std::cout, ".");
    return 0;
}
