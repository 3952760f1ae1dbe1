// Campaign file reader and writer, field by field over the byte view.
#include "campconv/campaignfile.h"

namespace kvl {

namespace {

struct BinaryReader {
    ByteCursor& in;
    void field(std::string_view, std::uint8_t& v, int) { v = in.u8(); }
    void field(std::string_view, std::uint16_t& v, int) { v = in.u16(); }
    void field(std::string_view, std::int32_t& v, int) { v = in.i32(); }
};

struct BinaryWriter {
    ByteWriter& out;
    void field(std::string_view, std::uint8_t v, int) { out.u8(v); }
    void field(std::string_view, std::uint16_t v, int) { out.u16(v); }
    void field(std::string_view, std::int32_t v, int) { out.i32(v); }
};

} // namespace

bool readCampaignImage(ByteView image, CampaignFile& file, std::string* error)
{
    if (image.size() < CampaignFileSize) {
        if (error)
            *error = "Campaign file is too short (" + std::to_string(image.size()) + " bytes, "
                + std::to_string(CampaignFileSize) + " needed)!";
        return false;
    }
    CampaignFile loaded;
    ByteCursor cursor(image);
    BinaryReader reader { cursor };
    visitCampaign(reader, loaded);
    if (!cursor.ok() || cursor.offset() != CampaignFileSize) {
        if (error)
            *error = "Campaign file could not be read!";
        return false;
    }
    file = loaded;
    return true;
}

std::vector<std::uint8_t> campaignImage(const CampaignFile& file)
{
    ByteWriter out(CampaignFileSize);
    BinaryWriter writer { out };
    visitCampaign(writer, file);
    return out.take();
}

} // namespace kvl
