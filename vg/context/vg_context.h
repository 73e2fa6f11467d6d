// VgContext: all OpenVG state of one EGL context. The parameter block comes first, then the matrices,
// the bound paints, the pending error, the shared object lists, the bound surface's buffers and the scan
// converter's storage, which lives as long as the context so that drawing allocates nothing after warm-up.
#ifndef TAMARIND_VG_CONTEXT_VG_CONTEXT_H
#define TAMARIND_VG_CONTEXT_VG_CONTEXT_H

#include <VG/openvg.h>

#include "matrix.h"
#include "object_list.h"
#include "storage.h"
#include "../render/block_arena.h"

#include <cstdint>
#include <vector>

namespace tamarind {

struct ColorBuffer;
struct EdgeRecord;
struct ImageObject;
struct MaskBuffer;
struct PaintObject;
struct PathObject;

struct ScissorRect {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};

struct VgContext {
    // Parameter block.
    int32_t matrixMode = VG_MATRIX_PATH_USER_TO_SURFACE;
    int32_t fillRule = VG_EVEN_ODD;
    int32_t imageQuality = VG_IMAGE_QUALITY_FASTER;
    int32_t renderingQuality = VG_RENDERING_QUALITY_BETTER;
    int32_t blendMode = VG_BLEND_SRC_OVER;
    int32_t imageDrawMode = VG_DRAW_IMAGE_NORMAL;
    std::vector<ScissorRect> scissorRects;
    float strokeLineWidth = 1.0f;
    int32_t strokeCap = VG_CAP_BUTT;
    int32_t strokeJoin = VG_JOIN_MITER;
    float strokeMiterLimit = 4.0f;
    std::vector<float> strokeDashes;
    float strokeDashPhase = 0.0f;
    int32_t strokeDashPhaseReset = 0;
    float tileFillColor[4] = {0.0f, 0.0f, 0.0f, 0.0f}; // R, G, B, A
    float clearColor[4] = {0.0f, 0.0f, 0.0f, 0.0f};    // R, G, B, A
    int32_t masking = 0;
    int32_t scissoring = 0;
    int32_t pixelLayout = VG_PIXEL_LAYOUT_UNKNOWN;
    int32_t filterFormatLinear = 0;
    int32_t filterFormatPremultiplied = 0;
    int32_t filterChannelMask = VG_RED | VG_GREEN | VG_BLUE | VG_ALPHA;
    Matrix3 *currentMatrix = &pathUserToSurface; // the matrix selected by matrixMode
    Matrix3 pathUserToSurface = identityMatrix();
    Matrix3 imageUserToSurface = identityMatrix();
    Matrix3 fillPaintToUser = identityMatrix();
    Matrix3 strokePaintToUser = identityMatrix();

    PaintObject *fillPaint = nullptr;   // counted reference, set by vgSetPaint
    PaintObject *strokePaint = nullptr; // counted reference
    int32_t error = VG_NO_ERROR;        // pending error, first one since the last vgGetError
    ObjectList<ImageObject> *images = nullptr;
    ObjectList<PathObject> *paths = nullptr;
    ObjectList<PaintObject> *paints = nullptr;
    ColorBuffer *colorBuffer = nullptr; // drawing target; set and cleared only by EGL
    MaskBuffer *maskBuffer = nullptr;

    ZeroedArray<EdgeRecord *> edgeBuckets; // one list head per subsample row of the bound surface
    BlockArena edgeArena;
    BlockArena activeEdgeArena;
    BlockArena intervalArena;

    VgContext() = default;
    VgContext(const VgContext &) = delete;
    VgContext &operator=(const VgContext &) = delete;
};

// Builds a context with every default, sharing the object lists of `shareWith` when it is given.
VgContext *createVgContext(VgContext *shareWith);
// Drops the paints, destroys the handles this context created, and frees the rest.
void destroyVgContext(VgContext *context);

// Stores `code` unless an error is already pending.
inline void recordError(VgContext &context, int32_t code)
{
    if (context.error == VG_NO_ERROR)
        context.error = code;
}

// Handle checks: the object when the handle is in the context's list of that kind, else null.
ImageObject *isImage(const VgContext &context, VGHandle handle);
PathObject *isPath(const VgContext &context, VGHandle handle);
PaintObject *isPaint(const VgContext &context, VGHandle handle);

} // namespace tamarind

#endif
