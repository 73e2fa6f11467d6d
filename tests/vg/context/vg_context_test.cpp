// VG contexts: defaults, shared object lists, handle validity and destruction order.
#include "egl_fixture.h"

#include "context/vg_context.h"
#include "egl/context_record.h"
#include "image/image_object.h"
#include "path/path_object.h"
#include "render/paint_object.h"

#include <cfloat>

namespace tamarind::test {
namespace {

VgContext &vgOf(EGLContext context)
{
    return *static_cast<ContextRecord *>(context)->vgContext;
}

template <class T>
T *makeObject(ObjectList<T> &list, VgContext &creator)
{
    T *object = new T();
    registerObject(list, object, &creator);
    return object;
}

TEST_F(BoundContextTest, NewContextHoldsEveryDefault)
{
    const VgContext &c = vgOf(context);
    EXPECT_EQ(c.matrixMode, VG_MATRIX_PATH_USER_TO_SURFACE);
    EXPECT_EQ(c.fillRule, VG_EVEN_ODD);
    EXPECT_EQ(c.imageQuality, VG_IMAGE_QUALITY_FASTER);
    EXPECT_EQ(c.renderingQuality, VG_RENDERING_QUALITY_BETTER);
    EXPECT_EQ(c.blendMode, VG_BLEND_SRC_OVER);
    EXPECT_EQ(c.imageDrawMode, VG_DRAW_IMAGE_NORMAL);
    EXPECT_TRUE(c.scissorRects.empty());
    EXPECT_EQ(c.scissorRects.capacity(), 0u);
    EXPECT_EQ(c.strokeLineWidth, 1.0f);
    EXPECT_EQ(c.strokeCap, VG_CAP_BUTT);
    EXPECT_EQ(c.strokeJoin, VG_JOIN_MITER);
    EXPECT_EQ(c.strokeMiterLimit, 4.0f);
    EXPECT_TRUE(c.strokeDashes.empty());
    EXPECT_EQ(c.strokeDashPhase, 0.0f);
    EXPECT_EQ(c.strokeDashPhaseReset, 0);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(c.tileFillColor[i], 0.0f);
        EXPECT_EQ(c.clearColor[i], 0.0f);
    }
    EXPECT_EQ(c.masking, 0);
    EXPECT_EQ(c.scissoring, 0);
    EXPECT_EQ(c.pixelLayout, VG_PIXEL_LAYOUT_UNKNOWN);
    EXPECT_EQ(c.filterFormatLinear, 0);
    EXPECT_EQ(c.filterFormatPremultiplied, 0);
    EXPECT_EQ(c.filterChannelMask, 15);
    EXPECT_EQ(c.currentMatrix, &c.pathUserToSurface);
    for (const Matrix3 *m : {&c.pathUserToSurface, &c.imageUserToSurface, &c.fillPaintToUser, &c.strokePaintToUser})
        for (int r = 0; r < 3; ++r)
            for (int col = 0; col < 3; ++col)
                EXPECT_EQ(m->m[r][col], r == col ? 1.0f : 0.0f);
    EXPECT_EQ(c.fillPaint, nullptr);
    EXPECT_EQ(c.strokePaint, nullptr);
    EXPECT_EQ(c.error, VG_NO_ERROR);
    EXPECT_EQ(c.images->holders, 1);
    EXPECT_NE(c.edgeArena.first, nullptr) << "arenas start with their first block";
    EXPECT_NE(c.activeEdgeArena.first, nullptr);
    EXPECT_NE(c.intervalArena.first, nullptr);
}

TEST_F(BoundContextTest, BindingAttachesTheSurfaceAndABucketPerSubsampleRow)
{
    const VgContext &c = vgOf(context);
    ASSERT_NE(c.colorBuffer, nullptr);
    ASSERT_NE(c.maskBuffer, nullptr);
    EXPECT_EQ(c.edgeBuckets.size(), 64u * 8u);
    ASSERT_EQ(eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT), EGL_TRUE);
    EXPECT_EQ(c.colorBuffer, nullptr);
    EXPECT_EQ(c.maskBuffer, nullptr);
}

