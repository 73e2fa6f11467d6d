// The canvas window's 32 x 32 icon.
#ifndef TAMARIND_PLATFORM_CANVAS_ICON_H
#define TAMARIND_PLATFORM_CANVAS_ICON_H

#include <cstdint>

namespace tamarind::platform {

constexpr int kIconSize = 32;

// Fills 32 x 32 pixels (top row first, each 0xAARRGGBB): a brown pod with three seeds on a clear ground.
void drawCanvasIcon(uint32_t *pixels);

} // namespace tamarind::platform

#endif
