// The small text files of the campaign set tree.
#include "folioswap/settree.h"

#include "common/textio.h"

namespace kvl::folioswap {

std::string formatLastCampaign(std::string_view name)
{
    std::string text;
    text.reserve(name.size() + 4);
    text += '"';
    text += name;
    text += "\"\r\n";
    return text;
}

std::optional<std::string> parseLastCampaign(std::string_view text)
{
    kvl::LineReader reader(text);
    std::string_view line;
    std::optional<std::string_view> last;
    while (reader.next(line))
        last = line;
    if (!last || last->size() < 2)
        return std::nullopt;
    return std::string(last->substr(1, last->size() - 2));
}

std::string commentText(std::string_view fileText)
{
    kvl::CrlfText out;
    out.reserve(fileText.size() + fileText.size() / 16 + 2);
    kvl::LineReader reader(fileText);
    std::string_view line;
    while (reader.next(line))
        out.line(line);
    return out.take();
}

std::vector<RestoreEntry> parseRestoreList(std::string_view text)
{
    std::vector<RestoreEntry> entries;
    kvl::LineReader reader(text);
    std::string_view line;
    while (reader.next(line)) {
        if (!line.empty())
            entries.push_back({ reader.lineNumber(), std::string(line) });
    }
    return entries;
}

bool isSafeRestoreName(std::string_view name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    for (char c : name) {
        if (c == '/' || c == '\\' || c == ':' || c == '\0')
            return false;
    }
    return true;
}

std::optional<std::string> setNameFromEntry(std::string_view entry)
{
    if (entry.size() < 3 || entry.substr(0, 3) != "CAM")
        return std::nullopt;
    // A name with a line feed cannot be kept on the one line of
    // LastCampaign.txt: loading it would leave a file that names another set.
    if (entry.find('\n') != std::string_view::npos)
        return std::nullopt;
    return std::string(entry.substr(3));
}

} // namespace kvl::folioswap
