#include "KorvelResources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE declares the registration function in the enclosing
// namespace, so it has to be used at global scope.
static void registerKorvelResources()
{
    Q_INIT_RESOURCE(korvel);
}

namespace korvel::resources {

void ensureLoaded()
{
    static const bool registered = (registerKorvelResources(), true);
    (void)registered;
}

}  // namespace korvel::resources
