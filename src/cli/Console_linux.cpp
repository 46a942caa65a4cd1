#include "cli/Console.h"

#include "cli/PasswordSource.h"

namespace kvmt {

// Terminals on Linux take UTF-8 as it is.
void prepareConsole()
{
}

PasswordSource::Typed askPasswordWithoutEcho()
{
    return PasswordSource::askOnTerminal();
}

} // namespace kvmt
