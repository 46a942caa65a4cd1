#include "PlugNotice.h"

namespace kvtracker {

// The folder change the tool has just made is the notice (see PlugNotice.h).
void announcePlugChange()
{
}

} // namespace kvtracker
