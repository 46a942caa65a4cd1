#include "device/DeviceLibrary.h"

#include <QDir>

namespace kvmt {

namespace {

// The lookup order is fixed: the first missing name stops the lookups.
template<typename Entry>
bool resolve(QLibrary &library, const char *name, Entry &target)
{
    target = Entry(reinterpret_cast<void *>(library.resolve(name)));
    return bool(target);
}

} // namespace

QString deviceLibraryFileName(const QString &baseName)
{
#if defined(Q_OS_WIN)
    return baseName + QStringLiteral(".dll");
#else
    return QStringLiteral("lib%1.so").arg(baseName);
#endif
}

DeviceLibrary::DeviceLibrary(QStringList fallbackDirs, QString baseName)
    : m_fallbackDirs(std::move(fallbackDirs))
    , m_baseName(std::move(baseName))
{
}

// QLibrary's destructor leaves the library mapped: a maker's library may keep
// threads and handles that outlive this object, so it stays until exit.
DeviceLibrary::~DeviceLibrary() = default;

bool DeviceLibrary::load()
{
    if (m_library)
        return true;
    if (!m_fallbackDirs.isEmpty() && QLibrary::isLibrary(m_fallbackDirs.first()))
        return tryLoad(m_fallbackDirs.first()) == Attempt::Loaded;
    Attempt attempt = tryLoad(m_baseName);
    // A library that was found but is incomplete counts as absent; only a
    // library that was not found at all sends us on to the fallback folders.
    for (int i = 0; attempt == Attempt::NotFound && i < m_fallbackDirs.size(); ++i) {
        const QString candidate = QDir(m_fallbackDirs[i]).filePath(deviceLibraryFileName(m_baseName));
        if (QFile::exists(candidate))
            attempt = tryLoad(candidate);
    }
    return attempt == Attempt::Loaded;
}

DeviceLibrary::Attempt DeviceLibrary::tryLoad(const QString &fileName)
{
    auto library = std::make_unique<QLibrary>(fileName);
    if (!library->load()) {
        m_lastError = library->errorString();
        return Attempt::NotFound;
    }
    DeviceApi api;
    const bool complete = resolve(*library, "RW_GetListDevices", api.getListDevices)
        && resolve(*library, "RW_OpenDevice", api.openDevice)
        && resolve(*library, "RW_CloseDevice", api.closeDevice)
        && resolve(*library, "RW_Read", api.read)
        && resolve(*library, "RW_ReadNotTimeOut", api.readNotTimeOut)
        && resolve(*library, "RW_Write", api.write)
        && resolve(*library, "RW_Purge", api.purge)
        && resolve(*library, "RW_SetTimeouts", api.setTimeouts);
    if (!complete) {
        m_lastError = library->errorString();
        library->unload();
        return Attempt::Incomplete;
    }
    m_location = library->fileName();
    m_api = api;
    m_library = std::move(library);
    m_lastError.clear();
    return Attempt::Loaded;
}

} // namespace kvmt
