// Tests only: the campaign and squadron converters' writers under failure.
// Both programs write through the same dialogue and command line, so one set
// of cases serves both; each program supplies its sample file's name.
//
// Every case starts from a folder holding the samples, a previous output and,
// for the text-to-binary cases, the text to convert. A failed write must be
// reported (the dialogue's "Unable to create NAME!" line, the command line's
// exit status 1) and leave the folder exactly as it was: the previous output
// intact and no temporary file beside it.
#pragma once

#include "common/fileimage.h"
#include "common/testing/testfolder.h"
#include "common/testing/writefailure.h"
#include "recordtext/testing/convertertest.h"
#include "samplegen/samples.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace kvl::test {

/// How a case spoils the write.
enum class WriteFailure { TargetIsFolder, FolderMissing, FileSizeLimit, FullFileSystem };

inline const char* failureName(WriteFailure f)
{
    switch (f) {
    case WriteFailure::TargetIsFolder:
        return "target is a folder";
    case WriteFailure::FolderMissing:
        return "output folder missing";
    case WriteFailure::FileSizeLimit:
        return "file size limit";
    case WriteFailure::FullFileSystem:
        return "full file system";
    }
    return "?";
}

/// One writer: the dialogue or the command line, to text or to binary, or
/// the command line's merge.
enum class ConverterWriter { DialogueText, DialogueBinary, CommandLineText, CommandLineBinary, CommandLineMerge };

inline const char* writerName(ConverterWriter w)
{
    switch (w) {
    case ConverterWriter::DialogueText:
        return "dialogue to text";
    case ConverterWriter::DialogueBinary:
        return "dialogue to binary";
    case ConverterWriter::CommandLineText:
        return "command line to-text";
    case ConverterWriter::CommandLineBinary:
        return "command line to-binary";
    case ConverterWriter::CommandLineMerge:
        return "command line merge";
    }
    return "?";
}

