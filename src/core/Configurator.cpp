#include "Configurator.h"

namespace kvmt {

Configurator::Configurator(EventLog &log, UserPrompts &prompts, QStringList libraryDirs, QObject *parent)
    : QObject(parent)
    , m_log(log)
    , m_prompts(prompts)
    , m_library(std::move(libraryDirs))
    , m_link(m_library, m_clock)
    , m_monitor(m_link, m_settings, m_log, m_prompts, m_identity, m_flags)
{
}

Configurator::~Configurator() = default;

} // namespace kvmt
