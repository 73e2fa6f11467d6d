// The lists through which path, paint and image handles are validated and shared. One list per object
// kind and share group; every context of the group holds it. A handle is valid for a context exactly
// when an entry whose object carries that handle value is in the context's list of that kind.
#ifndef TAMARIND_VG_CONTEXT_OBJECT_LIST_H
#define TAMARIND_VG_CONTEXT_OBJECT_LIST_H

#include <VG/openvg.h>

#include "storage.h"

#include <cstdint>
#include <vector>

namespace tamarind {

struct VgContext;

template <class T>
struct ObjectEntry {
    T *object;
    VgContext *creator;
};

template <class T>
struct ObjectList {
    int32_t holders = 1;                // contexts that refer to this list
    std::vector<ObjectEntry<T>> entries; // live handles in creation order
};

// The next handle value from the process-wide counter; 0 is never handed out.
VGHandle nextObjectHandle();
// True once the counter has wrapped, after which new handles are checked against live ones.
bool objectHandlesWrapped();

// Front-to-back search; null when the handle is not in the list.
template <class T>
T *findObject(const ObjectList<T> &list, VGHandle handle)
{
    if (handle == VG_INVALID_HANDLE)
        return nullptr;
    for (const ObjectEntry<T> &entry : list.entries)
        if (entry.object->handle == handle)
            return entry.object;
    return nullptr;
}

// Gives a new object its handle and appends its entry; the entry holds the object's first reference.
template <class T>
void registerObject(ObjectList<T> &list, T *object, VgContext *creator)
{
    VGHandle handle = nextObjectHandle();
    while (objectHandlesWrapped() && findObject(list, handle) != nullptr)
        handle = nextObjectHandle();
    object->handle = handle;
    if (list.entries.size() == list.entries.capacity())
        list.entries.reserve(list.entries.empty() ? 8 : list.entries.capacity() * 2);
    list.entries.push_back(ObjectEntry<T>{object, creator});
    object->refCount += 1;
}

// Removes the entry of `object`, closing the gap and keeping the order, and drops the list's reference
// with releaseObject (which frees the record when no other reference holds it).
template <class T>
bool unregisterObject(ObjectList<T> &list, T *object)
{
    for (auto it = list.entries.begin(); it != list.entries.end(); ++it) {
        if (it->object == object) {
            list.entries.erase(it);
            releaseObject(object);
            return true;
        }
    }
    return false;
}

// Destroys, front to back, every handle of the list that `creator` made.
template <class T>
void destroyObjectsOf(ObjectList<T> &list, const VgContext *creator)
{
    for (;;) {
        auto it = list.entries.begin();
        while (it != list.entries.end() && it->creator != creator)
            ++it;
        if (it == list.entries.end())
            return;
        T *object = it->object;
        list.entries.erase(it);
        releaseObject(object);
    }
}

} // namespace tamarind

#endif
