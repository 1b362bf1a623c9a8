#pragma once

// The one tolerance comparison of the numeric tests: |actual - expected| <=
// tolerance, with the values in the failure message.

#include <cmath>

#include <gtest/gtest.h>

inline testing::AssertionResult IsClose(const char* actualExpr, const char* expectedExpr,
                                        const char* /*toleranceExpr*/, double actual,
                                        double expected, double tolerance)
{
    if (std::fabs(actual - expected) <= tolerance)
        return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << actualExpr << " = " << actual << " differs from " << expectedExpr << " = " << expected
           << " by " << std::fabs(actual - expected) << " (tolerance " << tolerance << ")";
}

#define ExpectClose(actual, expected, tolerance) \
    EXPECT_PRED_FORMAT3(IsClose, actual, expected, tolerance)
