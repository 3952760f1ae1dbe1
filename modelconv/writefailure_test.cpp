// modelconv's writers when the write fails: the VKM file and the text dump,
// as the dialogue writes them and as the command line does. Each failure
// must be reported (false from the writer, exit status 1 from the command
// line) and leave the folder as it was: the previous output intact and no
// temporary file beside it.
#include "modelconv/commandline.h"
#include "modelconv/model3db.h"
#include "modelconv/textdump.h"
#include "modelconv/vkm.h"

#include "common/fileimage.h"
#include "common/testing/testfolder.h"
#include "common/testing/writefailure.h"
#include "samplegen/samples.h"

#include <gtest/gtest.h>

#include <iostream>
#include <memory>
#include <sstream>

namespace {

using namespace kvl;
using namespace kvl::modelconv;
namespace fs = std::filesystem;

enum class Failure { TargetIsFolder, FolderMissing, FileSizeLimit, FullFileSystem };
enum class Writer { DialogueVkm, DialogueText, CommandLineVkm, CommandLineText };

const char* name(Failure f)
{
    switch (f) {
    case Failure::TargetIsFolder:
        return "target is a folder";
    case Failure::FolderMissing:
        return "output folder missing";
    case Failure::FileSizeLimit:
        return "file size limit";
    case Failure::FullFileSystem:
        return "full file system";
    }
    return "?";
}

const char* name(Writer w)
{
    switch (w) {
    case Writer::DialogueVkm:
        return "VKM writer";
    case Writer::DialogueText:
        return "text dump writer";
    case Writer::CommandLineVkm:
        return "command line --vkm";
    case Writer::CommandLineText:
        return "command line --text";
    }
    return "?";
}

// The output's name relative to the folder; the command line names it after
// the model, in the -o folder.
std::string outputName(Writer w, Failure f)
{
    const std::string sub = f == Failure::FolderMissing ? "missing/" : "";
    const bool vkm = w == Writer::DialogueVkm || w == Writer::CommandLineVkm;
    return sub + (vkm ? "FIGHTER.VKM" : "FIGHTER.TXT");
}

// Runs the writer; true when it reported the failure.
bool runWriter(Writer w, const fs::path& folder, Failure f)
{
    const fs::path out = folder / outputName(w, f);
    if (w == Writer::DialogueVkm || w == Writer::DialogueText) {
        const auto model = load3DB(folder / "FIGHTER.3DB");
        if (!model)
            return false;
        return w == Writer::DialogueVkm ? !writeVKM(convertToVKM(*model), out) : !writeTextDump(*model, out);
    }
    std::ostringstream sink;
    std::ostringstream err;
    const std::vector<std::string> args { "--force", w == Writer::CommandLineVkm ? "--vkm" : "--text", "-o",
        out.parent_path().string(), (folder / "FIGHTER.3DB").string() };
    return runCommandLine(args, sink, err) == 1 && !err.str().empty();
}

TEST(ModelconvWriteFailure, EveryWriterReportsAndLeavesTheFolderAsItWas)
{
    const std::vector<std::uint8_t> previous { 'o', 'l', 'd' };
    for (const Writer w :
        { Writer::DialogueVkm, Writer::DialogueText, Writer::CommandLineVkm, Writer::CommandLineText })
        for (const Failure f :
            { Failure::TargetIsFolder, Failure::FolderMissing, Failure::FileSizeLimit, Failure::FullFileSystem }) {
            SCOPED_TRACE(std::string(name(w)) + ", " + name(f));
            test::TempFolder temp;
            std::unique_ptr<test::SmallFileSystem> small;
            fs::path folder = temp.path();
            if (f == Failure::FullFileSystem) {
                small = std::make_unique<test::SmallFileSystem>(256);
                if (!small->mounted()) {
                    std::cout << "[  SKIPPED ] " << name(w) << ", full file system: cannot mount a tmpfs here\n";
                    continue;
                }
                folder = small->path();
            }
            ASSERT_TRUE(samples::writeModelSamples(folder));
            const fs::path out = folder / outputName(w, f);
            if (f == Failure::TargetIsFolder) {
                fs::create_directory(out);
                ASSERT_TRUE(writeFileImage(out / "inside", std::span(previous)));
            } else if (f != Failure::FolderMissing) {
                ASSERT_TRUE(writeFileImage(out, std::span(previous)));
            }
            if (small)
                small->fillLeaving(0);
            const auto before = test::folderSnapshot(folder);
            bool reported = false;
            if (f == Failure::FileSizeLimit)
                // Smaller than the fighter's VKM file and its text dump.
                reported = test::runWithFileSizeLimit(64, [&] { return runWriter(w, folder, f) ? 0 : 1; }) == 0;
            else
                reported = runWriter(w, folder, f);
            EXPECT_TRUE(reported);
            EXPECT_EQ(test::folderSnapshot(folder), before);
        }
}

} // namespace
