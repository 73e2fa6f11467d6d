// Object parameters: the two paint routines behind vgSetParameter* and vgGetParameter*. Path and image
// parameters are read-only views of their records and need no routine of their own outside the entry
// points.
#ifndef TAMARIND_VG_CONTEXT_OBJECT_PARAMETERS_H
#define TAMARIND_VG_CONTEXT_OBJECT_PARAMETERS_H

#include <cstdint>

namespace tamarind {

struct PaintObject;
struct VgContext;

// Sets paint parameter `type` from `count` values, floats when isFloat and int32s otherwise. A bad type,
// count or value records VG_ILLEGAL_ARGUMENT_ERROR and leaves the paint unchanged; std::bad_alloc while
// the ramp lists are built leaves the old lists in force.
void setPaintParameter(VgContext &context, PaintObject &paint, int32_t type, int32_t count, const void *values,
                       bool isFloat);

// Writes the first `count` values of paint parameter `type` to `values`. Nothing is written when the type
// or the count is invalid.
void getPaintParameter(VgContext &context, const PaintObject &paint, int32_t type, int32_t count, void *values,
                       bool isFloat);

} // namespace tamarind

#endif
