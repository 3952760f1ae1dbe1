// Campaign text writer and parser.
#include "campconv/campaigntext.h"

namespace kvl {

namespace {

struct TextWriter {
    LabelledOutput& out;
    std::string_view indent;
    std::string label;

    void write(std::string_view name, std::int32_t value, int code)
    {
        label.assign(indent).append(name).push_back(':');
        writeLabelledLine(out, label, value, code);
    }
    void field(std::string_view name, std::uint8_t v, int code) { write(name, v, code); }
    void field(std::string_view name, std::uint16_t v, int code) { write(name, v, code); }
    void field(std::string_view name, std::int32_t v, int code) { write(name, v, code); }
};

struct TextParser {
    RecordTextInput& in;
    template <class T>
    void field(std::string_view name, T& value, int)
    {
        readLabelledValue(in, name, value);
    }
};

void section(LabelledOutput& out, std::size_t width, std::string_view heading)
{
    out.width = width;
    out.text.line(heading);
    out.text.line(std::string(heading.size(), '='));
}

void emptyLines(CrlfText& text, int count)
{
    for (int i = 0; i < count; ++i)
        text.endLine();
}

std::string recordTitle(std::string_view title, std::size_t index)
{
    return std::string(title).append(std::to_string(index + 1));
}

} // namespace

const ProgramTable& campaignProgramTable()
{
    static const ProgramTable table = [] {
        ProgramTable t;
        t.commentFile = "CAMPAIGNDATA.TXT";
        t.categoryLimit = 11;
        t.planeNameCode = campcode::PlaneName;
        t.highValueCode = campcode::Speech;
        t.highValueThreshold = 65500;
        t.fourSpaceIndent = false;
        t.anyLabel = "";
        t.titleLine = "Campaign to Text Converter";
        t.menuLine1 = "Press 1 to convert CAMPxxxx.DAT --> CAMPAIGN.TXT";
        t.menuLine2 = "Press 2 to convert CAMPAIGN.TXT --> CAMPAIGN.DAT";
        t.choice1Banner = "CAMPxxxx.DAT --> CAMPAIGN.TXT";
        t.fileNamePrompt = "Enter Campaign filename: ";
        t.choice2Banner = "CAMPAIGN.TXT --> CAMPAIGN.DAT";
        t.textFile = "CAMPAIGN.TXT";
        t.binaryFile = "campaign.dat";
        t.openFailedMessage = "Unable to open campaign file!";
        return t;
    }();
    return table;
}

std::string campaignText(const CampaignFile& file, const AnnotationSet& notes)
{
    CrlfText text;
    text.reserve(150 * 1024);
    LabelledOutput out { text, notes, campaignProgramTable(), 0 };
    TextWriter plain { out, "", {} };
    TextWriter indented { out, "  ", {} };

    text.line("KORVAL - CAMPAIGN FILE (TEXT VERSION)");
    text.endLine();

    section(out, 23, "1. CAMPAIGN SETUP");
    visitSetup(plain, file.setup);
    emptyLines(text, 3);

    section(out, 22, "2. CAMPAIGN PHASES");
    for (std::size_t i = 0; i < file.phases.size(); ++i) {
        text.line(recordTitle("PHASE #", i));
        visitPhase(indented, file.phases[i]);
        text.endLine();
    }
    emptyLines(text, 2);

    section(out, 15, "3. CAMPAIGN PLANE TYPES");
    for (std::size_t i = 0; i < file.planeTypes.size(); ++i) {
        text.line(recordTitle("PLANE TYPE #", i));
        visitPlaneType(indented, file.planeTypes[i]);
        text.endLine();
    }
    emptyLines(text, 2);

    section(out, 24, "4. GERMAN FORCES");
    visitForces(plain, file.german);
    emptyLines(text, 3);

    section(out, 24, "5. ALLIED FORCES");
    visitForces(plain, file.allied);
    emptyLines(text, 3);

    section(out, 22, "6. SPECIAL EVENTS");
    for (std::size_t i = 0; i < file.events.size(); ++i) {
        text.line(recordTitle("EVENT #", i));
        visitEvent(indented, file.events[i]);
        text.endLine();
    }
    emptyLines(text, 2);

    section(out, 30, "7. SPECIAL MISSIONS");
    for (std::size_t i = 0; i < file.missions.size(); ++i) {
        text.line(recordTitle("MISSION #", i));
        visitMission(indented, file.missions[i]);
        text.endLine();
    }
    emptyLines(text, 2);

    section(out, 37, "8. V-1 MISSIONS");
    visitV1(plain, file.v1);
    return text.take();
}

void parseCampaignText(RecordTextInput& in, CampaignFile& file)
{
    TextParser parser { in };
    // Title; the first field read skips the empty line, heading and underline.
    in.skipLines(1);
    visitSetup(parser, file.setup);

    // Three empty lines and the heading; then per record the underline (or
    // the empty line after the previous record) and the record title.
    in.skipLines(4);
    for (auto& phase : file.phases) {
        in.skipLines(2);
        visitPhase(parser, phase);
    }
    in.skipLines(4);
    for (auto& type : file.planeTypes) {
        in.skipLines(2);
        visitPlaneType(parser, type);
    }
    // The forces sections have no records: the first read skips the empty
    // lines, the heading and its underline.
    visitForces(parser, file.german);
    visitForces(parser, file.allied);
    in.skipLines(4);
    for (auto& event : file.events) {
        in.skipLines(2);
        visitEvent(parser, event);
    }
    in.skipLines(4);
    for (auto& mission : file.missions) {
        in.skipLines(2);
        visitMission(parser, mission);
    }
    in.skipLines(3);
    visitV1(parser, file.v1);
}

} // namespace kvl
