// Feeds arbitrary planes.dat images to the record reader and the loaded bytes
// through the editor's rules (flags, number fields, gun group panels, byte
// editor), and the input as text through the number notation.
#include "planesedit/aircrafteditor.h"
#include "planesedit/planesrecord.h"

#include "common/testing/fakewindowhost.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kvl::planesedit;
    kvl::ByteView image(data, size);
    for (int slot = -1; slot <= kSlotCount; ++slot) {
        auto rec = readAircraftRecord(image, slot);
        if (rec && rec->positions[0] != filePosition(slot, 1))
            __builtin_trap();
    }

    // Any 168 bytes as a record: the editor's display rules must hold up.
    std::string text(reinterpret_cast<const char*>(data), size);
    (void)Val(text);
    std::uint8_t byte = 0;
    (void)parseByteCell(text, byte);
    (void)decodeUtf8(text);
    (void)scriptNameLine(text);

    kvl::test::FakeWindowHost<> host;
    host.answers.assign(16, kvl::MessageAnswer::Cancel);
    AircraftEditor editor("/nonexistent-planesedit-fuzz", host);
    AircraftRecord rec;
    rec.slot = static_cast<int>(size % kSlotCount);
    for (std::size_t i = 0; i < rec.values.size(); ++i)
        rec.values[i] = i < size ? data[i] : 0;
    editor.loadRecord(rec);
    GunPanels& guns = editor.gunPanels();
    // One gun group (or a number past them) per input: every edit records an
    // undo step, and going through all of them each time took most of an
    // execution without reaching code the other inputs do not.
    const int group = static_cast<int>(size % (kGunGroups + 2));
    guns.show(group);
    guns.typeChanged(text.substr(0, 8));
    guns.ammunitionChanged(text.substr(0, 12));
    (void)guns.position();
    (void)guns.sound();
    (void)guns.smoke();
    for (int k = 0; k < kFlagGroups; ++k)
        editor.flagClicked(k, static_cast<int>(size % 9), (size & 1) != 0);
    const int field = static_cast<int>(size % kNumberFields);
    editor.numberChanged(field, text);
    (void)unitReading(field, Val(text));
    editor.yearChanged(text);
    editor.codeChanged(text);
    guns.typeChanged(text);
    editor.gridClicked(static_cast<int>(size % 200));
    editor.byteEditorChanged(text);
    editor.byteEditorEnter();
    (void)editor.scriptMaker().scriptText();
    (void)editor.workingCopyText();
    return 0;
}
