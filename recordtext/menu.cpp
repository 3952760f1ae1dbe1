// The converter dialogue.
#include "recordtext/menu.h"

#include "common/console.h"
#include "common/fileimage.h"
#include "common/textio.h"

namespace kvl::recordtext {

namespace {

void printLine(std::ostream& out, std::string_view text)
{
    out << text << '\n' << std::flush;
}

void print(std::ostream& out, std::string_view text)
{
    out << text << std::flush;
}

void binaryToText(const ProgramTable& table, RecordConverter& converter, const AnnotationSet& notes,
    AnswerReader& answers, std::ostream& out, const std::filesystem::path& folder)
{
    printLine(out, table.choice1Banner);
    print(out, table.fileNamePrompt);
    const std::string name = answers.answer();
    print(out, "Loading...");
    const Result<std::vector<std::uint8_t>> image = name.empty()
        ? Result<std::vector<std::uint8_t>>(Error { "no file name" })
        : readFileImage(findFileNoCase(folder, name));
    if (!image) {
        printLine(out, table.openFailedMessage);
        printLine(out, "FAILED!");
        return;
    }
    if (const Result<void> loaded = converter.loadImage(*image); !loaded) {
        printLine(out, loaded.error().message);
        printLine(out, "FAILED!");
        return;
    }
    printLine(out, "LOADED");
    print(out, "Converting...");
    const std::string text = converter.text(notes);
    if (!writeFileAtomically(folder / std::string(table.textFile), std::string_view(text))) {
        printLine(out, "Unable to create " + std::string(table.textFile) + "!");
        printLine(out, "FAILED!");
        return;
    }
    printLine(out, "CONVERTED");
}

void textToBinary(
    const ProgramTable& table, RecordConverter& converter, std::ostream& out, const std::filesystem::path& folder)
{
    printLine(out, table.choice2Banner);
    print(out, "Loading...");
    std::string text;
    if (!readTextFile(findFileNoCase(folder, std::string(table.textFile)), text)) {
        printLine(out, "FAILED!");
        return;
    }
    RecordTextInput input(text, table, out);
    converter.parseText(input);
    if (input.ended()) {
        // Fields the text does not hold would silently become zeros: refuse.
        printLine(out, input.stopReason());
        printLine(out, "FAILED!");
        return;
    }
    printLine(out, "LOADED");
    print(out, "Converting...");
    const std::vector<std::uint8_t> image = converter.binaryImage();
    if (!writeFileAtomically(folder / std::string(table.binaryFile), image)) {
        printLine(out, "Unable to create " + std::string(table.binaryFile) + "!");
        printLine(out, "FAILED!");
        return;
    }
    printLine(out, "CONVERTED");
}

} // namespace

void runConverterMenu(const ProgramTable& table, RecordConverter& converter, std::istream& in, std::ostream& out,
    const std::filesystem::path& folder)
{
    printLine(out, "KORVAL");
    printLine(out, table.titleLine);
    printLine(out, "Game data <-> annotated text, for the KORVAL modding community");
    printLine(out, "");

    const AnnotationSet notes = loadAnnotations(table, folder, out);

    printLine(out, table.menuLine1);
    printLine(out, table.menuLine2);
    print(out, "Choice: ");

    AnswerReader answers(in);
    const std::string choice = answers.line();
    if (choice.empty())
        return;
    if (choice[0] == '1')
        binaryToText(table, converter, notes, answers, out, folder);
    else if (choice[0] == '2')
        textToBinary(table, converter, out, folder);
}

} // namespace kvl::recordtext
