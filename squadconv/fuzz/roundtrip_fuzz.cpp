// Round trips of the squadron file through Squadron.TXT.
//
// Binary -> text -> binary: the whole records of any input of up to 99
// records come back byte for byte (every field is of 8 or 16 bits, so its
// value fits the five characters the parser reads). Longer files do not: the
// count line is read from two characters, so the text carries at most 99
// squadrons back.
//
// Text -> binary -> text: whatever the parser makes of the input, writing it
// and parsing that again gives the same file and the same text.
#include "squadconv/squadronfile.h"
#include "squadconv/squadrontext.h"

#include <cstdlib>
#include <sstream>
#include <string>

namespace {

using namespace kvl::squadconv;

constexpr std::size_t kMostSquadronsInText = 99;

// Parses `text` into `file`; false when the text ended early.
bool parse(const std::string& text, SquadronFile& file)
{
    std::ostringstream messages;
    kvl::recordtext::RecordTextInput in(text, squadronProgramTable(), messages);
    file = SquadronFile {};
    parseSquadronText(in, file);
    return !in.ended();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const kvl::recordtext::AnnotationSet notes;
    const std::size_t whole = size / kSquadronRecordSize * kSquadronRecordSize;
    if (whole / kSquadronRecordSize <= kMostSquadronsInText) {
        SquadronFile read;
        readSquadronImage(kvl::ByteView(data, size), read);
        SquadronFile back;
        if (!parse(squadronText(read, notes), back))
            std::abort();
        const std::vector<std::uint8_t> image = squadronImage(back);
        if (image != std::vector<std::uint8_t>(data, data + whole))
            std::abort();
    }

    SquadronFile first;
    (void)parse(std::string(reinterpret_cast<const char*>(data), size), first);
    const std::string text = squadronText(first, notes);
    SquadronFile second;
    if (!parse(text, second) || squadronImage(second) != squadronImage(first) || squadronText(second, notes) != text)
        std::abort();
    return 0;
}
