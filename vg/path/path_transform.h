// Shared pieces of vgTransformPath and vgInterpolatePath: the arc re-expression through a matrix and the
// normalised form in which two paths are compared and blended.
#ifndef TAMARIND_VG_PATH_PATH_TRANSFORM_H
#define TAMARIND_VG_PATH_PATH_TRANSFORM_H

#include "path_object.h"
#include "../context/matrix.h"

namespace tamarind {

struct ArcShape {
    float rh;       // horizontal radius
    float rv;       // vertical radius
    float rotation; // degrees
};

// The radii and rotation of the ellipse (rh, rv, rotation) after the linear part of `m`. The result's
// rotation lies in [0, 450) degrees; rv comes out negative when `m` mirrors.
ArcShape transformArcShape(const Matrix3 &m, ArcShape arc);

// Fills `temporary` with `source` re-expressed as datatype F, scale 1, bias 0, every segment absolute,
// and only CLOSE, MOVE, LINE, CUBIC and the four arc commands (one output segment per source segment).
void normalizeForInterpolation(const PathObject &source, PathObject &temporary);

} // namespace tamarind

#endif
