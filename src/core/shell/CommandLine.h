#pragma once

#include <QStringList>

namespace kvmt {

// The program's only command-line switch: "cmd" shows the service console.
// Case does not matter and one leading "/" or "-" is allowed, so "/CMD" and
// "-Cmd" count while "--cmd" and "cmd2" do not. Every other parameter,
// including an empty one, is ignored.
bool consoleRequested(const QStringList &parameters);

} // namespace kvmt
