// Reading a record text: the dialogue's parse, and the alignment that names
// each slip once when that parse does not read every field.
#include "recordtext/textreading.h"

#include "recordtext/labelledline.h"

#include <algorithm>
#include <ostream>
#include <unordered_map>

namespace kvl::recordtext {

namespace {

/// More added or removed lines than this and the text is too far from its
/// layout to align; the parse's own messages are reported instead.
constexpr std::size_t kMaxAlignEdits = 1000;

/// The lines of a text as the parser sees them (cut at a zero byte and to
/// kMaxTextLine characters).
std::vector<std::string_view> readerLines(std::string_view text, const ProgramTable& table)
{
    std::ostream quiet(nullptr);
    RecordTextInput input(text, table, quiet);
    std::vector<std::string_view> lines;
    std::string_view line;
    while (input.nextLine(line))
        lines.push_back(line);
    return lines;
}

/// The label of a field line as the parser finds it: after an indentation of
/// two (or, where allowed, four) spaces, up to the colon.
struct FoundLabel {
    std::string_view text;
    bool hasColon = false;
};

FoundLabel foundLabel(std::string_view line, const ProgramTable& table)
{
    std::size_t start = 0;
    if (line.size() >= 2 && line[0] == ' ' && line[1] == ' ')
        start = 2;
    if (table.fourSpaceIndent && line.size() >= 4 && line[3] == ' ')
        start = 4;
    const std::string_view rest = line.substr(std::min(start, line.size()));
    const std::size_t colon = rest.find(':');
    return { rest.substr(0, colon), colon != std::string_view::npos };
}

/// The parser's rule: a line with a colon whose label starts as the expected
/// one does (or any such line where any label is taken).
bool readsAs(std::string_view line, std::string_view expected, const ProgramTable& table)
{
    const FoundLabel found = foundLabel(line, table);
    if (!found.hasColon)
        return false;
    if (!table.anyLabel.empty() && expected == table.anyLabel)
        return true;
    return !found.text.empty() && !expected.empty() && found.text[0] == expected[0];
}

bool isBlank(std::string_view line)
{
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

/// The text the writer gives, with the label the parser expects on each of
/// its field lines (empty on titles, headings and blank lines).
struct Layout {
    std::string text;
    std::vector<std::string_view> lines;
    std::vector<std::string> expected;
};

Layout writerLayout(RecordConverter& converter, const ProgramTable& table, std::size_t imageSize)
{
    Layout layout;
    if (!converter.loadImage(std::vector<std::uint8_t>(imageSize)))
        return layout;
    layout.text = converter.text(AnnotationSet {});
    layout.lines = readerLines(layout.text, table);
    layout.expected.resize(layout.lines.size());
    std::vector<RecordTextInput::FieldRead> reads;
    std::ostream quiet(nullptr);
    RecordTextInput input(layout.text, table, quiet);
    input.recordReads(&reads);
    converter.parseText(input);
    for (RecordTextInput::FieldRead& read : reads)
        if (read.line >= 1 && read.line <= layout.lines.size())
            layout.expected[read.line - 1] = std::move(read.expected);
    return layout;
}

/// Names the slips between a text and the writer's layout.
class SlipFinder {
public:
    SlipFinder(const Layout& layout, const std::vector<std::string_view>& lines, const ProgramTable& table)
        : m_layout(layout),
          m_lines(lines),
          m_table(table)
    {
    }

    void matched(std::size_t e, std::size_t a)
    {
        if (isField(e) && !readsAs(m_lines[a], expected(e), m_table))
            mismatch(e, a);
    }

    /// Layout lines [e0, e1) and text lines [a0, a1) between two matched lines.
    void between(std::size_t e0, std::size_t e1, std::size_t a0, std::size_t a1)
    {
        const std::size_t paired = std::min(e1 - e0, a1 - a0);
        for (std::size_t k = 0; k < paired; ++k)
            if (isField(e0 + k) && !readsAs(m_lines[a0 + k], expected(e0 + k), m_table))
                mismatch(e0 + k, a0 + k);
        if (e1 - e0 > paired)
            missing(e0 + paired, e1, a1);
        if (a1 - a0 > paired)
            extra(a0 + paired, a1, e1);
    }

    /// After the last matched line: text lines left over are never read; a
    /// field without a line means the text ended early.
    void atEnd(std::size_t e0, std::size_t a0, std::string_view name)
    {
        std::size_t a = a0;
        std::size_t e = e0;
        for (; e < m_layout.lines.size() && a < m_lines.size(); ++a) {
            if (isBlank(m_lines[a]))
                continue;
            if (isField(e) && !readsAs(m_lines[a], expected(e), m_table))
                mismatch(e, a);
            ++e;
        }
        for (; e < m_layout.lines.size(); ++e) {
            if (isField(e)) {
                stop = "Unexpected end of " + std::string(name) + " after line " + std::to_string(m_lines.size()) + " ("
                    + expected(e) + " expected)";
                return;
            }
        }
    }

    std::vector<std::string> slips;
    std::string stop;

private:
    bool isField(std::size_t e) const { return !m_layout.expected[e].empty(); }
    const std::string& expected(std::size_t e) const { return m_layout.expected[e]; }

    /// How a layout line is named in a message.
    std::string describe(std::size_t e) const
    {
        if (e >= m_layout.lines.size())
            return "nothing more";
        if (isField(e))
            return expected(e);
        const std::string_view line = m_layout.lines[e];
        if (isBlank(line))
            return "an empty line";
        const std::size_t first = line.find_first_not_of(' ');
        return std::string(line.substr(first));
    }

    static std::string lineName(std::size_t a) { return "line " + std::to_string(a + 1); }

    void mismatch(std::size_t e, std::size_t a)
    {
        const std::string_view line = m_lines[a];
        const std::string found = isBlank(line) ? "an empty line" : std::string(foundLabel(line, m_table).text);
        slips.push_back(lineName(a) + ": Expected " + expected(e) + ".  Found " + found);
    }

    void missing(std::size_t e0, std::size_t e1, std::size_t a)
    {
        const std::size_t count = e1 - e0;
        if (count == 1) {
            slips.push_back(lineName(a) + ": a line is missing before this one (" + describe(e0) + " expected)");
            return;
        }
        // A run is named by its first and last lines with text in them.
        std::size_t first = e0;
        std::size_t last = e1 - 1;
        while (first < last && isBlank(m_layout.lines[first]))
            ++first;
        while (last > first && isBlank(m_layout.lines[last]))
            --last;
        const std::string what = first == last ? describe(first) : describe(first) + " to " + describe(last);
        slips.push_back(
            lineName(a) + ": " + std::to_string(count) + " lines are missing before this one (" + what + " expected)");
    }

    void extra(std::size_t a0, std::size_t a1, std::size_t e)
    {
        const bool allBlank = std::all_of(m_lines.begin() + static_cast<std::ptrdiff_t>(a0),
            m_lines.begin() + static_cast<std::ptrdiff_t>(a1), [](std::string_view line) { return isBlank(line); });
        // The parser passes over empty lines on its way to a field line.
        if (allBlank && e < m_layout.lines.size() && isField(e))
            return;
        const std::string wanted = " (" + describe(e) + " expected)";
        if (a1 - a0 > 1) {
            slips.push_back("lines " + std::to_string(a0 + 1) + "-" + std::to_string(a1) + ": "
                + std::to_string(a1 - a0) + " extra lines" + wanted);
        } else if (isBlank(m_lines[a0])) {
            slips.push_back(lineName(a0) + ": extra empty line" + wanted);
        } else {
            slips.push_back(lineName(a0) + ": extra line \"" + std::string(m_lines[a0]) + "\"" + wanted);
        }
    }

    const Layout& m_layout;
    const std::vector<std::string_view>& m_lines;
    const ProgramTable& m_table;
};

/// The parse's own messages, for a text the alignment cannot explain.
TextReading parserReport(const RecordTextInput& parsed, std::string_view name)
{
    TextReading reading;
    for (const RecordTextInput::Mismatch& m : parsed.mismatches())
        reading.slips.push_back("line " + std::to_string(m.line) + ": Expected " + m.expected + ".  Found " + m.found);
    reading.stop = parsed.stopReason(name);
    return reading;
}

} // namespace

std::string lineKey(std::string_view line)
{
    line = line.substr(0, line.find(':'));
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    line = line.substr(first, line.find_last_not_of(" \t") + 1 - first);
    std::string key(line);
    for (char& c : key)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return key;
}

std::optional<std::vector<std::pair<std::size_t, std::size_t>>> commonRun(
    const std::vector<int>& a, const std::vector<int>& b, std::size_t maxEdits)
{
    // Equal lines at both ends are matched at once; the middle is searched
    // for the fewest additions and removals, one more each round (the
    // furthest reach of every diagonal is kept per round to trace it back).
    // The search ends when all of `b` is placed: entries of `a` after that
    // cost nothing, so a `b` that stops early is aligned with the start of `a`.
    std::size_t head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head])
        ++head;
    std::size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head && a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
        ++tail;
    const auto n = static_cast<std::ptrdiff_t>(a.size() - head - tail);
    const auto m = static_cast<std::ptrdiff_t>(b.size() - head - tail);
    auto same = [&](std::ptrdiff_t x, std::ptrdiff_t y) {
        return a[head + static_cast<std::size_t>(x)] == b[head + static_cast<std::size_t>(y)];
    };

