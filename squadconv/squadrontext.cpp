// Squadron text writer and parser.
#include "squadconv/squadrontext.h"
#include "squadconv/squadconvoptions.h"

#include "recordtext/fieldwalkers.h"

namespace kvl::squadconv {

namespace {

constexpr std::size_t kSquadronLabelWidth = 26;
constexpr std::string_view kCountPrefix = "NUMBER OF SQUADRONS: ";

} // namespace

const recordtext::ProgramTable& squadronProgramTable()
{
    static constexpr recordtext::ProgramTable kTable {
        .commentFile = "SQUADRONDATA.TXT",
        .categoryLimit = 1,
        .planeNameCode = kPlaneNameCode,
        .highValueCode = 6,
        .highValueThreshold = 65500,
        .fourSpaceIndent = true,
        .anyLabel = "...",
        .titleLine = "Squadron to Text Converter",
        .menuLine1 = "Press 1 to convert SQxx4x.DAT --> Squadron.TXT",
        .menuLine2 = "Press 2 to convert Squadron.TXT --> Squadron.DAT",
        .choice1Banner = "SQxx4x.DAT --> Squadron.TXT",
        .fileNamePrompt = "Enter Squadron filename: ",
        .choice2Banner = "Squadron.TXT --> Squadron.DAT",
        .textFile = "Squadron.TXT",
        .binaryFile = "Squadron.dat",
        .openFailedMessage = "Unable to open Squadron file!",
        .programName = "squadconv",
        .fileKind = "squadron files (SQxx4x.DAT, 124-byte records)",
        .exampleBinary = "SQ0141.DAT",
        .countLabel = "NUMBER OF SQUADRONS",
        .commandLine = &kCommandLine,
    };
    return kTable;
}

std::string squadronText(const SquadronFile& file, const recordtext::AnnotationSet& notes)
{
    CrlfText text;
    text.reserve(file.squadrons.size() * 3200 + 64);
    recordtext::LabelledOutput out { text, notes, squadronProgramTable(), kSquadronLabelWidth };
    // Squadron fields stand two spaces in, the fields of their moves, upgrades
    // and weapons four.
    recordtext::TextWriter writer(out, 2);

    text.line("KORVAL - SQUADRON FILE (TEXT VERSION)");
    text.put(kCountPrefix).put(std::to_string(file.squadrons.size())).endLine();
    text.endLine();
    for (std::size_t i = 0; i < file.squadrons.size(); ++i) {
        text.put("SQUADRON #").put(std::to_string(i + 1)).endLine();
        text.line("==================");
        recordtext::walk(writer, file.squadrons[i], fields::kSquadron);
        text.endLine();
    }
    return text.take();
}

void parseSquadronText(recordtext::RecordTextInput& in, SquadronFile& file)
{
    file.squadrons.clear();
    in.skipLines(1);
    std::string_view line;
    if (!in.nextLine(line)) {
        in.markEnded("NUMBER OF SQUADRONS");
        return;
    }
    // A text without the count line is some other file (a campaign text,
    // say): reading it would write an empty squadron file and call it done.
    if (!line.starts_with(kCountPrefix.substr(0, kCountPrefix.size() - 1))) {
        in.markForeign("line 2 does not begin with \"NUMBER OF SQUADRONS:\"");
        return;
    }
    // The count sits in the two characters after "NUMBER OF SQUADRONS: ".
    const std::size_t at = kCountPrefix.size();
    const std::int32_t count = line.size() > at ? recordtext::leadingInt(line.substr(at, 2)) : 0;
    file.squadrons.assign(static_cast<std::size_t>(std::max(count, 0)), SquadronRecord {});
    in.skipLines(1);

    recordtext::TextParser parser(in);
    for (auto& record : file.squadrons) {
        in.skipLines(2); // title and underline
        recordtext::walk(parser, record, fields::kSquadron);
        in.skipLines(1); // the empty line
        if (in.ended())
            return;
    }
}

} // namespace kvl::squadconv
