#pragma once

#include <QStringList>
#include <QTextStream>

#include "cli/PasswordSource.h"

namespace kvmt {

// kvmtconf-cli: the configurator without a window. Arguments exclude the
// program name. Output goes to `out` (results) and `err` (log lines and
// errors), so that tests run it in-process against buffers. `terminal` asks
// the person for the tracker's password when no other source gives it.
int runCli(const QStringList &arguments, QTextStream &out, QTextStream &err, const QStringList &libraryDirs,
           PasswordSource::Terminal terminal);

} // namespace kvmt
