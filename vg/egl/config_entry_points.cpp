// Listing, choosing and querying the seven configurations.
#include <EGL/egl.h>

#include "display.h"
#include "egl_call.h"
#include "thread_state.h"

using namespace tamarind;

namespace {

EGLConfig configHandle(int32_t index)
{
    return reinterpret_cast<EGLConfig>(static_cast<uintptr_t>(index));
}

bool isConfigAttribute(EGLint attribute)
{
    return attribute >= EGL_BUFFER_SIZE && attribute <= EGL_RENDERABLE_TYPE && attribute != 0x3030 &&
           attribute != EGL_NONE;
}

// The bit sizes that matching and scoring compare.
struct ConfigSizes {
    int32_t red, green, blue, alpha, luminance;
    int32_t total, rgbSize, lumSize;
};

ConfigSizes sizesOf(const ConfigRecord &config)
{
    const PixelFormatDescriptor &d = config.descriptor;
    ConfigSizes s{d.redBits, d.greenBits, d.blueBits, d.alphaBits, d.luminanceBits, 0, 0, 0};
    if (s.red + s.green + s.blue > 0) {
        s.total = s.red + s.green + s.blue + s.alpha;
        s.rgbSize = s.total;
        s.lumSize = s.luminance;
    } else if (s.luminance > 0) {
        s.total = s.luminance + s.alpha;
        s.rgbSize = 0;
        s.lumSize = s.total;
    } else {
        s.total = s.rgbSize = s.lumSize = s.alpha;
    }
    return s;
}

// What eglChooseConfig was asked for; -1 accepts any value.
struct ConfigRequest {
    int32_t bufferSize = 0;
    int32_t red = 0, green = 0, blue = 0, alpha = 0, luminance = 0;
    int32_t colorBufferType = EGL_RGB_BUFFER;
    int32_t configId = 0; // 0: none
};

enum class ReadResult { Ok, BadAttribute, NoMatch };

ReadResult readRequest(const EGLint *attribList, ConfigRequest &request)
{
    if (attribList == nullptr)
        return ReadResult::Ok;
    for (const EGLint *pair = attribList; pair[0] != EGL_NONE; pair += 2) {
        const EGLint attribute = pair[0];
        const EGLint value = pair[1];
        if (!isConfigAttribute(attribute))
            return ReadResult::BadAttribute;
        switch (attribute) {
        case EGL_BUFFER_SIZE:
            request.bufferSize = value;
            break;
        case EGL_RED_SIZE:
            request.red = value;
            break;
        case EGL_GREEN_SIZE:
            request.green = value;
            break;
        case EGL_BLUE_SIZE:
            request.blue = value;
            break;
        case EGL_ALPHA_SIZE:
            request.alpha = value;
            break;
        case EGL_LUMINANCE_SIZE:
            request.luminance = value;
            break;
        case EGL_COLOR_BUFFER_TYPE:
            if (value != EGL_RGB_BUFFER && value != EGL_LUMINANCE_BUFFER && value != -1)
                return ReadResult::BadAttribute;
            request.colorBufferType = value;
            break;
        case EGL_CONFIG_ID:
            request.configId = value;
            break;
        case EGL_DEPTH_SIZE:
        case EGL_STENCIL_SIZE:
        case EGL_LEVEL:
        case EGL_NATIVE_RENDERABLE:
        case EGL_SAMPLES:
        case EGL_SAMPLE_BUFFERS:
        case EGL_BIND_TO_TEXTURE_RGB:
        case EGL_BIND_TO_TEXTURE_RGBA:
            if (value != 0)
                return ReadResult::NoMatch;
            break;
        case EGL_CONFIG_CAVEAT:
        case EGL_NATIVE_VISUAL_TYPE:
            if (value != EGL_NONE)
                return ReadResult::NoMatch;
            break;
        case EGL_MIN_SWAP_INTERVAL:
        case EGL_MAX_SWAP_INTERVAL:
            if (value != 1)
                return ReadResult::NoMatch;
            break;
        case EGL_ALPHA_MASK_SIZE:
            if (value > 8)
                return ReadResult::NoMatch;
            break;
        case EGL_RENDERABLE_TYPE:
            if ((value & 0xFF & EGL_OPENVG_BIT) == 0)
                return ReadResult::NoMatch;
            break;
        default: // the pbuffer limits, native visual id, surface type and transparency are ignored
            break;
        }
    }
    return ReadResult::Ok;
}

bool meets(int32_t have, int32_t wanted)
{
    return wanted == -1 || have >= wanted;
}

bool matches(const ConfigSizes &s, const ConfigRequest &r)
{
    if (!meets(s.total, r.bufferSize) || !meets(s.red, r.red) || !meets(s.green, r.green) ||
        !meets(s.blue, r.blue) || !meets(s.alpha, r.alpha) || !meets(s.luminance, r.luminance))
        return false;
    if (r.colorBufferType == EGL_RGB_BUFFER)
        return s.rgbSize > 0;
    if (r.colorBufferType == EGL_LUMINANCE_BUFFER)
        return s.lumSize > 0;
    return true;
}

// Most requested bits first, then the lower configuration id.
int32_t sortKey(const ConfigSizes &s, const ConfigRequest &r, int32_t configId)
{
    auto counted = [](int32_t wanted, int32_t bits) { return wanted != 0 && wanted != -1 ? bits : 0; };
    const int32_t sum = counted(r.red, s.red) + counted(r.green, s.green) + counted(r.blue, s.blue) +
                        counted(r.alpha, s.alpha) + counted(r.luminance, s.luminance);
    return (32 - sum) * 16 + configId;
}

// The checks both listing calls share: display, then the count pointer and size; with no array to fill,
// the count of all configurations is the answer. Null when the call is already answered.
DisplayRecord *beginListing(EGLDisplay display, const EGLConfig *configs, EGLint configSize, EGLint *numConfig,
                            EGLint &error)
{
    DisplayRecord *record = requireDisplay(display, error);
    if (record == nullptr)
        return nullptr;
    if (numConfig == nullptr || configSize < 0) {
        error = EGL_BAD_PARAMETER;
        return nullptr;
    }
    if (configs == nullptr) {
        *numConfig = kConfigCount;
        return nullptr;
    }
    return record;
}

} // namespace

