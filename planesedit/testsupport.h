// Helpers shared by the planesedit tests: a scratch folder and planes.dat
// images built byte by byte.
#pragma once

#include "planesedit/pelmoracore.h"
#include "planesedit/planesrecord.h"

#include "common/testing/testfolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace planesedit::test {

using ScratchFolder = kvl::test::TempFolder;

/// A planes.dat of 30 slots whose every byte is distinct from its neighbours':
/// header 0xA0..0xA3, record bytes from `recordByte`, tail bytes a pattern.
inline std::vector<std::uint8_t> makePlanesImage()
{
    std::vector<std::uint8_t> image { 0xA0, 0xA1, 0xA2, 0xA3 };
    for (int s = 0; s < kSlotCount; ++s)
        for (int i = 0; i < kRecordSize; ++i)
            image.push_back(static_cast<std::uint8_t>(i < kRecordBytes ? (s * 3 + i) % 200 : 0xF0 ^ (i + s)));
    return image;
}

/// Puts `bytes` into record `slot` at record offset `offset`.
inline void poke(std::vector<std::uint8_t>& image, int slot, int offset, std::initializer_list<int> bytes)
{
    std::size_t at = static_cast<std::size_t>(filePosition(slot, offset + 1) - 1);
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

/// Records what the core asked and answers as told.
class FakePrompts : public EditorPrompts {
public:
    bool askSaveChanges() override
    {
        ++saveQuestions;
        return answerOk;
    }
    void showError(const std::string& title, const std::string& text) override
    {
        errors.push_back(title + ": " + text);
    }
    bool confirm(const std::string&, const std::string& text) override
    {
        confirmations.push_back(text);
        return answerYes;
    }

    bool answerOk = true;
    bool answerYes = true;
    int saveQuestions = 0;
    std::vector<std::string> errors;
    std::vector<std::string> confirmations;
};

} // namespace planesedit::test
