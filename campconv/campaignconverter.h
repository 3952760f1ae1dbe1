// The conversion object of campconv: one CampaignFile and the four conversions.
#pragma once

#include "campconv/campaignfile.h"
#include "campconv/campaigntext.h"
#include "recordtext/menu.h"

namespace kvl {

class CampaignConverter : public RecordConverter {
public:
    bool loadImage(const std::vector<std::uint8_t>& image, std::string& error) override
    {
        return readCampaignImage(ByteView(image), m_file, &error);
    }
    std::vector<std::uint8_t> binaryImage() const override { return campaignImage(m_file); }
    std::string text(const AnnotationSet& notes) const override { return campaignText(m_file, notes); }
    void parseText(RecordTextInput& in) override
    {
        m_file = CampaignFile {};
        parseCampaignText(in, m_file);
    }

    const CampaignFile& file() const { return m_file; }
    CampaignFile& file() { return m_file; }

private:
    CampaignFile m_file;
};

} // namespace kvl
