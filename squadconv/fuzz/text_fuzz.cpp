// Fuzz target: the Squadron.TXT parser, then the text writer on what it parsed.
#include "squadconv/squadrontext.h"

#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::ostringstream messages;
    kvl::RecordTextInput in(
        std::string_view(reinterpret_cast<const char*>(data), size), kvl::squadronProgramTable(), messages);
    kvl::SquadronFile file;
    kvl::parseSquadronText(in, file);
    kvl::AnnotationSet notes;
    (void)kvl::squadronText(file, notes);
    return 0;
}
