// Test support for the record converters: their dialogue run in a temporary
// folder, texts split into lines, and random byte images.
#pragma once

#include "recordtext/commandline.h"
#include "recordtext/menu.h"

#include "common/fileimage.h"
#include "common/testing/testfolder.h"
#include "common/textio.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace kvl::test {

/// A fixture that runs one program's dialogue with `Converter` in `folder`.
template <class Converter>
class ConverterDialogue : public ::testing::Test {
protected:
    explicit ConverterDialogue(const recordtext::ProgramTable& table) : m_table(table) { }

    /// The console output of one run answering with `answers`.
    std::string run(const std::string& answers)
    {
        std::istringstream in(answers);
        std::ostringstream out;
        Converter converter;
        recordtext::runConverterMenu(m_table, converter, in, out, folder.path());
        return out.str();
    }
    /// The file's bytes; empty when it does not exist.
    std::vector<std::uint8_t> bytes(const std::string& name)
    {
        Result<std::vector<std::uint8_t>> image = readFileImage(folder / name);
        return image ? std::move(*image) : std::vector<std::uint8_t> {};
    }

    TempFolder folder;

private:
    const recordtext::ProgramTable& m_table;
};

/// What one command line printed and returned.
struct CommandLineRun {
    int status = -1;
    std::string out; // standard output
    std::string err; // standard error
};

/// Runs one command line of a program with `Converter` in-process, side
/// files looked up in `folder`, `input` as standard input.
template <class Converter>
CommandLineRun runCommandLine(const recordtext::ProgramTable& table, const std::vector<std::string>& arguments,
    const std::filesystem::path& folder, const std::string& input = {})
{
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    Converter converter;
    CommandLineRun run;
    run.status = recordtext::runCommandLine(table, converter, arguments, in, out, err, folder);
    run.out = out.str();
    run.err = err.str();
    return run;
}

/// The lines of a text, without their line ends.
inline std::vector<std::string> textLines(const std::string& text)
{
    std::vector<std::string> out;
    LineReader reader(text);
    std::string line;
    while (reader.next(line))
        out.push_back(line);
    return out;
}

/// `size` bytes of a fixed random pattern.
inline std::vector<std::uint8_t> randomImage(std::size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<std::uint8_t> bytes(size);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(random());
    return bytes;
}

} // namespace kvl::test
