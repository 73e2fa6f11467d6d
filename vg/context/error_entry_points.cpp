// vgGetError, vgFlush and vgFinish. Every drawing call completes before it returns, so flushing and
// finishing only run the frame; EGL calls vgFinish while it already holds the API mutex.
#include <VG/openvg.h>

#include "call_frame.h"

using namespace tamarind;

VGErrorCode vgGetError(void)
{
    return vgCall(VG_NO_CONTEXT_ERROR, [](VgContext &context) {
        const auto code = static_cast<VGErrorCode>(context.error);
        context.error = VG_NO_ERROR;
        return code;
    });
}

void vgFinish(void)
{
    vgCall([](VgContext &) {});
}

void vgFlush(void)
{
    vgFinish();
}
