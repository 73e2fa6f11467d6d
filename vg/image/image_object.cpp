// Image records: creation of roots and children, the destruction order, and single-pixel access.
#include "image_object.h"

#include <cstring>
#include <memory>

namespace tamarind {

int32_t rootStride(const PixelFormatDescriptor &descriptor, int32_t width)
{
    if (descriptor.bitsPerPixel == 1)
        return (width + 7) / 8;
    return width * (descriptor.bitsPerPixel / 8);
}

ImageObject *createRootImage(int32_t format, int32_t width, int32_t height, uint32_t allowedQuality)
{
    auto image = std::make_unique<ImageObject>();
    image->descriptor = describeFormat(format);
    image->width = width;
    image->height = height;
    image->allowedQuality = allowedQuality;
    image->stride = rootStride(image->descriptor, width);
    image->storage.reset(static_cast<uint64_t>(image->stride) * static_cast<uint64_t>(height));
    image->pixels = image->storage.data();
    return image.release();
}

ImageObject *createChildImage(ImageObject &parent, int32_t x, int32_t y, int32_t width, int32_t height)
{
    auto child = std::make_unique<ImageObject>();
    child->descriptor = parent.descriptor;
    child->width = width;
    child->height = height;
    child->allowedQuality = parent.allowedQuality;
    child->stride = parent.stride;
    uint8_t *row = parent.pixels + static_cast<intptr_t>(y) * parent.stride;
    if (parent.descriptor.bitsPerPixel == 1) {
        const int32_t bit = parent.bitOffset + x;
        child->pixels = row + bit / 8;
        child->bitOffset = bit % 8;
    } else {
        child->pixels = row + static_cast<intptr_t>(x) * (parent.descriptor.bitsPerPixel / 8);
    }
    child->parent = &parent;
    child->parentX = x;
    child->parentY = y;
    child->shareCount = 1;
    parent.shareCount += 1;
    parent.refCount += 1;
    return child.release();
}

void releaseImage(ImageObject *image)
{
    // Iterative, so a long chain of children cannot exhaust the stack.
    while (image != nullptr) {
        image->refCount -= 1;
        if (image->refCount > 0)
            return;
        ImageObject *parent = image->parent;
        if (parent != nullptr) {
            image->shareCount -= 1;
            parent->shareCount -= 1;
        }
        for (ImageObject *level : image->mipmapLevels)
            releaseImage(level);
        image->mipmapLevels.clear();
        delete image; // frees owned storage and the mipmap array
        image = parent;
    }
}

ImageObject wrapClientMemory(int32_t format, void *data, int32_t stride, int32_t width, int32_t height)
{
    ImageObject image;
    image.descriptor = describeFormat(format);
    image.pixels = static_cast<uint8_t *>(data);
    image.stride = stride;
    image.width = width;
    image.height = height;
    return image;
}

bool isAlignedFor(const void *data, int32_t format)
{
    const int32_t bits = describeFormat(format).bitsPerPixel;
    if (bits < 16)
        return true;
    return reinterpret_cast<uintptr_t>(data) % static_cast<uintptr_t>(bits / 8) == 0;
}

namespace {

// Caller memory may have any stride, so 16- and 32-bit pixels are moved as bytes (one instruction each).
template <class T>
T loadUnaligned(const uint8_t *at)
{
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

template <class T>
void storeUnaligned(uint8_t *at, T value)
{
    std::memcpy(at, &value, sizeof value);
}

uint8_t *rowOf(const ImageObject &image, int32_t y)
{
    return image.pixels + static_cast<intptr_t>(y) * image.stride;
}

uint32_t loadPacked(const ImageObject &image, int32_t x, int32_t y)
{
    const uint8_t *row = rowOf(image, y);
    switch (image.descriptor.bitsPerPixel) {
    case 32:
        return loadUnaligned<uint32_t>(row + static_cast<intptr_t>(x) * 4);
    case 16:
        return loadUnaligned<uint16_t>(row + static_cast<intptr_t>(x) * 2);
    case 8:
        return row[x];
    default: {
        const int32_t bit = x + image.bitOffset;
        return (row[bit / 8] >> (bit % 8)) & 1u;
    }
    }
}

} // namespace

PixelColor readImagePixel(const ImageObject &image, int32_t x, int32_t y)
{
    return image.descriptor.unpackPixel(loadPacked(image, x, y));
}

void storePackedPixel(ImageObject &image, int32_t x, int32_t y, uint32_t packed)
{
    uint8_t *row = rowOf(image, y);
    switch (image.descriptor.bitsPerPixel) {
    case 32:
        storeUnaligned<uint32_t>(row + static_cast<intptr_t>(x) * 4, packed);
        break;
    case 16:
        storeUnaligned<uint16_t>(row + static_cast<intptr_t>(x) * 2, static_cast<uint16_t>(packed));
        break;
    case 8:
        row[x] = static_cast<uint8_t>(packed);
        break;
    default: {
        const int32_t bit = x + image.bitOffset;
        uint8_t &byte = row[bit / 8];
        byte = static_cast<uint8_t>((byte & ~(1u << (bit % 8))) | ((packed & 1u) << (bit % 8)));
        break;
    }
    }
    image.mipmapsValid = 0;
}

void writeImagePixel(ImageObject &image, int32_t x, int32_t y, const PixelColor &color)
{
    storePackedPixel(image, x, y, image.descriptor.packPixel(color));
}

} // namespace tamarind
