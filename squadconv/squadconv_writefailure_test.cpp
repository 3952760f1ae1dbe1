// squadconv's writers (the dialogue's and the command line's, to text and to
// binary) when the write fails: reported, previous output intact, no
// temporary file left.
#include "recordtext/testing/converterwritefailure.h"
#include "squadconv/squadronconverter.h"

namespace {

TEST(SquadconvWriteFailure, EveryWriterReportsAndLeavesTheFolderAsItWas)
{
    kvl::test::checkConverterWriteFailures<kvl::squadconv::SquadronConverter>(
        kvl::squadconv::squadronProgramTable(), "SQ0141.DAT");
}

} // namespace
