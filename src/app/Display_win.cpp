#include "app/Display.h"

namespace kvmt {

// A Windows program always has its session's desktop.
bool displayAvailable()
{
    return true;
}

} // namespace kvmt
