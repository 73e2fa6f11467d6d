/* Platform types and call macros of the VG and VGU interfaces. */
#ifndef TAMARIND_VGPLATFORM_H
#define TAMARIND_VGPLATFORM_H

#include <stdint.h>

#if defined(__GNUC__) || defined(__clang__)
#define VG_API_CALL extern __attribute__((visibility("default")))
#else
#define VG_API_CALL extern
#endif
#define VG_API_ENTRY
#define VG_API_EXIT

#define VGU_API_CALL VG_API_CALL
#define VGU_API_ENTRY
#define VGU_API_EXIT

typedef float VGfloat;
typedef int8_t VGbyte;
typedef uint8_t VGubyte;
typedef int16_t VGshort;
typedef int32_t VGint;
typedef uint32_t VGuint;
typedef VGuint VGbitfield;

/* In C++ every enumeration of the interface has VGint as its fixed underlying type, so any 32-bit value
 * a C caller passes is a valid value of the enumeration type (the library validates it). */
#ifdef __cplusplus
#define VG_ENUM_BASE : VGint
#else
#define VG_ENUM_BASE
#endif

/* Largest values of VGshort and VGint; VG_MAX_ENUM widens every enumeration to 32 bits. */
#define VG_MAXSHORT 0x7FFF
#define VG_MAXINT 0x7FFFFFFF
#define VG_MAX_ENUM 0x7FFFFFFF

#endif
