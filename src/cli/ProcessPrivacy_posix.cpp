#include "cli/ProcessPrivacy.h"

#include <QFile>

#include <sys/resource.h>
#include <sys/stat.h>

#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace kvmt {

void keepOutOfCoreDumps()
{
#ifdef __linux__
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
#else
    const rlimit none{0, 0};
    ::setrlimit(RLIMIT_CORE, &none);
#endif
}

bool readableByOthers(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    return (info.st_mode & (S_IRGRP | S_IROTH)) != 0;
}

} // namespace kvmt
