// Creating, clearing, destroying and filling paths. Every change to segments or coordinates discards the
// cached flattened form. New data is staged completely before it is installed, so an allocation failure
// leaves the path as it was.
#include <VG/openvg.h>

#include "path_checks.h"
#include "path_object.h"
#include "../context/call_frame.h"
#include "../context/float_rules.h"
#include "../context/saturating.h"

#include <cstring>
#include <memory>

using namespace tamarind;

namespace {

constexpr int32_t kMaxCapacityHint = 65536;

bool isAlignedForDatatype(const void *data, int32_t datatype)
{
    const auto address = reinterpret_cast<uintptr_t>(data);
    return address % static_cast<uintptr_t>(elementWidth(datatype)) == 0;
}

// Copies `count` caller elements into coordinate storage: integers as bytes, floats sanitised.
void copyCoordinates(uint8_t *to, const void *from, int32_t count, int32_t datatype)
{
    if (datatype != VG_PATH_DATATYPE_F) {
        std::memcpy(to, from, static_cast<size_t>(count) * elementWidth(datatype));
        return;
    }
    const auto *values = static_cast<const float *>(from);
    for (int32_t i = 0; i < count; ++i) {
        const float value = sanitizeFloat(values[i]);
        std::memcpy(to + static_cast<size_t>(i) * 4, &value, 4);
    }
}

// Makes room for `extra` more elements without touching the contents; std::bad_alloc changes nothing.
// Capacity grows geometrically, so appending one segment at a time costs amortised constant time.
void reserveMore(std::vector<uint8_t> &array, size_t extra)
{
    const size_t needed = array.size() + extra;
    if (needed <= array.capacity())
        return;
    checkedByteSize(needed, 1);
    array.reserve(needed > array.capacity() * 2 ? needed : array.capacity() * 2);
}

} // namespace

VGPath vgCreatePath(VGint pathFormat, VGPathDatatype datatype, VGfloat scale, VGfloat bias,
                    VGint segmentCapacityHint, VGint coordCapacityHint, VGbitfield capabilities)
{
    return vgCall<VGPath>(VG_INVALID_HANDLE, [&](VgContext &context) -> VGPath {
        if (pathFormat != VG_PATH_FORMAT_STANDARD) {
            recordError(context, VG_UNSUPPORTED_PATH_FORMAT_ERROR);
            return VG_INVALID_HANDLE;
        }
        if (static_cast<uint32_t>(datatype) > VG_PATH_DATATYPE_F) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return VG_INVALID_HANDLE;
        }
        const float cleanScale = sanitizeFloat(scale);
        if (cleanScale == 0.0f) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return VG_INVALID_HANDLE;
        }
        auto path = std::make_unique<PathObject>();
        path->datatype = datatype;
        path->scale = cleanScale;
        path->bias = sanitizeFloat(bias);
        path->capabilities = static_cast<int32_t>(capabilities & kPathCapabilityMask);
        if (segmentCapacityHint > 0)
            path->segments.reserve(static_cast<size_t>(std::min(segmentCapacityHint, kMaxCapacityHint)));
        if (coordCapacityHint > 0)
            path->coordinates.reserve(static_cast<size_t>(std::min(coordCapacityHint, kMaxCapacityHint)) *
                                      elementWidth(datatype));
        registerObject(*context.paths, path.get(), &context);
        return path.release()->handle;
    });
}

void vgClearPath(VGPath handle, VGbitfield capabilities)
{
    vgCall([&](VgContext &context) {
        PathObject *path = isPath(context, handle);
        if (path == nullptr) {
            recordError(context, VG_BAD_HANDLE_ERROR);
            return;
        }
        path->segments.clear();
        path->coordinates.clear();
        discardFlattening(*path);
        path->capabilities = static_cast<int32_t>(capabilities & kPathCapabilityMask);
    });
}

void vgDestroyPath(VGPath handle)
{
    vgCall([&](VgContext &context) {
        PathObject *path = isPath(context, handle);
        if (path == nullptr) {
            recordError(context, VG_BAD_HANDLE_ERROR);
            return;
        }
        unregisterObject(*context.paths, path);
    });
}

void vgRemovePathCapabilities(VGPath handle, VGbitfield capabilities)
{
    vgCall([&](VgContext &context) {
        PathObject *path = isPath(context, handle);
        if (path == nullptr) {
            recordError(context, VG_BAD_HANDLE_ERROR);
            return;
        }
        path->capabilities &= ~static_cast<int32_t>(capabilities & kPathCapabilityMask);
    });
}

