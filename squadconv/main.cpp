// squadconv: squadron files SQxx4x.DAT <-> annotated Squadron.TXT.
// Without arguments: the one-shot console dialogue in the current folder,
// which always exits with 0. With arguments: the command line for scripts
// (to-text, to-binary, verify; see --help), exit status 0, 1 or 2.
#include "recordtext/commandline.h"
#include "squadconv/squadronconverter.h"

int main(int argc, char** argv)
{
    kvl::squadconv::SquadronConverter converter;
    return kvl::recordtext::runConverterProgram(kvl::squadconv::squadronProgramTable(), converter, argc, argv);
}
