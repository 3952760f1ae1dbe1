// Fuzz target: the Squadron.TXT parser, then the text writer on what it parsed.
#include "squadconv/squadrontext.h"

#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::ostringstream messages;
    kvl::recordtext::RecordTextInput in(
        std::string_view(reinterpret_cast<const char*>(data), size), kvl::squadconv::squadronProgramTable(), messages);
    kvl::squadconv::SquadronFile file;
    kvl::squadconv::parseSquadronText(in, file);
    kvl::recordtext::AnnotationSet notes;
    (void)kvl::squadconv::squadronText(file, notes);
    return 0;
}
