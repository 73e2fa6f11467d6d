// Lifetime of paint records, their pattern image, and the processing of colour and ramp stops.
#include "paint_object.h"

#include "../context/float_rules.h"
#include "../context/storage.h"
#include "../image/color.h"
#include "../image/image_object.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace tamarind {
namespace {

// Drops the reference and the share a paint holds on its pattern image.
void dropPattern(ImageObject *image)
{
    if (image == nullptr)
        return;
    image->shareCount -= 1;
    releaseImage(image);
}

RampStop rampStopAt(int32_t position, const UserStop &stop)
{
    return RampStop{position, colorChannel(stop.values[1]), colorChannel(stop.values[2]),
                    colorChannel(stop.values[3]), colorChannel(stop.values[4])};
}

} // namespace

std::vector<RampStop> defaultRamp()
{
    std::vector<RampStop> ramp;
    appendGrowing(ramp, RampStop{0, 0, 0, 0, 255});
    appendGrowing(ramp, RampStop{255, 255, 255, 255, 255});
    return ramp;
}

void releaseObject(PaintObject *paint)
{
    paint->refCount -= 1;
    if (paint->refCount > 0)
        return;
    ImageObject *pattern = paint->pattern;
    delete paint;
    dropPattern(pattern);
}

void setPaintPattern(PaintObject &paint, ImageObject *image)
{
    // The new image gains its reference first, so that re-setting the same image never frees it.
    if (image != nullptr) {
        image->refCount += 1;
        image->shareCount += 1;
    }
    ImageObject *old = paint.pattern;
    paint.pattern = image;
    dropPattern(old);
}

uint16_t colorChannel(float component)
{
    // Limiting the product before truncation keeps huge components from overflowing the channel and
    // maps every negative component to 0; inside [0, 255] it is plain truncation toward zero.
    const float scaled = std::clamp(sanitizeFloat(component) * 255.0f, 0.0f, 255.0f);
    return static_cast<uint16_t>(scaled);
}

PixelColor premultipliedPaintColor(uint16_t c0, uint16_t c1, uint16_t c2, uint16_t alpha)
{
    PixelColor c{COLOR_SRGB, c0, c1, c2, alpha};
    clampPremultiplied(c);
    if (c.alpha != 255) {
        c.c0 = premultiply(c.c0, c.alpha);
        c.c1 = premultiply(c.c1, c.alpha);
        c.c2 = premultiply(c.c2, c.alpha);
    }
    c.flags |= COLOR_PREMULTIPLIED;
    return c;
}

void rebuildCachedColor(PaintObject &paint)
{
    paint.cachedColor = premultipliedPaintColor(colorChannel(paint.color[0]), colorChannel(paint.color[1]),
                                                colorChannel(paint.color[2]), colorChannel(paint.color[3]));
}

std::vector<RampStop> processRampStops(const std::vector<UserStop> &userStops)
{
    std::vector<RampStop> processed;
    float previous = -FLT_MAX;
    bool inOrder = true;
    for (const UserStop &stop : userStops) {
        const float offset = stop.values[0];
        if (offset < previous) {
            inOrder = false;
            processed.clear();
            break;
        }
        previous = offset; // an out-of-range offset still takes part in the order test
        if (offset < 0.0f || offset > 1.0f)
            continue;
        const RampStop internal = rampStopAt(static_cast<int32_t>(offset * 255.0f), stop);
        if (processed.empty() && internal.position > 0) {
            RampStop first = internal;
            first.position = 0;
            appendGrowing(processed, first);
        }
        appendGrowing(processed, internal);
    }
    if (inOrder && !processed.empty() && processed.back().position < 255) {
        RampStop last = processed.back();
        last.position = 255;
        appendGrowing(processed, last);
    }
    if (processed.empty())
        return defaultRamp();
    return processed;
}

void setRampStops(PaintObject &paint, int32_t count, const void *values, bool isFloat)
{
    const int32_t stopCount = std::min(count / 5, kMaxRampStops);
    std::vector<UserStop> userStops;
    for (int32_t i = 0; i < stopCount; ++i) {
        UserStop stop;
        for (int32_t k = 0; k < 5; ++k)
            stop.values[k] = readFloatElement(values, 5 * i + k, isFloat);
        appendGrowing(userStops, stop);
    }
    std::vector<RampStop> stops = processRampStops(userStops);
    // Moving vectors cannot fail, so the paint changes only once both lists exist.
    paint.stops = std::move(stops);
    paint.userStops = std::move(userStops);
}

} // namespace tamarind
