// What the person is told when the debug log port may not be opened, in the
// terms of the platform's own access rules.
#include "shell/CdcLog.h"

namespace kvmt {

QString CdcLog::permissionMessage(const QString &location, const QString &group)
{
    // Serial ports belong to "dialout" on Debian; a system that gives them
    // another group is named by the port itself. "root" is no advice.
    const QString portGroup = group.isEmpty() || group == u"root" ? QStringLiteral("dialout") : group;
    return tr("Нет прав на открытие порта отладочного журнала %1. Если пакет программы установлен, отключите "
              "трекер и подключите его снова: правило udev 70-kvmtconf.rules даёт доступ пользователю, "
              "работающему за компьютером. Иначе добавьте пользователя в группу %2 "
              "(sudo adduser $USER %2), затем выйдите из системы и войдите снова.")
        .arg(location, portGroup);
}

} // namespace kvmt
