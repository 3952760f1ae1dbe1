// CR LF text output and line input that reads CR LF and LF files alike.
#include "common/textio.h"

#include "common/fileimage.h"

#include <vector>

namespace kvl {

bool CrlfText::writeTo(const std::filesystem::path& path) const
{
    return writeFileImage(path, std::string_view(m_text));
}

bool LineReader::next(std::string_view& line)
{
    if (m_pos >= m_text.size())
        return false;
    std::size_t end = m_text.find('\n', m_pos);
    std::size_t next = end == std::string_view::npos ? m_text.size() : end + 1;
    if (end == std::string_view::npos)
        end = m_text.size();
    else if (end > m_pos && m_text[end - 1] == '\r')
        --end;
    line = m_text.substr(m_pos, end - m_pos);
    m_pos = next;
    ++m_line;
    return true;
}

bool LineReader::next(std::string& line)
{
    std::string_view view;
    if (!next(view))
        return false;
    line.assign(view);
    return true;
}

bool getLineNoCr(std::istream& in, std::string& line)
{
    if (!std::getline(in, line))
        return false;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

bool readTextFile(const std::filesystem::path& path, std::string& out)
{
    std::vector<std::uint8_t> bytes;
    if (!readFileImage(path, bytes)) {
        out.clear();
        return false;
    }
    out.assign(bytes.begin(), bytes.end());
    return true;
}

} // namespace kvl
