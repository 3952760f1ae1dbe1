// The working copy and the aircraft script: their writers, their reader and
// what applying one would change.
#include "planesedit/valuesfile.h"
#include "common/platform.h"

#include "common/fileimage.h"
#include "common/textdecode.h"
#include "common/textio.h"

#include <charconv>

namespace kvl::planesedit {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
// A quoted line in a message is cut to this many characters.
constexpr std::size_t kQuotedCharacters = 40;

std::string singleByteText(const std::string& utf8)
{
    return toSingleByte(decodeUtf8(utf8));
}

// The header lines, then the value cells from the layout's first row on.
std::string valuesFileText(
    ValuesFileKind kind, std::initializer_list<std::string_view> header, const RecordDocument& document)
{
    const ValuesFileLayout layout = valuesFileLayout(kind);
    kvl::CrlfText text;
    text.reserve(kRecordBytes * 5 + 40);
    for (std::string_view line : header)
        text.line(line);
    for (int r = layout.firstRow; r <= kRecordBytes; ++r)
        text.line(singleByteText(document.text(r)));
    return text.take();
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view t)
{
    while (!t.empty() && isBlank(t.front()))
        t.remove_prefix(1);
    while (!t.empty() && isBlank(t.back()))
        t.remove_suffix(1);
    return t;
}

// A line of the file in a message: as UTF-8, in quotes, cut when long.
std::string quoted(std::string_view line)
{
    std::u32string chars = decodeUtf8(kvl::decodeText(line.substr(0, 4 * kQuotedCharacters)));
    const bool cut = chars.size() > kQuotedCharacters || line.size() > 4 * kQuotedCharacters;
    chars.resize(std::min(chars.size(), kQuotedCharacters));
    return "\"" + encodeUtf8(chars) + (cut ? "...\"" : "\"");
}

// The first byte of `line` that has no place in a text: a control character
// other than the tab (a CR that does not end the line included), or DEL.
std::optional<unsigned> controlCharacter(std::string_view line)
{
    for (char c : line) {
        const auto b = static_cast<unsigned char>(c);
        if ((b < 0x20 && b != '\t') || b == 0x7F)
            return b;
    }
    return std::nullopt;
}

// What the destination line holds: nothing, a whole number (blanks around
// it allowed, a sign only as a minus), or something else.
struct SlotText {
    enum class Kind { Empty, Number, Other } kind = Kind::Other;
    long long value = 0; // a number past 9 digits reads as out of range
};

SlotText readSlotText(std::string_view line)
{
    const std::string_view t = trimmed(line);
    if (t.empty())
        return { SlotText::Kind::Empty, 0 };
    const bool negative = t.front() == '-';
    const std::string_view digits = t.substr(negative ? 1 : 0);
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos)
        return {};
    long long v = 1'000'000'000;
    if (digits.size() <= 9)
        std::from_chars(digits.data(), digits.data() + digits.size(), v);
    return { SlotText::Kind::Number, negative ? -v : v };
}

bool isByte(std::string_view line)
{
    std::uint8_t b = 0;
    return parseByteCell(line, b);
}

std::string withArticle(ValuesFileKind kind)
{
    return kind == ValuesFileKind::Script ? "an aircraft script" : "a working copy";
}

std::string linesOf(ValuesFileKind kind)
{
    return kind == ValuesFileKind::Script
        ? "169 lines (the name line, the destination slot, then bytes 2 to 168, one a line)"
        : "168 lines (bytes 1 to 168, one a line)";
}

// Whether setting `a` changes the value `current` shows. A cell that holds
// a text which is no byte ("300") differs from every byte.
bool wouldChange(const ByteAssignment& a, const kvl::TypedFieldTable& current)
{
    return a.row >= 1 && a.row <= kRecordBytes
        && current.valueText(static_cast<std::size_t>(a.row - 1)) != std::to_string(a.value);
}

class Refusal {
public:
    explicit Refusal(std::string_view fileName) : m_fileName(fileName) { }
    kvl::Error operator()(std::size_t line, const std::string& reason) const
    {
        return { std::string(m_fileName) + ", line " + std::to_string(line) + ": " + reason };
    }

private:
    std::string_view m_fileName;
};

} // namespace

