#pragma once

#include <QFile>
#include <QTemporaryDir>

namespace kvmt::test {

// For the life of a test or benchmark run, the programs under it keep MT.ini,
// automatic copies, password lists and read backups here (KVMT_DATA_DIR),
// never beside themselves in the build tree.
class TemporaryDataFolder
{
public:
    TemporaryDataFolder() { qputenv("KVMT_DATA_DIR", QFile::encodeName(m_dir.path())); }

private:
    QTemporaryDir m_dir;
};

} // namespace kvmt::test
