// What the person is told when the debug log port may not be opened. On
// Windows every user may open a COM port; "access denied" there means that
// another program holds it.
#include "shell/CdcLog.h"

namespace kvmt {

QString CdcLog::permissionMessage(const QString &location, const QString &)
{
    return tr("Порт отладочного журнала %1 занят другой программой. Закройте её (например, терминал), "
              "затем откройте журнал снова.")
        .arg(location);
}

} // namespace kvmt
