#pragma once

#include "io/Status.h"

#include <gtest/gtest.h>

// For EXPECT_TRUE / EXPECT_FALSE on a Status: a failure shows its reason.
inline ::testing::AssertionResult Succeeded(const Status& status)
{
    if (status)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << status.Reason();
}
