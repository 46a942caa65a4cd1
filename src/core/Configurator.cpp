#include "Configurator.h"

namespace kvmt {

Configurator::Configurator(EventLog &log, UserPrompts &prompts, QStringList libraryDirs, QObject *parent)
    : QObject(parent)
    , m_log(log)
    , m_prompts(prompts)
    , m_library(std::move(libraryDirs))
    , m_link(m_library, m_clock)
    , m_monitor(m_link, m_settings, m_log, m_prompts, m_identity, m_flags)
    , m_keyTable(m_settings, m_identity, m_log)
    , m_reader(m_link, m_settingsBuffer, m_keyTable, m_settings, m_identity, m_log)
    , m_writer(m_link, m_settingsBuffer, m_keyTable, m_settings, m_flags, m_log)
{
    ConnectionMonitor::Hooks hooks;
    hooks.readSettings = [this] { m_reader.readSettings(false); };
    m_monitor.setHooks(std::move(hooks));
}

Configurator::~Configurator() = default;

} // namespace kvmt
