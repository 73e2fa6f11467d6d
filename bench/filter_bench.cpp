// The six image filters on 512 x 512 VG_sRGBA_8888 images: the point filters, a 3 x 3 and a 9 x 9
// convolution, a 9 + 9 separable convolution and the Gaussian blur at deviations 2, 10 and 128 (11, 53 and
// 661 taps per axis). Items are output pixels.
#include "bench_surface.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

using tamarind::bench::BenchSurface;

constexpr int kSize = 512;
constexpr int64_t kPixels = int64_t{kSize} * kSize;

// A source with varied pixels and an empty destination, destroyed with the surface.
struct FilterImages {
    VGImage src;
    VGImage dst;
    FilterImages()
    {
        src = vgCreateImage(VG_sRGBA_8888, kSize, kSize, VG_IMAGE_QUALITY_NONANTIALIASED);
        dst = vgCreateImage(VG_sRGBA_8888, kSize, kSize, VG_IMAGE_QUALITY_NONANTIALIASED);
        std::vector<uint32_t> pixels(static_cast<size_t>(kPixels));
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x)
                pixels[static_cast<size_t>(y) * kSize + x] =
                    (static_cast<uint32_t>(x & 255) << 24) | (static_cast<uint32_t>(y & 255) << 16) |
                    (static_cast<uint32_t>((x ^ y) & 255) << 8) | 255u;
        vgImageSubData(src, pixels.data(), kSize * 4, VG_sRGBA_8888, 0, 0, kSize, kSize);
    }
    ~FilterImages()
    {
        vgDestroyImage(src);
        vgDestroyImage(dst);
    }
};

template <class Run>
void runFilter(benchmark::State &state, Run &&run)
{
    BenchSurface surface(64, 64);
    FilterImages images;
    for (auto _ : state) {
        run(images.dst, images.src);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPixels);
}

void BM_ColorMatrix(benchmark::State &state)
{
    const VGfloat m[20] = {0.5f, 0.2f, 0.1f, 0, 0.3f, 0.6f, 0.2f, 0, 0.2f, 0.2f, 0.7f, 0, 0, 0, 0, 1, 0.01f, 0, 0, 0};
    runFilter(state, [&](VGImage d, VGImage s) { vgColorMatrix(d, s, m); });
}
BENCHMARK(BM_ColorMatrix);

void BM_Lookup(benchmark::State &state)
{
    VGubyte table[256];
    for (int i = 0; i < 256; ++i)
        table[i] = static_cast<VGubyte>(255 - i);
    runFilter(state, [&](VGImage d, VGImage s) { vgLookup(d, s, table, table, table, table, VG_FALSE, VG_FALSE); });
}
BENCHMARK(BM_Lookup);

void BM_LookupSingle(benchmark::State &state)
{
    VGuint table[256];
    for (int i = 0; i < 256; ++i)
        table[i] = static_cast<VGuint>(i) * 0x01010101u;
    runFilter(state, [&](VGImage d, VGImage s) { vgLookupSingle(d, s, table, VG_GREEN, VG_FALSE, VG_FALSE); });
}
BENCHMARK(BM_LookupSingle);

void BM_Convolve(benchmark::State &state)
{
    const int n = static_cast<int>(state.range(0));
    std::vector<VGshort> kernel(static_cast<size_t>(n * n), 1);
    runFilter(state, [&](VGImage d, VGImage s) {
        vgConvolve(d, s, n, n, n / 2, n / 2, kernel.data(), 1.0f / static_cast<float>(n * n), 0, VG_TILE_PAD);
    });
}
BENCHMARK(BM_Convolve)->Arg(3)->Arg(9)->ArgName("kernel");

void BM_SeparableConvolve(benchmark::State &state)
{
    const std::vector<VGshort> kernel = {1, 8, 28, 56, 70, 56, 28, 8, 1}; // binomial, sum 256
    runFilter(state, [&](VGImage d, VGImage s) {
        vgSeparableConvolve(d, s, 9, 9, 4, 4, kernel.data(), kernel.data(), 1.0f / 65536, 0, VG_TILE_REFLECT);
    });
}
BENCHMARK(BM_SeparableConvolve);

void BM_GaussianBlur(benchmark::State &state)
{
    const auto deviation = static_cast<float>(state.range(0));
    runFilter(state, [&](VGImage d, VGImage s) { vgGaussianBlur(d, s, deviation, deviation, VG_TILE_PAD); });
}
BENCHMARK(BM_GaussianBlur)->Arg(2)->Arg(10)->Arg(128)->ArgName("deviation")->Unit(benchmark::kMillisecond);

} // namespace
