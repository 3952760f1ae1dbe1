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

    std::optional<recordtext::FieldPlace> fieldAt(std::size_t offset, std::size_t fileSize) const override
    {
        const std::size_t record = offset / kSquadronRecordSize;
        if (record >= fileSize / kSquadronRecordSize)
            return std::nullopt;
        const recordtext::FieldPlace* place = recordtext::placeAt(squadronFieldPlaces(), offset % kSquadronRecordSize);
        if (!place)
            return std::nullopt;
        recordtext::FieldPlace found = *place;
        found.offset += record * kSquadronRecordSize;
        const std::string title = "SQUADRON #" + std::to_string(record + 1);
        found.name = title + " / " + found.name;
        found.record = found.record.empty() ? title : title + " / " + found.record;
        return found;
    }
    std::string tailNotCarried(std::size_t fileSize) const override
    {
        const std::size_t count = fileSize / kSquadronRecordSize;
        if (count > kMaxTextSquadrons)
            return "the count line of the text carries at most " + std::to_string(kMaxTextSquadrons)
                + " squadrons (two digits), this file has " + std::to_string(count);
        return "the last " + std::to_string(fileSize % kSquadronRecordSize) + " bytes are not a whole "
            + std::to_string(kSquadronRecordSize) + "-byte squadron record";
    }

    std::size_t recordsEnd(std::size_t fileSize) const override { return fileSize - fileSize % kSquadronRecordSize; }
    std::size_t repeatedRecordSize() const override { return kSquadronRecordSize; }

    const SquadronFile& file() const { return m_file; }
    SquadronFile& file() { return m_file; }

private:
    SquadronFile m_file;
};

} // namespace kvl::squadconv
