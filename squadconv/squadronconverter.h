// The conversion object of squadconv: one SquadronFile and the four conversions.
#pragma once

#include "recordtext/menu.h"
#include "squadconv/squadronfile.h"
#include "squadconv/squadrontext.h"

namespace kvl::squadconv {

class SquadronConverter : public recordtext::RecordConverter {
public:
    Result<void> loadImage(const std::vector<std::uint8_t>& image) override
    {
        readSquadronImage(ByteView(image), m_file);
        return {};
    }
    std::vector<std::uint8_t> binaryImage() const override { return squadronImage(m_file); }
    std::string text(const recordtext::AnnotationSet& notes) const override { return squadronText(m_file, notes); }
    void parseText(recordtext::RecordTextInput& in) override { parseSquadronText(in, m_file); }

    const SquadronFile& file() const { return m_file; }
    SquadronFile& file() { return m_file; }

private:
    SquadronFile m_file;
};

} // namespace kvl::squadconv
