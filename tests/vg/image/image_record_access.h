// Direct access to the records behind image handles and to the pixels of the bound surface, so that the
// transfer tests can seed and inspect pixels without going through the calls under test.
#ifndef TAMARIND_TESTS_VG_IMAGE_IMAGE_RECORD_ACCESS_H
#define TAMARIND_TESTS_VG_IMAGE_IMAGE_RECORD_ACCESS_H

#include "egl_fixture.h"

#include "context/object_list.h"
#include "context/vg_context.h"
#include "egl/surface.h"
#include "image/image_object.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace tamarind::test {

// The VG context bound to the calling thread.
inline VgContext &currentVg()
{
    auto *context = static_cast<VgContext *>(eglGetCurrentVGContext());
    if (context == nullptr)
        throw std::runtime_error("no VG context is bound");
    return *context;
}

// The record behind a live image handle of the current context.
inline ImageObject &imageRecord(VGImage image)
{
    ImageObject *record = findObject(*currentVg().images, image);
    if (record == nullptr)
        throw std::runtime_error("not a live image handle");
    return *record;
}

// The packed value of pixel (x, y) of a record, read by its pixel size (one bit for 1-bit formats).
inline uint32_t rawPixelOf(const ImageObject &record, int x, int y)
{
    const uint8_t *row = record.pixels + static_cast<intptr_t>(y) * record.stride;
    switch (record.descriptor.bitsPerPixel) {
    case 32: {
        uint32_t value;
        std::memcpy(&value, row + 4 * x, 4);
        return value;
    }
    case 16: {
        uint16_t value;
        std::memcpy(&value, row + 2 * x, 2);
        return value;
    }
    case 8:
        return row[x];
    default: {
        const int bit = x + record.bitOffset;
        return (row[bit / 8] >> (bit % 8)) & 1u;
    }
    }
}

inline void setRawPixelOf(ImageObject &record, int x, int y, uint32_t value)
{
    uint8_t *row = record.pixels + static_cast<intptr_t>(y) * record.stride;
    switch (record.descriptor.bitsPerPixel) {
    case 32:
        std::memcpy(row + 4 * x, &value, 4);
        break;
    case 16: {
        const auto half = static_cast<uint16_t>(value);
        std::memcpy(row + 2 * x, &half, 2);
        break;
    }
    case 8:
        row[x] = static_cast<uint8_t>(value);
        break;
    default: {
        const int bit = x + record.bitOffset;
        row[bit / 8] = static_cast<uint8_t>((row[bit / 8] & ~(1u << (bit % 8))) | ((value & 1u) << (bit % 8)));
        break;
    }
    }
}

inline uint32_t rawPixel(VGImage image, int x, int y)
{
    return rawPixelOf(imageRecord(image), x, y);
}

inline void setRawPixel(VGImage image, int x, int y, uint32_t value)
{
    setRawPixelOf(imageRecord(image), x, y, value);
}

// A 32-bit RGBA-ordered packed value (VG_sRGBA_8888 and the other channel-order-0 32-bit formats).
constexpr uint32_t rgba(uint32_t r, uint32_t g, uint32_t b, uint32_t a)
{
    return (r << 24) | (g << 16) | (b << 8) | a;
}

// The colour buffer of the bound surface and one of its pixels.
inline ColorBuffer &boundBuffer()
{
    ColorBuffer *buffer = currentVg().colorBuffer;
    if (buffer == nullptr)
        throw std::runtime_error("no colour buffer is bound");
    return *buffer;
}

inline BufferPixel &bufferPixel(int x, int y)
{
    ColorBuffer &buffer = boundBuffer();
    return buffer.pixels.data()[static_cast<size_t>(y) * static_cast<size_t>(buffer.width) + static_cast<size_t>(x)];
}

// A buffer pixel as four printable channels (red, green, blue, alpha).
using Channels = std::array<int, 4>;
inline Channels channels(const BufferPixel &p)
{
    return {p.red, p.green, p.blue, p.alpha};
}

// A bound context whose tests must leave no VG error pending, with a helper to make images.
class ImageCallTest : public BoundContextTest {
protected:
    void TearDown() override
    {
        if (eglGetCurrentVGContext() != nullptr) {
            EXPECT_EQ(vgGetError(), VG_NO_ERROR) << "an error was left pending";
        }
        BoundContextTest::TearDown();
    }

    static VGImage makeImage(VGImageFormat format, int w, int h)
    {
        const VGImage image = vgCreateImage(format, w, h, VG_IMAGE_QUALITY_NONANTIALIASED);
        EXPECT_NE(image, VG_INVALID_HANDLE);
        return image;
    }
};

} // namespace tamarind::test

#endif
