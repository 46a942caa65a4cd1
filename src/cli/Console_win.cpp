// The Windows console: UTF-8 both ways, so that Russian text reaches cmd.exe
// and PowerShell intact whatever the console's code page was; the password
// read with echo turned off through the console mode.
#include "cli/Console.h"

#include <QString>

#include <cstdio>
#include <iterator>

#include <windows.h>

namespace kvmt {

void prepareConsole()
{
    // Only where there is a console; redirected output is bytes as written.
    SetConsoleOutputCP(CP_UTF8);
    SetConsoleCP(CP_UTF8);
}

PasswordSource::Typed askPasswordWithoutEcho()
{
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD saved = 0;
    // Not a console (a pipe, a file, no input at all): nobody to ask.
    if (input == INVALID_HANDLE_VALUE || !input || !GetConsoleMode(input, &saved))
        return {};
    SetConsoleMode(input, (saved | ENABLE_LINE_INPUT) & ~DWORD(ENABLE_ECHO_INPUT));
    std::fputs("kvmtconf-cli: the tracker's password: ", stderr);
    std::fflush(stderr);
    wchar_t buffer[64] = {};
    DWORD count = 0;
    const bool read = ReadConsoleW(input, buffer, DWORD(std::size(buffer) - 1), &count, nullptr) != 0;
    // Ctrl+C aborts the console's read: the question ends, no password.
    const bool aborted = !read && GetLastError() == ERROR_OPERATION_ABORTED;
    SetConsoleMode(input, saved);
    std::fputs("\n", stderr);
    if (!read) {
        PasswordSource::Typed typed;
        typed.interrupted = aborted;
        return typed;
    }
    QString line = QString::fromWCharArray(buffer, int(count));
    // The console hands the line over with its CR LF.
    for (const QLatin1Char end : {QLatin1Char('\r'), QLatin1Char('\n')}) {
        if (const qsizetype at = line.indexOf(end); at >= 0)
            line.truncate(at);
    }
    if (line.isEmpty())
        return {};
    // The password goes to the tracker as Windows-1251 text; it is digits.
    return PasswordSource::Typed(std::optional<QByteArray>(line.toLatin1()));
}

} // namespace kvmt
