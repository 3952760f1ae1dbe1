// Round trips of one aircraft record through the files the editor writes:
// the working copy (" 5.oaw": one line per byte, bytes 1 to 168) and the
// script (the name line, the destination line, then bytes 2 to 168). Read back
// with the byte editor's own cell parser, every line gives the byte it was
// written from, for any 168 bytes. A script's first byte is its destination
// slot, not the record's, so a script carries bytes 2 to 168 only. The
// editor's own reader of both files gives back the same bytes, and a script's
// destination.
//
// One rule of the editor changes bytes on loading: in a flag byte whose two
// mutually exclusive bits are both set, the higher bit is cleared (only the
// lower box shows checked), and the files carry the byte as the editor shows it.
#include "planesedit/aircrafteditor.h"
#include "planesedit/planesrecord.h"
#include "planesedit/recordlayout.h"
#include "planesedit/valuesfile.h"

#include "common/testing/fakewindowhost.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::vector<std::string_view> crlfLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find("\r\n");
        if (end == std::string_view::npos)
            std::abort(); // every line ends in CR LF
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end + 2);
    }
    return lines;
}

// The reader gives back bytes `firstRow`..168 of the record.
void expectRead(kvl::planesedit::ValuesFileKind kind, std::string_view text, const kvl::planesedit::AircraftRecord& rec)
{
    using namespace kvl::planesedit;
    const auto file = readValuesFile(
        kind, kvl::ByteView(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), "roundtrip.oaw");
    if (!file) {
        std::fprintf(stderr, "%s\n", file.error().message.c_str());
        std::abort();
    }
    const int first = valuesFileLayout(kind).firstRow;
    if (file->bytes.size() != static_cast<std::size_t>(kRecordBytes - first + 1))
        std::abort();
    for (const ByteAssignment& a : file->bytes)
        if (a.value != rec.values[static_cast<std::size_t>(a.row - 1)])
            std::abort();
    if (kind == ValuesFileKind::Script && file->destination != rec.slot)
        std::abort();
}

// Line `first + k` holds byte `k + 1 + skip` of the record, for every byte from there on.
void expectBytes(const std::vector<std::string_view>& lines, std::size_t first, std::size_t skip,
    const kvl::planesedit::AircraftRecord& rec)
{
    if (lines.size() != first + rec.values.size() - skip)
        std::abort();
    for (std::size_t k = skip; k < rec.values.size(); ++k) {
        std::uint8_t back = 0;
        if (!kvl::planesedit::parseByteCell(lines[first + k - skip], back) || back != rec.values[k]) {
            std::fprintf(stderr, "byte %zu was %d, written as \"%.*s\"\n", k + 1, rec.values[k],
                static_cast<int>(lines[first + k - skip].size()), lines[first + k - skip].data());
            std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kvl::planesedit;
    kvl::test::FakeWindowHost<> host;
    host.answers.assign(16, kvl::MessageAnswer::Cancel);
    AircraftEditor editor("/nonexistent-planesedit-fuzz", host);
    AircraftRecord rec;
    rec.slot = static_cast<int>(size % kSlotCount);
    for (std::size_t i = 0; i < rec.values.size(); ++i)
        rec.values[i] = i < size ? data[i] : 0;
    editor.loadRecord(rec);
    for (int k = 0; k < kFlagGroups; ++k) {
        std::uint8_t& b = rec.values[static_cast<std::size_t>(flagRow(k) - 1)];
        const int high = exclusivePairLow(k) + 1;
        if ((b >> exclusivePairLow(k) & 1) && (b >> high & 1))
            b = static_cast<std::uint8_t>(b & ~(1 << high));
    }

    expectBytes(crlfLines(editor.workingCopyText()), 0, 0, rec);
    expectRead(ValuesFileKind::WorkingCopy, editor.workingCopyText(), rec);
    editor.openScriptMaker();
    expectBytes(crlfLines(editor.scriptMaker().scriptText()), 2, 1, rec);
    expectRead(ValuesFileKind::Script, editor.scriptMaker().scriptText(), rec);
    return 0;
}
