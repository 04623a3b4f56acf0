#include "OrvaListener.h"

namespace vendrel {

void OrvaListener::browserChanged(int evnt)
{
    if (evnt == 0)
        bWorldLoaded = true;
    else if (evnt == 2 || evnt == 3)
        bLoadFailed = true;
}

} // namespace vendrel
