// The labelled-line writer and reader.
#include "recordtext/labelledline.h"

#include <charconv>

namespace kvl::recordtext {

std::size_t commentPad(std::int32_t value)
{
    if (value < 10)
        return 10;
    std::size_t digits = 0;
    for (std::int64_t v = value; v > 0; v /= 10)
        ++digits;
    // 2 digits: 9 spaces ... 5 digits: 6; longer numbers keep at least one space.
    return digits < 10 ? 11 - digits : 1;
}

void writeLabelledLine(LabelledOutput& out, std::string_view label, std::int32_t value, int code)
{
    static constexpr std::string_view spaces = "                                                  ";
    CrlfText& text = out.text;
    text.put(label);
    for (std::size_t pad = label.size() < out.width ? out.width - label.size() : 0; pad > 0;) {
        std::size_t n = std::min(pad, spaces.size());
        text.put(spaces.substr(0, n));
        pad -= n;
    }
    char digits[16];
    auto result = std::to_chars(digits, digits + sizeof digits, value);
    text.put(std::string_view(digits, static_cast<std::size_t>(result.ptr - digits)));
    if (auto comment = commentFor(out.notes, out.table, value, code)) {
        text.put(spaces.substr(0, commentPad(value)));
        text.put("; ");
        text.put(*comment);
    }
    text.endLine();
}

bool RecordTextInput::nextLine(std::string_view& line)
{
    if (!m_reader.next(line))
        return false;
    std::size_t nul = line.find('\0');
    if (nul != std::string_view::npos)
        line = line.substr(0, nul);
    line = line.substr(0, std::min(line.size(), kMaxTextLine));
    return true;
}

void RecordTextInput::skipLines(int count)
{
    std::string_view line;
    for (int i = 0; i < count; ++i)
        if (!nextLine(line))
            return;
}

void RecordTextInput::markEnded(std::string_view expected)
{
    m_ended = true;
    m_endLine = m_reader.lineNumber();
    m_endExpected.assign(expected);
}

void RecordTextInput::markForeign(std::string_view why)
{
    markEnded("");
    m_foreign.assign(why);
}

std::string RecordTextInput::stopReason(std::string_view name) const
{
    if (!m_ended)
        return {};
    const std::string file(name.empty() ? m_table.textFile : name);
    if (!m_foreign.empty())
        return file + " is not the expected text: " + m_foreign;
    return "Unexpected end of " + file + " after line " + std::to_string(m_endLine) + " (" + m_endExpected
        + " expected)";
}

std::optional<std::int32_t> RecordTextInput::readValue(std::string_view expected)
{
    if (m_ended)
        return std::nullopt;
    std::string_view line;
    do {
        if (!nextLine(line)) {
            markEnded(expected);
            return std::nullopt;
        }
    } while (line.empty());

    // A numbered section heading ("2. CAMPAIGN PHASES"): skip it and its
    // underline; the field line follows directly.
    if (line.size() >= 2 && line[1] == '.') {
        if (!nextLine(line) || !nextLine(line)) {
            markEnded(expected);
            return std::nullopt;
        }
    }

    if (m_reads)
        m_reads->push_back({ m_reader.lineNumber(), std::string(expected) });
    std::size_t start = 0;
    if (line.size() >= 2 && line[0] == ' ' && line[1] == ' ')
        start = 2;
    if (m_table.fourSpaceIndent && line.size() >= 4 && line[3] == ' ')
        start = 4;
    std::string_view rest = line.substr(std::min(start, line.size()));
    const std::size_t colon = rest.find(':');
    const std::string_view found = rest.substr(0, colon);

    const bool anyLabel = !m_table.anyLabel.empty() && expected == m_table.anyLabel;
    const bool sameFirst = !found.empty() && !expected.empty() && found[0] == expected[0];
    // A line without a colon is no field line at all, whatever the label rule.
    if (colon == std::string_view::npos || !(anyLabel || sameFirst)) {
        m_messages << "Expected " << expected << ".  Found " << found << '\n' << std::flush;
        m_mismatches.push_back({ m_reader.lineNumber(), std::string(expected), std::string(found) });
        return std::nullopt;
    }

    rest.remove_prefix(colon + 1);
    while (!rest.empty() && rest.front() == ' ')
        rest.remove_prefix(1);
    return leadingInt(rest.substr(0, std::min<std::size_t>(rest.size(), 5)));
}

void readLabelledValue(RecordTextInput& in, std::string_view expected, std::uint8_t& field)
{
    if (auto value = in.readValue(expected))
        field = static_cast<std::uint8_t>(static_cast<std::uint32_t>(*value) & 0xFFu);
}

void readLabelledValue(RecordTextInput& in, std::string_view expected, std::uint16_t& field)
{
    if (auto value = in.readValue(expected))
        field = static_cast<std::uint16_t>(static_cast<std::uint32_t>(*value) & 0xFFFFu);
}

void readLabelledValue(RecordTextInput& in, std::string_view expected, std::int32_t& field)
{
    if (auto value = in.readValue(expected))
        field = *value;
}

} // namespace kvl::recordtext