VGbitfield vgGetPathCapabilities(VGPath handle)
{
    return vgCall<VGbitfield>(0, [&](VgContext &context) -> VGbitfield {
        PathObject *path = isPath(context, handle);
        if (path == nullptr) {
            recordError(context, VG_BAD_HANDLE_ERROR);
            return 0;
        }
        return static_cast<VGbitfield>(path->capabilities);
    });
}

void vgAppendPathData(VGPath handle, VGint numSegments, const VGubyte *pathSegments, const void *pathData)
{
    vgCall([&](VgContext &context) {
        PathObject *path = pathWith(context, handle, VG_PATH_CAPABILITY_APPEND_TO);
        if (path == nullptr)
            return;
        if (numSegments <= 0 || pathSegments == nullptr || pathData == nullptr ||
            !isAlignedForDatatype(pathData, path->datatype)) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return;
        }
        int64_t newCoordinates = 0;
        for (VGint i = 0; i < numSegments; ++i) {
            const int32_t command = segmentCommand(pathSegments[i]);
            if (command > kLCWArcTo) {
                recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
                return;
            }
            newCoordinates += coordinateCount(command);
        }
        const size_t newBytes = checkedByteSize(static_cast<uint64_t>(newCoordinates), elementWidth(path->datatype));
        reserveMore(path->segments, static_cast<size_t>(numSegments));
        reserveMore(path->coordinates, newBytes);
        path->segments.insert(path->segments.end(), pathSegments, pathSegments + numSegments);
        const size_t oldBytes = path->coordinates.size();
        path->coordinates.resize(oldBytes + newBytes);
        copyCoordinates(path->coordinates.data() + oldBytes, pathData, static_cast<int32_t>(newCoordinates),
                        path->datatype);
        discardFlattening(*path);
    });
}

void vgModifyPathCoords(VGPath handle, VGint startIndex, VGint numSegments, const void *pathData)
{
    vgCall([&](VgContext &context) {
        PathObject *path = pathWith(context, handle, VG_PATH_CAPABILITY_MODIFY);
        if (path == nullptr)
            return;
        if (pathData == nullptr || startIndex < 0 || numSegments <= 0 ||
            saturatingAdd(startIndex, numSegments) > static_cast<int32_t>(path->segments.size()) ||
            !isAlignedForDatatype(pathData, path->datatype)) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return;
        }
        int32_t first = 0;
        for (VGint i = 0; i < startIndex; ++i)
            first += coordinateCount(segmentCommand(path->segments[i]));
        int32_t count = 0;
        for (VGint i = startIndex; i < startIndex + numSegments; ++i)
            count += coordinateCount(segmentCommand(path->segments[i]));
        if (count == 0)
            return;
        copyCoordinates(path->coordinates.data() + static_cast<size_t>(first) * elementWidth(path->datatype),
                        pathData, count, path->datatype);
        discardFlattening(*path);
    });
}

void vgAppendPath(VGPath dstHandle, VGPath srcHandle)
{
    vgCall([&](VgContext &context) {
        PathObject *dst = isPath(context, dstHandle);
        PathObject *src = dst ? isPath(context, srcHandle) : nullptr;
        if (dst == nullptr || src == nullptr) {
            recordError(context, VG_BAD_HANDLE_ERROR);
            return;
        }
        if ((dst->capabilities & VG_PATH_CAPABILITY_APPEND_TO) == 0 ||
            (src->capabilities & VG_PATH_CAPABILITY_APPEND_FROM) == 0) {
            recordError(context, VG_PATH_CAPABILITY_ERROR);
            return;
        }
        if (src->segments.empty()) {
            discardFlattening(*dst);
            return;
        }
        // Staged from the unchanged old contents, so appending a path to itself doubles it.
        const int32_t dstCount = coordinateCountOf(*dst);
        const int32_t srcCount = coordinateCountOf(*src);
        std::vector<uint8_t> segments;
        segments.reserve(dst->segments.size() + src->segments.size());
        segments.insert(segments.end(), dst->segments.begin(), dst->segments.end());
        segments.insert(segments.end(), src->segments.begin(), src->segments.end());
        std::vector<uint8_t> coordinates(
            checkedByteSize(static_cast<uint64_t>(dstCount) + srcCount, elementWidth(dst->datatype)));
        if (!dst->coordinates.empty())
            std::memcpy(coordinates.data(), dst->coordinates.data(), dst->coordinates.size());
        for (int32_t i = 0; i < srcCount; ++i)
            writeCoordinate(coordinates.data(), dstCount + i, dst->datatype, dst->scale, dst->bias,
                            readCoordinate(*src, i));
        dst->segments.swap(segments);
        dst->coordinates.swap(coordinates);
        discardFlattening(*dst);
    });
}
