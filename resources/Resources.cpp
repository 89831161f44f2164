#include "resources/Resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE declares the generated initialiser at global scope, so it must not be
// used inside a namespace.
static void RegisterCofferlyResources()
{
    Q_INIT_RESOURCE(cofferly);
}

void InitCofferlyResources()
{
    static const bool registered = [] {
        RegisterCofferlyResources();
        return true;
    }();
    (void)registered;
}
