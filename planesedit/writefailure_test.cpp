// planes.dat written in place when the write fails: the folder missing,
// planes.dat replaced by a folder, a file size limit reached inside the
// record, a full file system while the record grows the file. Each failure
// must come back as an error and leave the folder as it was (the record's
// old bytes put back, a file that had to grow cut back, no file created).
#include "planesedit/planesrecord.h"
#include "planesedit/testsupport.h"

#include "common/fileimage.h"
#include "common/testing/testfolder.h"
#include "common/testing/writefailure.h"

#include <gtest/gtest.h>

#include <iostream>
#include <memory>

namespace {

using namespace kvl;
using namespace kvl::planesedit;
namespace fs = std::filesystem;

enum class Failure { FolderMissing, TargetIsFolder, FileSizeLimit, FullFileSystem };

TEST(PlanesWriteFailure, AFailedRecordWriteLeavesTheFolderAsItWas)
{
    const std::vector<std::uint8_t> image = test::makePlanesImage();
    struct Case {
        Failure failure;
        const char* name;
    };
    for (const Case c : { Case { Failure::FolderMissing, "folder missing" },
             Case { Failure::TargetIsFolder, "planes.dat is a folder" },
             Case { Failure::FileSizeLimit, "file size limit inside the record" },
             Case { Failure::FullFileSystem, "full file system, record past the end" } }) {
        SCOPED_TRACE(c.name);
        test::TempFolder temp;
        std::unique_ptr<test::SmallFileSystem> small;
        fs::path folder = temp.path();
        if (c.failure == Failure::FullFileSystem) {
            small = std::make_unique<test::SmallFileSystem>(64);
            if (!small->mounted()) {
                std::cout << "[  SKIPPED ] " << c.name << ": cannot mount a tmpfs here\n";
                continue;
            }
            folder = small->path();
        }
        // Far out for the full file system, so the file must grow by more
        // than the slack in its last page.
        const int slot = c.failure == Failure::FullFileSystem ? kSlotCount - 1 : 7;
        AircraftRecord record;
        record.slot = slot;
        for (int b = 1; b <= kRecordBytes; ++b) {
            record.positions[b - 1] = filePosition(slot, b);
            record.values[b - 1] = static_cast<std::uint8_t>(0xA5 ^ b);
        }
        fs::path target = folder;
        switch (c.failure) {
        case Failure::FolderMissing:
            target = folder / "missing";
            break;
        case Failure::TargetIsFolder:
            fs::create_directory(folder / "planes.dat");
            ASSERT_TRUE(writeFileImage(folder / "planes.dat" / "inside", std::span(image)));
            break;
        case Failure::FileSizeLimit:
            ASSERT_TRUE(writeFileImage(folder / "planes.dat", std::span(image)));
            break;
        case Failure::FullFileSystem:
            // The file ends after its header: the write has to grow it.
            ASSERT_TRUE(writeFileImage(folder / "planes.dat", std::span(image.data(), kHeaderSize)));
            small->fillLeaving(0);
            break;
        }
        const auto before = test::folderSnapshot(folder);
        bool reported = false;
        if (c.failure == Failure::FileSizeLimit) {
            // The limit falls in the middle of the record: the first half is
            // written, the second refused.
            const auto limit = filePosition(slot, kRecordBytes / 2);
            reported = test::runWithFileSizeLimit(
                           limit, [&] { return writeAircraftRecord(target, record.positions, record.values) ? 1 : 0; })
                == 0;
        } else {
            reported = !writeAircraftRecord(target, record.positions, record.values);
        }
        EXPECT_TRUE(reported);
        EXPECT_EQ(test::folderSnapshot(folder), before);
        EXPECT_FALSE(fs::exists(folder / "missing"));
    }
}

} // namespace
