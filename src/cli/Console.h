#pragma once

#include "cli/PasswordSource.h"

namespace kvmt {

// The command-line tool's terminal, as the platform offers it.

// Makes the tool's UTF-8 output reach the terminal as the text it is
// (Windows consoles start in an 8-bit code page).
void prepareConsole();

// Reads the tracker's password from the person at the terminal without
// echoing it, prompting on standard error; nothing when standard input is
// no terminal; an interrupt (Ctrl+C) ends the question.
PasswordSource::Typed askPasswordWithoutEcho();

} // namespace kvmt
