// An image object: its handle and reference count. Format, storage, parent links and the mipmap cache
// join this record with the image entry points.
#ifndef TAMARIND_VG_IMAGE_IMAGE_OBJECT_H
#define TAMARIND_VG_IMAGE_IMAGE_OBJECT_H

#include <VG/openvg.h>

#include <cstdint>

namespace tamarind {

struct ImageObject {
    VGHandle handle = VG_INVALID_HANDLE;
    int32_t refCount = 0; // the handle registration plus children and paints that use it
};

// Drops one reference; the record is freed at zero.
void releaseObject(ImageObject *image);

} // namespace tamarind

#endif