TEST_F(BoundContextTest, HandlesAreValidOnlyInTheListOfTheirKind)
{
    VgContext &c = vgOf(context);
    PathObject *path = makeObject(*c.paths, c);
    PaintObject *paint = makeObject(*c.paints, c);
    EXPECT_NE(path->handle, VG_INVALID_HANDLE);
    EXPECT_NE(path->handle, paint->handle);
    EXPECT_EQ(isPath(c, path->handle), path);
    EXPECT_EQ(isPaint(c, path->handle), nullptr);
    EXPECT_EQ(isImage(c, path->handle), nullptr);
    EXPECT_EQ(isPath(c, VG_INVALID_HANDLE), nullptr);
    EXPECT_EQ(path->refCount, 1);

    const VGHandle handle = path->handle;
    EXPECT_TRUE(unregisterObject(*c.paths, path));
    EXPECT_EQ(isPath(c, handle), nullptr);
}

TEST_F(BoundContextTest, RemovingAnEntryKeepsTheOrderOfTheOthers)
{
    VgContext &c = vgOf(context);
    PathObject *a = makeObject(*c.paths, c);
    PathObject *b = makeObject(*c.paths, c);
    PathObject *d = makeObject(*c.paths, c);
    EXPECT_EQ(c.paths->entries.capacity(), 8u) << "lists grow to 8 entries first";
    unregisterObject(*c.paths, b);
    ASSERT_EQ(c.paths->entries.size(), 2u);
    EXPECT_EQ(c.paths->entries[0].object, a);
    EXPECT_EQ(c.paths->entries[1].object, d);
}

TEST_F(BoundContextTest, SharedContextsSeeTheSameHandlesUntilTheCreatorGoes)
{
    EGLContext shared = eglCreateContext(display, config, context, nullptr);
    ASSERT_NE(shared, EGL_NO_CONTEXT);
    VgContext &first = vgOf(context);
    VgContext &second = vgOf(shared);
    EXPECT_EQ(first.paths, second.paths);
    EXPECT_EQ(first.paths->holders, 2);

    PathObject *mine = makeObject(*first.paths, first);
    PathObject *theirs = makeObject(*second.paths, second);
    const VGHandle mineHandle = mine->handle;
    EXPECT_EQ(isPath(second, mineHandle), mine);
    EXPECT_EQ(isPath(first, theirs->handle), theirs);

    // Destroying the second context destroys the handles it created, for both contexts.
    const VGHandle theirsHandle = theirs->handle;
    ASSERT_EQ(eglDestroyContext(display, shared), EGL_TRUE);
    EXPECT_EQ(isPath(first, theirsHandle), nullptr);
    EXPECT_EQ(isPath(first, mineHandle), mine);
    EXPECT_EQ(first.paths->holders, 1);
}

TEST_F(BoundContextTest, UnrelatedContextsDoNotShareHandles)
{
    EGLContext other = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    VgContext &first = vgOf(context);
    PathObject *path = makeObject(*first.paths, first);
    EXPECT_EQ(isPath(vgOf(other), path->handle), nullptr);
    EXPECT_NE(first.paths, vgOf(other).paths);
}

TEST_F(BoundContextTest, APaintHeldByAContextOutlivesItsHandle)
{
    VgContext &c = vgOf(context);
    PaintObject *paint = makeObject(*c.paints, c);
    paint->refCount += 1; // set as the fill paint
    c.fillPaint = paint;
    const VGHandle handle = paint->handle;
    unregisterObject(*c.paints, paint);
    EXPECT_EQ(isPaint(c, handle), nullptr) << "the handle dies at once";
    EXPECT_EQ(c.fillPaint, paint);
    EXPECT_EQ(paint->refCount, 1) << "the record lives on the context's reference";
    // Tear-down drops the context's reference; the sanitizer build reports a leak if it did not.
}

TEST_F(BoundContextTest, ObjectsOfEveryKindAreFreedWithTheirCreator)
{
    VgContext &c = vgOf(context);
    for (int i = 0; i < 20; ++i) {
        makeObject(*c.images, c);
        makeObject(*c.paths, c);
        makeObject(*c.paints, c);
    }
    EXPECT_EQ(c.images->entries.capacity(), 32u); // 8, 16, 32
    // The fixture's reset destroys the context; leaks would show in the sanitizer build.
}

} // namespace
} // namespace tamarind::test
