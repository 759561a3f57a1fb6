// A processing instance for tests, filled the way a host of the command
// interface fills it.
#pragma once

#include "dpi.h"

#include <gtest/gtest.h>

#include <vector>

namespace yarbex::test {

class DpiFixture : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(createDPI(&dpi), 0u); }
    void TearDown() override { destroyDPI(&dpi); }

    // Real (kind 3) or complex (kind 5, interleaved) data of n points.
    void setData(std::vector<float>& data, uint32_t n, uint32_t kind, uint32_t domain = DomainFrequency)
    {
        dpi->sizes[0] = n;
        for (int k = 1; k < 5; ++k)
            dpi->sizes[k] = 0;
        dpi->parameters->slot[InPoints].words.first = 0;
        dpi->parameters->slot[InKind].words.first = kind;
        dpi->parameters->slot[InDomain].words.second = domain;
        dpi->realData = data.data();
    }
    void setInt(uint32_t k, uint32_t v) { dpi->parameters->slot[InIntParams + k].words.second = v; }
    void setDouble(uint32_t k, double v) { dpi->parameters->slot[InDoubles + k].value = v; }
    DpiSlot& work(uint32_t k) { return dpi->results->slot[k]; }

    DPI* dpi = nullptr;
};

}  // namespace yarbex::test
