// Path objects: segment bytes and raw coordinates stored exactly as the application gave them, read
// through the path's datatype, scale and bias; plus the cached flattened form.
#ifndef TAMARIND_VG_PATH_PATH_OBJECT_H
#define TAMARIND_VG_PATH_PATH_OBJECT_H

#include <VG/openvg.h>

#include "flat_vertex.h"

#include <cstdint>
#include <vector>

namespace tamarind {

constexpr int32_t kPathCapabilityMask = 0xFFF;

struct PathObject {
    VGHandle handle = VG_INVALID_HANDLE;
    int32_t format = VG_PATH_FORMAT_STANDARD;
    int32_t datatype = VG_PATH_DATATYPE_F;
    float scale = 1.0f;
    float bias = 0.0f;
    int32_t capabilities = 0; // VG_PATH_CAPABILITY_* bits, low 12 only
    int32_t refCount = 0;     // the handle registration plus every other holder
    std::vector<uint8_t> segments;    // one byte per segment: bit 0 relative, bits 1-4 command
    std::vector<uint8_t> coordinates; // raw elements of the datatype's width, back to back

    // Flattened form (built by flattenPath; an empty vertex array means "not built").
    std::vector<FlatVertex> vertices;
    std::vector<SegmentVertexRange> segmentRanges; // one per segment
    float userBounds[4] = {0.0f, 0.0f, 0.0f, 0.0f}; // minX, minY, maxX, maxY of the vertices
    float flatteningScale = -1.0f; // subdivision steps per user unit of control-polygon length
};

// Drops one reference; the record is freed at zero.
void releaseObject(PathObject *path);

// Segment commands as stored in bits 1-4 of a segment byte (the published values shifted right by one).
constexpr int32_t kClosePath = VG_CLOSE_PATH >> 1;
constexpr int32_t kMoveTo = VG_MOVE_TO >> 1;
constexpr int32_t kLineTo = VG_LINE_TO >> 1;
constexpr int32_t kHLineTo = VG_HLINE_TO >> 1;
constexpr int32_t kVLineTo = VG_VLINE_TO >> 1;
constexpr int32_t kQuadTo = VG_QUAD_TO >> 1;
constexpr int32_t kCubicTo = VG_CUBIC_TO >> 1;
constexpr int32_t kSQuadTo = VG_SQUAD_TO >> 1;
constexpr int32_t kSCubicTo = VG_SCUBIC_TO >> 1;
constexpr int32_t kSCCWArcTo = VG_SCCWARC_TO >> 1;
constexpr int32_t kSCWArcTo = VG_SCWARC_TO >> 1;
constexpr int32_t kLCCWArcTo = VG_LCCWARC_TO >> 1;
constexpr int32_t kLCWArcTo = VG_LCWARC_TO >> 1;

// Coordinates taken by a segment command (0..12); 0 for anything else.
int32_t coordinateCount(int32_t command);
// The command (bits 1-4) and the relative flag (bit 0) of a segment byte.
inline int32_t segmentCommand(uint8_t segment)
{
    return (segment >> 1) & 0xF;
}
inline bool segmentIsRelative(uint8_t segment)
{
    return (segment & 1) != 0;
}

// Bytes of one coordinate element of a datatype.
int32_t elementWidth(int32_t datatype);
// Number of coordinate elements the path holds.
int32_t coordinateCountOf(const PathObject &path);

// Element `index` as raw x scale + bias.
float readCoordinate(const PathObject &path, int32_t index);
// Stores `value` into element `index` of a coordinate byte array of the given datatype as
// (value - bias) / scale; integer datatypes round half up and saturate to the element's range, floats are
// sanitised (NaN to 0, infinities to the largest finite float).
void writeCoordinate(uint8_t *storage, int32_t index, int32_t datatype, float scale, float bias, float value);

// Discards the cached flattened form.
inline void discardFlattening(PathObject &path)
{
    path.vertices.clear();
}

} // namespace tamarind

#endif
