// Path objects through the API: creation checks, capabilities, appending data in every datatype,
// modifying coordinates, appending paths with datatype conversion, and coordinate rounding.
#include "egl_fixture.h"

#include "context/vg_context.h"
#include "path/path_object.h"

#include <cfloat>
#include <cstdint>
#include <limits>
#include <vector>

namespace tamarind::test {
namespace {

using PathTest = BoundContextTest;

PathObject &recordOf(VGPath path)
{
    return *isPath(*static_cast<VgContext *>(eglGetCurrentVGContext()), path);
}

VGPath makePath(VGPathDatatype datatype, float scale = 1.0f, float bias = 0.0f,
                VGbitfield capabilities = VG_PATH_CAPABILITY_ALL)
{
    return vgCreatePath(VG_PATH_FORMAT_STANDARD, datatype, scale, bias, 0, 0, capabilities);
}

std::vector<float> coordinatesOf(VGPath path)
{
    const PathObject &p = recordOf(path);
    std::vector<float> values;
    for (int32_t i = 0; i < coordinateCountOf(p); ++i)
        values.push_back(readCoordinate(p, i));
    return values;
}

TEST_F(PathTest, CreationChecksComeInOrder)
{
    EXPECT_EQ(vgCreatePath(1, static_cast<VGPathDatatype>(9), 1, 0, 0, 0, 0), VG_INVALID_HANDLE);
    EXPECT_EQ(vgGetError(), VG_UNSUPPORTED_PATH_FORMAT_ERROR) << "the format is checked first";
    EXPECT_EQ(makePath(static_cast<VGPathDatatype>(4)), VG_INVALID_HANDLE);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_EQ(makePath(static_cast<VGPathDatatype>(-1)), VG_INVALID_HANDLE);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_EQ(makePath(VG_PATH_DATATYPE_F, std::numeric_limits<float>::quiet_NaN()), VG_INVALID_HANDLE);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR) << "NaN scale sanitises to 0";
    EXPECT_EQ(makePath(VG_PATH_DATATYPE_F, 0.0f), VG_INVALID_HANDLE);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    VGPath path = vgCreatePath(VG_PATH_FORMAT_STANDARD, VG_PATH_DATATYPE_S_8, std::numeric_limits<float>::infinity(),
                               -std::numeric_limits<float>::infinity(), -5, 1 << 30, 0xFFFFFFFFu);
    ASSERT_NE(path, VG_INVALID_HANDLE);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR) << "negative and huge hints are not errors";
    EXPECT_EQ(vgGetPathCapabilities(path), 0xFFFu);
    EXPECT_EQ(recordOf(path).scale, FLT_MAX);
    EXPECT_EQ(recordOf(path).bias, -FLT_MAX);
    EXPECT_EQ(recordOf(path).flatteningScale, -1.0f);
}

TEST_F(PathTest, CapabilitiesOnlyShrinkUntilAClear)
{
    VGPath path = makePath(VG_PATH_DATATYPE_F);
    vgRemovePathCapabilities(path, VG_PATH_CAPABILITY_APPEND_TO | 0xF000u);
    EXPECT_EQ(vgGetPathCapabilities(path), 0xFFFu & ~static_cast<VGbitfield>(VG_PATH_CAPABILITY_APPEND_TO));
    EXPECT_EQ(vgGetError(), VG_NO_ERROR) << "undefined bits are ignored";
    const VGubyte move = VG_MOVE_TO_ABS;
    const float xy[2] = {1, 2};
    vgAppendPathData(path, 1, &move, xy);
    EXPECT_EQ(vgGetError(), VG_PATH_CAPABILITY_ERROR);
    vgClearPath(path, 0);
    EXPECT_EQ(vgGetPathCapabilities(path), 0u);
    vgModifyPathCoords(path, 0, 1, xy);
    EXPECT_EQ(vgGetError(), VG_PATH_CAPABILITY_ERROR);
    vgClearPath(path, VG_PATH_CAPABILITY_APPEND_TO);
    vgAppendPathData(path, 1, &move, xy);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    EXPECT_EQ(vgGetPathCapabilities(12345), 0u);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
}

TEST_F(PathTest, AppendChecksComeInOrderAndChangeNothing)
{
    VGPath path = makePath(VG_PATH_DATATYPE_S_32);
    const VGubyte segments[3] = {VG_MOVE_TO_ABS, VG_LINE_TO_REL, 0x1A}; // 0x1A carries command 13
    alignas(4) int32_t data[8] = {1, 2, 3, 4};
    vgAppendPathData(path, 3, segments, data);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_TRUE(recordOf(path).segments.empty()) << "nothing of a refused append is kept";
    vgAppendPathData(path, 0, segments, data);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    vgAppendPathData(path, 1, nullptr, data);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    vgAppendPathData(path, 1, segments, nullptr);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    vgAppendPathData(path, 1, segments, reinterpret_cast<uint8_t *>(data) + 2);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR) << "S_32 data must be 4-byte aligned";
    vgAppendPathData(12345, 1, segments, data);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);

    VGPath bytes = makePath(VG_PATH_DATATYPE_S_8);
    const int8_t small[5] = {1, 2, 3, 4, 5};
    vgAppendPathData(bytes, 2, segments, small + 1); // S_8 data needs no alignment
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    EXPECT_EQ(coordinatesOf(bytes), (std::vector<float>{2, 3, 4, 5}));
}

