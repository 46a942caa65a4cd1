#include "profiles/ProfileSelection.h"

#include "device/CommandChannel.h"
#include "log/EventLog.h"
#include "profiles/ProfileLayout.h"
#include "settings/DeviceSettings.h"
#include "settings/ReadSequence.h"
#include "text/Numbers.h"

namespace kvmt {

ProfileSelection::ProfileSelection(CommandChannel &channel, DeviceSettings &settings, const LinkFlags &flags,
                                   EventLog &log, ReadSequence &reader, ProfileLayout &layout)
    : m_channel(channel)
    , m_settings(settings)
    , m_flags(flags)
    , m_log(log)
    , m_reader(reader)
    , m_layout(layout)
{
}

void ProfileSelection::cbProfileChange()
{
    if (m_flags.testFlag(LinkFlag::Connected)) {
        m_log.logEvent(tr("Чтение профиля"), LogPlain);
        m_channel.sendCommand("READPROFILE=" + QByteArray::number(m_settings.index(F::cbProfile)) + ';');
        if (m_channel.receiveReply() == 0) {
            // The tracker answers with the profile it now hands out; a value
            // that is no number selects the first profile.
            m_settings.setIndex(F::cbProfile, leadingIntOr0(m_channel.replyValue()));
            m_log.logEvent(tr("Тип отладочной информации прочитан"), LogSuccess);
        }
        // Also after a failed exchange: the read reports its own errors, and
        // its CHANGEPROFILE answer sets the selection once more.
        m_reader.readSettings(false);
    }
    m_layout.applyProfileLayout();
}

} // namespace kvmt
