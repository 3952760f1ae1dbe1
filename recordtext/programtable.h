// The constants that make the shared record-text machinery into one of the two
// converters: side-file names, comment codes, the label rule of the reader and
// every text of the console dialogue.
#pragma once

#include "common/optiontable.h"

#include <cstdint>
#include <string_view>

namespace kvl::recordtext {

struct ProgramTable {
    // Side files and comment codes.
    std::string_view commentFile; // "CAMPAIGNDATA.TXT" / "SQUADRONDATA.TXT"
    int categoryLimit = 0;        // comment categories below this code are looked up
    int planeNameCode = 0;        // the code that asks for a plane name
    int highValueCode = 6;        // this code gets a comment only for large values
    std::int32_t highValueThreshold = 65500;

    // Label rule of the reader.
    bool fourSpaceIndent = false; // labels may also be indented by four spaces
    std::string_view anyLabel;    // an expected label that matches every line ("" = none)

    // The dialogue.
    std::string_view titleLine;
    std::string_view menuLine1;
    std::string_view menuLine2;
    std::string_view choice1Banner;
    std::string_view fileNamePrompt;
    std::string_view choice2Banner;
    std::string_view textFile;          // written by choice 1, read by choice 2
    std::string_view binaryFile;        // written by choice 2
    std::string_view openFailedMessage; // the binary reader's message for a file it cannot open

    // The command line.
    std::string_view programName;   // "campconv"
    std::string_view fileKind;      // "campaign files (CAMPxxxx.DAT)", for the help text
    std::string_view exampleBinary; // a typical binary file name, for the help examples
    std::string_view countLabel;    // what counts the records of a file that holds any number ("NUMBER OF SQUADRONS")
    const cli::ProgramOptions* commandLine = nullptr; // its options and commands (converteroptions.h)
};

} // namespace kvl::recordtext
