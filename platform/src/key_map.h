// Key codes: the canvas reports keys with the Windows virtual-key values on every platform.
#ifndef TAMARIND_PLATFORM_KEY_MAP_H
#define TAMARIND_PLATFORM_KEY_MAP_H

#include <cstdint>

namespace tamarind::platform {

// The virtual-key value of an SDL key code, or 0 for keys without one.
int virtualKeyOf(int32_t sdlKeycode);

// The character a key produces by itself (Return 13, Backspace 8, Tab 9, Escape 27), or 0.
int controlCharacterOf(int32_t sdlKeycode);

} // namespace tamarind::platform

#endif
