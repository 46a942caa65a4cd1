#include "cli/Console.h"

#include "cli/PasswordSource.h"

namespace kvmt {

// Terminals on Linux take UTF-8 as it is.
void prepareConsole()
{
}

std::optional<QByteArray> askPasswordWithoutEcho()
{
    return PasswordSource::askOnTerminal();
}

} // namespace kvmt
