// Clears and pixel transfers on a 1920 x 1080 surface. BM_Memset writes the same number of bytes as one
// clear of the colour buffer (8 bytes a pixel), as the yardstick for clear throughput in the same run.
#include "bench_surface.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using tamarind::bench::BenchSurface;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int64_t kPixels = int64_t{kWidth} * kHeight;

void BM_Memset(benchmark::State &state)
{
    std::vector<uint8_t> bytes(static_cast<size_t>(kPixels) * 8);
    uint8_t value = 0;
    for (auto _ : state) {
        std::memset(bytes.data(), ++value, bytes.size());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPixels);
    state.SetBytesProcessed(state.iterations() * kPixels * 8);
}
BENCHMARK(BM_Memset);

void BM_Clear(benchmark::State &state)
{
    BenchSurface surface(kWidth, kHeight, state.range(0) ? EGL_ALPHA_FORMAT_PRE : EGL_ALPHA_FORMAT_NONPRE);
    const VGfloat color[4] = {0.25f, 0.5f, 0.75f, 0.5f};
    vgSetfv(VG_CLEAR_COLOR, 4, color);
    for (auto _ : state) {
        vgClear(0, 0, kWidth, kHeight);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPixels);
    state.SetBytesProcessed(state.iterations() * kPixels * 8);
}
BENCHMARK(BM_Clear)->Arg(0)->Arg(1)->ArgName("premultiplied");

void BM_ClearScissored(benchmark::State &state)
{
    BenchSurface surface(kWidth, kHeight);
    std::vector<VGint> rects;
    for (int i = 0; i < 16; ++i)
        rects.insert(rects.end(), {i * 120, i * 60, 400, 300});
    vgSetiv(VG_SCISSOR_RECTS, static_cast<VGint>(rects.size()), rects.data());
    vgSeti(VG_SCISSORING, VG_TRUE);
    for (auto _ : state) {
        vgClear(0, 0, kWidth, kHeight);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_ClearScissored);

void BM_ReadPixels(benchmark::State &state)
{
    BenchSurface surface(kWidth, kHeight);
    const auto format = static_cast<VGImageFormat>(state.range(0));
    const int bytes = format == VG_sRGB_565 ? 2 : 4;
    std::vector<uint8_t> memory(static_cast<size_t>(kPixels) * bytes);
    for (auto _ : state) {
        vgReadPixels(memory.data(), kWidth * bytes, format, 0, 0, kWidth, kHeight);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_ReadPixels)->Arg(VG_sRGBA_8888)->Arg(VG_sRGB_565)->Arg(VG_sARGB_8888)->ArgName("format");

void BM_WritePixels(benchmark::State &state)
{
    BenchSurface surface(kWidth, kHeight);
    const auto format = static_cast<VGImageFormat>(state.range(0));
    const int bytes = format == VG_sRGB_565 ? 2 : 4;
    std::vector<uint8_t> memory(static_cast<size_t>(kPixels) * bytes, 0x9C);
    for (auto _ : state) {
        vgWritePixels(memory.data(), kWidth * bytes, format, 0, 0, kWidth, kHeight);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_WritePixels)->Arg(VG_sRGBA_8888)->Arg(VG_sRGB_565)->ArgName("format");

void BM_CopyImage(benchmark::State &state)
{
    BenchSurface surface(64, 64);
    const auto dstFormat = static_cast<VGImageFormat>(state.range(0));
    VGImage src = vgCreateImage(VG_sRGBA_8888, kWidth, kHeight, VG_IMAGE_QUALITY_NONANTIALIASED);
    VGImage dst = vgCreateImage(dstFormat, kWidth, kHeight, VG_IMAGE_QUALITY_NONANTIALIASED);
    for (auto _ : state) {
        vgCopyImage(dst, 0, 0, src, 0, 0, kWidth, kHeight, VG_FALSE);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPixels);
    vgDestroyImage(src);
    vgDestroyImage(dst);
}
// sRGBA_8888 to itself needs no conversion; to lRGBA_8888_PRE it converts every pixel.
BENCHMARK(BM_CopyImage)->Arg(VG_sRGBA_8888)->Arg(VG_lRGBA_8888_PRE)->Arg(VG_sRGB_565)->ArgName("dst_format");

} // namespace
