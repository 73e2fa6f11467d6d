// Pixel transfers between caller memory, images and the surface: the checks of the eight calls in their
// order, alignment of caller memory, clipping on every side, negative strides, colour conversion into
// every format, dithering, scissored writes and copies whose source and destination overlap.
#include "image_record_access.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

namespace tamarind::test {
namespace {

constexpr uint32_t kSentinel = 0xDEADBEEF;
constexpr int kSurfaceSize = 64; // the fixture's pbuffer is 64 x 64

// Image pixel tag: red x + 1, green y + 1, blue `tag`, alpha 255, so that every pixel names its position.
constexpr uint32_t tagOf(int x, int y, uint32_t tag = 0x5A)
{
    return rgba(static_cast<uint32_t>(x + 1), static_cast<uint32_t>(y + 1), tag, 255);
}

// Surface pixel tag, the same pattern with blue 9.
BufferPixel surfaceTagOf(int x, int y)
{
    return BufferPixel{static_cast<uint16_t>(x + 1), static_cast<uint16_t>(y + 1), 9, 255};
}

Channels channelsOf(uint32_t packedRgba)
{
    return {static_cast<int>(packedRgba >> 24), static_cast<int>((packedRgba >> 16) & 0xFF),
            static_cast<int>((packedRgba >> 8) & 0xFF), static_cast<int>(packedRgba & 0xFF)};
}

class TransferTest : public ImageCallTest {
protected:

    // A VG_sRGBA_8888 image whose pixels carry tagOf(x, y, tag).
    static VGImage taggedImage(int w, int h, uint32_t tag = 0x5A)
    {
        const VGImage image = makeImage(VG_sRGBA_8888, w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                setRawPixel(image, x, y, tagOf(x, y, tag));
        return image;
    }

    static void tagSurface()
    {
        for (int y = 0; y < kSurfaceSize; ++y)
            for (int x = 0; x < kSurfaceSize; ++x)
                bufferPixel(x, y) = surfaceTagOf(x, y);
    }

    static std::vector<BufferPixel> surfaceSnapshot()
    {
        const ColorBuffer &buffer = boundBuffer();
        return {buffer.pixels.data(), buffer.pixels.data() + buffer.pixels.size()};
    }

    static void expectSurfaceUnchanged(const std::vector<BufferPixel> &before)
    {
        for (int y = 0; y < kSurfaceSize; ++y)
            for (int x = 0; x < kSurfaceSize; ++x)
                ASSERT_EQ(channels(bufferPixel(x, y)), channels(before[static_cast<size_t>(y * kSurfaceSize + x)]))
                    << "at " << x << ", " << y;
    }

    static void enableScissoring(std::vector<ScissorRect> rects)
    {
        currentVg().scissoring = VG_TRUE;
        currentVg().scissorRects = std::move(rects);
    }
};

// ---------------------------------------------------------------------------------------------------------
// Checks and their order.

// vgImageSubData and vgGetImageSubData share their checks; each case runs against both.
struct SubDataCall {
    const char *name;
    void (*call)(VGImage, void *, VGint, VGImageFormat, VGint, VGint, VGint, VGint);
};

void imageSubData(VGImage image, void *data, VGint stride, VGImageFormat format, VGint x, VGint y, VGint w, VGint h)
{
    vgImageSubData(image, data, stride, format, x, y, w, h);
}

void PrintTo(const SubDataCall &c, std::ostream *os)
{
    *os << c.name;
}

const SubDataCall kSubDataCalls[] = {{"ImageSubData", imageSubData}, {"GetImageSubData", vgGetImageSubData}};

class SubDataChecks : public TransferTest, public ::testing::WithParamInterface<SubDataCall> {};

TEST_P(SubDataChecks, HandleThenFormatThenPointerAlignmentAndSize)
{
    const auto call = GetParam().call;
    const VGImage image = makeImage(VG_sRGBA_8888, 4, 4);
    const VGImage destroyed = makeImage(VG_sRGBA_8888, 4, 4);
    vgDestroyImage(destroyed);
    alignas(8) uint32_t data[20];
    std::fill(std::begin(data), std::end(data), kSentinel);
    auto *misaligned = reinterpret_cast<uint8_t *>(data) + 2;

    // A bad handle is reported before a bad format, a null pointer and a zero size.
    call(VG_INVALID_HANDLE, nullptr, 16, static_cast<VGImageFormat>(13), 0, 0, 0, 0);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
    call(destroyed, data, 16, VG_sRGBA_8888, 0, 0, 4, 4);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
    call(image + 1000, data, 16, VG_sRGBA_8888, 0, 0, 4, 4);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);

    // The format before the pointer and the size.
    call(image, nullptr, 16, static_cast<VGImageFormat>(13), 0, 0, 0, 0);
    EXPECT_EQ(vgGetError(), VG_UNSUPPORTED_IMAGE_FORMAT_ERROR);
    call(image, data, 16, static_cast<VGImageFormat>(0x43), 0, 0, 4, 4); // 565 has no ARGB order
    EXPECT_EQ(vgGetError(), VG_UNSUPPORTED_IMAGE_FORMAT_ERROR);
    call(image, data, 16, static_cast<VGImageFormat>(-1), 0, 0, 4, 4); // any int may come from a C caller
    EXPECT_EQ(vgGetError(), VG_UNSUPPORTED_IMAGE_FORMAT_ERROR);

    // Pointer, alignment and size.
    call(image, nullptr, 16, VG_sRGBA_8888, 0, 0, 4, 4);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    call(image, misaligned, 16, VG_sRGBA_8888, 0, 0, 4, 4);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    call(image, data, 16, VG_sRGBA_8888, 0, 0, 0, 4);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    call(image, data, 16, VG_sRGBA_8888, 0, 0, 4, -1);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);

    // No failing call moved a pixel either way.
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(rawPixel(image, x, y), 0u);
    for (uint32_t word : data)
        EXPECT_EQ(word, kSentinel);

