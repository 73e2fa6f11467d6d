// A paint object: its handle and reference count. Colour, gradient and pattern state join this record
// with the paint entry points.
#ifndef TAMARIND_VG_RENDER_PAINT_OBJECT_H
#define TAMARIND_VG_RENDER_PAINT_OBJECT_H

#include <VG/openvg.h>

#include <cstdint>

namespace tamarind {

struct PaintObject {
    VGHandle handle = VG_INVALID_HANDLE;
    int32_t refCount = 0; // the handle registration plus each context slot that has it set
};

// Drops one reference; the record is freed at zero.
void releaseObject(PaintObject *paint);

} // namespace tamarind

#endif
