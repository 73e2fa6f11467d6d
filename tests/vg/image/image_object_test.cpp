// Image objects through the API: limits and error order, children sharing storage, parents, destruction.
#include "egl_fixture.h"

#include "context/vg_context.h"
#include "image/image_object.h"

#include <cstring>

namespace tamarind::test {
namespace {

using ImageTest = BoundContextTest;

ImageObject &recordOf(VGImage image)
{
    return *isImage(*static_cast<VgContext *>(eglGetCurrentVGContext()), image);
}

TEST_F(ImageTest, SizeAndQualityLimits)
{
    VGImage largest = vgCreateImage(VG_A_8, 16384, 16384, VG_IMAGE_QUALITY_NONANTIALIASED);
    EXPECT_NE(largest, VG_INVALID_HANDLE) << "exactly 2^28 pixels and 2^28 bytes";
    vgDestroyImage(largest);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);

    EXPECT_EQ(vgCreateImage(VG_sRGBA_8888, 16385, 1, 0), VG_INVALID_HANDLE);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_EQ(vgCreateImage(VG_sRGBA_8888, 1, 16385, 0), VG_INVALID_HANDLE);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_EQ(vgCreateImage(VG_sRGBA_8888, 0, 4, 0), VG_INVALID_HANDLE);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_EQ(vgCreateImage(VG_sRGBA_8888, 4, 4, 8), VG_INVALID_HANDLE);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_EQ(vgCreateImage(VG_sRGBA_8888, 4, 4, static_cast<VGbitfield>(-1)), VG_INVALID_HANDLE);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    VGImage quality0 = vgCreateImage(VG_sRGBA_8888, 4, 4, 0);
    EXPECT_NE(quality0, VG_INVALID_HANDLE);
    vgDestroyImage(quality0);
}

TEST_F(ImageTest, UnsupportedFormatIsReportedBeforeSizes)
{
    for (int format : {13, 0x43, 202, -1}) {
        EXPECT_EQ(vgCreateImage(static_cast<VGImageFormat>(format), 0, 0, 99), VG_INVALID_HANDLE);
        EXPECT_EQ(vgGetError(), VG_UNSUPPORTED_IMAGE_FORMAT_ERROR) << format;
    }
}

TEST_F(ImageTest, NewImagesReadBackZeroedStorage)
{
    VGImage rgba = vgCreateImage(VG_sRGBA_8888, 3, 2, 0);
    VGImage rgbx = vgCreateImage(VG_sRGBX_8888, 3, 2, 0);
    EXPECT_EQ(readImagePixel(recordOf(rgba), 2, 1).alpha, 0) << "transparent black";
    EXPECT_EQ(readImagePixel(recordOf(rgbx), 2, 1).alpha, 255) << "opaque black";
    EXPECT_EQ(recordOf(rgba).stride, 12);
    VGImage bw = vgCreateImage(VG_BW_1, 9, 2, 0);
    EXPECT_EQ(recordOf(bw).stride, 2) << "(9 + 7) / 8 bytes per row";
}

TEST_F(ImageTest, ChildrenAddressTheirParentsStorage)
{
    VGImage root = vgCreateImage(VG_BW_1, 32, 4, 0);
    VGImage child = vgChildImage(root, 6, 1, 20, 3);
    VGImage grandchild = vgChildImage(child, 3, 0, 5, 2);
    ASSERT_NE(grandchild, VG_INVALID_HANDLE);
    // Pixel 0 of the grandchild is root bit 9: byte 1, bit 1, of row 1.
    writeImagePixel(recordOf(grandchild), 0, 0, PixelColor{COLOR_LUMINANCE, 255, 255, 255, 255});
    const ImageObject &r = recordOf(root);
    EXPECT_EQ(r.pixels[r.stride + 1], 0x02);
    EXPECT_EQ(recordOf(grandchild).bitOffset, 1);
    EXPECT_EQ(r.shareCount, 1);
    EXPECT_EQ(recordOf(child).shareCount, 2);
    EXPECT_EQ(recordOf(grandchild).shareCount, 1);
    EXPECT_EQ(vgGetParent(grandchild), child);
    EXPECT_EQ(vgGetParent(root), root);
}

TEST_F(ImageTest, ChildRectangleMustLieInsideTheParent)
{
    VGImage root = vgCreateImage(VG_sRGBA_8888, 8, 8, 0);
    const int bad[][4] = {{-1, 0, 1, 1}, {8, 0, 1, 1}, {0, 8, 1, 1}, {0, 0, 0, 1},
                          {0, 0, 1, -1}, {4, 0, 5, 1}, {1, 0, 2147483647, 1}, {0, 1, 1, 2147483647}};
    for (const auto &r : bad) {
        EXPECT_EQ(vgChildImage(root, r[0], r[1], r[2], r[3]), VG_INVALID_HANDLE);
        EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR) << r[0] << "," << r[1] << "," << r[2] << "," << r[3];
    }
    EXPECT_EQ(vgChildImage(root + 1000, 0, 0, 1, 1), VG_INVALID_HANDLE);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
    EXPECT_NE(vgChildImage(root, 7, 7, 1, 1), VG_INVALID_HANDLE);
}