    // A region that clips to nothing is not an error, and the stride is not checked.
    call(image, data, -7, VG_sRGBA_8888, 4, 0, 4, 4);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    call(image, data, 16, VG_sRGBA_8888, -4, -4, 4, 4);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

INSTANTIATE_TEST_SUITE_P(Transfers, SubDataChecks, ::testing::ValuesIn(kSubDataCalls),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(TransferTest, CopyImageChecksHandlesThenSize)
{
    const VGImage src = taggedImage(4, 4);
    const VGImage dst = makeImage(VG_sRGBA_8888, 4, 4);
    const VGImage destroyed = makeImage(VG_sRGBA_8888, 4, 4);
    vgDestroyImage(destroyed);

    vgCopyImage(destroyed, 0, 0, src, 0, 0, 0, 0, VG_FALSE); // bad destination before the zero size
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
    vgCopyImage(dst, 0, 0, destroyed, 0, 0, 0, -1, VG_TRUE); // bad source before the size
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
    vgCopyImage(dst, 0, 0, VG_INVALID_HANDLE, 0, 0, 4, 4, VG_FALSE);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
    vgCopyImage(dst, 0, 0, src, 0, 0, 0, 4, VG_FALSE);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    vgCopyImage(dst, 0, 0, src, 0, 0, 4, -2, VG_FALSE);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(rawPixel(dst, x, y), 0u);

    vgCopyImage(dst, 4, 0, src, 0, 0, 4, 4, VG_FALSE); // clips to nothing: no error
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

TEST_F(TransferTest, SetAndGetPixelsCheckHandleThenSize)
{
    const VGImage image = taggedImage(4, 4);
    tagSurface();
    const std::vector<BufferPixel> before = surfaceSnapshot();

    vgSetPixels(0, 0, VG_INVALID_HANDLE, 0, 0, 0, 0);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
    vgGetPixels(VG_INVALID_HANDLE, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
    vgSetPixels(0, 0, image, 0, 0, 0, 4);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    vgSetPixels(0, 0, image, 0, 0, 4, -1);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    vgGetPixels(image, 0, 0, 0, 0, -3, 4);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    vgGetPixels(image, 0, 0, 0, 0, 4, 0);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);

    expectSurfaceUnchanged(before);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(rawPixel(image, x, y), tagOf(x, y));

    vgSetPixels(64, 0, image, 0, 0, 4, 4); // clips to nothing: no error
    vgGetPixels(image, 0, 0, 0, -4, 4, 4);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

TEST_F(TransferTest, WriteAndReadPixelsCheckFormatThenPointerAlignmentAndSize)
{
    tagSurface();
    const std::vector<BufferPixel> before = surfaceSnapshot();
    alignas(8) uint32_t data[16];
    std::fill(std::begin(data), std::end(data), kSentinel);
    auto *misaligned = reinterpret_cast<uint8_t *>(data) + 2;

    vgWritePixels(nullptr, 16, static_cast<VGImageFormat>(13), 0, 0, 0, 0);
    EXPECT_EQ(vgGetError(), VG_UNSUPPORTED_IMAGE_FORMAT_ERROR);
    vgReadPixels(nullptr, 16, static_cast<VGImageFormat>(202), 0, 0, 0, 0);
    EXPECT_EQ(vgGetError(), VG_UNSUPPORTED_IMAGE_FORMAT_ERROR);
    vgWritePixels(data, 16, static_cast<VGImageFormat>(-1), 0, 0, 4, 4); // any int may come from a C caller
    EXPECT_EQ(vgGetError(), VG_UNSUPPORTED_IMAGE_FORMAT_ERROR);
    vgReadPixels(data, 16, static_cast<VGImageFormat>(-1), 0, 0, 4, 4);
    EXPECT_EQ(vgGetError(), VG_UNSUPPORTED_IMAGE_FORMAT_ERROR);
    vgWritePixels(nullptr, 16, VG_sRGBA_8888, 0, 0, 4, 4);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    vgReadPixels(nullptr, 16, VG_sRGBA_8888, 0, 0, 4, 4);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    vgWritePixels(misaligned, 16, VG_sRGBA_8888, 0, 0, 2, 2);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    vgReadPixels(misaligned, 16, VG_sRGBA_8888, 0, 0, 2, 2);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    vgWritePixels(data, 16, VG_sRGBA_8888, 0, 0, 0, 4);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    vgReadPixels(data, 16, VG_sRGBA_8888, 0, 0, 4, -3);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);

    expectSurfaceUnchanged(before);
    for (uint32_t word : data)
        EXPECT_EQ(word, kSentinel);

    vgReadPixels(data, 16, VG_sRGBA_8888, -4, 0, 4, 4); // clips to nothing: no error
    vgWritePixels(data, 16, VG_sRGBA_8888, 0, 64, 4, 4);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    for (uint32_t word : data)
        EXPECT_EQ(word, kSentinel);
}

TEST_F(TransferTest, CopyPixelsChecksSize)
{
    tagSurface();
    const std::vector<BufferPixel> before = surfaceSnapshot();
    vgCopyPixels(1, 1, 0, 0, 0, 4);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    vgCopyPixels(1, 1, 0, 0, 4, -1);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    vgCopyPixels(1, 1, 64, 0, 4, 4); // source outside the surface: nothing, no error
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    expectSurfaceUnchanged(before);
}

// ---------------------------------------------------------------------------------------------------------
// Alignment of caller memory: 32-bit formats need 4-byte, 16-bit formats 2-byte addresses, others none.

struct AlignmentCase {
    VGImageFormat format;
    int offset; // bytes from an 8-aligned address
    bool accepted;
};

struct CallerMemoryCall {
    const char *name;
    std::function<void(void *data, VGImageFormat format)> call; // one pixel at (0, 0), stride 4
};

void PrintTo(const CallerMemoryCall &c, std::ostream *os)
{
    *os << c.name;
}

void PrintTo(const AlignmentCase &c, std::ostream *os)
{
    *os << "format 0x" << std::hex << c.format << std::dec << " at offset " << c.offset;
}

const CallerMemoryCall kCallerMemoryCalls[] = {
    {"ImageSubData",
     [](void *data, VGImageFormat format) {
         const VGImage image = vgCreateImage(VG_sRGBA_8888, 2, 2, VG_IMAGE_QUALITY_NONANTIALIASED);
         vgImageSubData(image, data, 4, format, 0, 0, 1, 1);
         vgDestroyImage(image);
     }},
    {"GetImageSubData",
     [](void *data, VGImageFormat format) {
         const VGImage image = vgCreateImage(VG_sRGBA_8888, 2, 2, VG_IMAGE_QUALITY_NONANTIALIASED);
         vgGetImageSubData(image, data, 4, format, 0, 0, 1, 1);
         vgDestroyImage(image);
     }},
    {"WritePixels", [](void *data, VGImageFormat format) { vgWritePixels(data, 4, format, 0, 0, 1, 1); }},
    {"ReadPixels", [](void *data, VGImageFormat format) { vgReadPixels(data, 4, format, 0, 0, 1, 1); }},
};

const AlignmentCase kAlignmentCases[] = {
    {VG_sRGBA_8888, 2, false}, {VG_sRGBA_8888, 1, false}, {VG_sRGBA_8888, 4, true}, {VG_lXBGR_8888, 6, false},
    {VG_sRGB_565, 2, true},    {VG_sRGB_565, 1, false},   {VG_sARGB_4444, 3, false}, {VG_sRGBA_5551, 6, true},
    {VG_A_8, 1, true},         {VG_A_8, 3, true},         {VG_sL_8, 5, true},        {VG_BW_1, 7, true},
};

class CallerMemoryAlignment
    : public TransferTest,
      public ::testing::WithParamInterface<std::tuple<CallerMemoryCall, AlignmentCase>> {};

TEST_P(CallerMemoryAlignment, FollowsThePixelSize)
{
    const auto &[call, alignment] = GetParam();
    alignas(8) uint8_t memory[32] = {};
    call.call(memory + alignment.offset, alignment.format);
    EXPECT_EQ(vgGetError(), alignment.accepted ? VG_NO_ERROR : VG_ILLEGAL_ARGUMENT_ERROR)
        << "format 0x" << std::hex << alignment.format << " at offset " << std::dec << alignment.offset;
}

INSTANTIATE_TEST_SUITE_P(Transfers, CallerMemoryAlignment,
                         ::testing::Combine(::testing::ValuesIn(kCallerMemoryCalls),
                                            ::testing::ValuesIn(kAlignmentCases)),
                         [](const auto &info) {
                             const AlignmentCase &a = std::get<1>(info.param);
                             return std::string(std::get<0>(info.param).name) + "_Format" +
                                    std::to_string(a.format) + "_Offset" + std::to_string(a.offset);
                         });

// The stride has no alignment rule: rows of a 32-bit format may start at any byte.
TEST_F(TransferTest, AStrideThatIsNoMultipleOfThePixelSizeIsAccepted)
{
    const VGImage image = makeImage(VG_sRGBA_8888, 1, 3);
    alignas(8) uint8_t memory[32] = {};
    const uint32_t rows[3] = {0x11223344, 0x55667788, 0x99AABBCC};
    for (int y = 0; y < 3; ++y)
        std::memcpy(memory + 6 * y, &rows[y], 4); // rows at bytes 0, 6 and 12
    vgImageSubData(image, memory, 6, VG_sRGBA_8888, 0, 0, 1, 3);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(rawPixel(image, 0, y), rows[y]) << "row " << y;

    // The same stride for a surface read.
    bufferPixel(0, 0) = BufferPixel{1, 2, 3, 4};
    bufferPixel(0, 1) = BufferPixel{5, 6, 7, 8};
    alignas(8) uint8_t out[16] = {};
    vgReadPixels(out, 6, VG_sRGBA_8888, 0, 0, 1, 2);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    uint32_t second = 0;
    std::memcpy(&second, out + 6, 4);
    EXPECT_EQ(second, rgba(5, 6, 7, 8));

    // A 16-bit format with an odd stride.
    const VGImage image565 = makeImage(VG_sRGB_565, 1, 2);
    alignas(8) uint8_t memory565[8] = {};
    const uint16_t packed[2] = {0xF800, 0x07E0};
    std::memcpy(memory565, &packed[0], 2);
    std::memcpy(memory565 + 3, &packed[1], 2);
    vgImageSubData(image565, memory565, 3, VG_sRGB_565, 0, 0, 1, 2);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    EXPECT_EQ(rawPixel(image565, 0, 0), 0xF800u);
    EXPECT_EQ(rawPixel(image565, 0, 1), 0x07E0u);
}

// ---------------------------------------------------------------------------------------------------------
// Clipping: the copied rectangle is the largest whose source and destination parts both lie inside,
// offsets kept in step; memory and pixels outside it are left alone.

TEST_F(TransferTest, ImageSubDataClipsAgainstTheImage)
{
    const VGImage image = makeImage(VG_sRGBA_8888, 8, 8);
    uint32_t data[3][4];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            data[r][c] = tagOf(0x10 + c, 0x20 + r, 0x33);

    // Left and bottom: x = -2 puts data column 2 on image column 0, y = -1 data row 1 on image row 0.
    vgImageSubData(image, data, 16, VG_sRGBA_8888, -2, -1, 4, 3);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const uint32_t expected = (x < 2 && y < 2) ? data[y + 1][x + 2] : 0u;
            EXPECT_EQ(rawPixel(image, x, y), expected) << x << ", " << y;
        }

    // Right and top: columns 6 and 7, rows 6 and 7 take data columns 0 and 1, rows 0 and 1.
    const VGImage second = makeImage(VG_sRGBA_8888, 8, 8);
    vgImageSubData(second, data, 16, VG_sRGBA_8888, 6, 6, 4, 3);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const uint32_t expected = (x >= 6 && y >= 6) ? data[y - 6][x - 6] : 0u;
            EXPECT_EQ(rawPixel(second, x, y), expected) << x << ", " << y;
        }
}

TEST_F(TransferTest, GetImageSubDataFillsOnlyTheOverlapOfTheCallerMemory)
{
    const VGImage image = taggedImage(8, 8);
    // Rows of 6 words of which the call covers 4: the last 2 of each row must stay untouched too.
    uint32_t data[3][6];
    std::fill(&data[0][0], &data[0][0] + 18, kSentinel);

    // Image x = -2: image column 0 lands in data column 2; y = -1: image row 0 in data row 1.
    vgGetImageSubData(image, data, 24, VG_sRGBA_8888, -2, -1, 4, 3);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 6; ++c) {
            const uint32_t expected = (c >= 2 && c < 4 && r >= 1) ? tagOf(c - 2, r - 1) : kSentinel;
            EXPECT_EQ(data[r][c], expected) << c << ", " << r;
        }

