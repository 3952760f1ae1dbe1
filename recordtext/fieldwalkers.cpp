// The labelled-text walkers of a field list.
#include "recordtext/fieldwalkers.h"

#include <algorithm>

namespace kvl::recordtext {

void TextWriter::write(const FieldInfo& f, std::int32_t value)
{
    m_label.assign(f.flags & kAtMargin ? 0 : m_indent, ' ');
    f.label.appendTo(m_label, f.index);
    m_label.push_back(':');
    writeLabelledLine(m_out, m_label, value, f.code);
}

void TextWriter::beginRecord(const Label& title, std::size_t index, int)
{
    m_label.assign(m_indent, ' ');
    title.appendTo(m_label, index);
    m_out.text.line(m_label);
    m_indent += 2;
}

void TextWriter::endRecord(int blankLines)
{
    m_indent -= 2;
    for (int i = 0; i < blankLines; ++i)
        m_out.text.endLine();
}

void TextWriter::beginSection(const SectionLayout& layout)
{
    m_out.width = layout.width;
    m_out.text.line(layout.heading);
    m_out.text.line(std::string(layout.heading.size(), '='));
}

void TextWriter::endSection(const SectionLayout& layout)
{
    for (int i = 0; i < layout.blankLinesAfter; ++i)
        m_out.text.endLine();
}

std::string_view TextParser::expected(const FieldInfo& f)
{
    const std::string_view anyLabel = m_in.table().anyLabel;
    if ((f.flags & kAnyLabel) && !anyLabel.empty())
        return anyLabel;
    m_label.clear();
    f.label.appendTo(m_label, f.index);
    return m_label;
}

void PlaceRecorder::push(std::string_view part)
{
    m_marks.push_back(m_path.size());
    if (!m_path.empty())
        m_path.append(" / ");
    m_path.append(part);
}

void PlaceRecorder::pop()
{
    m_path.resize(m_marks.back());
    m_marks.pop_back();
}

void PlaceRecorder::beginRecord(const Label& title, std::size_t index, int)
{
    std::string text;
    title.appendTo(text, index);
    push(text);
}

void PlaceRecorder::add(const FieldInfo& f, std::size_t size, bool isSigned)
{
    FieldPlace place { m_offset, size, isSigned, m_path };
    if (!place.name.empty())
        place.name.append(" / ");
    f.label.appendTo(place.name, f.index);
    m_offset += size;
    // Elements of an array that all carry the same label ("Target Type") are
    // told apart by their position; the walk gives them in order, so the
    // count is known once the run of equal names ends.
    m_places.push_back(std::move(place));
    if (f.label.names.empty() && f.label.firstNumber < 0 && f.index > 0) {
        const std::size_t n = f.index + 1;
        for (std::size_t k = 0; k < n; ++k) {
            FieldPlace& p = m_places[m_places.size() - n + k];
            const std::size_t bracket = p.name.find(" [");
            p.name.resize(bracket == std::string::npos ? p.name.size() : bracket);
            p.name += " [" + std::to_string(k + 1) + " of " + std::to_string(n) + "]";
        }
    }
}

const FieldPlace* placeAt(const std::vector<FieldPlace>& places, std::size_t offset)
{
    auto it = std::upper_bound(
        places.begin(), places.end(), offset, [](std::size_t at, const FieldPlace& p) { return at < p.offset; });
    if (it == places.begin())
        return nullptr;
    --it;
    return offset < it->offset + it->size ? &*it : nullptr;
}

} // namespace kvl::recordtext
