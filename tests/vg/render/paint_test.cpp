// Paint objects through the public entry points: defaults, binding as fill and stroke paint with the
// reference counts that keep a destroyed paint alive, the packed colour both ways, and the pattern image
// with its reference and share counts.
#include "allocation_failure.h"
#include "egl_fixture.h"

#include "context/vg_context.h"
#include "image/image_object.h"
#include "render/paint_object.h"

#include <cstdint>
#include <stdexcept>

namespace tamarind::test {
namespace {

VgContext &current()
{
    return *static_cast<VgContext *>(eglGetCurrentVGContext());
}

PaintObject &paintRecord(VGPaint paint)
{
    PaintObject *record = isPaint(current(), paint);
    if (record == nullptr)
        throw std::runtime_error("not a live paint handle");
    return *record;
}

ImageObject &imageRecord(VGImage image)
{
    ImageObject *record = isImage(current(), image);
    if (record == nullptr)
        throw std::runtime_error("not a live image handle");
    return *record;
}

using PaintTest = BoundContextTest;

TEST_F(PaintTest, NewPaintIsOpaqueBlackWithTheDefaultRamp)
{
    const VGPaint paint = vgCreatePaint();
    ASSERT_NE(paint, VG_INVALID_HANDLE);
    const PaintObject &p = paintRecord(paint);
    EXPECT_EQ(p.refCount, 1);
    EXPECT_EQ(p.cachedColor.flags, COLOR_SRGB | COLOR_PREMULTIPLIED);
    EXPECT_EQ(p.cachedColor.c0, 0);
    EXPECT_EQ(p.cachedColor.alpha, 255);
    EXPECT_EQ(vgGetColor(paint), 0x000000FFu);
    ASSERT_EQ(p.stops.size(), 2u);
    EXPECT_EQ(p.stops[0].position, 0);
    EXPECT_EQ(p.stops[0].c0, 0);
    EXPECT_EQ(p.stops[1].position, 255);
    EXPECT_EQ(p.stops[1].c0, 255);
    EXPECT_TRUE(p.userStops.empty());
    VGfloat linear[4] = {};
    vgGetParameterfv(paint, VG_PAINT_LINEAR_GRADIENT, 4, linear);
    EXPECT_EQ(linear[2], 1.0f) << "(0, 0) to (1, 0)";
    VGfloat radial[5] = {};
    vgGetParameterfv(paint, VG_PAINT_RADIAL_GRADIENT, 5, radial);
    EXPECT_EQ(radial[4], 1.0f) << "radius 1";
    EXPECT_EQ(p.pattern, nullptr);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

TEST_F(PaintTest, CreateFailsCleanlyWithoutMemory)
{
    VGPaint paint = VG_INVALID_HANDLE;
    {
        FailAllocations failing;
        paint = vgCreatePaint();
    }
    EXPECT_EQ(paint, VG_INVALID_HANDLE);
    EXPECT_EQ(vgGetError(), VG_OUT_OF_MEMORY_ERROR);
    EXPECT_TRUE(current().paints->entries.empty());
}

TEST_F(PaintTest, SetColorPacksRgbaBytes)
{
    const VGPaint paint = vgCreatePaint();
    vgSetColor(paint, 0x80808080u);
    EXPECT_EQ(vgGetColor(paint), 0x80808080u);
    // 128 premultiplied by alpha 128: (128 x 129) >> 8 = 64.
    const PixelColor &cached = paintRecord(paint).cachedColor;
    EXPECT_EQ(cached.flags, COLOR_SRGB | COLOR_PREMULTIPLIED);
    EXPECT_EQ(cached.c0, 64);
    EXPECT_EQ(cached.c1, 64);
    EXPECT_EQ(cached.c2, 64);
    EXPECT_EQ(cached.alpha, 128);

    // Red in the top byte, alpha in the bottom one; each byte / 255 is stored.
    vgSetColor(paint, 0x11336699u);
    VGfloat color[4] = {};
    vgGetParameterfv(paint, VG_PAINT_COLOR, 4, color);
    EXPECT_FLOAT_EQ(color[0], 0x11 / 255.0f);
    EXPECT_FLOAT_EQ(color[1], 0x33 / 255.0f);
    EXPECT_FLOAT_EQ(color[2], 0x66 / 255.0f);
    EXPECT_FLOAT_EQ(color[3], 0x99 / 255.0f);
    // Alpha 0x99 = 153: 0x11 = 17 -> (17 x 154) >> 8 = 10; 0x66 = 102 -> (102 x 154) >> 8 = 61.
    EXPECT_EQ(cached.c0, 10);
    EXPECT_EQ(cached.c2, 61);
    EXPECT_EQ(cached.alpha, 153);

    // Every byte value comes back unchanged in every position.
    for (uint32_t b = 0; b < 256; ++b) {
        const uint32_t packed = (b << 24) | ((255 - b) << 16) | (b << 8) | (b ^ 0x5A);
        vgSetColor(paint, packed);
        ASSERT_EQ(vgGetColor(paint), packed) << b;
    }
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

TEST_F(PaintTest, GetColorClampsStoredComponents)
{
    const VGPaint paint = vgCreatePaint();
    // -0.5 -> 0, 1.5 -> 1 -> 255, 0.5 -> 127.5 -> 127, 1 -> 255.
    const VGfloat color[4] = {-0.5f, 1.5f, 0.5f, 1.0f};
    vgSetParameterfv(paint, VG_PAINT_COLOR, 4, color);
    EXPECT_EQ(vgGetColor(paint), 0x00FF7FFFu);
}

TEST_F(PaintTest, ColorCallsCheckTheHandle)
{
    const VGImage image = vgCreateImage(VG_sRGBA_8888, 2, 2, VG_IMAGE_QUALITY_NONANTIALIASED);
    vgSetColor(image, 0xFFFFFFFFu);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
    EXPECT_EQ(vgGetColor(VG_INVALID_HANDLE), 0u);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
    vgDestroyPaint(image);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
    EXPECT_NE(isImage(current(), image), nullptr) << "a wrong-kind destroy leaves the image alone";
}

TEST_F(PaintTest, SetPaintChecksHandleThenModes)
{
    const VGPaint paint = vgCreatePaint();
    const VGImage image = vgCreateImage(VG_sRGBA_8888, 2, 2, VG_IMAGE_QUALITY_NONANTIALIASED);
    vgSetPaint(image, 7);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR) << "the handle is tested before the modes";
    vgSetPaint(paint, 4);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    vgSetPaint(VG_INVALID_HANDLE, 0xFFFFFFFFu);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    vgSetPaint(paint, 0);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    EXPECT_EQ(current().fillPaint, nullptr);
    EXPECT_EQ(current().strokePaint, nullptr);
    EXPECT_EQ(paintRecord(paint).refCount, 1);

    EXPECT_EQ(vgGetPaint(static_cast<VGPaintMode>(3)), VG_INVALID_HANDLE);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_EQ(vgGetPaint(static_cast<VGPaintMode>(0)), VG_INVALID_HANDLE);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_EQ(vgGetPaint(VG_FILL_PATH), VG_INVALID_HANDLE) << "nothing bound";
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

TEST_F(PaintTest, BindingsCountReferences)
{
    const VGPaint a = vgCreatePaint();
    const VGPaint b = vgCreatePaint();
    vgSetPaint(a, VG_FILL_PATH | VG_STROKE_PATH);
    EXPECT_EQ(paintRecord(a).refCount, 3) << "handle + fill + stroke";
    EXPECT_EQ(vgGetPaint(VG_FILL_PATH), a);
    EXPECT_EQ(vgGetPaint(VG_STROKE_PATH), a);
    vgSetPaint(a, VG_FILL_PATH);
    EXPECT_EQ(paintRecord(a).refCount, 3) << "re-binding the bound paint keeps one reference per slot";
    vgSetPaint(b, VG_STROKE_PATH);
    EXPECT_EQ(paintRecord(a).refCount, 2);
    EXPECT_EQ(paintRecord(b).refCount, 2);
    EXPECT_EQ(vgGetPaint(VG_STROKE_PATH), b);
    vgSetPaint(VG_INVALID_HANDLE, VG_FILL_PATH | VG_STROKE_PATH);
    EXPECT_EQ(paintRecord(a).refCount, 1);
    EXPECT_EQ(paintRecord(b).refCount, 1);
    EXPECT_EQ(vgGetPaint(VG_FILL_PATH), VG_INVALID_HANDLE);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

TEST_F(PaintTest, DestroyedPaintStaysBoundUntilReplaced)
{
    const VGPaint paint = vgCreatePaint();
    vgSetColor(paint, 0x10203040u);
    vgSetPaint(paint, VG_FILL_PATH | VG_STROKE_PATH);
    PaintObject *record = &paintRecord(paint);
    vgDestroyPaint(paint);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);

    // The record lives on in both slots, but its handle is dead everywhere.
    EXPECT_EQ(current().fillPaint, record);
    EXPECT_EQ(record->refCount, 2);
    EXPECT_EQ(record->cachedColor.alpha, 0x40);
    EXPECT_EQ(isPaint(current(), paint), nullptr);
    vgSetColor(paint, 0);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
    vgSetParameteri(paint, VG_PAINT_TYPE, VG_PAINT_TYPE_COLOR);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
    vgSetPaint(paint, VG_FILL_PATH);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
    vgDestroyPaint(paint);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
    EXPECT_EQ(record->refCount, 2);
    // vgGetPaint never hands back a dead handle.
    EXPECT_EQ(vgGetPaint(VG_FILL_PATH), VG_INVALID_HANDLE);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);

    // Replacing the fill keeps it for the stroke; replacing the stroke frees it (checked under the
    // sanitizers).
    const VGPaint other = vgCreatePaint();
    vgSetPaint(other, VG_FILL_PATH);
    EXPECT_EQ(record->refCount, 1);
    EXPECT_EQ(current().strokePaint, record);
    vgSetPaint(other, VG_STROKE_PATH);
    EXPECT_EQ(current().strokePaint, &paintRecord(other));
    EXPECT_EQ(paintRecord(other).refCount, 3);
}

TEST_F(PaintTest, PatternHoldsAReferenceAndAShare)
{
    const VGPaint paint = vgCreatePaint();
    const VGImage first = vgCreateImage(VG_sRGBA_8888, 4, 4, VG_IMAGE_QUALITY_NONANTIALIASED);
    const VGImage second = vgCreateImage(VG_sRGBA_8888, 4, 4, VG_IMAGE_QUALITY_NONANTIALIASED);
    ImageObject &one = imageRecord(first);
    ImageObject &two = imageRecord(second);

    vgPaintPattern(paint, first);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    EXPECT_EQ(paintRecord(paint).pattern, &one);
    EXPECT_EQ(one.refCount, 2) << "handle + pattern";
    EXPECT_EQ(one.shareCount, 1);
    vgPaintPattern(paint, first);
    EXPECT_EQ(one.refCount, 2) << "setting the same image again takes nothing more";
    EXPECT_EQ(one.shareCount, 1);

    vgPaintPattern(paint, second);
    EXPECT_EQ(one.refCount, 1);
    EXPECT_EQ(one.shareCount, 0);
    EXPECT_EQ(two.refCount, 2);
    EXPECT_EQ(two.shareCount, 1);
    vgPaintPattern(paint, VG_INVALID_HANDLE);
    EXPECT_EQ(paintRecord(paint).pattern, nullptr);
    EXPECT_EQ(two.refCount, 1);
    EXPECT_EQ(two.shareCount, 0);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);

    // Handle checks: the paint first, then a non-zero image.
    const VGPaint notAnImage = vgCreatePaint();
    vgPaintPattern(first, first);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
    vgPaintPattern(paint, notAnImage);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
    EXPECT_EQ(paintRecord(paint).pattern, nullptr);
}

TEST_F(PaintTest, PatternImageOutlivesItsHandleUntilThePaintGoes)
{
    // A child image keeps a reference on its parent, so the parent's count shows when the child goes.
    const VGImage parent = vgCreateImage(VG_sRGBA_8888, 8, 8, VG_IMAGE_QUALITY_NONANTIALIASED);
    const VGImage child = vgChildImage(parent, 0, 0, 4, 4);
    ImageObject &root = imageRecord(parent);
    ImageObject &pattern = imageRecord(child);
    EXPECT_EQ(root.refCount, 2);

    const VGPaint paint = vgCreatePaint();
    vgPaintPattern(paint, child);
    vgSetPaint(paint, VG_FILL_PATH);
    vgDestroyImage(child);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    EXPECT_EQ(pattern.refCount, 1) << "only the paint holds the child now";
    EXPECT_EQ(pattern.shareCount, 2) << "its parent link and the pattern";
    EXPECT_EQ(root.refCount, 2);

    vgDestroyPaint(paint);
    EXPECT_EQ(root.refCount, 2) << "the bound fill paint still holds the pattern";
    vgSetPaint(VG_INVALID_HANDLE, VG_FILL_PATH);
    // The paint went, then its pattern (the child), which dropped its reference and share on the parent.
    EXPECT_EQ(root.refCount, 1);
    EXPECT_EQ(root.shareCount, 0);
}

TEST_F(PaintTest, ContextDestructionReleasesBoundPaintsAndPatterns)
{
    // Left bound with a pattern for the fixture to tear down: the sanitizer build reports any leak.
    const VGPaint paint = vgCreatePaint();
    const VGImage image = vgCreateImage(VG_sRGBA_8888, 4, 4, VG_IMAGE_QUALITY_NONANTIALIASED);
    vgPaintPattern(paint, image);
    vgSetPaint(paint, VG_FILL_PATH | VG_STROKE_PATH);
    vgDestroyImage(image);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

TEST_F(PaintTest, ImageBoundAsASurfaceCannotBecomeAPattern)
{
    const VGPaint paint = vgCreatePaint();
    const VGImage image = vgCreateImage(VG_sRGBA_8888, 4, 4, VG_IMAGE_QUALITY_NONANTIALIASED);
    const EGLSurface target = eglCreatePbufferFromClientBuffer(
        display, EGL_OPENVG_IMAGE, reinterpret_cast<EGLClientBuffer>(static_cast<uintptr_t>(image)), config,
        nullptr);
    ASSERT_NE(target, EGL_NO_SURFACE);
    ASSERT_EQ(eglMakeCurrent(display, target, target, context), EGL_TRUE);
    const int32_t shares = imageRecord(image).shareCount;
    vgPaintPattern(paint, image);
    EXPECT_EQ(vgGetError(), VG_IMAGE_IN_USE_ERROR);
    EXPECT_EQ(imageRecord(image).shareCount, shares);
    EXPECT_EQ(paintRecord(paint).pattern, nullptr);
    ASSERT_EQ(eglMakeCurrent(display, surface, surface, context), EGL_TRUE);
    vgPaintPattern(paint, image);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR) << "no longer bound";
    EXPECT_EQ(paintRecord(paint).pattern, &imageRecord(image));
    eglDestroySurface(display, target);
}

} // namespace
} // namespace tamarind::test
