// Path benchmarks. Queries through the API on a long path (length and point along the path, cached and
// after a change), and flattening of 10,000 segments at scale 1, rebuilt from scratch every iteration:
// a mix of lines, quadratics, cubics and arcs, and each kind on its own.
#include "bench_surface.h"

#include "path/flatten.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace {

using tamarind::PathObject;
using tamarind::bench::BenchSurface;

constexpr VGint kSegments = 10000;

// ---- Appending ----

// 10,000 line segments appended one vgAppendPathData call at a time: the arrays grow geometrically, so the
// whole sequence costs time proportional to its length (exact-size reallocation at every call would copy
// the path again each time, quadratic in its length).
void BM_AppendOneSegmentAtATime(benchmark::State &state)
{
    BenchSurface surface(16, 16);
    for (auto _ : state) {
        VGPath path = vgCreatePath(VG_PATH_FORMAT_STANDARD, VG_PATH_DATATYPE_F, 1, 0, 0, 0, VG_PATH_CAPABILITY_ALL);
        for (int i = 0; i < kSegments; ++i) {
            const VGubyte segment = VG_LINE_TO_ABS;
            const VGfloat xy[2] = {static_cast<VGfloat>(i), static_cast<VGfloat>(i & 7)};
            vgAppendPathData(path, 1, &segment, xy);
        }
        vgDestroyPath(path);
    }
    state.SetItemsProcessed(state.iterations() * kSegments);
}
BENCHMARK(BM_AppendOneSegmentAtATime)->Unit(benchmark::kMillisecond);

// ---- Queries ----

// An open path of relative lines zig-zagging along x, with a quadratic every tenth segment.
VGPath makeLongPath()
{
    std::vector<VGubyte> segments{VG_MOVE_TO_ABS};
    std::vector<VGfloat> coordinates{0, 0};
    for (int i = 1; i < kSegments; ++i) {
        if (i % 10 == 0) {
            segments.push_back(VG_QUAD_TO_REL);
            coordinates.insert(coordinates.end(), {5, 10, 10, 0});
        } else {
            segments.push_back(VG_LINE_TO_REL);
            coordinates.insert(coordinates.end(), {10, (i & 1) ? -5.0f : 5.0f});
        }
    }
    const VGPath path = vgCreatePath(VG_PATH_FORMAT_STANDARD, VG_PATH_DATATYPE_F, 1.0f, 0.0f, kSegments,
                                     static_cast<VGint>(coordinates.size()), VG_PATH_CAPABILITY_ALL);
    vgAppendPathData(path, kSegments, segments.data(), coordinates.data());
    return path;
}

