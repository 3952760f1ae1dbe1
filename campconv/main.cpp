// campconv: campaign files CAMPxxxx.DAT <-> annotated CAMPAIGN.TXT.
// Without arguments: the one-shot console dialogue in the current folder,
// which always exits with 0. With arguments: the command line for scripts
// (to-text, to-binary, verify; see --help), exit status 0, 1 or 2.
#include "campconv/campaignconverter.h"
#include "recordtext/commandline.h"

int main(int argc, char** argv)
{
    kvl::campconv::CampaignConverter converter;
    return kvl::recordtext::runConverterProgram(kvl::campconv::campaignProgramTable(), converter, argc, argv);
}