    const std::ptrdiff_t limit = std::min<std::ptrdiff_t>(n + m, static_cast<std::ptrdiff_t>(maxEdits));
    std::vector<std::ptrdiff_t> reach(static_cast<std::size_t>(2 * limit + 3), 0);
    const std::ptrdiff_t zero = limit + 1;
    auto at = [&](std::ptrdiff_t k) -> std::ptrdiff_t& { return reach[static_cast<std::size_t>(zero + k)]; };
    std::vector<std::vector<std::ptrdiff_t>> rounds; // reach of diagonals -d-1..d+1 before round d
    std::ptrdiff_t found = -1;
    std::ptrdiff_t endX = n;
    for (std::ptrdiff_t d = 0; d <= limit && found < 0; ++d) {
        rounds.emplace_back(reach.begin() + zero - d - 1, reach.begin() + zero + d + 2);
        for (std::ptrdiff_t k = -d; k <= d; k += 2) {
            std::ptrdiff_t x = (k == -d || (k != d && at(k - 1) < at(k + 1))) ? at(k + 1) : at(k - 1) + 1;
            std::ptrdiff_t y = x - k;
            while (x < n && y < m && same(x, y)) {
                ++x;
                ++y;
            }
            at(k) = x;
            if (y >= m) {
                found = d;
                endX = x;
                break;
            }
        }
    }
    if (found < 0)
        return std::nullopt;