    // Right and top: image columns 6, 7 and rows 6, 7 land in data columns 0, 1 and rows 0, 1.
    std::fill(&data[0][0], &data[0][0] + 18, kSentinel);
    vgGetImageSubData(image, data, 24, VG_sRGBA_8888, 6, 6, 4, 3);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 6; ++c) {
            const uint32_t expected = (c < 2 && r < 2) ? tagOf(c + 6, r + 6) : kSentinel;
            EXPECT_EQ(data[r][c], expected) << c << ", " << r;
        }
}

TEST_F(TransferTest, OneBitCallerMemoryKeepsTheBitsOutsideTheRegion)
{
    // Image pixels 0..7 of an opaque white/black pattern 1,0,1,1,0,0,1,0.
    const VGImage image = makeImage(VG_sRGBA_8888, 8, 1);
    const int bits[8] = {1, 0, 1, 1, 0, 0, 1, 0};
    for (int x = 0; x < 8; ++x)
        setRawPixel(image, x, 0, bits[x] ? 0xFFFFFFFFu : 0x000000FFu);
    uint8_t data[2] = {0xA5, 0xA5}; // 1010 0101
    // x = -3: image pixels 0..4 go to bits 3..7; bits 0..2 and the second byte stay.
    vgGetImageSubData(image, data, 2, VG_BW_1, -3, 0, 8, 1);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    // Bits 0..2 of 0xA5 are 1, 0, 1; bits 3..7 become 1, 0, 1, 1, 0: 0b01101101 = 0x6D.
    EXPECT_EQ(data[0], 0x6D);
    EXPECT_EQ(data[1], 0xA5);

    // And the other way: data bit 2 is pixel x = 0 when written at x = -2.
    const VGImage target = makeImage(VG_sRGBA_8888, 4, 1);
    const uint8_t source = 0x34; // 0011 0100: bits 2, 4, 5 set
    vgImageSubData(target, &source, 1, VG_BW_1, -2, 0, 8, 1);
    // Image pixels 0..3 take bits 2..5: 1, 0, 1, 1; a set bit is white (l 255 -> sRGB 255).
    const uint32_t white = 0xFFFFFFFF, black = 0x000000FF;
    EXPECT_EQ(rawPixel(target, 0, 0), white);
    EXPECT_EQ(rawPixel(target, 1, 0), black);
    EXPECT_EQ(rawPixel(target, 2, 0), white);
    EXPECT_EQ(rawPixel(target, 3, 0), white);
}

TEST_F(TransferTest, CopyImageClipsBothImagesOnEverySide)
{
    const VGImage src = taggedImage(8, 8);
    const VGImage dst = makeImage(VG_sRGBA_8888, 8, 8);
    // x: source 1 stays, destination -2 moves both by 2 -> destination 0..2 from source 3..5.
    // y: source -2 moves both by 2 -> destination 5, width 4, trimmed by the top -> rows 5..7 from 0..2.
    vgCopyImage(dst, -2, 3, src, 1, -2, 5, 6, VG_FALSE);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const uint32_t expected = (x <= 2 && y >= 5) ? tagOf(x + 3, y - 5) : 0u;
            EXPECT_EQ(rawPixel(dst, x, y), expected) << x << ", " << y;
        }

    // The source's right and top edges: source 6..7 x 7 to destination 1..2 x 0.
    const VGImage other = makeImage(VG_sRGBA_8888, 8, 8);
    vgCopyImage(other, 1, 0, src, 6, 7, 4, 4, VG_FALSE);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const uint32_t expected = (x >= 1 && x <= 2 && y == 0) ? tagOf(x + 5, 7) : 0u;
            EXPECT_EQ(rawPixel(other, x, y), expected) << x << ", " << y;
        }
}

