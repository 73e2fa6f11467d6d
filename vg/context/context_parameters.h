// Context parameters: the two routines behind vgSet*, vgGet* and vgGetVectorSize. They validate the
// parameter type, the count and the values, convert between the caller's floats or int32s and the
// fields of the VgContext parameter block, and record VG_ILLEGAL_ARGUMENT_ERROR without changing
// anything when a check fails.
#ifndef TAMARIND_VG_CONTEXT_CONTEXT_PARAMETERS_H
#define TAMARIND_VG_CONTEXT_CONTEXT_PARAMETERS_H

#include <cstdint>

namespace tamarind {

struct VgContext;

// Sets parameter `type` from `count` values, floats when isFloat and int32s otherwise. A new scissor
// or dash array is built completely before it replaces the old one, so std::bad_alloc leaves the old
// array in force.
void setContextParameter(VgContext &context, int32_t type, int32_t count, const void *values, bool isFloat);

// Writes the first `count` values of parameter `type` to `values`, floats when isFloat and int32s
// otherwise. Nothing is written when the type or the count is invalid.
void getContextParameter(VgContext &context, int32_t type, int32_t count, void *values, bool isFloat);

} // namespace tamarind

#endif
