// A path object: its handle and reference count. Segment data and the flattened form join this record
// with the path entry points.
#ifndef TAMARIND_VG_PATH_PATH_OBJECT_H
#define TAMARIND_VG_PATH_PATH_OBJECT_H

#include <VG/openvg.h>

#include <cstdint>

namespace tamarind {

struct PathObject {
    VGHandle handle = VG_INVALID_HANDLE;
    int32_t refCount = 0; // the handle registration plus every other holder
};

// Drops one reference; the record is freed at zero.
void releaseObject(PathObject *path);

} // namespace tamarind

#endif
