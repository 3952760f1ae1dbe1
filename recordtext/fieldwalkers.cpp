// The labelled-text walkers of a field list.
#include "recordtext/fieldwalkers.h"

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

} // namespace kvl::recordtext
