// Platform: one canvas window with a 32-bit back buffer, the main loop and its callbacks, a periodic
// timer, the process-wide recursive API mutex, thread identity and a first-fit memory pool.
// The functions have C++ linkage.
#ifndef TAMARIND_PLATFORM_H
#define TAMARIND_PLATFORM_H

#include <cstdint>

#if defined(__GNUC__) || defined(__clang__)
#define GO_API __attribute__((visibility("default")))
#else
#define GO_API
#endif

// Callback ids for goSetFunctionEntry.
#define GO_ENTRY_IDLE 0x5100         // void ()
#define GO_ENTRY_CHAR 0x5101         // bool (int character)
#define GO_ENTRY_MOUSE_MOVE 0x5102   // void (int x, int y, int buttonState)
#define GO_ENTRY_LEFT_BUTTON 0x5103  // void (int x, int y, int pressed)
#define GO_ENTRY_PAINT 0x5104        // void ()
#define GO_ENTRY_SIZE 0x5105         // void (int width, int height)
#define GO_ENTRY_EXIT 0x5106         // void ()
#define GO_ENTRY_TIMER 0x5107        // void (), on the timer's thread
#define GO_ENTRY_KEY 0x5108          // void (int virtualKey, int pressed)
#define GO_ENTRY_RIGHT_BUTTON 0x5109 // void (int x, int y, int pressed)

// Device information ids for goGetDeviceInfo.
#define GO_INFO_WIDTH 0x5200
#define GO_INFO_HEIGHT 0x5201
#define GO_INFO_WINDOW 0x5202
#define GO_INFO_PIXELS 0x5203
#define GO_INFO_POOL_SIZE 0x5210
#define GO_INFO_POOL_FREE 0x5211
#define GO_INFO_POOL_USED 0x5212

// Error codes for goGetLastErrorCode.
#define GO_ERROR_BAD_ID 0x5000
#define GO_ERROR_NULL_FUNCTION 0x5001
#define GO_ERROR_NO_WINDOW 0x5002
#define GO_ERROR_NO_MEMORY 0x5010

// Canvas and main loop.
GO_API bool goInitCanvas(int width, int height);
GO_API int goGetLastErrorCode();
GO_API intptr_t goGetDeviceInfo(int id);
GO_API void goDestoryCanvas();
GO_API void goSetFunctionEntry(int id, intptr_t function);
GO_API void goSetTimer(int period);
GO_API void goKillTimer();
GO_API void goMainLoop();
GO_API void goSetCanvasTitle(const char *title);
GO_API void goSwapBuffer();

// Memory pool.
GO_API int goMemCreate(void *buffer, int size);
GO_API void *goMalloc(unsigned int size, unsigned int tag);
GO_API int goFree(void *payload);

// API mutex and thread identity.
GO_API unsigned long goGetCurrentThreadID();
GO_API void goAcquireMutex();
GO_API void goReleaseMutex();

#endif
