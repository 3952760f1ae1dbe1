// A .flt file written in place when the write fails: the folder missing, the
// file replaced by a folder, a file size limit reached half way through the
// fields. Each failure must come back as an error and leave the folder as it
// was (the old bytes put back). A full file system cannot stop this write:
// it overwrites bytes the file already has, which needs no new blocks.
#include "fltpatch/flighthistory.h"
#include "fltpatch/fltfields.h"

#include "common/fileimage.h"
#include "common/testing/testfolder.h"
#include "common/testing/writefailure.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {

using namespace kvl;
using namespace kvl::fltpatch;
namespace fs = std::filesystem;

enum class Failure { FolderMissing, TargetIsFolder, FileSizeLimit };

TEST(FltWriteFailure, AFailedFieldWriteLeavesTheFolderAsItWas)
{
    Bytes old(kFileSize);
    Bytes edited(kFileSize);
    for (int i = 0; i < kFileSize; ++i) {
        old[i] = static_cast<std::uint8_t>(i * 7);
        edited[i] = static_cast<std::uint8_t>(~old[i]);
    }
    std::vector<int> every(kFieldCount);
    std::iota(every.begin(), every.end(), 1);
    struct Case {
        Failure failure;
        const char* name;
    };
    for (const Case c :
        { Case { Failure::FolderMissing, "folder missing" }, Case { Failure::TargetIsFolder, "the file is a folder" },
            Case { Failure::FileSizeLimit, "file size limit half way" } }) {
        SCOPED_TRACE(c.name);
        test::TempFolder folder;
        fs::path target = folder / "MISSION.FLT";
        if (c.failure == Failure::FolderMissing)
            target = folder / "missing" / "MISSION.FLT";
        else if (c.failure == Failure::TargetIsFolder)
            ASSERT_TRUE(fs::create_directory(target) && writeFileImage(target / "inside", std::span(old)));
        else
            ASSERT_TRUE(writeFileImage(target, std::span(old)));
        const auto before = test::folderSnapshot(folder.path());
        bool reported = false;
        if (c.failure == Failure::FileSizeLimit)
            reported = test::runWithFileSizeLimit(kFileSize / 2, [&] {
                return writeFields(target, edited, every) ? 1 : 0;
            }) == 0;
        else
            reported = !writeFields(target, edited, every);
        EXPECT_TRUE(reported);
        EXPECT_EQ(test::folderSnapshot(folder.path()), before);
    }
}

} // namespace