TEST_F(PathTest, SegmentBytesAreStoredAsGivenAndFloatsSanitised)
{
    VGPath path = makePath(VG_PATH_DATATYPE_F);
    const VGubyte segments[2] = {0x22, VG_LINE_TO_ABS}; // bit 5 set: still an absolute move
    const float data[4] = {1, std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN(), -2};
    vgAppendPathData(path, 2, segments, data);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    EXPECT_EQ(recordOf(path).segments, (std::vector<uint8_t>{0x22, VG_LINE_TO_ABS}));
    EXPECT_EQ(segmentCommand(0x22), 1);
    EXPECT_FALSE(segmentIsRelative(0x22));
    EXPECT_EQ(coordinatesOf(path), (std::vector<float>{1, FLT_MAX, 0, -2}));
}

TEST_F(PathTest, ScaleAndBiasApplyOnReadAndRoundOnWrite)
{
    VGPath path = makePath(VG_PATH_DATATYPE_S_8, 0.5f, 10.0f);
    const VGubyte segment = VG_MOVE_TO_ABS;
    const int8_t data[2] = {4, -128};
    vgAppendPathData(path, 1, &segment, data);
    EXPECT_EQ(coordinatesOf(path), (std::vector<float>{12.0f, -54.0f})); // 4 x 0.5 + 10, -128 x 0.5 + 10

    // (12.4 - 10) / 0.5 = 4.8, floor(4.8 + 0.5) = 5; (12.25 - 10) / 0.5 = 4.5 rounds half up to 5.
    uint8_t storage[4] = {};
    writeCoordinate(storage, 0, VG_PATH_DATATYPE_S_8, 0.5f, 10.0f, 12.4f);
    writeCoordinate(storage, 1, VG_PATH_DATATYPE_S_8, 0.5f, 10.0f, 12.25f);
    writeCoordinate(storage, 2, VG_PATH_DATATYPE_S_8, 1.0f, 0.0f, -2.5f); // floor(-2.0) = -2
    writeCoordinate(storage, 3, VG_PATH_DATATYPE_S_8, 1.0f, 0.0f, 1000.0f);
    EXPECT_EQ(static_cast<int8_t>(storage[0]), 5);
    EXPECT_EQ(static_cast<int8_t>(storage[1]), 5);
    EXPECT_EQ(static_cast<int8_t>(storage[2]), -2);
    EXPECT_EQ(static_cast<int8_t>(storage[3]), 127) << "out of range saturates";
    int16_t shorts[2] = {};
    writeCoordinate(reinterpret_cast<uint8_t *>(shorts), 0, VG_PATH_DATATYPE_S_16, 1.0f, 0.0f, -1e9f);
    writeCoordinate(reinterpret_cast<uint8_t *>(shorts), 1, VG_PATH_DATATYPE_S_16, 1.0f, 0.0f, 32767.4f);
    EXPECT_EQ(shorts[0], -32768);
    EXPECT_EQ(shorts[1], 32767);
    int32_t ints[1] = {};
    writeCoordinate(reinterpret_cast<uint8_t *>(ints), 0, VG_PATH_DATATYPE_S_32, 1.0f, 0.0f, 3e10f);
    EXPECT_EQ(ints[0], INT32_MAX);
}

TEST_F(PathTest, ModifyOverwritesOnlyTheCoordinatesOfTheRange)
{
    VGPath path = makePath(VG_PATH_DATATYPE_F);
    const VGubyte segments[4] = {VG_MOVE_TO_ABS, VG_CLOSE_PATH, VG_LINE_TO_ABS, VG_HLINE_TO_ABS};
    const float data[5] = {1, 2, 3, 4, 5};
    vgAppendPathData(path, 4, segments, data);
    const float replacement[3] = {30, 40, 50};
    vgModifyPathCoords(path, 1, 3, replacement); // the close takes none, line 2, hline 1
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    EXPECT_EQ(coordinatesOf(path), (std::vector<float>{1, 2, 30, 40, 50}));
    EXPECT_EQ(recordOf(path).segments[2], VG_LINE_TO_ABS) << "commands never change";

    recordOf(path).vertices.push_back(FlatVertex{}); // pretend a flattened form is cached
    vgModifyPathCoords(path, 1, 1, replacement);     // a close only: nothing happens
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    EXPECT_EQ(recordOf(path).vertices.size(), 1u) << "the cached form survives";
    vgModifyPathCoords(path, 0, 1, replacement);
    EXPECT_TRUE(recordOf(path).vertices.empty()) << "a real change discards it";

    for (const auto &range : {std::pair{-1, 1}, std::pair{0, 0}, std::pair{3, 2}, std::pair{1, 2147483647}}) {
        vgModifyPathCoords(path, range.first, range.second, replacement);
        EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR) << range.first << "," << range.second;
    }
    vgModifyPathCoords(path, 0, 1, nullptr);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
}