EGLBoolean eglGetConfigs(EGLDisplay display, EGLConfig *configs, EGLint configSize, EGLint *numConfig)
{
    return eglCall<EGLBoolean>(EGL_FALSE, [&](EGLint &error) -> EGLBoolean {
        if (beginListing(display, configs, configSize, numConfig, error) == nullptr)
            return EGL_TRUE; // a failure is returned as EGL_FALSE by the frame
        const EGLint n = configSize < kConfigCount ? configSize : kConfigCount;
        for (EGLint i = 0; i < n; ++i)
            configs[i] = configHandle(i);
        *numConfig = n;
        return EGL_TRUE;
    });
}

EGLBoolean eglChooseConfig(EGLDisplay display, const EGLint *attribList, EGLConfig *configs, EGLint configSize,
                           EGLint *numConfig)
{
    return eglCall<EGLBoolean>(EGL_FALSE, [&](EGLint &error) -> EGLBoolean {
        DisplayRecord *record = beginListing(display, configs, configSize, numConfig, error);
        if (record == nullptr)
            return EGL_TRUE; // a failure is returned as EGL_FALSE by the frame
        *numConfig = 0;
        if (configSize == 0)
            return EGL_TRUE;

        ConfigRequest request;
        switch (readRequest(attribList, request)) {
        case ReadResult::BadAttribute:
            error = EGL_BAD_ATTRIBUTE;
            return EGL_FALSE;
        case ReadResult::NoMatch:
            return EGL_TRUE;
        case ReadResult::Ok:
            break;
        }
        if (request.configId != 0 && request.configId != -1) {
            if (request.configId >= 1 && request.configId <= kConfigCount) {
                configs[0] = configHandle(request.configId - 1);
                *numConfig = 1;
            }
            return EGL_TRUE;
        }

        int32_t index[kConfigCount];
        int32_t key[kConfigCount];
        int32_t count = 0;
        for (int32_t i = 0; i < kConfigCount; ++i) {
            const ConfigSizes sizes = sizesOf(record->configs[i]);
            if (matches(sizes, request)) {
                index[count] = i;
                key[count] = sortKey(sizes, request, record->configs[i].configId);
                ++count;
            }
        }
        if (count == 0)
            return EGL_TRUE;

        const bool descending = getThreadState().configPreference != 0;
        for (int32_t i = 0; i < count; ++i) {
            for (int32_t j = i + 1; j < count; ++j) {
                const bool swap = descending ? key[i] <= key[j] : key[i] > key[j];
                if (swap) {
                    std::swap(key[i], key[j]);
                    std::swap(index[i], index[j]);
                }
            }
        }
        const int32_t n = count < configSize ? count : configSize;
        for (int32_t i = 0; i < n; ++i)
            configs[i] = configHandle(index[i]);
        *numConfig = n;
        return EGL_TRUE;
    });
}

