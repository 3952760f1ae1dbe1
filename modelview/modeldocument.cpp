// The viewer's document: open, new and an exact copy for Save As.
#include "modelview/modeldocument.h"

#include "common/fileimage.h"
#include "common/platform.h"
#include "modelconv/model3db.h"
#include "modelconv/vkm.h"

#include <cctype>
#include <cstring>

namespace kvl::modelview {

namespace {

// The VKM image modelconv would write for a .3DB image, and why it could
// not write it (the converter's own checks: the count limits, then what the
// format cannot hold). A model over the limits is converted all the same so
// that it can be looked at.
struct Converted {
    std::vector<std::uint8_t> image;
    std::optional<std::string> problem;
};

Result<Converted> convert3db(std::vector<std::uint8_t> image)
{
    auto decoded = modelconv::decode3DB(std::move(image));
    if (!decoded)
        return decoded.error();
    const modelconv::Model3DB& model = *decoded;
    Converted c;
    if (model.elementCount() > modelconv::kVkmMaxElements)
        c.problem = "it has " + std::to_string(model.elementCount()) + " elements, more than the 255 a VKM file holds";
    else if (model.pointCount() > modelconv::kVkmMaxPoints)
        c.problem = "it has " + std::to_string(model.pointCount()) + " nodes, more than the 255 a VKM file holds";
    else
        c.problem = modelconv::vkmProblem(model);
    c.image = modelconv::vkmBytes(modelconv::convertToVKM(model));
    return c;
}

} // namespace

bool is3dbFile(const std::filesystem::path& path)
{
    std::string ext = kvl::platform::utf8FromPath(path.extension());
    for (char& ch : ext)
        ch = char(std::tolower(static_cast<unsigned char>(ch)));
    return ext == ".3db";
}

void ModelDocument::clear()
{
    m_model.reset();
    m_path.clear();
    m_saveProblem.reset();
    m_converted = false;
}

void ModelDocument::newDocument()
{
    const ChangeNotifier::Operation scope(m_changes);
    clear();
}

Result<void> ModelDocument::open(const std::filesystem::path& path, const PointSizeRange& sizes)
{
    const ChangeNotifier::Operation scope(m_changes);
    const std::filesystem::path opened = path; // `path` may be pathName() itself
    // The message comes first: behind it the window still shows the model
    // it showed before; then the document is the refused file's, empty.
    auto fail = [this, &opened](const std::string& text, Error error) -> Result<void> {
        m_host.showMessage({ MessageIcon::Critical, kBadFileCaption, text });
        clear();
        m_path = opened;
        return error;
    };

    Result<std::vector<std::uint8_t>> image = readFileImage(path);
    if (!image) {
        const Error& e = image.error();
        const std::string reason = e.code > 0 ? kvl::platform::errorText(e.code) : e.message;
        return fail("Cannot open " + kvl::platform::utf8FromPath(path) + ": " + reason, e);
    }
    if (is3dbFile(path)) {
        Result<Converted> converted = convert3db(std::move(*image));
        if (!converted)
            return fail(kvl::platform::utf8FromPath(path) + " is not a valid 3DB model: " + converted.error().message,
                converted.error());
        Result<VkmModel> model = loadVkm(std::move(converted->image), sizes);
        if (!model)
            return fail(
                kvl::platform::utf8FromPath(path) + " cannot be shown: " + model.error().message, model.error());
        clear();
        m_path = opened;
        m_model = std::make_unique<VkmModel>(std::move(*model));
        m_saveProblem = std::move(converted->problem);
        m_converted = true;
        return {};
    }
    Result<VkmModel> model = loadVkm(std::move(*image), sizes);
    if (!model)
        return fail(kBadFileText, model.error());
    clear();
    m_path = opened;
    m_model = std::make_unique<VkmModel>(std::move(*model));
    return {};
}

std::filesystem::path ModelDocument::chooseFileToOpen()
{
    return m_lastFolder.choose(m_host, { FileDialogKind::OpenFile, "Open", {}, kOpenFilter, "OpenDialog" });
}

bool ModelDocument::saveAs()
{
    if (!m_model)
        return false;
    if (m_saveProblem) {
        m_host.showMessage(
            { MessageIcon::Critical, kAppTitle, "This model cannot be saved as a VKM file: " + *m_saveProblem });
        return false;
    }
    std::filesystem::path start = m_path;
    if (m_converted)
        start.replace_extension(".vkm");
    std::filesystem::path target = m_lastFolder.choose(
        m_host, { FileDialogKind::SaveFile, "Save As", start, kModelFilter, {} });
    if (target.empty())
        return false;
    // As a save dialog with a default suffix does: a name without any dot
    // gets the model extension.
    if (kvl::platform::utf8FromPath(target.filename()).find('.') == std::string::npos)
        target += ".vkm";
    if (!saveImageAs(target)) {
        m_host.showMessage({ MessageIcon::Critical, kAppTitle, kWriteFailedText });
        return false;
    }
    return true;
}

bool ModelDocument::saveImageAs(const std::filesystem::path& path) const
{
    if (!m_model || m_saveProblem)
        return false;
    return writeFileAtomically(path, m_model->fileImage());
}

std::string ModelDocument::title() const
{
    if (m_path.empty())
        return kUntitled;
    return kvl::platform::utf8FromPath(m_path.filename());
}

} // namespace kvl::modelview
