// Squadron file reader and writer, field by field over the byte view.
#include "squadconv/squadronfile.h"

namespace kvl {

namespace {

struct BinaryReader {
    ByteCursor& in;
    void field(std::string_view, std::uint8_t& v, int) { v = in.u8(); }
    void field(std::string_view, std::uint16_t& v, int) { v = in.u16(); }
    void anyField(std::size_t, std::uint8_t& v) { v = in.u8(); }
    void group(const std::string&) { }
    void endGroups() { }
};

struct BinaryWriter {
    ByteWriter& out;
    void field(std::string_view, std::uint8_t v, int) { out.u8(v); }
    void field(std::string_view, std::uint16_t v, int) { out.u16(v); }
    void anyField(std::size_t, std::uint8_t v) { out.u8(v); }
    void group(const std::string&) { }
    void endGroups() { }
};

} // namespace

void readSquadronImage(ByteView image, SquadronFile& file)
{
    const std::size_t count = image.size() / SquadronRecordSize;
    std::vector<SquadronRecord> records(count);
    ByteCursor cursor(image);
    BinaryReader reader { cursor };
    for (auto& record : records)
        visitSquadron(reader, record);
    // The cursor cannot run short: count whole records lie inside the image.
    file.squadrons = std::move(records);
}

std::vector<std::uint8_t> squadronImage(const SquadronFile& file)
{
    ByteWriter out(file.squadrons.size() * SquadronRecordSize);
    BinaryWriter writer { out };
    for (const auto& record : file.squadrons)
        visitSquadron(writer, record);
    return out.take();
}

} // namespace kvl
