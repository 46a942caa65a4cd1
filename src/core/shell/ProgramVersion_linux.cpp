#include "shell/ProgramVersion.h"

namespace kvmt {

ProgramVersion programVersion()
{
    return {KVMT_VERSION_MAJOR, KVMT_VERSION_MINOR};
}

} // namespace kvmt
