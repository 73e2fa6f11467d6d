/* The VGU 1.0.1 utility interface: path shapes and image warp matrices. */
#ifndef TAMARIND_VGU_H
#define TAMARIND_VGU_H

#include <VG/openvg.h>

#ifdef __cplusplus
extern "C" {
#endif

#define VGU_VERSION_1_0 1
#define VGU_VERSION_1_0_1 1

typedef enum VG_ENUM_BASE {
    VGU_NO_ERROR = 0,
    VGU_BAD_HANDLE_ERROR = 0xF000,
    VGU_ILLEGAL_ARGUMENT_ERROR = 0xF001,
    VGU_OUT_OF_MEMORY_ERROR = 0xF002,
    VGU_PATH_CAPABILITY_ERROR = 0xF003,
    VGU_BAD_WARP_ERROR = 0xF004,
    VGU_ERROR_CODE_FORCE_SIZE = VG_MAX_ENUM
} VGUErrorCode;

typedef enum VG_ENUM_BASE {
    VGU_ARC_OPEN = 0xF100,
    VGU_ARC_CHORD = 0xF101,
    VGU_ARC_PIE = 0xF102,
    VGU_ARC_TYPE_FORCE_SIZE = VG_MAX_ENUM
} VGUArcType;

/* Shapes appended to an existing path */
VGU_API_CALL VGUErrorCode VGU_API_ENTRY vguLine(VGPath path, VGfloat x0, VGfloat y0, VGfloat x1,
                                                VGfloat y1) VGU_API_EXIT;
VGU_API_CALL VGUErrorCode VGU_API_ENTRY vguPolygon(VGPath path, const VGfloat *points, VGint count,
                                                   VGboolean closed) VGU_API_EXIT;
VGU_API_CALL VGUErrorCode VGU_API_ENTRY vguRect(VGPath path, VGfloat x, VGfloat y, VGfloat width,
                                                VGfloat height) VGU_API_EXIT;
VGU_API_CALL VGUErrorCode VGU_API_ENTRY vguRoundRect(VGPath path, VGfloat x, VGfloat y, VGfloat width,
                                                     VGfloat height, VGfloat arcWidth,
                                                     VGfloat arcHeight) VGU_API_EXIT;
VGU_API_CALL VGUErrorCode VGU_API_ENTRY vguEllipse(VGPath path, VGfloat cx, VGfloat cy, VGfloat width,
                                                   VGfloat height) VGU_API_EXIT;
VGU_API_CALL VGUErrorCode VGU_API_ENTRY vguArc(VGPath path, VGfloat x, VGfloat y, VGfloat width, VGfloat height,
                                               VGfloat startAngle, VGfloat angleExtent,
                                               VGUArcType arcType) VGU_API_EXIT;

/* Projective warps between a quadrilateral and the unit square, or between two quadrilaterals; each writes nine
 * floats in the layout vgLoadMatrix reads. */
VGU_API_CALL VGUErrorCode VGU_API_ENTRY vguComputeWarpQuadToSquare(VGfloat sx0, VGfloat sy0, VGfloat sx1, VGfloat sy1,
                                                                   VGfloat sx2, VGfloat sy2, VGfloat sx3, VGfloat sy3,
                                                                   VGfloat *matrix) VGU_API_EXIT;
VGU_API_CALL VGUErrorCode VGU_API_ENTRY vguComputeWarpSquareToQuad(VGfloat dx0, VGfloat dy0, VGfloat dx1, VGfloat dy1,
                                                                   VGfloat dx2, VGfloat dy2, VGfloat dx3, VGfloat dy3,
                                                                   VGfloat *matrix) VGU_API_EXIT;
VGU_API_CALL VGUErrorCode VGU_API_ENTRY vguComputeWarpQuadToQuad(VGfloat dx0, VGfloat dy0, VGfloat dx1, VGfloat dy1,
                                                                 VGfloat dx2, VGfloat dy2, VGfloat dx3, VGfloat dy3,
                                                                 VGfloat sx0, VGfloat sy0, VGfloat sx1, VGfloat sy1,
                                                                 VGfloat sx2, VGfloat sy2, VGfloat sx3, VGfloat sy3,
                                                                 VGfloat *matrix) VGU_API_EXIT;

#ifdef __cplusplus
}
#endif

#endif
