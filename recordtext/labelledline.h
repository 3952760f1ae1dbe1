// One field per line: "label<pad to W>value[<pad>; comment]".
//
// The writer pads the label to the section's width W, writes the value in
// decimal and, when the field's category code yields a text, a comment column
// whose "; " lines up for values of up to five digits. The reader finds the
// label (after an indentation of 0 or 2 spaces, or 4 in the squadron text),
// compares only its first character with the expected label, and reads at
// most five characters of value after the colon.
#pragma once

#include "recordtext/annotations.h"
#include "recordtext/programtable.h"

#include "common/textio.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace kvl::recordtext {

/// Longest line the reader looks at; the rest of a longer line is ignored.
constexpr std::size_t kMaxTextLine = 99;

/// The open text output of a text writer and its current label width W.
struct LabelledOutput {
    CrlfText& text;
    const AnnotationSet& notes;
    const ProgramTable& table;
    std::size_t width = 0;
};

/// Spaces between a value and the "; " of its comment column.
std::size_t commentPad(std::int32_t value);

/// Writes one field line. `label` is the whole label with its indentation and
/// colon; unsigned fields are passed widened, 32-bit fields signed.
void writeLabelledLine(LabelledOutput& out, std::string_view label, std::int32_t value, int code);

/// The open text input of a text parser. It stops at the end of the text:
/// once a field finds no line the input is `ended()` and every later read
/// leaves its field alone, so a short text can never be mistaken for a whole one.
class RecordTextInput {
public:
    RecordTextInput(std::string_view text, const ProgramTable& table, std::ostream& messages)
        : m_reader(text),
          m_table(table),
          m_messages(messages)
    {
    }

    /// The next line as the reader sees it (cut at a zero byte and to
    /// kMaxTextLine characters); false at the end of the text.
    bool nextLine(std::string_view& line);
    /// Reads and ignores up to `count` lines; running out here is not an error
    /// by itself (the next field read notices it).
    void skipLines(int count);

    /// The value of the next field line, or nothing when the label does not
    /// match (reported on the message stream) or the text has ended.
    std::optional<std::int32_t> readValue(std::string_view expected);

    bool ended() const { return m_ended; }
    /// Lines the text held when it ended, and the label then expected.
    std::size_t endLine() const { return m_endLine; }
    const std::string& endExpected() const { return m_endExpected; }
    std::size_t lineNumber() const { return m_reader.lineNumber(); }
    const ProgramTable& table() const { return m_table; }
    /// Records that the text ended where `expected` was still wanted.
    void markEnded(std::string_view expected);
    /// Stops the parse because the text is not this program's text at all;
    /// `why` says what gave it away.
    void markForeign(std::string_view why);
    /// True once markForeign() stopped the parse.
    bool foreign() const { return !m_foreign.empty(); }
    /// One line saying why the parse stopped; empty while it has not. The
    /// text is named `file`, or the program's text file name when not given.
    std::string stopReason(std::string_view file = {}) const;

    /// A field line whose label did not match, as reported on the message stream.
    struct Mismatch {
        std::size_t line; // 1-based
        std::string expected;
        std::string found;
    };
    const std::vector<Mismatch>& mismatches() const { return m_mismatches; }

    /// Where a field line was read: its line number (1-based) and the label
    /// expected there. Recorded only after recordReads() asked for it.
    struct FieldRead {
        std::size_t line;
        std::string expected;
    };
    void recordReads(std::vector<FieldRead>* reads) { m_reads = reads; }

private:
    LineReader m_reader;
    const ProgramTable& m_table;
    std::ostream& m_messages;
    bool m_ended = false;
    std::size_t m_endLine = 0;
    std::string m_endExpected;
    std::string m_foreign;
    std::vector<Mismatch> m_mismatches;
    std::vector<FieldRead>* m_reads = nullptr;
};

/// Reads one field into a field of 8, 16 or 32 bits; narrow fields keep the
/// low bits of the number read (300 -> 44, -1 -> 255 / 65535).
void readLabelledValue(RecordTextInput& in, std::string_view expected, std::uint8_t& field);
void readLabelledValue(RecordTextInput& in, std::string_view expected, std::uint16_t& field);
void readLabelledValue(RecordTextInput& in, std::string_view expected, std::int32_t& field);

} // namespace kvl::recordtext
