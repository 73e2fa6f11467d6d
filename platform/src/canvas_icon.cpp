// The icon is drawn in code: an elongated, slightly bent pod with three pale seeds.
#include "canvas_icon.h"

namespace tamarind::platform {

void drawCanvasIcon(uint32_t *pixels)
{
    for (int y = 0; y < kIconSize; ++y) {
        for (int x = 0; x < kIconSize; ++x) {
            // Pod: an ellipse along a gentle arc, 28 wide and 12 high.
            const float cx = 15.5f;
            const float cy = 16.0f + (x - cx) * (x - cx) / 60.0f;
            const float dx = (x - cx) / 14.0f;
            const float dy = (y - cy) / 6.0f;
            const float pod = dx * dx + dy * dy;
            uint32_t color = 0x00000000u;
            if (pod <= 1.0f)
                color = pod > 0.75f ? 0xFF4A2A12u : 0xFF8B5A2Bu; // dark rim, brown body
            for (int seed = 0; seed < 3; ++seed) {
                const float sx = (x - (7.5f + 8.0f * seed)) / 2.6f;
                const float sy = (y - (16.0f + (7.5f + 8.0f * seed - cx) * (7.5f + 8.0f * seed - cx) / 60.0f)) / 3.2f;
                if (sx * sx + sy * sy <= 1.0f)
                    color = 0xFFE8C89Au;
            }
            pixels[y * kIconSize + x] = color;
        }
    }
}

} // namespace tamarind::platform
