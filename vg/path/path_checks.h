// The handle and capability checks that path entry points share.
#ifndef TAMARIND_VG_PATH_PATH_CHECKS_H
#define TAMARIND_VG_PATH_PATH_CHECKS_H

#include "path_object.h"
#include "../context/vg_context.h"

namespace tamarind {

// The path behind a handle that has the capability, or null with VG_BAD_HANDLE_ERROR or
// VG_PATH_CAPABILITY_ERROR recorded.
inline PathObject *pathWith(VgContext &context, VGPath handle, int32_t capability)
{
    PathObject *path = isPath(context, handle);
    if (path == nullptr) {
        recordError(context, VG_BAD_HANDLE_ERROR);
        return nullptr;
    }
    if ((path->capabilities & capability) == 0) {
        recordError(context, VG_PATH_CAPABILITY_ERROR);
        return nullptr;
    }
    return path;
}

} // namespace tamarind

#endif
