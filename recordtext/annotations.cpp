// The annotation side files and the comment column lookup.
#include "recordtext/annotations.h"

#include "common/fileimage.h"
#include "common/textio.h"

#include <limits>

namespace kvl::recordtext {

namespace {

/// A side-file line as the fixed line buffer holds it: up to the first zero
/// byte, at most kMaxSideLine characters; the rest of a longer line is dropped.
std::string_view bufferLine(std::string_view line)
{
    std::size_t nul = line.find('\0');
    if (nul != std::string_view::npos)
        line = line.substr(0, nul);
    return line.substr(0, std::min(line.size(), kMaxSideLine));
}

bool nextSideLine(LineReader& reader, std::string_view& line)
{
    if (!reader.next(line))
        return false;
    line = bufferLine(line);
    return true;
}

/// A header or entry line: an empty line is replaced by the one after it (once).
bool nextBlockLine(LineReader& reader, std::string_view& line)
{
    if (!nextSideLine(reader, line))
        return false;
    if (line.empty() && !nextSideLine(reader, line))
        return false;
    return true;
}

std::string annotationText(std::string_view text)
{
    return std::string(text.substr(0, std::min(text.size(), kMaxAnnotationText)));
}

void printLine(std::ostream& out, std::string_view text)
{
    out << text << '\n' << std::flush;
}

} // namespace

std::int32_t leadingInt(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()
        && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r' || text[i] == '\v'
            || text[i] == '\f'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::int64_t value = 0;
    constexpr std::int64_t limit = std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > limit)
            value = limit;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<std::int32_t>::max())
        value = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value);
}

bool parseCommentFile(std::string_view text, AnnotationSet& set)
{
    set.categories.clear();
    LineReader reader(text);
    std::string_view line;
    if (!nextSideLine(reader, line) || line.empty() || line[0] != 'S')
        return false;
    // N sits in characters 8 to 10.
    std::int32_t count = line.size() > 7 ? leadingInt(line.substr(7, 3)) : 0;
    std::vector<CommentCategory> categories;
    for (std::int32_t c = 0; c < count; ++c) {
        if (!nextBlockLine(reader, line))
            return false;
        // The entry count runs from the second character to the first ']'.
        std::string_view number = line.empty() ? line : line.substr(1);
        number = number.substr(0, number.find(']'));
        std::int32_t entries = leadingInt(number);
        CommentCategory category;
        for (std::int32_t e = 0; e < entries; ++e) {
            if (!nextBlockLine(reader, line))
                return false;
            AnnotationEntry entry;
            entry.value = leadingInt(line.substr(0, std::min<std::size_t>(line.size(), 5)));
            std::string_view comment = line.size() > 5 ? line.substr(5) : std::string_view();
            comment = comment.substr(0, comment.find('.'));
            entry.text = annotationText(comment);
            category.entries.push_back(std::move(entry));
        }
        categories.push_back(std::move(category));
    }
    set.categories = std::move(categories);
    return true;
}

bool parsePlaneNames(std::string_view text, AnnotationSet& set)
{
    set.planeNames = {};
    LineReader reader(text);
    std::string_view line;
    for (int skip = 0; skip < 2; ++skip)
        if (!nextSideLine(reader, line))
            return false;
    std::array<AnnotationEntry, kPlaneNameCount> names;
    for (int i = 0; i < kPlaneNameCount; ++i) {
        if (!nextSideLine(reader, line))
            return false;
        names[static_cast<std::size_t>(i)].value = i;
        names[static_cast<std::size_t>(i)].text = annotationText(line);
    }
    set.planeNames = std::move(names);
    return true;
}

AnnotationSet loadAnnotations(const ProgramTable& table, const std::filesystem::path& folder, std::ostream& out)
{
    AnnotationSet set;
    std::string text;
    const std::string commentFile(table.commentFile);
    if (!readTextFile(findFileNoCase(folder, commentFile), text)) {
        printLine(out, "Unable to open " + commentFile + "!");
        printLine(out, "No Comments will be included");
        return set;
    }
    if (!parseCommentFile(text, set)) {
        printLine(out, "Errors in " + commentFile + "!");
        printLine(out, "No Comments will be included");
        return set;
    }
    set.commentsLoaded = true;

    if (!readTextFile(findFileNoCase(folder, "PNAMES.TXT"), text)) {
        printLine(out, "Unable to open PNAMES.TXT!");
        printLine(out, "No Plane Names will be included");
        return set;
    }
    if (!parsePlaneNames(text, set)) {
        printLine(out, "Errors in PNAMES.TXT!");
        printLine(out, "No Plane Names will be included");
        return set;
    }
    set.planeNamesLoaded = true;
    return set;
}

std::optional<std::string_view> commentFor(
    const AnnotationSet& set, const ProgramTable& table, std::int32_t value, int code)
{
    if (code < 0)
        return std::nullopt;
    if (code == table.highValueCode && value < table.highValueThreshold)
        return std::nullopt;
    if (code == table.planeNameCode) {
        if (!set.planeNamesLoaded)
            return std::nullopt;
        if (value == 255)
            return std::string_view("NONE");
        if (value >= 0 && value < kPlaneNameCount)
            return std::string_view(set.planeNames[static_cast<std::size_t>(value)].text);
        return std::nullopt;
    }
    if (!set.commentsLoaded || code >= table.categoryLimit)
        return std::nullopt;
    if (static_cast<std::size_t>(code) >= set.categories.size())
        return std::nullopt;
    for (const AnnotationEntry& entry : set.categories[static_cast<std::size_t>(code)].entries)
        if (entry.value == value)
            return std::string_view(entry.text);
    return std::nullopt;
}

} // namespace kvl::recordtext
