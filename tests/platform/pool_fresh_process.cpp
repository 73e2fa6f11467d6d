// Pool statistics before any pool exists: a binary of its own, so no other test has made a pool yet.
#include "platform.h"

#include <gtest/gtest.h>

namespace {

TEST(MemoryPoolBeforeCreation, StatisticsReportNoPool)
{
    EXPECT_EQ(goGetDeviceInfo(GO_INFO_POOL_SIZE), 0);
    EXPECT_EQ(goGetDeviceInfo(GO_INFO_POOL_FREE), -1);
    EXPECT_EQ(goGetDeviceInfo(GO_INFO_POOL_USED), -1);
    goGetLastErrorCode();
    EXPECT_EQ(goMalloc(4, 0), nullptr);
    EXPECT_EQ(goGetLastErrorCode(), GO_ERROR_NO_MEMORY);
}

} // namespace
