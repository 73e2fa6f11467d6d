// Scan conversion: coverage per pixel at the three qualities, fill rules, clipping to the surface, the
// guard band, scissor boundary lists and the life of the converter's storage. Expected coverage values
// are derived by hand beside each case; a recording sink stands in for the pixel pipeline.
#include "render/scan_converter.h"

#include "allocation_failure.h"
#include "egl_fixture.h"

#include <EGL/egl_kl.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <utility>
#include <vector>

namespace tamarind {
namespace {

using Pixel = std::pair<int32_t, int32_t>; // (x, row)
using CoverageMap = std::map<Pixel, int32_t>;

// Records what the converter hands to the pixel stage, and checks the sink contract as it goes.
struct RecordingSink {
    std::vector<int32_t> rows;                                         // rows begun, in order
    std::map<int32_t, std::vector<std::pair<int32_t, int32_t>>> lists; // row -> boundary (x, direction)
    CoverageMap pixels;
    int32_t pixelCalls = 0;
    int32_t spanCalls = 0;
    bool contractKept = true; // x strictly increasing in a row, coverage 1..256, each pixel once
    int32_t row = -1;
    int32_t lastX = INT32_MIN;
    // The pixel stage's scissor rule: cursor and running sum over the row's boundary list.
    const ScissorBoundary *cursor = nullptr;
    int32_t scissorCount = 0;
    CoverageMap visible; // pixels the scissor rule lets through

    void beginRow(int32_t y, const ScissorBoundary *boundaries)
    {
        rows.push_back(y);
        row = y;
        lastX = INT32_MIN;
        cursor = boundaries;
        scissorCount = 0;
        const ScissorBoundary *previous = nullptr;
        for (const ScissorBoundary *b = boundaries; b != nullptr; b = b->next) {
            if (b->previous != previous || y < b->y0 || y >= b->y1)
                contractKept = false;
            lists[y].push_back({b->x, b->direction});
            previous = b;
        }
    }
    void shadePixel(int32_t x, int32_t coverage)
    {
        pixelCalls += 1;
        record(x, coverage);
    }
    void shadeSpan(int32_t x0, int32_t x1)
    {
        spanCalls += 1;
        if (x0 >= x1)
            contractKept = false;
        for (int32_t x = x0; x < x1; ++x)
            record(x, 256);
    }
    void record(int32_t x, int32_t coverage)
    {
        if (x <= lastX || coverage < 1 || coverage > 256 || row < 0)
            contractKept = false;
        lastX = x;
        pixels[{x, row}] = coverage;
        while (cursor != nullptr && x >= cursor->x) {
            scissorCount += cursor->direction;
            cursor = cursor->next;
        }
        if (scissorCount > 0)
            visible[{x, row}] = coverage;
    }
};

// Every pixel of [x0, x1) x [y0, y1) with one coverage.
void fill(CoverageMap &map, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t coverage)
{
    for (int32_t y = y0; y < y1; ++y)
        for (int32_t x = x0; x < x1; ++x)
            map[{x, y}] = coverage;
}

int32_t coverageAt(const RecordingSink &sink, int32_t x, int32_t y)
{
    auto it = sink.pixels.find({x, y});
    return it == sink.pixels.end() ? 0 : it->second;
}

class ScanConverterTest : public test::BoundContextTest {
  protected:
    void TearDown() override
    {
        endScanConversion(converter);
        BoundContextTest::TearDown();
    }

    VgContext &vg() { return *static_cast<VgContext *>(eglGetCurrentVGContext()); }

    // A conversion over the whole 64 x 64 surface.
    void begin(int32_t quality)
    {
        vg().renderingQuality = quality;
        beginScanConversion(converter, 0, 0, width, height, vg());
    }

    // A closed polygon through the points.
    void polygon(std::initializer_list<Point2> points)
    {
        const Point2 *p = points.begin();
        for (size_t i = 0; i < points.size(); ++i)
            addEdge(converter, p[i], p[(i + 1) % points.size()]);
    }

    void rectangle(float x0, float y0, float x1, float y1) { polygon({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}); }

    RecordingSink convert(int32_t fillRule = VG_NON_ZERO)
    {
        RecordingSink sink;
        scanConvert(converter, fillRule, sink);
        EXPECT_TRUE(sink.contractKept);
        EXPECT_EQ(sink.rows.size(), 64u) << "every row of the surface is begun";
        for (size_t i = 0; i < sink.rows.size(); ++i)
            EXPECT_EQ(sink.rows[i], static_cast<int32_t>(i));
        return sink;
    }

