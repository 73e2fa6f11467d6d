// Lifetime of image records.
#include "image_object.h"

namespace tamarind {

void releaseObject(ImageObject *image)
{
    image->refCount -= 1;
    if (image->refCount == 0)
        delete image;
}

} // namespace tamarind
