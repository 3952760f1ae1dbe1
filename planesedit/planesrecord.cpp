// Reading and writing one aircraft record of planes.dat, the number notation and the code tables.
#include "planesedit/planesrecord.h"

#include "common/platform.h"
#include "common/textdecode.h"

#include "common/fileimage.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <fstream>
#include <optional>
#include <system_error>

namespace kvl::planesedit {

const std::array<const char*, kSlotCount> kSlotNames = {
    "P-38H",
    "P-38J",
    "P-47C",
    "P-47D",
    "P-51B",
    "P51-D",
    "B-17F",
    "B-24D",
    "B-26B",
    "Hurricane",
    "Spit Ia",
    "Spit IX",
    "Spit 14",
    "Typhoon",
    "Tempest",
    "Mosquito",
    "Bf 109E",
    "Bf 109G",
    "Bf 109K",
    "Bf 110C",
    "Bf 110G",
    "Me-410",
    "Fw 190A",
    "Fw 190D",
    "Me 262",
    "Ju-88A",
    "Ju-88C",
    "Ju-87 Stuka",
    "He-111",
    "V1 Doodlebug",
};

const std::array<const char*, 14> kPositionLabels = {
    "None",
    "Wing",
    "Nose",
    "Tail",
    "Top Turret",
    "Rear cabin",
    "Top",
    "Ventral Rear",
    "Ventral Front",
    "Ball Turret",
    "Left Waist",
    "Right waist",
    "Nose (flexible)",
    "Front Turret",
};

const std::array<int, 5> kTypeValues = { 0, 2, 4, 12, 24 };
const std::array<const char*, 5> kTypeLabels = {
    "None",
    "30 cal/7.9 mm MG",
    "50cal/13mm MG",
    "20 mm Cannon",
    "30mm Cannon",
};
const std::array<const char*, 4> kSoundLabels = {
    "30 cal/7.9 mm MG",
    "50cal/13mm MG",
    "20 mm Cannon",
    "30mm Cannon",
};

const std::array<std::array<const char*, 8>, 4> kFlagLabels = { {
    { "Fighter", "Bomber", "Flyable", "Jet", "Twin engined", "Four engined", "Rocket (V1)", "German" },
    { "British", "American", "Inline engine", "Not used", "Gear Back", "Gear Inwards", "Gear Outwards", "Nose wheel" },
    { "Counter rotating props", "Counter clockwise prop", "Gravity fed carburettor", "Not used", "Dive bomber",
        "Attack plane", "Turn fighter", "Energy fighter" },
    { "Defensive gun", "Multi crewed", "Combat flaps", "Automatic slats", "Light Armour", "Heavy armour", "", "" },
} };

std::optional<AircraftRecord> readAircraftRecord(kvl::ByteView image, int slot)
{
    if (slot < 0 || slot >= kSlotCount)
        return std::nullopt;
    const std::size_t first = static_cast<std::size_t>(filePosition(slot, 1) - 1);
    auto bytes = image.sub(first, kRecordBytes);
    if (!bytes)
        return std::nullopt;
    AircraftRecord rec;
    rec.slot = slot;
    for (int i = 0; i < kRecordBytes; ++i) {
        rec.positions[static_cast<std::size_t>(i)] = filePosition(slot, i + 1);
        rec.values[static_cast<std::size_t>(i)] = bytes->u8(static_cast<std::size_t>(i)).value_or(0);
    }
    return rec;
}

kvl::Result<AircraftRecord> readAircraftRecord(const std::filesystem::path& folder, int slot)
{
    if (slot < 0 || slot >= kSlotCount)
        return kvl::Error { "There is no aircraft slot " + std::to_string(slot) + "." };
    const auto path = kvl::findFileNoCase(folder, kPlanesFile);
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return kvl::Error { "planes.dat was not found in the folder " + kvl::platform::utf8FromPath(folder) + ".",
            ENOENT };
    const auto image = kvl::readFileImage(path);
    if (!image)
        return kvl::Error { "planes.dat could not be read: " + image.error().message, image.error().code };
    auto rec = readAircraftRecord(kvl::ByteView(*image), slot);
    if (!rec)
        return kvl::Error { "planes.dat holds " + std::to_string(image->size()) + " bytes, too few for slot "
            + std::to_string(slot) + " (" + kSlotNames[static_cast<std::size_t>(slot)] + "), which needs "
            + std::to_string(filePosition(slot, kRecordBytes)) + "." };
    return *rec;
}

namespace {

// Puts back what a failed write may have changed: the old bytes at the
// record's positions and the old length (a missing file is removed again).
void restorePlanesFile(const std::filesystem::path& path, const std::optional<std::vector<std::uint8_t>>& old,
    const std::array<std::uint64_t, kRecordBytes>& positions)
{
    std::error_code ec;
    if (!old) {
        std::filesystem::remove(path, ec);
        return;
    }
    {
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        for (auto p : positions) {
            if (p > old->size())
                continue;
            file.seekp(static_cast<std::streamoff>(p - 1));
            file.put(static_cast<char>((*old)[p - 1]));
        }
    }
    std::filesystem::resize_file(path, old->size(), ec);
}

} // namespace

kvl::Result<void> writeAircraftRecord(const std::filesystem::path& folder,
    const std::array<std::uint64_t, kRecordBytes>& positions, const std::array<std::uint8_t, kRecordBytes>& values)
{
    for (auto p : positions) {
        if (p < 1 || p > (std::uint64_t(1) << 40))
            return kvl::Error { "A byte position of the record is not valid." };
    }
    const auto path = kvl::findFileNoCase(folder, kPlanesFile);
    // The old contents, to undo a write that fails half way.
    std::optional<std::vector<std::uint8_t>> old;
    if (auto image = kvl::readFileImage(path))
        old = std::move(*image);
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    if (!file.is_open()) {
        std::error_code ec;
        if (std::filesystem::exists(path, ec))
            return kvl::Error { "planes.dat could not be opened for writing." };
        // A missing file is created; the bytes before the record read as zeros.
        std::ofstream create(path, std::ios::out | std::ios::binary);
        create.close();
        file.open(path, std::ios::in | std::ios::out | std::ios::binary);
        if (!file.is_open())
            return kvl::Error { "planes.dat could not be created." };
    }
    auto failed = [&](const std::string& why) {
        file.close();
        restorePlanesFile(path, old, positions);
        return kvl::Error { why };
    };
    std::size_t i = 0;
    while (i < positions.size()) {
        // One run of consecutive positions goes out in one write.
        std::size_t j = i + 1;
        while (j < positions.size() && positions[j] == positions[j - 1] + 1)
            ++j;
        file.seekp(static_cast<std::streamoff>(positions[i] - 1));
        file.write(reinterpret_cast<const char*>(values.data() + i), static_cast<std::streamsize>(j - i));
        if (!file)
            return failed("planes.dat could not be written.");
        i = j;
    }
    file.flush();
    file.close();
    if (file.fail())
        return failed("planes.dat could not be written completely.");
    // Read back: what the file now holds at every position must be what was written.
    const auto back = kvl::readFileImage(path);
    for (std::size_t k = 0; k < positions.size(); ++k) {
        if (!back || positions[k] > back->size() || (*back)[positions[k] - 1] != values[k])
            return failed(
                "planes.dat does not read back what was written at byte " + std::to_string(positions[k]) + ".");
    }
    return {};
}

double Int(double x)
{
    return std::floor(x);
}

std::string decimalText(double x)
{
    if (std::isnan(x))
        return "NaN";
    if (std::isinf(x))
        return x > 0 ? "Inf" : "-Inf";
    if (x == 0)
        return "0"; // also for -0
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::general, 15);
    return std::string(buf, res.ptr);
}

