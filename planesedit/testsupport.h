// Tests only: planes.dat images built byte by byte for the planesedit tests,
// and what the editor asked its host.
#pragma once

#include "planesedit/planesrecord.h"

#include "common/testing/fakewindowhost.h"
#include "common/testing/testfolder.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace kvl::test {

/// A planes.dat of 30 slots whose every byte is distinct from its neighbours':
/// header 0xA0..0xA3, record bytes (3 s + i) % 200, tail bytes a pattern.
inline std::vector<std::uint8_t> makePlanesImage()
{
    std::vector<std::uint8_t> image { 0xA0, 0xA1, 0xA2, 0xA3 };
    for (int s = 0; s < planesedit::kSlotCount; ++s)
        for (int i = 0; i < planesedit::kRecordSize; ++i)
            image.push_back(
                static_cast<std::uint8_t>(i < planesedit::kRecordBytes ? (s * 3 + i) % 200 : 0xF0 ^ (i + s)));
    return image;
}

/// Puts `bytes` into record `slot` at record offset `offset`.
inline void poke(std::vector<std::uint8_t>& image, int slot, int offset, std::initializer_list<int> bytes)
{
    std::size_t at = static_cast<std::size_t>(planesedit::filePosition(slot, offset + 1) - 1);
    for (int b : bytes)
        image.at(at++) = static_cast<std::uint8_t>(b);
}

inline void writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<std::uint8_t> readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string readText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// How often the editor asked "Save the changes before closing ?".
inline int saveQuestions(const FakeWindowHost<>& host)
{
    return static_cast<int>(std::count_if(host.messages.begin(), host.messages.end(),
        [](const Message& m) { return m.text == "Save the changes before closing ?"; }));
}

/// The failures reported (warning boxes), as "title: text".
inline std::vector<std::string> errorsShown(const FakeWindowHost<>& host)
{
    std::vector<std::string> errors;
    for (const Message& m : host.messages)
        if (m.icon == MessageIcon::Warning)
            errors.push_back(m.title + ": " + m.text);
    return errors;
}

} // namespace kvl::test
