// Reading, comparing and writing the fields that one step of the history touched.
#include "fltpatch/flighthistory.h"
#include "common/platform.h"

#include "common/fileimage.h"
#include "fltpatch/fltfields.h"

#include <algorithm>
#include <cerrno>
#include <span>

namespace kvl::fltpatch {

namespace {

std::size_t offsetOf(int number)
{
    return static_cast<std::size_t>(field(number).position - 1);
}

std::size_t endOf(int number)
{
    return offsetOf(number) + static_cast<std::size_t>(fieldWidth(field(number).type));
}

} // namespace

Result<Bytes> readFields(const std::filesystem::path& path)
{
    auto image = readFileImage(path);
    if (!image)
        return image.error();
    if (image->size() < static_cast<std::size_t>(kFileSize))
        return Error { "\"" + kvl::platform::utf8FromPath(path) + "\" is now " + std::to_string(image->size())
                + " bytes long, shorter than a flight file",
            EINVAL };
    image->resize(kFileSize);
    return image;
}

Bytes withFields(Bytes base, const Bytes& source, const std::vector<int>& fields)
{
    for (int number : fields)
        std::copy(source.begin() + static_cast<std::ptrdiff_t>(offsetOf(number)),
            source.begin() + static_cast<std::ptrdiff_t>(endOf(number)),
            base.begin() + static_cast<std::ptrdiff_t>(offsetOf(number)));
    return base;
}

int firstDifferentField(const Bytes& a, const Bytes& b, const std::vector<int>& fields)
{
    for (int number : fields)
        if (!std::equal(a.begin() + static_cast<std::ptrdiff_t>(offsetOf(number)),
                a.begin() + static_cast<std::ptrdiff_t>(endOf(number)),
                b.begin() + static_cast<std::ptrdiff_t>(offsetOf(number))))
            return number;
    return 0;
}

std::vector<int> differentFields(const Bytes& a, const Bytes& b)
{
    std::vector<int> out;
    for (int number = 1; number <= kFieldCount; ++number)
        if (firstDifferentField(a, b, { number }) != 0)
            out.push_back(number);
    return out;
}

Result<void> writeFields(const std::filesystem::path& path, const Bytes& image, const std::vector<int>& fields)
{
    if (fields.empty())
        return {};
    const std::size_t begin = offsetOf(fields.front());
    const std::size_t end = endOf(fields.back());
    std::string error;
    std::span<const std::uint8_t> run(image.data() + begin, end - begin);
    if (!writeInPlace(path, begin, run, &error))
        return Error { error, EIO };
    return {};
}

} // namespace kvl::fltpatch
