// campconv's writers (the dialogue's and the command line's, to text and to
// binary) when the write fails: reported, previous output intact, no
// temporary file left.
#include "campconv/campaignconverter.h"
#include "recordtext/testing/converterwritefailure.h"

namespace {

TEST(CampconvWriteFailure, EveryWriterReportsAndLeavesTheFolderAsItWas)
{
    kvl::test::checkConverterWriteFailures<kvl::campconv::CampaignConverter>(
        kvl::campconv::campaignProgramTable(), "CAMP0002.DAT");
}

} // namespace