TEST_F(PathTest, AppendPathConvertsIntoTheDestinationDatatype)
{
    VGPath src = makePath(VG_PATH_DATATYPE_F);
    const VGubyte segments[2] = {VG_MOVE_TO_ABS, VG_LINE_TO_REL};
    const float data[4] = {1.5f, -2.25f, 100.7f, 3};
    vgAppendPathData(src, 2, segments, data);
    VGPath dst = makePath(VG_PATH_DATATYPE_S_16, 0.5f, 1.0f);
    vgAppendPath(dst, src);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    // raw = (v - 1) / 0.5 rounded half up: 1, -6.5 -> -6, 199.4 -> 199, 4; read back raw x 0.5 + 1.
    EXPECT_EQ(coordinatesOf(dst), (std::vector<float>{1.5f, -2.0f, 100.5f, 3.0f}));
    EXPECT_EQ(recordOf(dst).segments, (std::vector<uint8_t>{VG_MOVE_TO_ABS, VG_LINE_TO_REL}));
}

TEST_F(PathTest, AppendPathIntoAFloatPathStoresFiniteValuesOnly)
{
    VGPath src = makePath(VG_PATH_DATATYPE_S_32, 1e30f);
    const VGubyte segment = VG_MOVE_TO_ABS;
    const int32_t data[2] = {1000000000, -1000000000}; // read back as +-1e39: beyond float range
    vgAppendPathData(src, 1, &segment, data);
    VGPath dst = makePath(VG_PATH_DATATYPE_F);
    vgAppendPath(dst, src);
    EXPECT_EQ(coordinatesOf(dst), (std::vector<float>{FLT_MAX, -FLT_MAX}));
}

TEST_F(PathTest, AppendingAPathToItselfDoublesIt)
{
    VGPath path = makePath(VG_PATH_DATATYPE_S_16);
    const VGubyte segments[2] = {VG_MOVE_TO_ABS, VG_LINE_TO_ABS};
    const int16_t data[4] = {1, 2, 3, 4};
    vgAppendPathData(path, 2, segments, data);
    vgAppendPath(path, path);
    EXPECT_EQ(recordOf(path).segments.size(), 4u);
    EXPECT_EQ(coordinatesOf(path), (std::vector<float>{1, 2, 3, 4, 1, 2, 3, 4}));
}

TEST_F(PathTest, AppendPathChecksHandlesThenCapabilities)
{
    VGPath a = makePath(VG_PATH_DATATYPE_F, 1, 0, VG_PATH_CAPABILITY_APPEND_TO);
    VGPath b = makePath(VG_PATH_DATATYPE_F, 1, 0, VG_PATH_CAPABILITY_APPEND_TO);
    vgAppendPath(a, 999999);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
    vgAppendPath(999999, a);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
    vgAppendPath(a, b); // b lacks APPEND_FROM
    EXPECT_EQ(vgGetError(), VG_PATH_CAPABILITY_ERROR);
    vgAppendPath(b, a);
    EXPECT_EQ(vgGetError(), VG_PATH_CAPABILITY_ERROR);
}

TEST_F(PathTest, DestroyedPathHandleIsRefused)
{
    VGPath path = makePath(VG_PATH_DATATYPE_F);
    vgDestroyPath(path);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    vgDestroyPath(path);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
    VGImage image = vgCreateImage(VG_sRGBA_8888, 1, 1, 0);
    vgDestroyPath(image);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR) << "an image handle is not a path";
}

TEST_F(PathTest, ManySmallAppendsKeepEveryCoordinate)
{
    VGPath path = makePath(VG_PATH_DATATYPE_F);
    for (int i = 0; i < 1000; ++i) {
        const VGubyte segment = VG_LINE_TO_ABS;
        const float xy[2] = {static_cast<float>(i), static_cast<float>(-i)};
        vgAppendPathData(path, 1, &segment, xy);
    }
    const auto values = coordinatesOf(path);
    ASSERT_EQ(values.size(), 2000u);
    EXPECT_EQ(values[1998], 999.0f);
    EXPECT_EQ(values[1999], -999.0f);
}

} // namespace
} // namespace tamarind::test
