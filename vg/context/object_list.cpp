// The process-wide handle counter. Called only under the API mutex.
#include "object_list.h"

namespace tamarind {
namespace {

VGHandle lastHandle = 0;
bool wrapped = false;

} // namespace

VGHandle nextObjectHandle()
{
    lastHandle += 1;
    if (lastHandle == VG_INVALID_HANDLE) {
        wrapped = true;
        lastHandle = 1;
    }
    return lastHandle;
}

bool objectHandlesWrapped()
{
    return wrapped;
}

} // namespace tamarind
