// The console answer reader of the converter dialogues.
//
// Each prompt reads one line. File names live in 12-character fields (an 8.3
// name such as CAMPxxxx.DAT fits exactly): a longer line gives its first 12
// characters and puts the input into a failed state, after which every prompt
// reads an empty answer. This is how the converters behave with piped answers.
#pragma once

#include <cstddef>
#include <istream>
#include <string>

namespace kvl {

class AnswerReader {
public:
    static constexpr std::size_t FieldWidth = 12;

    explicit AnswerReader(std::istream& in) : m_in(in) { }

    /// One answer of at most `width` characters (see above). Empty at end of
    /// input and once the input has failed. A CR before the line end is dropped.
    std::string answer(std::size_t width = FieldWidth);

    /// One whole line (for menu choices, which look at its first character
    /// only). Empty at end of input and once the input has failed.
    std::string line();

    bool failed() const { return m_failed; }

private:
    std::istream& m_in;
    bool m_failed = false;
};

/// A console program whose output is piped into a program that has ended
/// must not be killed by the broken pipe: its files are still written and
/// it ends with its own status. (Windows raises no such signal.)
void ignoreBrokenPipe();

} // namespace kvl