const char* valuesFileNoun(ValuesFileKind kind)
{
    return kind == ValuesFileKind::Script ? "aircraft script" : "working copy";
}

std::string workingCopyName(int slot)
{
    return Str(slot) + ".oaw";
}

std::string scriptNameLine(const std::string& name)
{
    const std::u32string p = decodeUtf8(name);
    const double pad = kScriptNameLength / 2 - Int(static_cast<double>(p.size()) / 2);
    std::u32string line(pad > 0 ? static_cast<std::size_t>(pad) : 0, U' ');
    line += p;
    line.append(kScriptNameLength, U' ');
    line.resize(kScriptNameLength);
    return encodeUtf8(line);
}

std::string workingCopyFileText(const RecordDocument& document)
{
    return valuesFileText(ValuesFileKind::WorkingCopy, {}, document);
}

std::string scriptFileText(
    const std::string& pnamesName, std::string_view destinationLine, const RecordDocument& document)
{
    return valuesFileText(
        ValuesFileKind::Script, { singleByteText(scriptNameLine(pnamesName)), destinationLine }, document);
}

kvl::Result<std::vector<std::uint8_t>> readValuesFileImage(const std::filesystem::path& file)
{
    const std::int64_t size = kvl::fileSize(file);
    if (size > static_cast<std::int64_t>(kValuesFileMaxBytes))
        return kvl::Error { kvl::platform::utf8FromPath(file.filename()) + " holds " + std::to_string(size)
            + " bytes, far more than a working copy or script (under 2 KB): it is neither" };
    return kvl::readFileImage(file);
}

kvl::Result<ValuesFile> readValuesFile(ValuesFileKind kind, kvl::ByteView bytes, std::string_view fileName)
{
    const ValuesFileLayout layout = valuesFileLayout(kind);
    const auto expected = static_cast<std::size_t>(layout.lines());
    const auto scriptLines = static_cast<std::size_t>(valuesFileLayout(ValuesFileKind::Script).lines());
    const auto workingCopyLines = static_cast<std::size_t>(valuesFileLayout(ValuesFileKind::WorkingCopy).lines());
    constexpr std::size_t nameAt = kScriptNameLine - 1, slotAt = kScriptSlotLine - 1;
    const Refusal refuse(fileName);
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    // An editor that saves as UTF-8 may put the byte order mark first.
    if (text.starts_with(kUtf8Mark))
        text.remove_prefix(kUtf8Mark.size());
    if (text.empty())
        return refuse(1, "the file is empty; " + withArticle(kind) + " has " + linesOf(kind));

    // The lines, and one more where there is one: enough to tell a line
    // too many.
    std::vector<std::string_view> lines;
    lines.reserve(expected + 1);
    kvl::LineReader reader(text);
    std::string_view line;
    while (lines.size() <= expected && reader.next(line)) {
        if (const auto c = controlCharacter(line))
            return refuse(lines.size() + 1,
                "a control character (byte " + std::to_string(*c) + ") where only text belongs: this is not "
                    + withArticle(kind));
        lines.push_back(line);
    }

    ValuesFile file;
    file.kind = kind;
    const auto firstValueLine = static_cast<std::size_t>(layout.headerLines);
    if (kind == ValuesFileKind::Script) {
        const SlotText slot = lines.size() > slotAt ? readSlotText(lines[slotAt]) : SlotText {};
        if (lines.size() > slotAt && slot.kind == SlotText::Kind::Other)
            return refuse(kScriptSlotLine,
                quoted(lines[slotAt])
                    + " is not a destination slot (a slot number, or nothing): this is not an aircraft script");
        // A working copy has one line less and a value where the name line stands.
        if (lines.size() == workingCopyLines && isByte(lines[0]))
            return refuse(kScriptNameLine,
                quoted(lines[0])
                    + " is a value, not a name line, and the file holds 168 values: it is a working copy; "
                      "open it as a working copy");
        if (slot.kind == SlotText::Kind::Number) {
            if (slot.value < 0 || slot.value >= kSlotCount)
                return refuse(kScriptSlotLine,
                    "the destination slot " + quoted(trimmed(lines[slotAt]))
                        + " is out of range; the slots are 0 to 29");
            file.destination = static_cast<int>(slot.value);
        }
        if (!lines.empty())
            file.name = std::string(trimmed(kvl::decodeText(lines[nameAt])));
    } else if (lines.size() == scriptLines && !isByte(lines[0])
        && readSlotText(lines[slotAt]).kind != SlotText::Kind::Other) {
        // A script has one line more: the name line, then the destination.
        return refuse(1,
            quoted(lines[0])
                + " is a name line, not a value, and a destination slot follows: it is an aircraft "
                  "script; apply it as a script");
    }

    file.bytes.reserve(expected - firstValueLine);
    for (std::size_t i = firstValueLine; i < std::min(lines.size(), expected); ++i) {
        const int row = layout.firstRow + static_cast<int>(i - firstValueLine);
        std::uint8_t b = 0;
        if (!parseByteCell(lines[i], b)) {
            const auto why = checkByteText(lines[i]);
            return refuse(i + 1,
                "row " + std::to_string(row) + " (" + rowLabel(row) + "): " + quoted(lines[i]) + " "
                    + (why ? std::string("cannot be stored") : why.error().message));
        }
        file.bytes.push_back({ row, b });
    }
    if (lines.size() < expected)
        return refuse(lines.size() + 1,
            "missing; " + withArticle(kind) + " has " + linesOf(kind) + ", and this one ends after line "
                + std::to_string(lines.size()));
    if (lines.size() > expected)
        return refuse(expected + 1, "one line too many; " + withArticle(kind) + " has " + linesOf(kind));
    return file;
}

