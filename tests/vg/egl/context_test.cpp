// EGL contexts: the checks of eglCreateContext, the VG context each one owns, share groups, destroying
// and querying.
#include "egl_test_helpers.h"

#include "path/path_object.h"

namespace tamarind::test {
namespace {

EGLContext makeContext(int config, EGLContext share = EGL_NO_CONTEXT)
{
    return eglCreateContext(EGL_NO_DISPLAY, configAt(config), share, nullptr);
}

// ---- Creation checks ----

TEST_F(BoundContextTest, CreateContextChecksDisplayFirst)
{
    EXPECT_EQ(eglCreateContext(reinterpret_cast<EGLDisplay>(1), config, EGL_NO_CONTEXT, nullptr), EGL_NO_CONTEXT);
    EXPECT_EQ(eglGetError(), EGL_NOT_INITIALIZED);
    ASSERT_EQ(eglTerminate(display), EGL_TRUE); // the binding outlives the display, so errors stay visible
    ASSERT_EQ(eglBindAPI(EGL_OPENGL_ES_API), EGL_TRUE);
    EXPECT_EQ(eglCreateContext(display, configAt(9), bogusContext(), nullptr), EGL_NO_CONTEXT);
    EXPECT_EQ(eglGetError(), EGL_NOT_INITIALIZED);
}

TEST_F(BoundContextTest, CreateContextChecksConfigurationThenApiThenShareContext)
{
    ASSERT_EQ(eglBindAPI(EGL_OPENGL_ES_API), EGL_TRUE);
    for (int bad : {7, -1, 256}) {
        EXPECT_EQ(eglCreateContext(display, configAt(bad), bogusContext(), nullptr), EGL_NO_CONTEXT);
        EXPECT_EQ(eglGetError(), 0x3005) << bad; // EGL_BAD_CONFIG before the API
    }
    EXPECT_EQ(eglCreateContext(display, configAt(0), bogusContext(), nullptr), EGL_NO_CONTEXT);
    EXPECT_EQ(eglGetError(), 0x300C); // EGL_BAD_PARAMETER: the API before the share context

    ASSERT_EQ(eglBindAPI(EGL_OPENVG_API), EGL_TRUE);
    EXPECT_EQ(eglCreateContext(display, configAt(0), bogusContext(), nullptr), EGL_NO_CONTEXT);
    EXPECT_EQ(eglGetError(), 0x3006); // EGL_BAD_CONTEXT
    // A surface is not a context either.
    EXPECT_EQ(eglCreateContext(display, configAt(0), surface, nullptr), EGL_NO_CONTEXT);
    EXPECT_EQ(eglGetError(), EGL_BAD_CONTEXT);
    // Only the fixture's context is listed.
    EXPECT_EQ(displayRecord()->contexts.size(), 1u);
}

TEST_F(EglTest, CreateContextNeedsTheOpenVgApi)
{
    ASSERT_EQ(eglInitialize(EGL_NO_DISPLAY, nullptr, nullptr), EGL_TRUE);
    // No API bound yet.
    EXPECT_EQ(makeContext(0), EGL_NO_CONTEXT);
    ASSERT_EQ(eglBindAPI(EGL_OPENGL_ES_API), EGL_TRUE);
    EXPECT_EQ(makeContext(0), EGL_NO_CONTEXT);
    EXPECT_TRUE(displayRecord()->contexts.empty());
    ASSERT_EQ(eglBindAPI(EGL_OPENVG_API), EGL_TRUE);
    EXPECT_NE(makeContext(0), EGL_NO_CONTEXT);
}

TEST_F(BoundContextTest, DestroyedShareContextIsBadContext)
{
    EGLContext share = makeContext(0);
    ASSERT_NE(share, EGL_NO_CONTEXT);
    ASSERT_EQ(eglDestroyContext(display, share), EGL_TRUE);
    EXPECT_EQ(makeContext(0, share), EGL_NO_CONTEXT);
    EXPECT_EQ(eglGetError(), EGL_BAD_CONTEXT);
}

TEST_F(InitialisedTest, CreateContextIgnoresItsAttributeList)
{
    const EGLint list[] = {0x1234, 5, EGL_CONFIG_ID, 3, EGL_NONE};
    EGLContext context = eglCreateContext(EGL_NO_DISPLAY, configAt(1), EGL_NO_CONTEXT, list);
    ASSERT_NE(context, EGL_NO_CONTEXT);
    EGLint id = 0;
    EXPECT_EQ(eglQueryContext(EGL_NO_DISPLAY, context, EGL_CONFIG_ID, &id), EGL_TRUE);
    EXPECT_EQ(id, 2);
}

class ContextConfigTest : public InitialisedTest, public ::testing::WithParamInterface<int> {};

TEST_P(ContextConfigTest, ReportsItsConfigurationAndApi)
{
    EGLContext context = makeContext(GetParam());
    ASSERT_NE(context, EGL_NO_CONTEXT);
    EGLint value = -1;
    EXPECT_EQ(eglQueryContext(EGL_NO_DISPLAY, context, 0x3028, &value), EGL_TRUE); // EGL_CONFIG_ID
    EXPECT_EQ(value, GetParam() + 1);
    EXPECT_EQ(eglQueryContext(EGL_NO_DISPLAY, context, 0x3097, &value), EGL_TRUE); // EGL_CONTEXT_CLIENT_TYPE
    EXPECT_EQ(value, 0x30A1);                                                      // EGL_OPENVG_API
    EXPECT_EQ(contextRecord(context).configIndex, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Configurations, ContextConfigTest, ::testing::Range(0, 7));

TEST_F(InitialisedTest, NewContextStartsUnboundWithOneReference)
{
    EGLContext context = makeContext(3);
    ASSERT_NE(context, EGL_NO_CONTEXT);
    const ContextRecord &record = contextRecord(context);
    EXPECT_EQ(record.references, 1);
    ASSERT_NE(record.vgContext, nullptr);
    EXPECT_EQ(record.vgContext->colorBuffer, nullptr);
    EXPECT_EQ(record.vgContext->maskBuffer, nullptr);
    EXPECT_EQ(record.vgContext->error, VG_NO_ERROR);
    EXPECT_EQ(record.vgContext->paths->holders, 1);
    EXPECT_TRUE(record.vgContext->paths->entries.empty());
    ASSERT_EQ(displayRecord()->contexts.size(), 1u);
    EXPECT_EQ(displayRecord()->contexts[0], context);
}

// ---- Share groups ----

TEST_F(InitialisedTest, ContextsCreatedWithAShareContextUseTheSameObjectLists)
{
    EGLContext first = makeContext(0);
    EGLContext second = makeContext(0, first);
    EGLContext third = makeContext(2, second); // sharing is not limited to one configuration
    EGLContext alone = makeContext(0);
    ASSERT_NE(first, EGL_NO_CONTEXT);
    ASSERT_NE(second, EGL_NO_CONTEXT);
    ASSERT_NE(third, EGL_NO_CONTEXT);
    ASSERT_NE(alone, EGL_NO_CONTEXT);
    VgContext &a = vgContextOf(first);
    VgContext &b = vgContextOf(second);
    VgContext &c = vgContextOf(third);
    VgContext &d = vgContextOf(alone);

    EXPECT_EQ(a.paths, b.paths);
    EXPECT_EQ(a.paints, b.paints);
    EXPECT_EQ(a.images, b.images);
    EXPECT_EQ(a.paths, c.paths);
    EXPECT_EQ(a.paints, c.paints);
    EXPECT_EQ(a.images, c.images);
    EXPECT_EQ(a.paths->holders, 3);
    EXPECT_EQ(a.paints->holders, 3);
    EXPECT_EQ(a.images->holders, 3);

    EXPECT_NE(d.paths, a.paths);
    EXPECT_NE(d.paints, a.paints);
    EXPECT_NE(d.images, a.images);
    EXPECT_EQ(d.paths->holders, 1);

    // Every context keeps its own state; only the lists are shared.
    EXPECT_NE(&a, &b);

    // Destroying a member leaves the group's lists to the others.
    ASSERT_EQ(eglDestroyContext(EGL_NO_DISPLAY, second), EGL_TRUE);
    EXPECT_EQ(a.paths->holders, 2);
    EXPECT_EQ(a.paths, c.paths);
    // A context can share with a member made later than the group's first.
    EGLContext fourth = makeContext(0, third);
    ASSERT_NE(fourth, EGL_NO_CONTEXT);
    EXPECT_EQ(vgContextOf(fourth).paths, a.paths);
    EXPECT_EQ(a.paths->holders, 3);
}

TEST_F(InitialisedTest, HandlesDieWithTheContextThatMadeThem)
{
    EGLContext maker = makeContext(0);
    EGLContext sharer = makeContext(0, maker);
    ASSERT_NE(maker, EGL_NO_CONTEXT);
    ASSERT_NE(sharer, EGL_NO_CONTEXT);
    VgContext &makerVg = vgContextOf(maker);
    VgContext &sharerVg = vgContextOf(sharer);

    PathObject *made = nullptr;
    PathObject *kept = nullptr;
    {
        ApiLock lock;
        made = new PathObject();
        registerObject(*makerVg.paths, made, &makerVg);
        kept = new PathObject();
        registerObject(*sharerVg.paths, kept, &sharerVg);
    }
    const VGHandle madeHandle = made->handle;
    const VGHandle keptHandle = kept->handle;
    // Both handles are valid in both contexts of the group.
    EXPECT_EQ(isPath(makerVg, madeHandle), made);
    EXPECT_EQ(isPath(sharerVg, madeHandle), made);
    EXPECT_EQ(isPath(makerVg, keptHandle), kept);
    EXPECT_EQ(isPath(sharerVg, keptHandle), kept);

    ASSERT_EQ(eglDestroyContext(EGL_NO_DISPLAY, maker), EGL_TRUE);
    // The maker's path went with it; the other context's path stays.
    EXPECT_EQ(isPath(sharerVg, madeHandle), nullptr);
    EXPECT_EQ(isPath(sharerVg, keptHandle), kept);
    ASSERT_EQ(sharerVg.paths->entries.size(), 1u);
    EXPECT_EQ(sharerVg.paths->holders, 1);
    // (The sharer's path is freed with the sharer when the fixture tears the state down.)
}

TEST_F(InitialisedTest, ShareGroupOutlivesAMemberThatIsStillBound)
{
    EGLContext first = makeContext(0);
    EGLContext second = makeContext(0, first);
    EGLSurface surface = makePbuffer(configAt(0), 4, 4);
    ASSERT_EQ(eglMakeCurrent(EGL_NO_DISPLAY, surface, surface, first), EGL_TRUE);
    VgContext &a = vgContextOf(first);
    ASSERT_EQ(eglDestroyContext(EGL_NO_DISPLAY, first), EGL_TRUE);
    // Still bound, so still a holder of the lists.
    EXPECT_EQ(a.paths->holders, 2);
    ASSERT_EQ(eglMakeCurrent(EGL_NO_DISPLAY, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT), EGL_TRUE);
    EXPECT_EQ(vgContextOf(second).paths->holders, 1);
    // A context that is no longer listed cannot start a share group.
    EXPECT_EQ(makeContext(0, first), EGL_NO_CONTEXT);
}

// ---- Destroying ----

TEST_F(BoundContextTest, DestroyContextNeedsAListedContext)
{
    EGLContext other = makeContext(0);
    ASSERT_NE(other, EGL_NO_CONTEXT);
    EXPECT_EQ(eglDestroyContext(display, bogusContext()), EGL_FALSE);
    EXPECT_EQ(eglGetError(), 0x3006);
    EXPECT_EQ(eglDestroyContext(display, EGL_NO_CONTEXT), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_CONTEXT);
    EXPECT_EQ(eglDestroyContext(display, surface), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_CONTEXT);

    EXPECT_EQ(eglDestroyContext(display, other), EGL_TRUE);
    EXPECT_EQ(eglGetError(), EGL_SUCCESS);
    EXPECT_EQ(eglDestroyContext(display, other), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_CONTEXT);

    EXPECT_EQ(eglDestroyContext(reinterpret_cast<EGLDisplay>(1), context), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_NOT_INITIALIZED);
    // The bound context was left alone by the failures.
    EXPECT_EQ(contextRecord(context).references, 2);
}

TEST_F(InitialisedTest, DestroyingOneContextKeepsTheOthersInOrder)
{
    EGLContext a = makeContext(0);
    EGLContext b = makeContext(1);
    EGLContext c = makeContext(2);
    ASSERT_EQ(eglDestroyContext(EGL_NO_DISPLAY, b), EGL_TRUE);
    const std::vector<ContextRecord *> &list = displayRecord()->contexts;
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0], a);
    EXPECT_EQ(list[1], c);
    EGLint id = 0;
    EXPECT_EQ(eglQueryContext(EGL_NO_DISPLAY, c, EGL_CONFIG_ID, &id), EGL_TRUE);
    EXPECT_EQ(id, 3);
}

// ---- Querying ----

TEST_F(BoundContextTest, QueryContextChecksContextThenAttributeThenValuePointer)
{
    EGLint value = -777;
    EXPECT_EQ(eglQueryContext(display, bogusContext(), 0x1234, nullptr), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_CONTEXT);
    for (EGLint attribute : {0x1234, EGL_RENDER_BUFFER, EGL_WIDTH, EGL_NONE, EGL_RED_SIZE, 0}) {
        EXPECT_EQ(eglQueryContext(display, context, attribute, &value), EGL_FALSE) << std::hex << attribute;
        EXPECT_EQ(eglGetError(), 0x3004) << std::hex << attribute;
    }
    EXPECT_EQ(eglQueryContext(display, context, 0x1234, nullptr), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_ATTRIBUTE);
    EXPECT_EQ(eglQueryContext(display, context, EGL_CONFIG_ID, nullptr), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_PARAMETER);
    EXPECT_EQ(eglQueryContext(display, context, EGL_CONTEXT_CLIENT_TYPE, nullptr), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_PARAMETER);
    EXPECT_EQ(value, -777);

    EXPECT_EQ(eglQueryContext(reinterpret_cast<EGLDisplay>(1), context, EGL_CONFIG_ID, &value), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_NOT_INITIALIZED);
    EXPECT_EQ(eglQueryContext(display, context, EGL_CONFIG_ID, &value), EGL_TRUE);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(eglGetError(), EGL_SUCCESS);
}

} // namespace
} // namespace tamarind::test
