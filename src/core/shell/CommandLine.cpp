#include "shell/CommandLine.h"

namespace kvmt {

bool consoleRequested(const QStringList &parameters)
{
    for (const QString &parameter : parameters) {
        QString word = parameter.toLower();
        if (word.startsWith(u'/') || word.startsWith(u'-'))
            word.remove(0, 1);
        if (word == u"cmd")
            return true;
    }
    return false;
}

} // namespace kvmt