std::string Str(double x)
{
    std::string t = decimalText(x);
    if (t.empty() || t.front() != '-')
        t.insert(t.begin(), ' ');
    return t;
}

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Length of the number at the start of `t` (sign, digits, fraction, exponent);
// 0 when there is none. The value goes to `value`.
std::size_t scanNumber(std::string_view t, double& value)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        negative = t[i] == '-';
        ++i;
    }
    const std::size_t mantissa = i;
    std::size_t digits = 0;
    while (i < t.size() && isDigit(t[i])) {
        ++i;
        ++digits;
    }
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && isDigit(t[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0;
    std::size_t end = i;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        std::size_t k = i + 1;
        if (k < t.size() && (t[k] == '+' || t[k] == '-'))
            ++k;
        if (k < t.size() && isDigit(t[k])) {
            while (k < t.size() && isDigit(t[k]))
                ++k;
            end = k;
        }
    }
    std::string_view body = t.substr(mantissa, end - mantissa);
    double v = 0;
    auto res = std::from_chars(body.data(), body.data() + body.size(), v, std::chars_format::general);
    if (res.ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: the nearest representable end.
        // Which end follows from the decimal power of the first significant
        // digit plus the exponent ("0.000...1" and "1e-999" are tiny,
        // "1000...0e-5" with enough digits is huge).
        long long power = 0;
        bool found = false;
        long long intDigits = 0;
        std::size_t k = 0;
        while (k < body.size() && isDigit(body[k]))
            ++k, ++intDigits;
        for (std::size_t d = 0; d < static_cast<std::size_t>(intDigits) && !found; ++d)
            if (body[d] != '0') {
                power = intDigits - 1 - static_cast<long long>(d);
                found = true;
            }
        if (!found && k < body.size() && body[k] == '.') {
            for (std::size_t d = k + 1; d < body.size() && isDigit(body[d]) && !found; ++d)
                if (body[d] != '0') {
                    power = -static_cast<long long>(d - k);
                    found = true;
                }
        }
        long long exponent = 0;
        const std::size_t e = body.find_first_of("eE");
        if (e != std::string_view::npos) {
            std::size_t d = e + 1;
            const bool negExp = d < body.size() && body[d] == '-';
            if (d < body.size() && (body[d] == '+' || body[d] == '-'))
                ++d;
            for (; d < body.size() && isDigit(body[d]); ++d)
                exponent = std::min<long long>(exponent * 10 + (body[d] - '0'), 1'000'000'000);
            if (negExp)
                exponent = -exponent;
        }
        v = (!found || power + exponent < 0) ? 0.0 : HUGE_VAL;
    } else if (res.ec != std::errc()) {
        return 0;
    }
    value = negative ? -v : v;
    return end;
}

} // namespace

