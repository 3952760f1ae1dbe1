// Reference forms of the text dump's fields and records, written with the C
// library's formatted output: an independent check of the dump's own fast
// field writers.
#pragma once

#include "modelconv/testing/recordlists.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace kvl::test {

using namespace kvl::modelconv;

/// "%+.6e" with the exponent widened to three digits; infinities and NaNs
/// as "%+14e" writes them ("          +inf", "          -nan").
inline std::string referenceFloat(float v)
{
    char buf[64];
    if (!std::isfinite(v)) {
        std::snprintf(buf, sizeof buf, "%+14e", static_cast<double>(v));
        return buf;
    }
    std::snprintf(buf, sizeof buf, "%+.6e", static_cast<double>(v));
    std::string s(buf);
    const std::size_t e = s.find('e');
    std::string digits = s.substr(e + 2);
    while (digits.size() < 3)
        digits.insert(digits.begin(), '0');
    return s.substr(0, e + 2) + digits;
}

/// "%*lld", or "%+*lld" when `plus`.
inline std::string referenceInt(long long v, int width, bool plus = false)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, plus ? "%+*lld" : "%*lld", width, v);
    return buf;
}

/// One record by the dump's record rule: nothing for an empty element; the
/// prefix for codes 131 to 199; then the fields of its type.
inline std::string referenceRecord(const RecordLists3DB& r)
{
    if (r.isEmptyElement())
        return "";
    std::string s;
    if (r.prefixCode > 130 && r.prefixCode < 200)
        s += referenceInt(r.prefixCode, 4) + referenceInt(r.prefixValue, 4);
    switch (r.type) {
    case 1:
        return s + "   1" + referenceInt(r.attribute1, 4) + referenceInt(r.index(0), 6) + referenceInt(r.index(1), 6);
    case 2:
        return s + "   2" + referenceInt(r.attribute1, 4) + referenceInt(r.index(0), 6);
    case 3:
        s += "   3" + referenceInt(r.count, 4) + referenceInt(r.attribute1, 4);
        for (std::size_t j = 0; j < r.count; ++j)
            s += referenceInt(r.index(j), 6);
        return s;
    case 4:
        s += "   4" + referenceInt(r.count, 4);
        for (std::size_t j = 0; j < r.count; ++j)
            s += referenceInt(r.index(j), 6) + referenceInt(r.second(j), 4);
        return s;
    default:
        s += referenceInt(r.type, 4) + referenceInt(r.count, 4) + referenceInt(r.attribute1, 4)
            + referenceInt(r.attribute2, 4);
        for (std::size_t j = 0; j < r.count; ++j)
            s += referenceInt(r.index(j), 6) + " " + referenceFloat(r.s(j)) + " " + referenceFloat(r.t(j)) + " ";
        return s;
    }
}

} // namespace kvl::test
