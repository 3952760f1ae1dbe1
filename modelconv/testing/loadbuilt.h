// Tests only: a built model decoded, failing the current test when the
// reader refuses it.
#pragma once

#include <gtest/gtest.h>

#include "modelconv/model3db.h"
#include "modelconv/testing/builder3db.h"

namespace kvl::test {

using namespace kvl::modelconv;

inline Model3DB loadBuilt(const Builder3DB& b)
{
    auto m = decode3DB(b.build());
    if (!m) {
        ADD_FAILURE() << m.error().message;
        return Model3DB();
    }
    return std::move(m).value();
}

} // namespace kvl::test