TEST_F(TransferTest, SetPixelsClipsAgainstImageAndSurface)
{
    const VGImage image = taggedImage(8, 8);
    // Surface x -2 with source 1: surface columns 0..2 from image 3..5; rows 62, 63 from image rows 0, 1.
    vgSetPixels(-2, 62, image, 1, 0, 5, 5);
    // Source x -3: surface columns 13..15 from image 0..2; source rows 6, 7 only, on surface rows 10, 11.
    vgSetPixels(10, 10, image, -3, 6, 6, 6);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    for (int y = 0; y < kSurfaceSize; ++y)
        for (int x = 0; x < kSurfaceSize; ++x) {
            Channels expected{0, 0, 0, 0};
            if (x <= 2 && y >= 62)
                expected = channelsOf(tagOf(x + 3, y - 62));
            if (x >= 13 && x <= 15 && (y == 10 || y == 11))
                expected = channelsOf(tagOf(x - 13, y - 4));
            ASSERT_EQ(channels(bufferPixel(x, y)), expected) << x << ", " << y;
        }
}

TEST_F(TransferTest, WritePixelsClipsAgainstTheSurface)
{
    uint32_t data[3][4];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            data[r][c] = tagOf(0x10 + c, 0x20 + r);
    // Left and bottom: surface column 0 from data column 1, row 0 from data row 2.
    vgWritePixels(data, 16, VG_sRGBA_8888, -1, -2, 4, 3);
    // Right and top: columns 62, 63 from data columns 0, 1, row 63 from data row 0.
    vgWritePixels(data, 16, VG_sRGBA_8888, 62, 63, 4, 3);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    for (int y = 0; y < kSurfaceSize; ++y)
        for (int x = 0; x < kSurfaceSize; ++x) {
            Channels expected{0, 0, 0, 0};
            if (x <= 2 && y == 0)
                expected = channelsOf(data[2][x + 1]);
            if (x >= 62 && y == 63)
                expected = channelsOf(data[0][x - 62]);
            ASSERT_EQ(channels(bufferPixel(x, y)), expected) << x << ", " << y;
        }
}

TEST_F(TransferTest, GetPixelsClipsAgainstSurfaceAndImage)
{
    tagSurface();
    const VGImage image = makeImage(VG_sRGBA_8888, 8, 8);
    // x: surface -2 moves both by 2 -> image columns 3..6 from surface 0..3.
    // y: surface 62 + 4 is trimmed to 2 rows; image -1 then moves both by 1 -> image row 0 from surface 63.
    vgGetPixels(image, 1, -1, -2, 62, 6, 4);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const uint32_t expected = (x >= 3 && x <= 6 && y == 0) ? rgba(x - 3 + 1, 64, 9, 255) : 0u;
            EXPECT_EQ(rawPixel(image, x, y), expected) << x << ", " << y;
        }
}

TEST_F(TransferTest, ReadPixelsFillsOnlyTheOverlapOfTheCallerMemory)
{
    tagSurface();
    uint32_t data[4][5];
    std::fill(&data[0][0], &data[0][0] + 20, kSentinel);
    // Surface x -2: surface columns 0, 1 in data columns 2, 3; surface rows 62, 63 in data rows 0, 1.
    vgReadPixels(data, 20, VG_sRGBA_8888, -2, 62, 4, 4);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 5; ++c) {
            const uint32_t expected =
                (c >= 2 && c < 4 && r < 2) ? rgba(c - 2 + 1, 62 + r + 1, 9, 255) : kSentinel;
            EXPECT_EQ(data[r][c], expected) << c << ", " << r;
        }
    // Right edge: columns 62, 63 into data columns 0, 1.
    std::fill(&data[0][0], &data[0][0] + 20, kSentinel);
    vgReadPixels(data, 20, VG_sRGBA_8888, 62, 0, 4, 1);
    EXPECT_EQ(data[0][0], rgba(63, 1, 9, 255));
    EXPECT_EQ(data[0][1], rgba(64, 1, 9, 255));
    EXPECT_EQ(data[0][2], kSentinel);
    EXPECT_EQ(data[0][3], kSentinel);
    EXPECT_EQ(data[1][0], kSentinel);
}

TEST_F(TransferTest, CopyPixelsClipsSourceAndDestinationAgainstTheSurface)
{
    tagSurface();
    const std::vector<BufferPixel> before = surfaceSnapshot();
    // x: destination -1 moves both by 1 -> columns 0..2 from 6..8.
    // y: source -3 moves both by 3 -> destination 63, trimmed by the top to one row from source row 0.
    vgCopyPixels(-1, 60, 5, -3, 4, 10);
    // Right edge: columns 62, 63 of row 20 from columns 0, 1 of row 30.
    vgCopyPixels(62, 20, 0, 30, 5, 1);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    for (int y = 0; y < kSurfaceSize; ++y)
        for (int x = 0; x < kSurfaceSize; ++x) {
            BufferPixel expected = before[static_cast<size_t>(y * kSurfaceSize + x)];
            if (x <= 2 && y == 63)
                expected = surfaceTagOf(x + 6, 0);
            if (x >= 62 && y == 20)
                expected = surfaceTagOf(x - 62, 30);
            ASSERT_EQ(channels(bufferPixel(x, y)), channels(expected)) << x << ", " << y;
        }
}

TEST_F(TransferTest, ExtremePositionsAndSizesDoNotOverflow)
{
    const VGImage image = taggedImage(4, 4);
    uint32_t data[4] = {kSentinel, kSentinel, kSentinel, kSentinel};
    // Positions near the int32 limits with huge sizes clip to nothing without touching memory.
    vgImageSubData(image, data, 0, VG_sRGBA_8888, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX);
    vgGetImageSubData(image, data, 0, VG_sRGBA_8888, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX);
    vgCopyImage(image, INT32_MAX, 0, image, INT32_MIN, 0, INT32_MAX, 1, VG_TRUE);
    vgReadPixels(data, 0, VG_sRGBA_8888, INT32_MIN, 0, INT32_MAX, 1);
    vgCopyPixels(INT32_MAX, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, INT32_MAX);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    for (uint32_t word : data)
        EXPECT_EQ(word, kSentinel);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(rawPixel(image, x, y), tagOf(x, y));

    // A huge width from a position inside still copies just what fits: the image row into one data row.
    uint32_t row[4] = {};
    vgGetImageSubData(image, row, 0, VG_sRGBA_8888, 0, 3, INT32_MAX, 1);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(row[x], tagOf(x, 3));
}

// ---------------------------------------------------------------------------------------------------------
// Negative strides: image row 0 comes from the memory row at data, each following row from the one before.

TEST_F(TransferTest, NegativeStrideWalksCallerMemoryDownward)
{
    uint32_t memory[3][2];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 2; ++c)
            memory[r][c] = tagOf(c, r, 0x77);
    const VGImage image = makeImage(VG_sRGBA_8888, 2, 3);
    vgImageSubData(image, &memory[2][0], -8, VG_sRGBA_8888, 0, 0, 2, 3);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(rawPixel(image, x, y), memory[2 - y][x]) << x << ", " << y;

    // Reading surface rows 5, 6, 7 lands them in memory rows 2, 1, 0.
    tagSurface();
    uint32_t out[3][2] = {};
    vgReadPixels(&out[2][0], -8, VG_sRGBA_8888, 10, 5, 2, 3);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 2; ++c)
            EXPECT_EQ(out[r][c], rgba(10 + c + 1, 5 + (2 - r) + 1, 9, 255)) << c << ", " << r;

    // Writing with a negative stride: surface row 20 from memory row 2, row 21 from memory row 1.
    vgWritePixels(&memory[2][0], -8, VG_sRGBA_8888, 30, 20, 2, 2);
    EXPECT_EQ(channels(bufferPixel(30, 20)), channelsOf(memory[2][0]));
    EXPECT_EQ(channels(bufferPixel(31, 21)), channelsOf(memory[1][1]));
}