double Val(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    double v = 0;
    if (scanNumber(text.substr(i), v) == 0)
        return 0;
    return v;
}

bool parseByteCell(std::string_view text, std::uint8_t& out)
{
    std::size_t a = 0, b = text.size();
    while (a < b && isBlank(text[a]))
        ++a;
    while (b > a && isBlank(text[b - 1]))
        --b;
    std::string_view t = text.substr(a, b - a);
    double v = 0;
    if (t.empty() || scanNumber(t, v) != t.size() || !std::isfinite(v))
        return false;
    double r = std::nearbyint(v); // default rounding: to nearest, halves to even
    if (!(r >= 0 && r <= 255))
        return false;
    out = static_cast<std::uint8_t>(r);
    return true;
}

std::array<double, 4> split32(double v)
{
    const double b3 = Int(v / 16777216.0);
    v -= b3 * 16777216.0;
    const double b2 = Int(v / 65536.0);
    v -= b2 * 65536.0;
    const double b1 = Int(v / 256.0);
    const double b0 = v - 256.0 * b1;
    return { b0, b1, b2, b3 };
}

std::array<double, 2> split16(double v)
{
    const double high = Int(v / 256.0);
    return { v - 256.0 * high, high };
}

std::u32string decodeUtf8(std::string_view s)
{
    std::u32string out;
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        int extra = 0;
        char32_t cp = 0;
        if (c < 0x80) {
            cp = c;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            cp = c & 0x07;
        } else {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        if (i + static_cast<std::size_t>(extra) >= s.size() && extra > 0) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            const auto d = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((d & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (d & 0x3F);
        }
        if (!ok) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        out.push_back(cp);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

std::string encodeUtf8(std::u32string_view text)
{
    std::string out;
    for (const char32_t cp : text)
        appendUtf8(out, cp);
    return out;
}

std::string toSingleByte(std::u32string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char32_t cp : text)
        out.push_back(cp <= 0xFF ? static_cast<char>(static_cast<unsigned char>(cp)) : '?');
    return out;
}

std::string charFromByte(std::uint8_t byte)
{
    return encodeUtf8(std::u32string(1, static_cast<char32_t>(byte)));
}

} // namespace kvl::planesedit
