// The model summary in the dialogue's words and as JSON.
#include "modelconv/summary.h"

#include "common/textdecode.h"
#include "modelconv/vkm.h"

namespace kvl::modelconv {

std::string formatSummary(const Model3DB& model)
{
    return "- 3DB INFORMATION -\nTexture      = " + model.textureName() + "\nNum Inserts  = "
        + std::to_string(model.insertCount()) + "\nNum Nodes    = " + std::to_string(model.pointCount())
        + "\nNum Elements = " + std::to_string(model.elementCount()) + "\n\n";
}

std::optional<std::string> vkmRefusal(const Model3DB& model)
{
    // Point indices and sequence entries are single bytes in a VKM file.
    if (model.elementCount() > kVkmMaxElements)
        return "This 3DB contains more than 255 elements!";
    if (model.pointCount() > kVkmMaxPoints)
        return "This 3DB contains more than 255 nodes!";
    // Within the count limits a model can still be one the VKM format cannot
    // hold as it is (offsets past 65535, records the viewer would misread).
    return vkmProblem(model);
}

std::string formatVkmWarnings(const std::optional<std::string>& refusal)
{
    if (!refusal)
        return {};
    return "WARNING: " + *refusal + "\nWARNING: " + kCannotCreateVkm + "\n";
}

std::string summaryJson(const std::string& file, const Model3DB& model)
{
    const std::optional<std::string> refusal = vkmRefusal(model);
    return "{\"file\":" + jsonString(file) + ",\"texture\":" + jsonString(model.textureName())
        + ",\"inserts\":" + std::to_string(model.insertCount()) + ",\"nodes\":" + std::to_string(model.pointCount())
        + ",\"tvns\":" + std::to_string(model.tvnCount()) + ",\"elements\":" + std::to_string(model.elementCount())
        + ",\"vkm\":" + (refusal ? "false" : "true") + ",\"vkmProblem\":" + (refusal ? jsonString(*refusal) : "null")
        + "}";
}

std::string errorJson(const std::string& file, const std::string& error)
{
    return "{\"file\":" + jsonString(file) + ",\"error\":" + jsonString(error) + "}";
}

} // namespace kvl::modelconv