// ---------------------------------------------------------------------------------------------------------
// Conversion into every format. The source is one VG_sRGBA_8888 pixel (0xF0, 0x84, 0x18, 0x80):
//   5 bits: F0 >> 3 = 30, 84 >> 3 = 16, 18 >> 3 = 3; 6 bits: 84 >> 2 = 33; 4 bits: F, 8, 1, alpha 8;
//   1 bit of alpha: 80 >> 7 = 1.
//   Linear: srgbToLinear[F0 = 240] = 222 (DE), [84 = 132] = 58 (3A), [18 = 24] = 2 (02).
//   Premultiplied by (128 + 1) >> 8: sRGB 240 -> 120 (78), 132 -> 66 (42), 24 -> 12 (0C);
//   linear 222 -> 111 (6F), 58 -> 29 (1D), 2 -> 1 (01).
//   Luminance of the linear channels (54 x 222 + 183 x 58 + 19 x 2) >> 8 = 22640 >> 8 = 88 (58);
//   sRGB luminance linearToSrgb[88] = 158 (9E); BW_1: 88 < 128, clear.
//   The X formats keep alpha in the X byte.

struct FormatValue {
    VGImageFormat format;
    uint32_t value; // the packed pixel; for VG_BW_1 the whole first byte, which started as 0xA5
};

void PrintTo(const FormatValue &v, std::ostream *os)
{
    *os << "format 0x" << std::hex << v.format << " value 0x" << v.value << std::dec;
}

const FormatValue kConversions[] = {
    {VG_sRGBX_8888, 0xF0841880},     {VG_sRGBA_8888, 0xF0841880},     {VG_sRGBA_8888_PRE, 0x78420C80},
    {VG_sRGB_565, 0xF423},           // 30 << 11 | 33 << 5 | 3
    {VG_sRGBA_5551, 0xF407},         // 30 << 11 | 16 << 6 | 3 << 1 | 1
    {VG_sRGBA_4444, 0xF818},         {VG_sL_8, 0x9E},                 {VG_lRGBX_8888, 0xDE3A0280},
    {VG_lRGBA_8888, 0xDE3A0280},     {VG_lRGBA_8888_PRE, 0x6F1D0180}, {VG_lL_8, 0x58},
    {VG_A_8, 0x80},
    {VG_BW_1, 0xA4},                 // bit 0 of 0xA5 cleared, bits 1..7 kept
    {VG_sXRGB_8888, 0x80F08418},     {VG_sARGB_8888, 0x80F08418},     {VG_sARGB_8888_PRE, 0x8078420C},
    {VG_sARGB_1555, 0xFA03},         // 1 << 15 | 30 << 10 | 16 << 5 | 3
    {VG_sARGB_4444, 0x8F81},         {VG_lXRGB_8888, 0x80DE3A02},     {VG_lARGB_8888, 0x80DE3A02},
    {VG_lARGB_8888_PRE, 0x806F1D01}, {VG_sBGRX_8888, 0x1884F080},     {VG_sBGRA_8888, 0x1884F080},
    {VG_sBGRA_8888_PRE, 0x0C427880},
    {VG_sBGR_565, 0x1C3E},           // 3 << 11 | 33 << 5 | 30
    {VG_sBGRA_5551, 0x1C3D},         // 3 << 11 | 16 << 6 | 30 << 1 | 1
    {VG_sBGRA_4444, 0x18F8},         {VG_lBGRX_8888, 0x023ADE80},     {VG_lBGRA_8888, 0x023ADE80},
    {VG_lBGRA_8888_PRE, 0x011D6F80}, {VG_sXBGR_8888, 0x801884F0},     {VG_sABGR_8888, 0x801884F0},
    {VG_sABGR_8888_PRE, 0x800C4278},
    {VG_sABGR_1555, 0x8E1E},         // 1 << 15 | 3 << 10 | 16 << 5 | 30
    {VG_sABGR_4444, 0x818F},         {VG_lXBGR_8888, 0x80023ADE},     {VG_lABGR_8888, 0x80023ADE},
    {VG_lABGR_8888_PRE, 0x80011D6F},
};

class ConversionIntoFormat : public TransferTest, public ::testing::WithParamInterface<FormatValue> {};

TEST_P(ConversionIntoFormat, GetImageSubDataPacksTheConvertedPixel)
{
    const FormatValue &expected = GetParam();
    const VGImage image = makeImage(VG_sRGBA_8888, 1, 1);
    setRawPixel(image, 0, 0, 0xF0841880);
    alignas(8) uint8_t memory[8];
    std::memset(memory, 0xA5, sizeof memory);
    vgGetImageSubData(image, memory, 4, expected.format, 0, 0, 1, 1);
    ASSERT_EQ(vgGetError(), VG_NO_ERROR);

    const int bytes = std::max(1, describeFormat(expected.format).bitsPerPixel / 8);
    uint32_t value = 0;
    if (bytes == 4)
        std::memcpy(&value, memory, 4);
    else if (bytes == 2) {
        uint16_t half;
        std::memcpy(&half, memory, 2);
        value = half;
    } else
        value = memory[0];
    EXPECT_EQ(value, expected.value) << std::hex << "got 0x" << value << " want 0x" << expected.value;
    for (int i = bytes; i < 8; ++i)
        EXPECT_EQ(memory[i], 0xA5) << "byte " << i << " past the pixel was written";
}

INSTANTIATE_TEST_SUITE_P(Transfers, ConversionIntoFormat, ::testing::ValuesIn(kConversions),
                         [](const auto &info) { return "Format" + std::to_string(info.param.format); });

TEST(ConversionTable, CoversEveryFormat)
{
    int valid = 0;
    for (int32_t f = 0; f < 256; ++f)
        valid += isValidImageFormat(f) ? 1 : 0;
    EXPECT_EQ(std::size(kConversions), static_cast<size_t>(valid));
}

// Conversion out of other formats into a VG_sRGBA_8888 image.
const FormatValue kSources[] = {
    {VG_sRGB_565, 0xF78618FF},      // 0xF423: 30 -> 30 x 8 + 30 / 4 = 247, 33 -> 33 x 4 + 33 / 16 = 134, 3 -> 24
    {VG_sARGB_4444, 0xFF881188},    // 0x8F81: A 8 x 17 = 136, R 255, G 136, B 17
    {VG_sABGR_1555, 0xF78418FF},    // 0x8E1E: A 1 -> 255, B 3 -> 24, G 16 -> 132, R 30 -> 247
    {VG_lL_8, 0xBBBBBBFF},          // 0x80: linearToSrgb[128] = 187
    {VG_sL_8, 0x808080FF},          // 0x80: sRGB luminance to sRGB colour unchanged
    {VG_A_8, 0x00000080},           // 0x80: black with alpha 128
    {VG_BW_1, 0xFFFFFFFF},          // 1: linear 255 -> sRGB 255
    {VG_lRGBA_8888_PRE, 0xFDBA0040}, // 0x40200040: 64 x 256 / 65 = 252 -> 253, 32 x 256 / 65 = 126 -> 186
    {VG_sRGBX_8888, 0x112233FF},    // 0x11223300: the X byte is ignored, alpha 255
    {VG_sRGBA_8888_PRE, 0xC864327F}, // 0x6432197F: 100 x 256 / 128 = 200, 50 -> 100, 25 -> 50
};

const uint32_t kSourceRaw[] = {0xF423, 0x8F81, 0x8E1E, 0x80, 0x80, 0x80, 0x01, 0x40200040, 0x11223300, 0x6432197F};

class ConversionFromFormat : public TransferTest, public ::testing::WithParamInterface<size_t> {};

