// The conversion object of campconv: one CampaignFile and the four conversions.
#pragma once

#include "campconv/campaignfile.h"
#include "campconv/campaigntext.h"
#include "recordtext/menu.h"

#include <algorithm>

namespace kvl::campconv {

class CampaignConverter : public recordtext::RecordConverter {
public:
    Result<void> loadImage(const std::vector<std::uint8_t>& image) override
    {
        Result<CampaignFile> read = readCampaignImage(ByteView(image));
        if (!read)
            return read.error();
        m_file = *read;
        return {};
    }
    std::vector<std::uint8_t> binaryImage() const override { return campaignImage(m_file); }
    std::string text(const recordtext::AnnotationSet& notes) const override { return campaignText(m_file, notes); }
    void parseText(recordtext::RecordTextInput& in) override
    {
        m_file = CampaignFile {};
        parseCampaignText(in, m_file);
    }

    std::optional<recordtext::FieldPlace> fieldAt(std::size_t offset, std::size_t) const override
    {
        const recordtext::FieldPlace* place = recordtext::placeAt(campaignFieldPlaces(), offset);
        return place ? std::optional(*place) : std::nullopt;
    }
    std::string tailNotCarried(std::size_t) const override
    {
        return "the text carries the first " + std::to_string(kCampaignFileSize) + " bytes of a campaign file only";
    }

    std::size_t recordsEnd(std::size_t fileSize) const override { return std::min(fileSize, kCampaignFileSize); }
    std::size_t repeatedRecordSize() const override { return 0; }

    const CampaignFile& file() const { return m_file; }
    CampaignFile& file() { return m_file; }

private:
    CampaignFile m_file;
};

} // namespace kvl::campconv