TEST_F(ImageTest, ChildKeepsADestroyedParentsPixelsAlive)
{
    VGImage root = vgCreateImage(VG_sRGBA_8888, 4, 4, 0);
    std::memset(recordOf(root).pixels, 0x5A, 4 * 4 * 4);
    VGImage child = vgChildImage(root, 1, 1, 2, 2);
    vgDestroyImage(root);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    EXPECT_EQ(vgGetParent(child), child) << "the destroyed parent is no longer returned";
    EXPECT_EQ(readImagePixel(recordOf(child), 1, 1).c0, 0x5A) << "storage still readable";
    EXPECT_EQ(recordOf(child).parent->refCount, 1) << "held by the child alone";
    vgDestroyImage(root);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR) << "destroying twice";
    vgDestroyImage(child);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

TEST_F(ImageTest, ShareCountsFollowChildrenComingAndGoing)
{
    VGImage root = vgCreateImage(VG_sRGBA_8888, 4, 4, 0);
    VGImage a = vgChildImage(root, 0, 0, 2, 2);
    VGImage b = vgChildImage(root, 2, 2, 2, 2);
    EXPECT_EQ(recordOf(root).shareCount, 2);
    EXPECT_EQ(recordOf(root).refCount, 3);
    vgDestroyImage(a);
    EXPECT_EQ(recordOf(root).shareCount, 1);
    EXPECT_EQ(recordOf(root).refCount, 2);
    vgDestroyImage(b);
    EXPECT_EQ(recordOf(root).shareCount, 0);
}

TEST_F(ImageTest, PathAndPaintHandlesAreNotImages)
{
    vgDestroyImage(VG_INVALID_HANDLE);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
    EXPECT_EQ(vgGetParent(12345), VG_INVALID_HANDLE);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
}

TEST_F(ImageTest, QueriesAnswerWithAndWithoutErrors)
{
    EXPECT_EQ(vgHardwareQuery(VG_IMAGE_FORMAT_QUERY, VG_sRGBA_8888), VG_HARDWARE_UNACCELERATED);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    EXPECT_EQ(vgHardwareQuery(VG_IMAGE_FORMAT_QUERY, 13), VG_HARDWARE_UNACCELERATED);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_EQ(vgHardwareQuery(VG_PATH_DATATYPE_QUERY, 3), VG_HARDWARE_UNACCELERATED);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    EXPECT_EQ(vgHardwareQuery(VG_PATH_DATATYPE_QUERY, 4), VG_HARDWARE_UNACCELERATED);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_EQ(vgHardwareQuery(static_cast<VGHardwareQueryType>(0x2102), 0), VG_HARDWARE_UNACCELERATED);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);

    EXPECT_STREQ(reinterpret_cast<const char *>(vgGetString(VG_VENDOR)), "Korvel Labs");
    EXPECT_STREQ(reinterpret_cast<const char *>(vgGetString(VG_RENDERER)), "Tamarind 0.1.0");
    EXPECT_STREQ(reinterpret_cast<const char *>(vgGetString(VG_VERSION)), "0.1");
    const VGubyte *extensions = vgGetString(VG_EXTENSIONS);
    ASSERT_NE(extensions, nullptr);
    EXPECT_EQ(extensions[0], 0);
    EXPECT_EQ(vgGetString(static_cast<VGStringID>(0x2304)), nullptr);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

TEST_F(EglTest, QueriesWithoutAContext)
{
    EXPECT_EQ(vgHardwareQuery(VG_IMAGE_FORMAT_QUERY, 13), VG_HARDWARE_UNACCELERATED);
    EXPECT_EQ(vgGetString(VG_VENDOR), nullptr);
    EXPECT_EQ(vgCreateImage(VG_sRGBA_8888, 4, 4, 0), VG_INVALID_HANDLE);
}

} // namespace
} // namespace tamarind::test
