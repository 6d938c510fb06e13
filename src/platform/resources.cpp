#include "resources.h"

#include <QtGlobal>

#include <mutex>

// Q_INIT_RESOURCE must not stand inside a namespace.
static void registerImages()
{
    Q_INIT_RESOURCE(parlowen);
}

void InitResources()
{
    static std::once_flag once;
    std::call_once(once, registerImages);
}
