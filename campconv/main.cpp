// campconv: campaign files CAMPxxxx.DAT <-> annotated CAMPAIGN.TXT, in the
// current folder, through a one-shot console dialogue. Always exits with 0.
#include "campconv/campaignconverter.h"

#include <iostream>

int main()
{
    kvl::CampaignConverter converter;
    kvl::runConverterMenu(kvl::campaignProgramTable(), converter, std::cin, std::cout, ".");
    return 0;
}