void setQueryRate(benchmark::State &state)
{
    state.counters["items_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// The flattened form is cached after the first call.
void BM_PathLengthCached(benchmark::State &state)
{
    BenchSurface surface(64, 64);
    const VGPath path = makeLongPath();
    for (auto _ : state)
        benchmark::DoNotOptimize(vgPathLength(path, 0, kSegments));
    setQueryRate(state);
    vgDestroyPath(path);
}
BENCHMARK(BM_PathLengthCached);

// Every iteration changes a coordinate, so the path is flattened again.
void BM_PathLengthAfterChange(benchmark::State &state)
{
    BenchSurface surface(64, 64);
    const VGPath path = makeLongPath();
    const VGfloat start[2] = {0, 0};
    for (auto _ : state) {
        vgModifyPathCoords(path, 0, 1, start);
        benchmark::DoNotOptimize(vgPathLength(path, 0, kSegments));
    }
    setQueryRate(state);
    vgDestroyPath(path);
}
BENCHMARK(BM_PathLengthAfterChange);

// Sixteen distances spread over the whole path.
void BM_PointAlongPath(benchmark::State &state)
{
    BenchSurface surface(64, 64);
    const VGPath path = makeLongPath();
    const VGfloat length = vgPathLength(path, 0, kSegments);
    int i = 0;
    for (auto _ : state) {
        VGfloat x, y, tx, ty;
        vgPointAlongPath(path, 0, kSegments, static_cast<VGfloat>(i) * length / 16.0f, &x, &y, &tx, &ty);
        i = (i + 1) & 15;
    }
    setQueryRate(state);
    vgDestroyPath(path);
}
BENCHMARK(BM_PointAlongPath);

// A point within ten segments in the middle of the path.
void BM_PointAlongShortRange(benchmark::State &state)
{
    BenchSurface surface(64, 64);
    const VGPath path = makeLongPath();
    const VGfloat length = vgPathLength(path, 5000, 10);
    for (auto _ : state) {
        VGfloat x, y, tx, ty;
        vgPointAlongPath(path, 5000, 10, length * 0.75f, &x, &y, &tx, &ty);
    }
    setQueryRate(state);
    vgDestroyPath(path);
}
BENCHMARK(BM_PointAlongShortRange);

// ---- Flattening ----

enum SegmentMix { kMixed, kLinesOnly, kQuadsOnly, kCubicsOnly, kArcsOnly };

void appendSegment(PathObject &path, int segment, std::initializer_list<float> coordinates)
{
    path.segments.push_back(static_cast<uint8_t>(segment));
    for (float value : coordinates) {
        uint8_t bytes[4];
        std::memcpy(bytes, &value, sizeof bytes);
        path.coordinates.insert(path.coordinates.end(), bytes, bytes + 4);
    }
}

// Relative segments of 30 to 60 units zig-zagging along +x, so curves take 50 to 100 steps at scale 1
// and every arc its fixed 256.
PathObject mixedPath(SegmentMix mix)
{
    PathObject path;
    path.datatype = VG_PATH_DATATYPE_F;
    appendSegment(path, VG_MOVE_TO_ABS, {0, 0});
    for (int i = 1; i < kSegments; ++i) {
        const float flip = (i & 1) ? 1.0f : -1.0f;
        const int kind = mix == kMixed ? i % 4 : static_cast<int>(mix) - 1;
        switch (kind) {
        case 0:
            appendSegment(path, VG_LINE_TO_REL, {30, 20 * flip});
            break;
        case 1:
            appendSegment(path, VG_QUAD_TO_REL, {20, 30 * flip, 40, 0});
            break;
        case 2:
            appendSegment(path, VG_CUBIC_TO_REL, {10, 30 * flip, 40, 30 * flip, 50, 0});
            break;
        default:
            appendSegment(path, (i & 2) ? VG_SCCWARC_TO_REL : VG_LCWARC_TO_REL, {25, 15, 30, 40, 0});
            break;
        }
    }
    return path;
}

// Rebuilds the cached form each iteration; vertex storage keeps its capacity from the warm-up.
void BM_FlattenPath(benchmark::State &state)
{
    PathObject path = mixedPath(static_cast<SegmentMix>(state.range(0)));
    tamarind::setFlatteningScale(path, 1.0f);
    tamarind::flattenPath(path);
    for (auto _ : state) {
        tamarind::discardFlattening(path);
        tamarind::flattenPath(path);
        benchmark::DoNotOptimize(path.vertices.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kSegments);
    state.counters["vertices"] = static_cast<double>(path.vertices.size());
}
BENCHMARK(BM_FlattenPath)
    ->Arg(kMixed)
    ->Arg(kLinesOnly)
    ->Arg(kQuadsOnly)
    ->Arg(kCubicsOnly)
    ->Arg(kArcsOnly)
    ->ArgName("mix")
    ->Unit(benchmark::kMillisecond);

// The first flatten of a new path: vertex storage grows from nothing.
void BM_FlattenPathColdStorage(benchmark::State &state)
{
    const PathObject source = mixedPath(kMixed);
    for (auto _ : state) {
        state.PauseTiming();
        PathObject path = source;
        tamarind::setFlatteningScale(path, 1.0f);
        state.ResumeTiming();
        tamarind::flattenPath(path);
        benchmark::DoNotOptimize(path.vertices.data());
    }
    state.SetItemsProcessed(state.iterations() * kSegments);
}
BENCHMARK(BM_FlattenPathColdStorage)->Unit(benchmark::kMillisecond);

} // namespace