    std::vector<std::pair<std::size_t, std::size_t>> pairs;
    for (std::size_t i = 0; i < tail; ++i)
        pairs.emplace_back(a.size() - 1 - i, b.size() - 1 - i);
    std::ptrdiff_t x = endX;
    std::ptrdiff_t y = m;
    for (std::ptrdiff_t d = found; d >= 0; --d) {
        const std::vector<std::ptrdiff_t>& v = rounds[static_cast<std::size_t>(d)];
        auto was = [&](std::ptrdiff_t k) { return v[static_cast<std::size_t>(k + d + 1)]; };
        const std::ptrdiff_t k = x - y;
        const std::ptrdiff_t before = (k == -d || (k != d && was(k - 1) < was(k + 1))) ? k + 1 : k - 1;
        const std::ptrdiff_t beforeX = d == 0 ? 0 : was(before);
        const std::ptrdiff_t beforeY = d == 0 ? 0 : beforeX - before;
        while (x > beforeX && y > beforeY) {
            --x;
            --y;
            pairs.emplace_back(head + static_cast<std::size_t>(x), head + static_cast<std::size_t>(y));
        }
        x = beforeX;
        y = beforeY;
    }
    for (std::size_t i = head; i-- > 0;)
        pairs.emplace_back(i, i);
    std::reverse(pairs.begin(), pairs.end());
    return pairs;
}

TextReading readRecordText(
    RecordConverter& converter, const ProgramTable& table, std::string_view text, std::string_view name)
{
    std::ostream quiet(nullptr);
    RecordTextInput parsed(text, table, quiet);
    converter.parseText(parsed);
    if (parsed.mismatches().empty() && !parsed.ended())
        return {};
    // A text that only stops early, or is some other text, says so as it is.
    if (parsed.foreign() || parsed.mismatches().empty())
        return parserReport(parsed, name);

    // Records of the shape the text gave (the squadron count line says how many).
    const Layout layout = writerLayout(converter, table, converter.binaryImage().size());
    const std::vector<std::string_view> lines = readerLines(text, table);
    std::unordered_map<std::string, int> ids;
    auto keys = [&](const std::vector<std::string_view>& from) {
        std::vector<int> out;
        out.reserve(from.size());
        for (std::string_view line : from)
            out.push_back(ids.try_emplace(lineKey(line), static_cast<int>(ids.size())).first->second);
        return out;
    };
    const std::vector<int> layoutKeys = keys(layout.lines);
    const auto pairs = commonRun(layoutKeys, keys(lines), kMaxAlignEdits);
    if (!pairs)
        return parserReport(parsed, name);

    SlipFinder finder(layout, lines, table);
    // Empty lines after the last line with text in it close the text; an
    // empty line of the layout matched there would hide that the text ended.
    std::size_t content = lines.size();
    while (content > 0 && isBlank(lines[content - 1]))
        --content;
    std::size_t e = 0;
    std::size_t a = 0;
    for (const auto& [layoutLine, textLine] : *pairs) {
        if (textLine >= content)
            break;
        finder.between(e, layoutLine, a, textLine);
        finder.matched(layoutLine, textLine);
        e = layoutLine + 1;
        a = textLine + 1;
    }
    finder.atEnd(e, a, name.empty() ? table.textFile : name);
    if (finder.slips.empty() && finder.stop.empty())
        return parserReport(parsed, name);
    return { std::move(finder.slips), std::move(finder.stop) };
}

std::vector<std::string> readingReport(const TextReading& reading)
{
    std::vector<std::string> out;
    for (std::size_t i = 0; i < reading.slips.size() && i < kShownSlips; ++i)
        out.push_back(reading.slips[i]);
    if (reading.slips.size() > kShownSlips) {
        const std::size_t more = reading.slips.size() - kShownSlips;
        out.push_back(std::to_string(more) + (more == 1 ? " more slip" : " more slips") + " not shown");
    }
    if (!reading.stop.empty())
        out.push_back(reading.stop);
    return out;
}

} // namespace kvl::recordtext