    bool bucketsClear()
    {
        for (size_t i = 0; i < vg().edgeBuckets.size(); ++i)
            if (vg().edgeBuckets[i] != nullptr)
                return false;
        return true;
    }

    ScanConverter converter;
};

TEST_F(ScanConverterTest, EdgesHorizontalOnTheSubsampleGridDrawNothing)
{
    begin(VG_RENDERING_QUALITY_BETTER);
    // y x 8 lies in [80.08, 80.96] for every point: one subsample row, so every edge is horizontal.
    polygon({{10.0f, 10.01f}, {20.0f, 10.1f}, {30.0f, 10.12f}, {15.0f, 10.05f}});
    EXPECT_EQ(vg().edgeArena.position, 0) << "no edge was bucketed";
    EXPECT_TRUE(convert().pixels.empty());
}

TEST_F(ScanConverterTest, NonAntialiasedRectangleFillsWholePixels)
{
    begin(VG_RENDERING_QUALITY_NONANTIALIASED);
    rectangle(10, 10, 20, 20);
    // Edges at x = 10 (direction -1) and x = 20 (+1) in rows 10..19: the stretch [10, 20) has sum -1.
    CoverageMap expected;
    fill(expected, 10, 10, 20, 20, 256);
    const RecordingSink sink = convert(VG_EVEN_ODD);
    EXPECT_EQ(sink.pixels, expected);
    EXPECT_EQ(sink.spanCalls, 10) << "one full run per row";
    EXPECT_EQ(sink.pixelCalls, 0);
}

TEST_F(ScanConverterTest, NonAntialiasedSlantedEdgeRoundsToTheNearestColumn)
{
    begin(VG_RENDERING_QUALITY_NONANTIALIASED);
    // Left edge from (0, 0) to (8, 16): half a column per row; at row r its x is r / 2, rounded half up to
    // (r + 1) / 2. The right edge is x = 20.
    polygon({{0, 0}, {20, 0}, {20, 16}, {8, 16}});
    CoverageMap expected;
    for (int32_t r = 0; r < 16; ++r)
        fill(expected, (r + 1) / 2, r, 20, r + 1, 256);
    EXPECT_EQ(convert().pixels, expected);
}

TEST_F(ScanConverterTest, BetterQualityHalfCoveredColumns)
{
    begin(VG_RENDERING_QUALITY_BETTER);
    rectangle(10.5f, 10, 20.5f, 20);
    // Subsample columns [84, 164) in all 8 subsample rows of rows 10..19. Column 10 holds subsample
    // columns 80..87, of which 84..87 are inside: 4 x 8 samples x weight 4 = 128; column 20 (160..167)
    // likewise 160..163 = 128; columns 11..19 are whole: 256.
    CoverageMap expected;
    fill(expected, 11, 10, 20, 20, 256);
    fill(expected, 10, 10, 11, 20, 128);
    fill(expected, 20, 10, 21, 20, 128);
    const RecordingSink sink = convert(VG_EVEN_ODD);
    EXPECT_EQ(sink.pixels, expected);
    EXPECT_EQ(sink.spanCalls, 10) << "the whole columns go as one run per row";
}

TEST_F(ScanConverterTest, FasterQualityCountsTwoByTwoSamples)
{
    begin(VG_RENDERING_QUALITY_FASTER);
    // x 2 and truncated: x 10.25 -> 20, 12.75 -> 25, y 10.75 -> 21, 12.25 -> 24. Inside: subsample columns
    // [20, 25), subsample rows 21..23. Row 10 has subsample row 21 only: columns 10 and 11 get 2 samples
    // x 64 = 128 (sent as a run with (1 x 256) / 2), column 12 one sample (24) = 64. Row 11 has both
    // subsample rows: 10 and 11 full, column 12 two samples = 128.
    rectangle(10.25f, 10.75f, 12.75f, 12.25f);
    // A stretch inside one column: subsample columns [60, 61) in subsample rows 40 and 41 = 2 samples.
    rectangle(30.0f, 20.0f, 30.5f, 21.0f);
    CoverageMap expected{{{10, 10}, 128}, {{11, 10}, 128}, {{12, 10}, 64}, {{10, 11}, 256},
                         {{11, 11}, 256}, {{12, 11}, 128}, {{30, 20}, 128}};
    EXPECT_EQ(convert().pixels, expected);
}

TEST_F(ScanConverterTest, StarHasAHoleUnderEvenOddOnly)
{
    // A five-pointed star drawn as one subpath, every second vertex of a pentagon of radius 30 around
    // (32, 32). The inner pentagon is wound twice, the points once. The top point runs from (32, 62) down
    // to the inner vertices near y = 41.3, half as wide as 18 degrees allow: at y = 56 its half width is
    // 6 x tan 18 = 1.95, so pixel (32, 55) is whole. The inner pentagon's inscribed radius is 9.3, so the
    // centre pixel (32, 32) lies well inside it.
    std::vector<Point2> star;
    for (int k = 0; k < 5; ++k) {
        const double angle = (90.0 + 144.0 * k) * std::acos(-1.0) / 180.0;
        star.push_back({static_cast<float>(32 + 30 * std::cos(angle)), static_cast<float>(32 + 30 * std::sin(angle))});
    }
    for (int32_t rule : {VG_EVEN_ODD, VG_NON_ZERO}) {
        begin(VG_RENDERING_QUALITY_BETTER);
        for (size_t i = 0; i < star.size(); ++i)
            addEdge(converter, star[i], star[(i + 1) % star.size()]);
        const RecordingSink sink = convert(rule);
        EXPECT_EQ(coverageAt(sink, 32, 55), 256) << "a point is filled under both rules";
        EXPECT_EQ(coverageAt(sink, 32, 32), rule == VG_EVEN_ODD ? 0 : 256);
        EXPECT_EQ(coverageAt(sink, 32, 63), 0) << "above the top point";
        endScanConversion(converter);
    }
}

TEST_F(ScanConverterTest, GeometryIsClippedToTheSurface)
{
    begin(VG_RENDERING_QUALITY_NONANTIALIASED);
    rectangle(-5, -5, 10, 10); // left of x = 0 and below y = 0
    rectangle(60, 60, 70, 70); // beyond the right and top sides
    // Left edge from (38, 14) down to (30, -18), entering at row 0 already 18 rows along: at y = row its
    // x is 30 + (y + 18) / 4, rounded half up: 30 + floor((y + 20) / 4), so 35 (34.5 rounded up) at row 0.
    polygon({{30, -18}, {50, -18}, {50, 14}, {38, 14}});
    CoverageMap expected;
    fill(expected, 0, 0, 10, 10, 256);
    fill(expected, 60, 60, 64, 64, 256);
    for (int32_t y = 0; y < 14; ++y)
        fill(expected, 30 + (y + 20) / 4, y, 50, y + 1, 256);
    EXPECT_EQ(convert().pixels, expected);
}

TEST_F(ScanConverterTest, AntialiasedClippingKeepsThePartialCorner)
{
    begin(VG_RENDERING_QUALITY_BETTER);
    // Subsample box [-40, 4) x [-40, 4): pixel (0, 0) holds 4 x 4 of its samples = 16 x 4 = 64.
    rectangle(-5, -5, 0.5f, 0.5f);
    EXPECT_EQ(convert().pixels, (CoverageMap{{{0, 0}, 64}}));
}

TEST_F(ScanConverterTest, EdgesOutsideTheRowsAreDroppedBeforeBucketing)
{
    begin(VG_RENDERING_QUALITY_BETTER);
    rectangle(10, 70, 20, 80);        // above the surface
    rectangle(10, -20, 20, -10);      // below it
    addEdge(converter, 5, -3, 5, 0);  // ends at the first row's start: yBottom 0 <= 0
    addEdge(converter, 5, 64, 5, 70); // starts at row 64: yTop 512 >= 512
    EXPECT_EQ(vg().edgeArena.position, 0);
    EXPECT_TRUE(bucketsClear());
    EXPECT_TRUE(convert().pixels.empty());
}

TEST_F(ScanConverterTest, ScissorRectanglesFormTheirUnion)
{
    begin(VG_RENDERING_QUALITY_NONANTIALIASED);
    setScissorBoundaries(converter, {{10, 10, 20, 20},
                                     {20, 5, 20, 10},
                                     {50, 50, 0, 10}, // zero width
                                     {50, 50, 10, 0}, // zero height
                                     {0, 0, -5, 5}});
    int32_t count = 0;
    for (const ScissorBoundary *b = converter.scissorBoundaries; b != nullptr; b = b->next)
        count += 1;
    EXPECT_EQ(count, 4) << "the empty rectangles add nothing";
    rectangle(0, 0, 64, 64);
    const RecordingSink sink = convert();
    using List = std::vector<std::pair<int32_t, int32_t>>;
    // Row 12 is spanned by both: sums 1 on [10, 20), 2 on [20, 30), 1 on [30, 40), 0 from 40.
    EXPECT_EQ(sink.lists.at(12), (List{{10, 1}, {20, 1}, {30, -1}, {40, -1}}));
    EXPECT_EQ(sink.lists.at(7), (List{{20, 1}, {40, -1}}));  // second rectangle only
    EXPECT_EQ(sink.lists.at(25), (List{{10, 1}, {30, -1}})); // first only
    EXPECT_EQ(sink.lists.count(30), 0u) << "rows 30 and up are spanned by none: null list";
    EXPECT_EQ(sink.lists.count(4), 0u);
    // The union: 20 x 20 + 20 x 10 - the overlap [20, 30) x [10, 15) = 550 pixels.
    CoverageMap expected;
    fill(expected, 10, 10, 30, 30, 256);
    fill(expected, 20, 5, 40, 15, 256);
    EXPECT_EQ(expected.size(), 550u);
    EXPECT_EQ(sink.visible, expected);
    EXPECT_EQ(converter.boundaryPool.inUse, 4) << "the row copies went back to the pool";
}

TEST_F(ScanConverterTest, ScissorBoundariesAreSortedWhateverTheOrderGiven)
{
    begin(VG_RENDERING_QUALITY_NONANTIALIASED);
    // Right to left, then one rectangle spanning the others, sums that saturate, and a tie in x: equal
    // boundaries keep the order they were given in.
    setScissorBoundaries(converter, {{40, 0, 5, 5},
                                     {20, 0, 5, 5},
                                     {0, 0, 5, 5},
                                     {10, 0, 50, 5},
                                     {INT32_MAX - 5, 0, 100, 10},
                                     {45, 0, 1, 5}, // found walking left; goes after the equal x
                                     {30, INT32_MAX - 1, 10, 10}});
    std::vector<std::pair<int32_t, int32_t>> xs;
    for (const ScissorBoundary *b = converter.scissorBoundaries; b != nullptr; b = b->next) {
        xs.push_back({b->x, b->direction});
        if (b->next != nullptr) {
            EXPECT_EQ(b->next->previous, b);
        }
    }
    using List = std::vector<std::pair<int32_t, int32_t>>;
    EXPECT_EQ(xs, (List{{0, 1},
                        {5, -1},
                        {10, 1},
                        {20, 1},
                        {25, -1},
                        {30, 1},
                        {40, 1},
                        {40, -1},
                        {45, -1},
                        {45, 1},
                        {46, -1},
                        {60, -1},
                        {INT32_MAX - 5, 1},
                        {INT32_MAX, -1}}));
    const ScissorBoundary *last = converter.scissorBoundaries;
    while (last->next != nullptr)
        last = last->next;
    EXPECT_EQ(last->y1, 10);
    for (const ScissorBoundary *b = converter.scissorBoundaries; b != nullptr; b = b->next) {
        if (b->x == 30) {
            EXPECT_EQ(b->y1, INT32_MAX) << "y + height saturates";
        }
    }
}

TEST_F(ScanConverterTest, ScissorPoolExhaustedKeepsTheRegionEmpty)
{
    begin(VG_RENDERING_QUALITY_NONANTIALIASED);
    const std::vector<ScissorRect> rects{{10, 10, 20, 20}};
    {
        test::FailAllocations failing;
        setScissorBoundaries(converter, rects);
    }
    EXPECT_EQ(converter.scissoring, 1);
    EXPECT_EQ(converter.scissorBoundaries, nullptr);
    rectangle(0, 0, 64, 64);
    const RecordingSink sink = convert();
    EXPECT_EQ(sink.pixels.size(), 64u * 64u);
    EXPECT_TRUE(sink.visible.empty()) << "no rectangle taken: nothing passes the scissor";
}

TEST_F(ScanConverterTest, ResetEdgesStartsAFreshPolygon)
{
    begin(VG_RENDERING_QUALITY_NONANTIALIASED);
    rectangle(0, 60, 10, 100); // its edges are still active after the last row
    CoverageMap first;
    fill(first, 0, 60, 10, 64, 256);
    EXPECT_EQ(convert().pixels, first);
    resetEdges(converter);
    EXPECT_TRUE(bucketsClear());
    rectangle(30, 0, 40, 10);
    CoverageMap second;
    fill(second, 30, 0, 40, 10, 256);
    EXPECT_EQ(convert().pixels, second) << "nothing of the first polygon remains";
}

TEST_F(ScanConverterTest, EndScanConversionLeavesTheStorageClean)
{
    begin(VG_RENDERING_QUALITY_BETTER);
    setScissorBoundaries(converter, {{0, 0, 64, 64}});
    rectangle(1.5f, 1.5f, 60.25f, 50.75f);
    rectangle(3.5f, 70.0f, 9.0f, 20.0f);
    const RecordingSink sink = convert();
    EXPECT_FALSE(sink.pixels.empty());
    EXPECT_GT(vg().edgeArena.position, 0);
    endScanConversion(converter);
    EXPECT_TRUE(bucketsClear());
    for (const BlockArena *arena : {&vg().edgeArena, &vg().activeEdgeArena, &vg().intervalArena}) {
        EXPECT_EQ(arena->position, 0);
        EXPECT_EQ(arena->current, arena->first);
    }
    EXPECT_EQ(converter.boundaryPool.blocks, nullptr);
    EXPECT_EQ(converter.boundaryPool.capacity, 0);
}

// Pixels under the diagonal y = x of the clip box, with the edge x = y at subsample row r crossing
// column r: a pixel right of the diagonal is whole; a pixel on it has 8 - j samples in its subsample
// row j, 36 in all = 144; a pixel left of it has none.
CoverageMap belowDiagonal()
{
    CoverageMap expected;
    for (int32_t y = 0; y < 64; ++y) {
        fill(expected, y + 1, y, 64, y + 1, 256);
        expected[{y, y}] = 144;
    }
    return expected;
}

TEST_F(ScanConverterTest, GuardBandKeepsFarGeometryExact)
{
    begin(VG_RENDERING_QUALITY_BETTER);
    // A thin triangle reaching 1e9 to the right: its slanted edges leave row 10 and row 50 by less than
    // 1e-6 inside the surface, so every pixel x >= 10 of rows 10..49 is whole.
    polygon({{10, 10}, {10, 50}, {1e9f, 30}});
    CoverageMap expected;
    fill(expected, 10, 10, 64, 50, 256);
    EXPECT_EQ(convert().pixels, expected);
    endScanConversion(converter);

    // A triangle under the diagonal reaching 2^30 in every direction, and the same cut by hand at the band
    // (16384 pixels around the 64 x 64 box): the diagonal from (-16384, -16384) to (16448, 16448), the far
    // side moved onto x = 16448.
    const float far = 1073741824.0f;
    begin(VG_RENDERING_QUALITY_BETTER);
    polygon({{-far, -far}, {far, far}, {far, -far}});
    const RecordingSink huge = convert();
    EXPECT_EQ(huge.pixels, belowDiagonal());
    endScanConversion(converter);

    begin(VG_RENDERING_QUALITY_BETTER);
    polygon({{-16384, -16384}, {16448, 16448}, {16448, -16384}});
    EXPECT_EQ(convert().pixels, huge.pixels);
}

TEST_F(ScanConverterTest, NonFiniteCoordinatesAreSafe)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    begin(VG_RENDERING_QUALITY_BETTER);
    // Infinities count as the largest float: a vertical pair spanning every row, and a triangle point far
    // to the right like the 1e9 one.
    addEdge(converter, 5, -inf, 5, inf);
    addEdge(converter, 20, inf, 20, -inf);
    CoverageMap expected;
    fill(expected, 5, 0, 20, 64, 256);
    EXPECT_EQ(convert().pixels, expected);
    endScanConversion(converter);

    begin(VG_RENDERING_QUALITY_FASTER);
    polygon({{30, 10}, {30, 50}, {inf, 30}});
    expected.clear();
    fill(expected, 30, 10, 64, 50, 256);
    EXPECT_EQ(convert().pixels, expected);
    endScanConversion(converter);

    // NaN counts as 0: the triangle (NaN, NaN), (40, 0), (40, 40) is the one from the origin, which lies
    // under the diagonal of the box [0, 40]^2.
    begin(VG_RENDERING_QUALITY_BETTER);
    polygon({{nan, nan}, {40, 0}, {40, 40}});
    addEdge(converter, nan, 3, inf, nan); // (0, 3) to (max, 0) and back: the pair cancels
    addEdge(converter, inf, nan, nan, 3);
    addEdge(converter, -inf, nan, nan, -inf); // ends at y = 0: below the rows
    CoverageMap diagonal;
    for (const auto &[pixel, coverage] : belowDiagonal())
        if (pixel.first < 40)
            diagonal[pixel] = coverage;
    const RecordingSink sink = convert();
    EXPECT_EQ(sink.pixels, diagonal);
}

} // namespace
} // namespace tamarind
