// Calls into the program's registered functions. A slot holds 0 until a function is registered, and an
// empty slot behaves as the default: do nothing (the character slot's default returns false).
#ifndef TAMARIND_PLATFORM_CALLBACKS_H
#define TAMARIND_PLATFORM_CALLBACKS_H

#include "canvas_state.h"
#include "platform.h"

namespace tamarind::platform {

template <class... Args>
void callEntry(int id, Args... args)
{
    const intptr_t function = canvas().entries[id - kEntryFirst].load();
    if (function != 0)
        reinterpret_cast<void (*)(Args...)>(function)(args...);
}

// The character callback returns a bool that the library does not use.
inline void callCharEntry(int character)
{
    const intptr_t function = canvas().entries[GO_ENTRY_CHAR - kEntryFirst].load();
    if (function != 0)
        reinterpret_cast<bool (*)(int)>(function)(character);
}

} // namespace tamarind::platform

#endif
