// Campaign file reader and writer: the campaign's field list walked over the
// byte image.
#include "campconv/campaignfile.h"

#include "recordtext/fieldwalkers.h"

namespace kvl::campconv {

Result<CampaignFile> readCampaignImage(ByteView image)
{
    if (image.size() < kCampaignFileSize)
        return Error { "Campaign file is too short (" + std::to_string(image.size()) + " bytes, "
            + std::to_string(kCampaignFileSize) + " needed)!" };
    CampaignFile file;
    ByteCursor cursor(image);
    recordtext::BinaryReader reader { cursor };
    recordtext::walk(reader, file, kCampaignLayout);
    if (!cursor.ok() || cursor.offset() != kCampaignFileSize)
        return Error { "Campaign file could not be read!" };
    return file;
}

std::vector<std::uint8_t> campaignImage(const CampaignFile& file)
{
    ByteWriter out(kCampaignFileSize);
    recordtext::BinaryWriter writer { out };
    recordtext::walk(writer, file, kCampaignLayout);
    return out.take();
}

const std::vector<recordtext::FieldPlace>& campaignFieldPlaces()
{
    static const std::vector<recordtext::FieldPlace> places = [] {
        std::vector<recordtext::FieldPlace> list;
        recordtext::PlaceRecorder recorder(list);
        const CampaignFile file;
        recordtext::walk(recorder, file, kCampaignLayout);
        return list;
    }();
    return places;
}

} // namespace kvl::campconv
