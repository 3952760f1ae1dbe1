// planes.dat written in place when the write fails: the folder missing,
// planes.dat replaced by a folder, a file size limit reached inside the
// record, a full file system while the record grows the file. Each failure
// must come back as an error and leave the folder as it was (the record's
// old bytes put back, a file that had to grow cut back, no file created).
// Then the working copy (" 0.oaw") and the script folder ("P-") under the
// same failures: an error shown, the previous files as they were.
#include "planesedit/aircrafteditor.h"
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
    for (const Case c :
        { Case { Failure::FolderMissing, "folder missing" }, Case { Failure::TargetIsFolder, "planes.dat is a folder" },
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
            reported = test::runWithFileSizeLimit(limit, [&] {
                return writeAircraftRecord(target, record.positions, record.values) ? 1 : 0;
            }) == 0;
        } else {
            reported = !writeAircraftRecord(target, record.positions, record.values);
        }
        EXPECT_TRUE(reported);
        EXPECT_EQ(test::folderSnapshot(folder), before);
        EXPECT_FALSE(fs::exists(folder / "missing"));
    }
}

enum class FileFailure { TargetIsFolder, FileSizeLimit, FullFileSystem };

// The working copy and the script, written through the editor. `writeCopy`
// picks the working copy (else the script in "P-"); true when the editor
// showed an error.
bool writeThroughEditor(const fs::path& folder, bool writeCopy)
{
    test::FakeWindowHost<> host;
    AircraftEditor editor { folder, host };
    if (!editor.chooseAircraft(0))
        return false;
    if (writeCopy) {
        editor.yearChanged("1950");
        host.answers.push_back(MessageAnswer::Ok);
        editor.chooseAircraft(5); // the save prompt writes " 0.oaw"
    } else {
        editor.openScriptMaker();
        editor.scriptMaker().setScriptName("P51-D");
        editor.scriptMaker().save();
    }
    return !test::errorsShown(host).empty();
}

TEST(PlanesWriteFailure, WorkingCopyAndScriptFailuresAreShownAndLeaveTheOldFiles)
{
    const std::vector<std::uint8_t> image = test::makePlanesImage();
    const std::vector<std::uint8_t> previous { 'o', 'l', 'd', '\r', '\n' };
    for (const bool copy : { true, false })
        for (const FileFailure f :
            { FileFailure::TargetIsFolder, FileFailure::FileSizeLimit, FileFailure::FullFileSystem }) {
            SCOPED_TRACE(std::string(copy ? "working copy" : "script") + ", failure " + std::to_string(int(f)));
            test::TempFolder temp;
            std::unique_ptr<test::SmallFileSystem> small;
            fs::path folder = temp.path();
            if (f == FileFailure::FullFileSystem) {
                small = std::make_unique<test::SmallFileSystem>(64);
                if (!small->mounted()) {
                    std::cout << "[  SKIPPED ] full file system: cannot mount a tmpfs here\n";
                    continue;
                }
                folder = small->path();
            }
            ASSERT_TRUE(writeFileImage(folder / "planes.dat", std::span(image)));
            const fs::path target = copy ? folder / " 0.oaw" : folder / "P-" / "P51-D.oaw";
            fs::create_directories(target.parent_path());
            if (f == FileFailure::TargetIsFolder) {
                fs::create_directory(target);
                ASSERT_TRUE(writeFileImage(target / "inside", std::span(previous)));
            } else {
                ASSERT_TRUE(writeFileImage(target, std::span(previous)));
            }
            if (small)
                small->fillLeaving(0);
            const auto before = test::folderSnapshot(folder);
            bool reported = false;
            if (f == FileFailure::FileSizeLimit)
                reported = test::runWithFileSizeLimit(4, [&] { return writeThroughEditor(folder, copy) ? 0 : 1; }) == 0;
            else
                reported = writeThroughEditor(folder, copy);
            EXPECT_TRUE(reported);
            EXPECT_EQ(test::folderSnapshot(folder), before);
        }
}

} // namespace