EGLBoolean eglGetConfigAttrib(EGLDisplay display, EGLConfig config, EGLint attribute, EGLint *value)
{
    return eglCall<EGLBoolean>(EGL_FALSE, [&](EGLint &error) -> EGLBoolean {
        DisplayRecord *record = requireDisplay(display, error);
        if (record == nullptr)
            return EGL_FALSE;
        const int32_t index = requireConfig(config, error);
        if (index < 0)
            return EGL_FALSE;
        if (!isConfigAttribute(attribute)) {
            error = EGL_BAD_ATTRIBUTE;
            return EGL_FALSE;
        }
        if (value == nullptr) {
            error = EGL_BAD_PARAMETER;
            return EGL_FALSE;
        }
        const ConfigRecord &c = record->configs[index];
        const PixelFormatDescriptor &d = c.descriptor;
        switch (attribute) {
        case EGL_BUFFER_SIZE: {
            const int32_t rgba = d.redBits + d.greenBits + d.blueBits + d.alphaBits;
            const int32_t la = d.luminanceBits + d.alphaBits;
            *value = rgba > la ? rgba : la;
            break;
        }
        case EGL_ALPHA_SIZE:
            *value = d.alphaBits;
            break;
        case EGL_BLUE_SIZE:
            *value = d.blueBits;
            break;
        case EGL_GREEN_SIZE:
            *value = d.greenBits;
            break;
        case EGL_RED_SIZE:
            *value = d.redBits;
            break;
        case EGL_LUMINANCE_SIZE:
            *value = d.luminanceBits;
            break;
        case EGL_CONFIG_ID:
            *value = c.configId;
            break;
        case EGL_COLOR_BUFFER_TYPE:
            *value = d.redBits > 0 ? EGL_RGB_BUFFER : EGL_LUMINANCE_BUFFER;
            break;
        case EGL_CONFIG_CAVEAT:
        case EGL_NATIVE_VISUAL_TYPE:
        case EGL_TRANSPARENT_TYPE:
            *value = EGL_NONE;
            break;
        case EGL_MAX_PBUFFER_WIDTH:
        case EGL_MAX_PBUFFER_HEIGHT:
            *value = 16384;
            break;
        case EGL_MAX_PBUFFER_PIXELS:
            *value = 268435456;
            break;
        case EGL_SURFACE_TYPE:
            *value = EGL_PBUFFER_BIT | EGL_PIXMAP_BIT | EGL_WINDOW_BIT;
            break;
        case EGL_MIN_SWAP_INTERVAL:
        case EGL_MAX_SWAP_INTERVAL:
            *value = 1;
            break;
        case EGL_ALPHA_MASK_SIZE:
            *value = 8;
            break;
        case EGL_RENDERABLE_TYPE:
            *value = EGL_OPENVG_BIT;
            break;
        default: // depth, stencil, level, native renderable and visual id, samples, transparency, texture binding
            *value = 0;
            break;
        }
        return EGL_TRUE;
    });
}
