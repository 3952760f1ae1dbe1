#include "modelview/vkmdoc.h"

#include "common/fileimage.h"

namespace kvl::modelview {

void CVKMStudioDoc::onNewDocument()
{
    m_model.reset();
    m_path.clear();
}

bool CVKMStudioDoc::onOpenDocument(const std::filesystem::path& path, const PointSizeRange& sizes)
{
    m_model.reset();
    m_path = path;

    std::vector<std::uint8_t> image;
    auto model = std::make_unique<CVKMModel>();
    if (!readFileImage(path, image) || !loadVKM(std::move(image), sizes, *model)) {
        m_prompts.error(kBadFileText, kBadFileCaption);
        return false;
    }
    m_model = std::move(model);
    return true;
}

bool CVKMStudioDoc::saveImageAs(const std::filesystem::path& path) const
{
    if (!m_model)
        return false;
    return writeFileAtomically(path, m_model->fileImage());
}

std::string CVKMStudioDoc::title() const
{
    if (m_path.empty())
        return kUntitled;
    return m_path.filename().string();
}

} // namespace kvl::modelview