TEST_P(ConversionFromFormat, ImageSubDataUnpacksAndConverts)
{
    const FormatValue &expected = kSources[GetParam()];
    alignas(8) uint8_t memory[8] = {};
    const uint32_t raw = kSourceRaw[GetParam()];
    const int bits = describeFormat(expected.format).bitsPerPixel;
    if (bits == 32)
        std::memcpy(memory, &raw, 4);
    else if (bits == 16) {
        const auto half = static_cast<uint16_t>(raw);
        std::memcpy(memory, &half, 2);
    } else
        memory[0] = static_cast<uint8_t>(raw);
    const VGImage image = makeImage(VG_sRGBA_8888, 1, 1);
    vgImageSubData(image, memory, 4, expected.format, 0, 0, 1, 1);
    ASSERT_EQ(vgGetError(), VG_NO_ERROR);
    EXPECT_EQ(rawPixel(image, 0, 0), expected.value) << std::hex << "got 0x" << rawPixel(image, 0, 0);
}

INSTANTIATE_TEST_SUITE_P(Transfers, ConversionFromFormat, ::testing::Range<size_t>(0, std::size(kSources)),
                         [](const auto &info) { return "Format" + std::to_string(kSources[info.param].format); });

TEST_F(TransferTest, SrgbAndLinearMeetThroughTheTables)
{
    // Linear 128 becomes sRGB 187.
    const VGImage linear = makeImage(VG_lRGBA_8888, 1, 1);
    setRawPixel(linear, 0, 0, rgba(128, 128, 128, 255));
    uint32_t out = 0;
    vgGetImageSubData(linear, &out, 4, VG_sRGBA_8888, 0, 0, 1, 1);
    EXPECT_EQ(out, rgba(187, 187, 187, 255));

    // sRGB 255 becomes linear 254, sRGB 128 linear 55.
    const VGImage srgb = makeImage(VG_sRGBA_8888, 1, 1);
    setRawPixel(srgb, 0, 0, rgba(255, 128, 0, 255));
    vgGetImageSubData(srgb, &out, 4, VG_lRGBA_8888, 0, 0, 1, 1);
    EXPECT_EQ(out, rgba(254, 55, 0, 255));
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

TEST_F(TransferTest, LinearLuminanceCopiedToSrgbGoesThroughTheTableWithOpaqueAlpha)
{
    const VGImage lum = makeImage(VG_lL_8, 6, 1);
    const uint8_t bytes[6] = {0, 1, 17, 55, 128, 255};
    for (int x = 0; x < 6; ++x)
        setRawPixel(lum, x, 0, bytes[x]);
    const VGImage srgb = makeImage(VG_sRGBA_8888, 6, 1);
    vgCopyImage(srgb, 0, 0, lum, 0, 0, 6, 1, VG_FALSE);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    // linearToSrgb: 0 -> 0, 1 -> 12, 17 -> 72, 55 -> 127, 128 -> 187, 255 -> 255.
    const uint32_t expected[6] = {0, 12, 72, 127, 187, 255};
    for (int x = 0; x < 6; ++x)
        EXPECT_EQ(rawPixel(srgb, x, 0), rgba(expected[x], expected[x], expected[x], 255)) << x;
}

TEST_F(TransferTest, SrgbToOneBitSetsTheBitAtLinearLuminance128)
{
    const VGImage src = makeImage(VG_sRGBA_8888, 8, 1);
    const uint32_t pixels[8] = {
        rgba(187, 187, 187, 255), // srgbToLinear[187] = 126: clear
        rgba(188, 188, 188, 255), // srgbToLinear[188] = 128: set
        rgba(255, 255, 255, 255), // 254: set
        rgba(255, 0, 0, 255),     // 54 x 254 >> 8 = 53: clear
        rgba(0, 255, 0, 255),     // 183 x 254 >> 8 = 181: set
        rgba(0, 0, 255, 255),     // 19 x 254 >> 8 = 18: clear
        rgba(0, 0, 0, 255),       // 0: clear
        rgba(255, 255, 255, 0),   // alpha plays no part: set
    };
    for (int x = 0; x < 8; ++x)
        setRawPixel(src, x, 0, pixels[x]);
    const VGImage bw = makeImage(VG_BW_1, 8, 1);
    vgCopyImage(bw, 0, 0, src, 0, 0, 8, 1, VG_FALSE);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    // Bits 1, 2, 4 and 7: 0b10010110.
    EXPECT_EQ(imageRecord(bw).pixels[0], 0x96);
}

TEST_F(TransferTest, ReadingIntoAPremultipliedImagePremultipliesWithAlphaPlusOne)
{
    bufferPixel(3, 4) = BufferPixel{200, 100, 50, 127};
    const VGImage pre = makeImage(VG_sRGBA_8888_PRE, 2, 2);
    vgGetPixels(pre, 1, 1, 3, 4, 1, 1);
    // 200 x 128 >> 8 = 100, 100 x 128 >> 8 = 50, 50 x 128 >> 8 = 25.
    EXPECT_EQ(rawPixel(pre, 1, 1), rgba(100, 50, 25, 127));
    EXPECT_EQ(rawPixel(pre, 0, 0), 0u);

    // Into linear premultiplied: srgbToLinear 200 -> 147, 100 -> 32, 50 -> 8; then x 128 >> 8: 73, 16, 4.
    const VGImage linearPre = makeImage(VG_lRGBA_8888_PRE, 1, 1);
    vgGetPixels(linearPre, 0, 0, 3, 4, 1, 1);
    EXPECT_EQ(rawPixel(linearPre, 0, 0), rgba(73, 16, 4, 127));

    // And back onto the surface: a premultiplied image is un-premultiplied, 100 x 256 / 128 = 200 ...
    vgSetPixels(10, 10, pre, 1, 1, 1, 1);
    EXPECT_EQ(channels(bufferPixel(10, 10)), (Channels{200, 100, 50, 127}));
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

TEST_F(TransferTest, WholeSurfaceReadInArgbKeepsNonPremultipliedColour)
{
    bufferPixel(5, 7) = BufferPixel{255, 0, 0, 128};
    std::vector<uint32_t> data(static_cast<size_t>(kSurfaceSize * kSurfaceSize), kSentinel);
    vgReadPixels(data.data(), kSurfaceSize * 4, VG_sARGB_8888, 0, 0, kSurfaceSize, kSurfaceSize);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    for (int y = 0; y < kSurfaceSize; ++y)
        for (int x = 0; x < kSurfaceSize; ++x) {
            // A 24, R 16: 0x80FF0000 for the red pixel, transparent black elsewhere.
            const uint32_t expected = (x == 5 && y == 7) ? 0x80FF0000u : 0u;
            ASSERT_EQ(data[static_cast<size_t>(y * kSurfaceSize + x)], expected) << x << ", " << y;
        }
}

TEST_F(TransferTest, ALinearPremultipliedSurfaceConvertsOnWriteAndRead)
{
    const EGLint attributes[] = {EGL_WIDTH,         8, EGL_HEIGHT, 8, EGL_COLORSPACE, EGL_COLORSPACE_LINEAR,
                                 EGL_ALPHA_FORMAT, EGL_ALPHA_FORMAT_PRE, EGL_NONE};
    const EGLSurface linearPre = eglCreatePbufferSurface(display, config, attributes);
    ASSERT_NE(linearPre, EGL_NO_SURFACE);
    ASSERT_EQ(eglMakeCurrent(display, linearPre, linearPre, context), EGL_TRUE);

    const uint32_t in = rgba(255, 128, 0, 127);
    vgWritePixels(&in, 4, VG_sRGBA_8888, 2, 3, 1, 1);
    // Linear 254, 55, 0, premultiplied by 128 >> 8: 127, 27, 0.
    EXPECT_EQ(channels(bufferPixel(2, 3)), (Channels{127, 27, 0, 127}));
    uint32_t out = 0;
    vgReadPixels(&out, 4, VG_sRGBA_8888, 2, 3, 1, 1);
    // 127 x 256 / 128 = 254 -> sRGB 254; 27 x 256 / 128 = 54 -> sRGB 126.
    EXPECT_EQ(out, rgba(254, 126, 0, 127));
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    ASSERT_EQ(eglMakeCurrent(display, surface, surface, context), EGL_TRUE);
    EXPECT_EQ(eglDestroySurface(display, linearPre), EGL_TRUE);
}

// ---------------------------------------------------------------------------------------------------------
// Dithering: with the 4 x 4 matrix 0 8 2 10 / 12 4 14 6 / 3 11 1 9 / 15 7 13 5, indexed from the first
// pixel of the clipped rectangle, a channel whose low nibble exceeds the threshold gains 1.

constexpr int kDither[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

TEST_F(TransferTest, DitheringTo4444RoundsUpEverywhereButThreshold15)
{
    // Red and blue 0x8F (low nibble 15), green 0x80 (low nibble 0), alpha 0xFF.
    const VGImage src = makeImage(VG_sRGBA_8888, 8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            setRawPixel(src, x, y, rgba(0x8F, 0x80, 0x8F, 0xFF));
    const VGImage dithered = makeImage(VG_sRGBA_4444, 8, 8);
    const VGImage plain = makeImage(VG_sRGBA_4444, 8, 8);
    // Source x -1 moves both by 1: destination x 2..7 (trimmed by the right edge), y 2..7 (top edge).
    vgCopyImage(dithered, 1, 2, src, -1, 0, 8, 8, VG_TRUE);
    vgCopyImage(plain, 1, 2, src, -1, 0, 8, 8, VG_FALSE);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool inside = x >= 2 && y >= 2;
            // 0x90 >> 4 = 9, 0x8F >> 4 = 8; green 0x80 >> 4 = 8 always; alpha 0xFF stays 0xF.
            uint32_t expected = 0;
            if (inside) {
                const int threshold = kDither[(y - 2) % 4][(x - 2) % 4];
                expected = threshold == 15 ? 0x888Fu : 0x989Fu;
            }
            EXPECT_EQ(rawPixel(dithered, x, y), expected) << "dithered " << x << ", " << y;
            EXPECT_EQ(rawPixel(plain, x, y), inside ? 0x888Fu : 0u) << "plain " << x << ", " << y;
        }
    // Threshold 15 sits at rectangle row 3, columns 0 and 4: image (2, 5) and (6, 5).
    EXPECT_EQ(rawPixel(dithered, 2, 5), 0x888Fu);
    EXPECT_EQ(rawPixel(dithered, 6, 5), 0x888Fu);
}

TEST_F(TransferTest, DitheringToLuminanceIsSwitchedOnByTheLostAlpha)
{
    // sRGB grey 0x80: linear 55, luminance 55, sRGB luminance linearToSrgb[55] = 127 (low nibble 15).
    const VGImage src = makeImage(VG_sRGBA_8888, 4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            setRawPixel(src, x, y, rgba(0x80, 0x80, 0x80, 0xFF));
    const VGImage dithered = makeImage(VG_sL_8, 4, 4);
    const VGImage plain = makeImage(VG_sL_8, 4, 4);
    vgCopyImage(dithered, 0, 0, src, 0, 0, 4, 4, VG_TRUE);
    vgCopyImage(plain, 0, 0, src, 0, 0, 4, 4, VG_FALSE);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(rawPixel(dithered, x, y), kDither[y][x] == 15 ? 127u : 128u) << x << ", " << y;
            EXPECT_EQ(rawPixel(plain, x, y), 127u) << x << ", " << y;
        }
}

TEST_F(TransferTest, DitheringIsOffWhenNoDestinationChannelIsNarrower)
{
    // Same depths: 0x8F stays 0x8F.
    const VGImage src = makeImage(VG_sRGBA_8888, 4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            setRawPixel(src, x, y, rgba(0x8F, 0x8F, 0x8F, 0x8F));
    const VGImage same = makeImage(VG_sRGBA_8888, 4, 4);
    vgCopyImage(same, 0, 0, src, 0, 0, 4, 4, VG_TRUE);
    // A luminance source's own bits are not compared: sL_8 to 4444 has nothing narrower, 0x8F -> 8 each.
    const VGImage lum = makeImage(VG_sL_8, 4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            setRawPixel(lum, x, y, 0x8F);
    const VGImage small = makeImage(VG_sRGBA_4444, 4, 4);
    vgCopyImage(small, 0, 0, lum, 0, 0, 4, 4, VG_TRUE);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(rawPixel(same, x, y), rgba(0x8F, 0x8F, 0x8F, 0x8F)) << x << ", " << y;
            EXPECT_EQ(rawPixel(small, x, y), 0x888Fu) << x << ", " << y;
        }
}

TEST_F(TransferTest, TransfersOtherThanCopyImageNeverDither)
{
    // A 4444 caller buffer from vgGetImageSubData: 0x8F just loses its low nibble everywhere.
    const VGImage src = makeImage(VG_sRGBA_8888, 4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            setRawPixel(src, x, y, rgba(0x8F, 0x8F, 0x8F, 0xFF));
    uint16_t data[4][4] = {};
    vgGetImageSubData(src, data, 8, VG_sRGBA_4444, 0, 0, 4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(data[y][x], 0x888F) << x << ", " << y;
}

// ---------------------------------------------------------------------------------------------------------
// Copies within one image: through a snapshot, never a smear.

struct Shift {
    const char *name;
    int dx, dy;
};

void PrintTo(const Shift &shift, std::ostream *os)
{
    *os << shift.name;
}

const Shift kShifts[] = {{"Right", 1, 0}, {"Left", -1, 0},     {"Up", 0, 1},
                         {"Down", 0, -1}, {"UpRight", 2, 3}, {"DownLeft", -3, -2}};

class CopyImageOntoItself : public TransferTest, public ::testing::WithParamInterface<Shift> {};

TEST_P(CopyImageOntoItself, GivesAShiftedCopy)
{
    const Shift &shift = GetParam();
    const VGImage image = taggedImage(8, 8);
    vgCopyImage(image, shift.dx, shift.dy, image, 0, 0, 8, 8, VG_FALSE);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const int sx = x - shift.dx, sy = y - shift.dy;
            const bool copied = sx >= 0 && sx < 8 && sy >= 0 && sy < 8;
            EXPECT_EQ(rawPixel(image, x, y), copied ? tagOf(sx, sy) : tagOf(x, y)) << x << ", " << y;
        }
}

INSTANTIATE_TEST_SUITE_P(Transfers, CopyImageOntoItself, ::testing::ValuesIn(kShifts),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(TransferTest, CopyBetweenParentAndChildReadsTheSourceFirst)
{
    // Parent pixels t0..t7; the child covers parent columns 2..7.
    const VGImage parent = taggedImage(8, 1);
    const VGImage child = vgChildImage(parent, 2, 0, 6, 1);
    ASSERT_NE(child, VG_INVALID_HANDLE);
    // Parent 0..5 onto the child: parent columns 2..7 become t0..t5.
    vgCopyImage(child, 0, 0, parent, 0, 0, 6, 1, VG_FALSE);
    const int afterForward[8] = {0, 1, 0, 1, 2, 3, 4, 5};
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(rawPixel(parent, x, 0), tagOf(afterForward[x], 0)) << x;

    // Child onto the parent's start: parent columns 0..5 take the child's t0, t1, t2, t3, t4, t5.
    const VGImage fresh = taggedImage(8, 1);
    const VGImage freshChild = vgChildImage(fresh, 2, 0, 6, 1);
    vgCopyImage(fresh, 0, 0, freshChild, 0, 0, 6, 1, VG_FALSE);
    const int afterBackward[8] = {2, 3, 4, 5, 6, 7, 6, 7};
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(rawPixel(fresh, x, 0), tagOf(afterBackward[x], 0)) << x;
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

TEST_F(TransferTest, EveryStoreIntoAnImageInvalidatesItsMipmaps)
{
    const VGImage image = taggedImage(4, 4);
    const VGImage other = taggedImage(4, 4);
    const uint32_t pixel = rgba(1, 2, 3, 4);
    const std::function<void()> stores[] = {
        [&] { vgImageSubData(image, &pixel, 4, VG_sRGBA_8888, 1, 1, 1, 1); },
        [&] { vgCopyImage(image, 0, 0, other, 0, 0, 2, 2, VG_FALSE); },
        [&] { vgGetPixels(image, 0, 0, 0, 0, 2, 2); },
    };
    for (size_t i = 0; i < std::size(stores); ++i) {
        imageRecord(image).mipmapsValid = 1;
        stores[i]();
        EXPECT_EQ(imageRecord(image).mipmapsValid, 0) << "store " << i;
    }
    // Reading from an image keeps them.
    imageRecord(image).mipmapsValid = 1;
    uint32_t out;
    vgGetImageSubData(image, &out, 4, VG_sRGBA_8888, 0, 0, 1, 1);
    vgSetPixels(0, 0, image, 0, 0, 4, 4);
    EXPECT_EQ(imageRecord(image).mipmapsValid, 1);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

// ---------------------------------------------------------------------------------------------------------
// Scissoring: surface writes touch only the union of the scissor rectangles; reads ignore it.

bool insideAny(const std::vector<ScissorRect> &rects, int x, int y)
{
    for (const ScissorRect &r : rects)
        if (r.width > 0 && r.height > 0 && x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height)
            return true;
    return false;
}

TEST_F(TransferTest, ScissoringWithoutRectanglesWritesNothing)
{
    enableScissoring({});
    tagSurface();
    const std::vector<BufferPixel> before = surfaceSnapshot();
    const VGImage image = makeImage(VG_sRGBA_8888, 8, 8);
    std::vector<uint32_t> data(64, rgba(1, 2, 3, 4));
    vgWritePixels(data.data(), 32, VG_sRGBA_8888, 0, 0, 8, 8);
    vgSetPixels(0, 0, image, 0, 0, 8, 8);
    vgCopyPixels(0, 0, 20, 20, 8, 8);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    expectSurfaceUnchanged(before);
}

TEST_F(TransferTest, ScissoredWritesCoverExactlyTheUnionOfTheRectangles)
{
    // Two overlapping squares; a zero-width and a negative-width rectangle add nothing.
    const std::vector<ScissorRect> rects = {{2, 2, 3, 3}, {4, 4, 3, 3}, {0, 0, 0, 8}, {7, 0, -2, 8}};
    enableScissoring(rects);
    std::vector<uint32_t> data(64);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            data[static_cast<size_t>(y * 8 + x)] = tagOf(x, y, 0x44);
    vgWritePixels(data.data(), 32, VG_sRGBA_8888, 0, 0, 8, 8);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            const Channels expected =
                insideAny(rects, x, y) ? channelsOf(tagOf(x, y, 0x44)) : Channels{0, 0, 0, 0};
            EXPECT_EQ(channels(bufferPixel(x, y)), expected) << x << ", " << y;
        }
}

TEST_F(TransferTest, ScissoredSetPixelsTestsTheDestinationPosition)
{
    // Destination x -1 shifts the source by one: surface (3, 0) takes image (4, 0), (4, 0) image (5, 0).
    const std::vector<ScissorRect> rects = {{3, 0, 2, 1}, {0, 5, 1, 1}};
    enableScissoring(rects);
    const VGImage image = taggedImage(8, 8);
    vgSetPixels(-1, 0, image, 0, 0, 8, 8);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const Channels expected =
                insideAny(rects, x, y) ? channelsOf(tagOf(x + 1, y)) : Channels{0, 0, 0, 0};
            EXPECT_EQ(channels(bufferPixel(x, y)), expected) << x << ", " << y;
        }
}

TEST_F(TransferTest, ReadsIgnoreScissoring)
{
    enableScissoring({});
    bufferPixel(1, 1) = BufferPixel{10, 20, 30, 255};
    uint32_t out = 0;
    vgReadPixels(&out, 4, VG_sRGBA_8888, 1, 1, 1, 1);
    EXPECT_EQ(out, rgba(10, 20, 30, 255));
    const VGImage image = makeImage(VG_sRGBA_8888, 1, 1);
    vgGetPixels(image, 0, 0, 1, 1, 1, 1);
    EXPECT_EQ(rawPixel(image, 0, 0), rgba(10, 20, 30, 255));
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

// ---------------------------------------------------------------------------------------------------------
// Copies within the surface: as from a snapshot of the source, in every direction of overlap, scissored
// or not.

struct SurfaceCopyCase {
    const char *name;
    int dx, dy; // destination offset from the source at (10, 10), size 20 x 20
    bool scissored;
};

void PrintTo(const SurfaceCopyCase &c, std::ostream *os)
{
    *os << c.name;
}

const SurfaceCopyCase kSurfaceCopies[] = {
    {"Up", 0, 1, false},         {"Down", 0, -1, false},        {"Right", 1, 0, false},
    {"Left", -1, 0, false},      {"UpRight", 3, 2, false},      {"DownLeft", -2, -3, false},
    {"UpLeft", -1, 1, false},    {"DownRight", 5, -4, false},   {"Apart", 30, 30, false},
    {"ScissoredUp", 0, 1, true}, {"ScissoredDown", 0, -1, true}, {"ScissoredRight", 1, 0, true},
    {"ScissoredLeft", -1, 0, true}, {"ScissoredUpRight", 3, 2, true}, {"ScissoredDownLeft", -2, -3, true},
};

class CopyPixelsOverlap : public TransferTest, public ::testing::WithParamInterface<SurfaceCopyCase> {};

TEST_P(CopyPixelsOverlap, CopiesAsFromASnapshot)
{
    const SurfaceCopyCase &c = GetParam();
    // The scissor union covers part of the destination only, in two pieces.
    const std::vector<ScissorRect> rects = {{0, 0, 16, 64}, {14, 24, 20, 4}};
    if (c.scissored)
        enableScissoring(rects);
    tagSurface();
    const std::vector<BufferPixel> before = surfaceSnapshot();
    const int dx = 10 + c.dx, dy = 10 + c.dy;
    vgCopyPixels(dx, dy, 10, 10, 20, 20);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    for (int y = 0; y < kSurfaceSize; ++y)
        for (int x = 0; x < kSurfaceSize; ++x) {
            const bool inRect = x >= dx && x < dx + 20 && y >= dy && y < dy + 20;
            const bool written = inRect && (!c.scissored || insideAny(rects, x, y));
            const BufferPixel expected = written ? surfaceTagOf(x - c.dx, y - c.dy)
                                                 : before[static_cast<size_t>(y * kSurfaceSize + x)];
            ASSERT_EQ(channels(bufferPixel(x, y)), channels(expected)) << x << ", " << y;
        }
}

INSTANTIATE_TEST_SUITE_P(Transfers, CopyPixelsOverlap, ::testing::ValuesIn(kSurfaceCopies),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace tamarind::test
