// Shared helpers of the image filter tests: a fixture that checks no error is left pending, image makers
// and pixel accessors in terms of 32-bit RGBA-ordered values.
#ifndef TAMARIND_TESTS_VG_IMAGE_FILTER_TEST_SUPPORT_H
#define TAMARIND_TESTS_VG_IMAGE_FILTER_TEST_SUPPORT_H

#include "image_record_access.h"

#include <functional>
#include <vector>

namespace tamarind::test {

class FilterTest : public ImageCallTest {
protected:

    // An image whose every pixel holds the packed value `value`.
    static VGImage filledImage(VGImageFormat format, int w, int h, uint32_t value)
    {
        const VGImage image = makeImage(format, w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                setRawPixel(image, x, y, value);
        return image;
    }

    // A VG_sRGBA_8888 image with pixels valueAt(x, y).
    static VGImage paintedImage(int w, int h, const std::function<uint32_t(int, int)> &valueAt)
    {
        const VGImage image = makeImage(VG_sRGBA_8888, w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                setRawPixel(image, x, y, valueAt(x, y));
        return image;
    }

    static std::vector<uint32_t> snapshot(VGImage image)
    {
        const ImageObject &record = imageRecord(image);
        std::vector<uint32_t> values;
        for (int y = 0; y < record.height; ++y)
            for (int x = 0; x < record.width; ++x)
                values.push_back(rawPixelOf(record, x, y));
        return values;
    }

    static void setTileFill(float r, float g, float b, float a)
    {
        const VGfloat color[4] = {r, g, b, a};
        vgSetfv(VG_TILE_FILL_COLOR, 4, color);
    }
};

} // namespace tamarind::test

#endif