/// Runs every writer under every failure that applies to it. `sample` is a
/// binary file the samples provide (CAMP0002.DAT, SQ0141.DAT).
template <class Converter>
void checkConverterWriteFailures(const recordtext::ProgramTable& table, const std::string& sample)
{
    namespace fs = std::filesystem;
    const std::string textFile(table.textFile);
    const std::string binaryFile(table.binaryFile);
    const std::string stem = sample.substr(0, sample.rfind('.'));
    const std::vector<std::uint8_t> previous { 'p', 'r', 'e', 'v', 'i', 'o', 'u', 's', '\r', '\n' };

    // The file each writer writes, relative to its folder.
    auto target = [&](ConverterWriter w, WriteFailure f) -> std::string {
        const std::string sub = f == WriteFailure::FolderMissing ? "missing/" : "";
        switch (w) {
        case ConverterWriter::DialogueText:
            return textFile;
        case ConverterWriter::DialogueBinary:
            return binaryFile;
        // A folder given to -o is where the output goes, named after the
        // input; so the folder that stands in the output's way is there.
        case ConverterWriter::CommandLineText:
            return f == WriteFailure::TargetIsFolder ? "out/" + stem + ".TXT" : sub + stem + ".out.txt";
        case ConverterWriter::CommandLineBinary:
            return f == WriteFailure::TargetIsFolder ? "out/" + textFile.substr(0, textFile.rfind('.')) + ".DAT"
                                                     : sub + stem + ".out.dat";
        // The merge writes the one file -o names (a folder there is refused).
        case ConverterWriter::CommandLineMerge:
            return sub + stem + ".merged.TXT";
        }
        return {};
    };
    // What the command line's -o names.
    auto outOption = [&](ConverterWriter w, WriteFailure f) {
        return f == WriteFailure::TargetIsFolder && w != ConverterWriter::CommandLineMerge ? std::string("out")
                                                                                           : target(w, f);
    };
    // Runs the writer in `folder`; true when it reported the failure.
    auto runWriter = [&](ConverterWriter w, const fs::path& folder, const std::string& out) {
        std::istringstream in;
        std::ostringstream console;
        std::ostringstream err;
        Converter converter;
        switch (w) {
        case ConverterWriter::DialogueText:
            in.str("1\n" + sample + "\n");
            recordtext::runConverterMenu(table, converter, in, console, folder);
            return console.str().find("Unable to create " + textFile + "!") != std::string::npos;
        case ConverterWriter::DialogueBinary:
            in.str("2\n");
            recordtext::runConverterMenu(table, converter, in, console, folder);
            return console.str().find("Unable to create " + binaryFile + "!") != std::string::npos;
        case ConverterWriter::CommandLineText:
            return recordtext::runCommandLine(table, converter,
                       { "--force", "to-text", "-o", (folder / out).string(), (folder / sample).string() }, in, console,
                       err, folder)
                == 1;
        case ConverterWriter::CommandLineBinary:
            return recordtext::runCommandLine(table, converter,
                       { "--force", "to-binary", "-o", (folder / out).string(), (folder / textFile).string() }, in,
                       console, err, folder)
                == 1;
        case ConverterWriter::CommandLineMerge:
            // Base and theirs the binary, mine its text: the text is written.
            return recordtext::runCommandLine(table, converter,
                       { "--force", "merge", "-o", (folder / out).string(), (folder / sample).string(),
                           (folder / textFile).string(), (folder / sample).string() },
                       in, console, err, folder)
                != 0;
        }
        return false;
    };
    // The samples, the text the binary writers read, and the previous output.
    auto prepare = [&](const fs::path& folder, ConverterWriter w, WriteFailure f) {
        if (!samples::writeCampaignSamples(folder))
            return false;
        std::istringstream in("1\n" + sample + "\n");
        std::ostringstream console;
        Converter converter;
        recordtext::runConverterMenu(table, converter, in, console, folder);
        const fs::path out = folder / target(w, f);
        if (f == WriteFailure::FolderMissing)
            return !fs::exists(out.parent_path());
        if (f == WriteFailure::TargetIsFolder) {
            fs::remove(out);
            fs::create_directories(out.parent_path());
            return fs::create_directory(out) && writeFileImage(out / "inside.txt", std::span(previous));
        }
        return static_cast<bool>(replaceFile(out, previous));
    };

    const std::vector<ConverterWriter> writers { ConverterWriter::DialogueText, ConverterWriter::DialogueBinary,
        ConverterWriter::CommandLineText, ConverterWriter::CommandLineBinary, ConverterWriter::CommandLineMerge };
    const std::vector<WriteFailure> failures { WriteFailure::TargetIsFolder, WriteFailure::FolderMissing,
        WriteFailure::FileSizeLimit, WriteFailure::FullFileSystem };
    for (const ConverterWriter w : writers) {
        for (const WriteFailure f : failures) {
            const bool dialogue = w == ConverterWriter::DialogueText || w == ConverterWriter::DialogueBinary;
            // The dialogue writes into the folder it runs in, which exists.
            if (dialogue && f == WriteFailure::FolderMissing)
                continue;
            SCOPED_TRACE(std::string(writerName(w)) + ", " + failureName(f));
            TempFolder temp;
            std::unique_ptr<SmallFileSystem> small;
            fs::path folder = temp.path();
            if (f == WriteFailure::FullFileSystem) {
                small = std::make_unique<SmallFileSystem>(2048);
                if (!small->mounted()) {
                    std::cout << "[  SKIPPED ] " << writerName(w)
                              << ", full file system: cannot mount a tmpfs here (needs CAP_SYS_ADMIN)\n";
                    continue;
                }
                folder = small->path();
            }
            ASSERT_TRUE(prepare(folder, w, f));
            if (small)
                small->fillLeaving(0);
            const auto before = folderSnapshot(folder);
            bool reported = false;
            if (f == WriteFailure::FileSizeLimit)
                // Big enough for nothing the writers write: the text runs to
                // tens of kilobytes, the binary to a few.
                reported = runWithFileSizeLimit(64, [&] { return runWriter(w, folder, outOption(w, f)) ? 0 : 1; }) == 0;
            else
                reported = runWriter(w, folder, outOption(w, f));
            EXPECT_TRUE(reported);
            EXPECT_EQ(folderSnapshot(folder), before);
        }
    }
}

} // namespace kvl::test
