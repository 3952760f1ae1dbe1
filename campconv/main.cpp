// campconv: campaign files CAMPxxxx.DAT <-> annotated CAMPAIGN.TXT.
// Without arguments: the one-shot console dialogue in the current folder,
// which always exits with 0. With arguments: the command line for scripts
// (to-text, to-binary, verify; see --help), exit status 0, 1 or 2.
#include "campconv/campaignconverter.h"
#include "recordtext/commandline.h"

#include <csignal>
#include <iostream>

int main(int argc, char** argv)
{
    kvl::campconv::CampaignConverter converter;
    const kvl::recordtext::ProgramTable& table = kvl::campconv::campaignProgramTable();
    if (argc > 1) {
        std::signal(SIGPIPE, SIG_IGN); // a closed output is reported, not fatal
        std::ios::sync_with_stdio(false);
        return kvl::recordtext::runCommandLine(
            table, converter, std::vector<std::string>(argv + 1, argv + argc), std::cin, std::cout, std::cerr);
    }
    // A console whose reader has gone (output piped into a program that ended)
    // must not cut the dialogue short: the output is then lost, but the
    // conversion is made and the program still ends with status 0.
    std::signal(SIGPIPE, SIG_IGN);
    kvl::recordtext::runConverterMenu(table, converter, std::cin, std::cout, ".");
    return 0;
}
