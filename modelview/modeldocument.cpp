// The viewer's document: open, new and an exact copy for Save As.
#include "modelview/modeldocument.h"

#include "common/fileimage.h"

namespace kvl::modelview {

void ModelDocument::newDocument()
{
    m_model.reset();
    m_path.clear();
}

Result<void> ModelDocument::open(const std::filesystem::path& path, const PointSizeRange& sizes)
{
    m_model.reset();
    m_path = path;

    Result<std::vector<std::uint8_t>> image = readFileImage(path);
    Result<VkmModel> model = image ? loadVkm(std::move(*image), sizes) : Result<VkmModel>(image.error());
    if (!model) {
        m_host.showMessage({ MessageIcon::Critical, kBadFileCaption, kBadFileText });
        return model.error();
    }
    m_model = std::make_unique<VkmModel>(std::move(*model));
    return {};
}

std::filesystem::path ModelDocument::chooseFileToOpen()
{
    return m_host.chooseFile({ FileDialogKind::OpenFile, "Open", {}, kModelFilter, "OpenDialog" });
}

bool ModelDocument::saveAs()
{
    if (!m_model)
        return false;
    std::filesystem::path target = m_host.chooseFile({ FileDialogKind::SaveFile, "Save As", m_path, kModelFilter, {} });
    if (target.empty())
        return false;
    // As a save dialog with a default suffix does: a name without any dot
    // gets the model extension.
    if (target.filename().string().find('.') == std::string::npos)
        target += ".vkm";
    if (!saveImageAs(target)) {
        m_host.showMessage({ MessageIcon::Critical, kAppTitle, kWriteFailedText });
        return false;
    }
    return true;
}

bool ModelDocument::saveImageAs(const std::filesystem::path& path) const
{
    if (!m_model)
        return false;
    return writeFileAtomically(path, m_model->fileImage());
}

std::string ModelDocument::title() const
{
    if (m_path.empty())
        return kUntitled;
    return m_path.filename().string();
}

} // namespace kvl::modelview
