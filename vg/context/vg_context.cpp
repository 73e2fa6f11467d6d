// Creation and destruction of VG contexts, and the handle checks against their shared object lists.
#include "vg_context.h"

#include "../image/image_object.h"
#include "../path/path_object.h"
#include "../render/paint_object.h"
#include "../render/scan_records.h"

#include <memory>

namespace tamarind {
namespace {

template <class T>
ObjectList<T> *adoptList(ObjectList<T> *shared)
{
    if (shared == nullptr)
        return new ObjectList<T>();
    shared->holders += 1;
    return shared;
}

template <class T>
void dropList(ObjectList<T> *&list)
{
    if (list == nullptr)
        return;
    list->holders -= 1;
    if (list->holders == 0)
        delete list;
    list = nullptr;
}

void dropPaint(PaintObject *&paint)
{
    if (paint != nullptr)
        releaseObject(paint);
    paint = nullptr;
}

// Frees what a context owns; safe on a partly built one.
void freeContextStorage(VgContext *context)
{
    context->edgeBuckets.clear();
    dropList(context->images);
    dropList(context->paths);
    dropList(context->paints);
    freeArena(context->edgeArena);
    freeArena(context->activeEdgeArena);
    freeArena(context->intervalArena);
    delete context; // the dash and scissor arrays go with the record
}

} // namespace

VgContext *createVgContext(VgContext *shareWith)
{
    VgContext *context = new VgContext();
    try {
        context->images = adoptList(shareWith ? shareWith->images : nullptr);
        context->paths = adoptList(shareWith ? shareWith->paths : nullptr);
        context->paints = adoptList(shareWith ? shareWith->paints : nullptr);
        initArena(context->edgeArena, sizeof(EdgeRecord), kEdgesPerBlock);
        initArena(context->activeEdgeArena, sizeof(ActiveEdge), kActiveEdgesPerBlock);
        initArena(context->intervalArena, sizeof(CoverageInterval), kIntervalsPerBlock);
    } catch (...) {
        freeContextStorage(context);
        throw;
    }
    return context;
}

void destroyVgContext(VgContext *context)
{
    dropPaint(context->fillPaint);
    dropPaint(context->strokePaint);
    destroyObjectsOf(*context->images, context);
    destroyObjectsOf(*context->paths, context);
    destroyObjectsOf(*context->paints, context);
    freeContextStorage(context);
}

ImageObject *isImage(const VgContext &context, VGHandle handle)
{
    return findObject(*context.images, handle);
}

PathObject *isPath(const VgContext &context, VGHandle handle)
{
    return findObject(*context.paths, handle);
}

PaintObject *isPaint(const VgContext &context, VGHandle handle)
{
    return findObject(*context.paints, handle);
}

} // namespace tamarind
