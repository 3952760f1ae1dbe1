// CR LF text output and line input that reads CR LF and LF files alike.
#pragma once

#include <cstddef>
#include <filesystem>
#include <istream>
#include <string>
#include <string_view>

namespace kvl {

/// Builds a text whose lines end with CR LF, as the game's tools write them.
class CrlfText {
public:
    /// Appends text to the current line.
    CrlfText& put(std::string_view text)
    {
        m_text.append(text);
        return *this;
    }
    /// Ends the current line with CR LF.
    CrlfText& endLine()
    {
        m_text.append("\r\n");
        return *this;
    }
    /// Appends a whole line and its CR LF.
    CrlfText& line(std::string_view text) { return put(text).endLine(); }

    const std::string& str() const { return m_text; }
    std::string take() { return std::move(m_text); }
    void reserve(std::size_t n) { m_text.reserve(n); }

    /// Writes the text to a file, replacing it. False when it cannot be written.
    bool writeTo(const std::filesystem::path& path) const;

private:
    std::string m_text;
};

/// Splits a text into lines. A line ends at LF; a CR right before the LF
/// belongs to the line end. A last line without LF is still a line; a text
/// that ends with LF has no empty line after it.
class LineReader {
public:
    explicit LineReader(std::string_view text) : m_text(text) { }

    /// The next line into `line`; false at the end of the text.
    bool next(std::string& line);
    bool next(std::string_view& line);
    bool atEnd() const { return m_pos >= m_text.size(); }
    /// How many lines `next` has returned so far (the 1-based number of the last one).
    std::size_t lineNumber() const { return m_line; }
    /// Byte offset of the next line.
    std::size_t position() const { return m_pos; }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
    std::size_t m_line = 0;
};

/// std::getline that drops a CR before the LF. False at end of input with
/// nothing read.
bool getLineNoCr(std::istream& in, std::string& line);

/// Reads a whole text file. False when it cannot be opened or read.
bool readTextFile(const std::filesystem::path& path, std::string& out);

} // namespace kvl
