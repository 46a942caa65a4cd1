#pragma once

#include <QStringList>
#include <QTextStream>

namespace kvmt {

// kvmtconf-cli: the configurator without a window. Arguments exclude the
// program name. Output goes to `out` (results) and `err` (log lines and
// errors), so that tests run it in-process against buffers.
int runCli(const QStringList &arguments, QTextStream &out, QTextStream &err, const QStringList &libraryDirs);

} // namespace kvmt
