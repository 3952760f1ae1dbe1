// The modelconv console dialogue.
#include "modelconv/converter.h"

#include "common/console.h"
#include "common/fileimage.h"
#include "modelconv/model3db.h"
#include "modelconv/summary.h"
#include "modelconv/textdump.h"
#include "modelconv/vkm.h"

#include <string>

namespace kvl::modelconv {

int runModelConverter(std::istream& in, std::ostream& out, const std::filesystem::path& folder)
{
    AnswerReader answers(in);

    out << "3DB to VKM converter\n" << kCreditLine << "\n\n" << std::flush;

    out << "Enter 3DB file to convert: " << std::flush;
    const std::string modelName = answers.answer();

    out << "Loading..." << std::flush;
    auto loaded = load3DB(findFileNoCase(folder, modelName));
    if (!loaded) {
        // Unreadable and malformed files end the program alike: one line, no output.
        out << loaded.error().message << '\n' << std::flush;
        return 0;
    }
    const Model3DB& model = *loaded;
    out << "Done\n\n";

    out << formatSummary(model) << std::flush;

    // The VKM limits: point indices and sequence entries are single bytes,
    // and a model the format cannot hold as it is is refused rather than
    // written as a file that reads back wrong.
    const std::optional<std::string> refusal = vkmRefusal(model);
    const bool mayWriteVKM = !refusal;
    std::string vkmName;
    if (mayWriteVKM) {
        out << "Enter VKM file to output (Enter for none): " << std::flush;
        vkmName = answers.answer();
    } else {
        out << formatVkmWarnings(refusal) << std::flush;
    }

    out << "Enter TXT file to output (Enter for none): " << std::flush;
    const std::string textName = answers.answer();

    if (mayWriteVKM && !vkmName.empty()) {
        out << "\nWriting VKM File..." << std::flush;
        // Like the model, an existing output file is found whatever its letter
        // case, so that it is replaced rather than joined by a second copy.
        const bool written = writeVKM(convertToVKM(model), findFileNoCase(folder, vkmName));
        out << (written ? "Done\n" : "FAILED!\n") << std::flush;
    }

    if (!textName.empty()) {
        out << "\nWriting TXT File..." << std::flush;
        const bool written = writeTextDump(model, findFileNoCase(folder, textName));
        out << (written ? "Done\n" : "FAILED!\n") << std::flush;
    }
    return 0;
}

} // namespace kvl::modelconv