std::vector<kvl::FieldDifference> valueChanges(const ValuesFile& file, const kvl::TypedFieldTable& current)
{
    std::vector<kvl::FieldDifference> changes;
    for (const ByteAssignment& a : file.bytes)
        if (wouldChange(a, current))
            changes.push_back({ static_cast<std::size_t>(a.row - 1),
                current.valueText(static_cast<std::size_t>(a.row - 1)), std::to_string(a.value) });
    return changes;
}

std::vector<ByteAssignment> changedBytes(const ValuesFile& file, const kvl::TypedFieldTable& current)
{
    std::vector<ByteAssignment> bytes;
    for (const ByteAssignment& a : file.bytes)
        if (wouldChange(a, current))
            bytes.push_back(a);
    return bytes;
}

std::optional<int> workingCopySlot(std::string_view fileName)
{
    for (int s = 0; s < kSlotCount; ++s)
        if (kvl::equalsNoCase(fileName, workingCopyName(s)))
            return s;
    return std::nullopt;
}

std::vector<ApplyTarget> applyTargets(const ValuesFile& file, int shownSlot, std::optional<int> savedFrom)
{
    const auto isSlot = [](int s) { return s >= 0 && s < kSlotCount; };
    std::vector<ApplyTarget> targets;
    if (file.kind == ValuesFileKind::Script && file.destination && isSlot(*file.destination))
        targets.push_back({ *file.destination, ApplyReason::Destination });
    if (isSlot(shownSlot) && (targets.empty() || targets.front().slot != shownSlot))
        targets.push_back({ shownSlot, ApplyReason::Shown });
    if (file.kind == ValuesFileKind::WorkingCopy && savedFrom && isSlot(*savedFrom) && *savedFrom != shownSlot)
        targets.push_back({ *savedFrom, ApplyReason::SavedFrom });
    return targets;
}

std::string applyTargetText(const ApplyTarget& target)
{
    std::string text = "slot " + std::to_string(target.slot) + " ("
        + (target.slot >= 0 && target.slot < kSlotCount ? kSlotNames[static_cast<std::size_t>(target.slot)] : "?")
        + "), ";
    switch (target.reason) {
    case ApplyReason::Destination:
        return text + "the script's destination";
    case ApplyReason::Shown:
        return text + "the aircraft shown";
    case ApplyReason::SavedFrom:
        return text + "the slot it was saved from";
    }
    return text;
}

std::string changeLine(const kvl::FieldDifference& change)
{
    const int row = static_cast<int>(change.index) + 1;
    return "row " + std::to_string(row) + ", " + rowLabel(row) + ": " + change.mine + " -> " + change.theirs;
}

} // namespace kvl::planesedit
