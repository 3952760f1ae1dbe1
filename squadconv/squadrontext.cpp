// Squadron text writer and parser.
#include "squadconv/squadrontext.h"

namespace kvl {

namespace {

constexpr std::size_t SquadronLabelWidth = 26;
constexpr std::string_view CountPrefix = "NUMBER OF SQUADRONS: ";

struct TextWriter {
    LabelledOutput& out;
    std::string_view indent = "  ";
    std::string label;

    void write(std::string_view name, std::int32_t value, int code)
    {
        label.assign(indent).append(name).push_back(':');
        writeLabelledLine(out, label, value, code);
    }
    void field(std::string_view name, std::uint8_t v, int code) { write(name, v, code); }
    void field(std::string_view name, std::uint16_t v, int code) { write(name, v, code); }
    void anyField(std::size_t index, std::uint8_t v)
    {
        writeLabelledLine(out, specialMissionLabel(index), v, squadcode::None);
    }
    void group(const std::string& title)
    {
        out.text.line(title);
        indent = "    ";
    }
    void endGroups() { indent = "  "; }
};

struct TextParser {
    RecordTextInput& in;
    template <class T>
    void field(std::string_view name, T& value, int)
    {
        readLabelledValue(in, name, value);
    }
    void anyField(std::size_t, std::uint8_t& value) { readLabelledValue(in, "...", value); }
    void group(const std::string&) { in.skipLines(1); }
    void endGroups() { }
};

} // namespace

const ProgramTable& squadronProgramTable()
{
    static const ProgramTable table = [] {
        ProgramTable t;
        t.commentFile = "SQUADRONDATA.TXT";
        t.categoryLimit = 1;
        t.planeNameCode = squadcode::PlaneName;
        t.highValueCode = 6;
        t.highValueThreshold = 65500;
        t.fourSpaceIndent = true;
        t.anyLabel = "...";
        t.titleLine = "Squadron to Text Converter";
        t.menuLine1 = "Press 1 to convert SQxx4x.DAT --> Squadron.TXT";
        t.menuLine2 = "Press 2 to convert Squadron.TXT --> Squadron.DAT";
        t.choice1Banner = "SQxx4x.DAT --> Squadron.TXT";
        t.fileNamePrompt = "Enter Squadron filename: ";
        t.choice2Banner = "Squadron.TXT --> Squadron.DAT";
        t.textFile = "Squadron.TXT";
        t.binaryFile = "Squadron.dat";
        t.openFailedMessage = "Unable to open Squadron file!";
        return t;
    }();
    return table;
}

std::string squadronText(const SquadronFile& file, const AnnotationSet& notes)
{
    CrlfText text;
    text.reserve(file.squadrons.size() * 3200 + 64);
    LabelledOutput out { text, notes, squadronProgramTable(), SquadronLabelWidth };
    TextWriter writer { out, "  ", {} };

    text.line("KORVAL - SQUADRON FILE (TEXT VERSION)");
    text.put(CountPrefix).put(std::to_string(file.squadrons.size())).endLine();
    text.endLine();
    for (std::size_t i = 0; i < file.squadrons.size(); ++i) {
        text.put("SQUADRON #").put(std::to_string(i + 1)).endLine();
        text.line("==================");
        visitSquadron(writer, file.squadrons[i]);
        text.endLine();
    }
    return text.take();
}

void parseSquadronText(RecordTextInput& in, SquadronFile& file)
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
    if (!line.starts_with(CountPrefix.substr(0, CountPrefix.size() - 1))) {
        in.markForeign("line 2 does not begin with \"NUMBER OF SQUADRONS:\"");
        return;
    }
    // The count sits in the two characters after "NUMBER OF SQUADRONS: ".
    const std::size_t at = CountPrefix.size();
    const std::int32_t count = line.size() > at ? leadingInt(line.substr(at, 2)) : 0;
    file.squadrons.assign(static_cast<std::size_t>(std::max(count, 0)), SquadronRecord {});
    in.skipLines(1);

    TextParser parser { in };
    for (auto& record : file.squadrons) {
        in.skipLines(2);
        visitSquadron(parser, record);
        in.skipLines(1);
        if (in.ended())
            return;
    }
}

} // namespace kvl
