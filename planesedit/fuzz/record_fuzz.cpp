// Feeds arbitrary planes.dat images to the record reader and the loaded bytes
// through the editor's rules (flags, number readings, gun group display), and
// the tail of the input as text through the number notation.
#include "planesedit/pelmoracore.h"
#include "planesedit/planesrecord.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

class SilentPrompts : public planesedit::EditorPrompts {
public:
    bool askSaveChanges() override { return false; }
    void showError(const std::string&, const std::string&) override { }
    bool confirm(const std::string&, const std::string&) override { return false; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace planesedit;
    kvl::ByteView image(data, size);
    for (int slot = -1; slot <= kSlotCount; ++slot) {
        AircraftRecord rec;
        if (readAircraftRecord(image, slot, rec) && rec.positions[0] != filePosition(slot, 1))
            __builtin_trap();
    }

    // Any 168 bytes as a record: the editor's display rules must hold up.
    std::string text(reinterpret_cast<const char*>(data), size);
    (void)Val(text);
    std::uint8_t byte = 0;
    (void)parseByteCell(text, byte);
    (void)decodeUtf8(text);
    (void)scriptNameLine(text);

    SilentPrompts prompts;
    PelmoraCore core("/nonexistent-planesedit-fuzz", prompts);
    AircraftRecord rec;
    rec.slot = static_cast<int>(size % kSlotCount);
    for (std::size_t i = 0; i < rec.values.size(); ++i)
        rec.values[i] = i < size ? data[i] : 0;
    core.loadRecord(rec);
    for (int g = 0; g <= kGunGroups + 1; ++g) {
        core.chooseGunGroup(g);
        core.typeChanged(text.substr(0, 8));
        core.ammoChanged(text.substr(0, 12));
    }
    for (int k = 0; k < 4; ++k)
        core.flagClicked(k, static_cast<int>(size % 9), (size & 1) != 0);
    core.numberChanged(static_cast<int>(size % kNumberFields), text);
    core.yearChanged(text);
    core.codeChanged(text);
    core.typeChanged(text);
    core.gridClicked(static_cast<int>(size % 200));
    core.byteEditorChanged(text);
    core.byteEditorEnter();
    (void)core.scriptText();
    (void)core.workingCopyText();
    return 0;
}
