// Lifetime of paint records.
#include "paint_object.h"

namespace tamarind {

void releaseObject(PaintObject *paint)
{
    paint->refCount -= 1;
    if (paint->refCount == 0)
        delete paint;
}

} // namespace tamarind
