#include "OrvaListener.h"

namespace vendrel {

void OrvaListener::browserChanged(int evnt)
{
    if (evnt == 0)
        bWorldLoaded = true;
}

} // namespace vendrel
