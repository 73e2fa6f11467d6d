// Device queries, callback registration and the last-error slot before any canvas exists.
#include "platform.h"

#include <gtest/gtest.h>

namespace {

void noOp() {}

TEST(DeviceInfo, CanvasQueriesAreZeroBeforeACanvasExists)
{
    goGetLastErrorCode();
    EXPECT_EQ(goGetDeviceInfo(GO_INFO_WIDTH), 0);
    EXPECT_EQ(goGetDeviceInfo(GO_INFO_HEIGHT), 0);
    EXPECT_EQ(goGetDeviceInfo(GO_INFO_WINDOW), 0);
    EXPECT_EQ(goGetDeviceInfo(GO_INFO_PIXELS), 0);
    EXPECT_EQ(goGetLastErrorCode(), 0);
}

TEST(DeviceInfo, UnknownIdsGiveMinusOneAndBadId)
{
    for (int id : {0x5204, 0x51FF, 0x5213, 0x520F, 0, -1}) {
        goGetLastErrorCode();
        EXPECT_EQ(goGetDeviceInfo(id), -1) << id;
        EXPECT_EQ(goGetLastErrorCode(), GO_ERROR_BAD_ID) << id;
        EXPECT_EQ(goGetLastErrorCode(), 0) << "reading clears the code";
    }
}

TEST(FunctionEntry, NullFunctionIsRejectedBeforeTheId)
{
    goGetLastErrorCode();
    goSetFunctionEntry(GO_ENTRY_PAINT, 0);
    EXPECT_EQ(goGetLastErrorCode(), GO_ERROR_NULL_FUNCTION);
    EXPECT_EQ(goGetLastErrorCode(), 0);
    goSetFunctionEntry(0x510A, 0);
    EXPECT_EQ(goGetLastErrorCode(), GO_ERROR_NULL_FUNCTION);
}

TEST(FunctionEntry, UnknownIdIsRejectedAndKnownIdsAreAccepted)
{
    goGetLastErrorCode();
    goSetFunctionEntry(0x510A, reinterpret_cast<intptr_t>(&noOp));
    EXPECT_EQ(goGetLastErrorCode(), GO_ERROR_BAD_ID);
    goSetFunctionEntry(0x50FF, reinterpret_cast<intptr_t>(&noOp));
    EXPECT_EQ(goGetLastErrorCode(), GO_ERROR_BAD_ID);
    for (int id = GO_ENTRY_IDLE; id <= GO_ENTRY_RIGHT_BUTTON; ++id) {
        goSetFunctionEntry(id, reinterpret_cast<intptr_t>(&noOp));
        EXPECT_EQ(goGetLastErrorCode(), 0) << id;
    }
}

} // namespace
