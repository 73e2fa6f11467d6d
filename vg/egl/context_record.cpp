// Lifetime of EGL context records.
#include "context_record.h"

#include "../context/vg_context.h"

namespace tamarind {

void releaseContext(ContextRecord *context)
{
    context->references -= 1;
    if (context->references != 0)
        return;
    destroyVgContext(context->vgContext);
    delete context;
}

} // namespace tamarind
