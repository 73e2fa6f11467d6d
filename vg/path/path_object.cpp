// Lifetime of path records.
#include "path_object.h"

namespace tamarind {

void releaseObject(PathObject *path)
{
    path->refCount -= 1;
    if (path->refCount == 0)
        delete path;
}

} // namespace tamarind
