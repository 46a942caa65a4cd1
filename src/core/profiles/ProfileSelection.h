#pragma once

#include <QCoreApplication>

#include "device/LinkFlags.h"

namespace kvmt {

class CommandChannel;
class DeviceSettings;
class EventLog;
class ProfileLayout;
class ReadSequence;

// The person picked a profile in the profile list. A connected tracker is
// told which profile's channel settings to hand out (READPROFILE) and every
// setting is read again; with or without a tracker the page is laid out for
// the profile. Selections made by program never come here.
class ProfileSelection
{
    Q_DECLARE_TR_FUNCTIONS(kvmt::ProfileSelection)

public:
    ProfileSelection(CommandChannel &channel, DeviceSettings &settings, const LinkFlags &flags, EventLog &log,
                     ReadSequence &reader, ProfileLayout &layout);

    void cbProfileChange();

private:
    CommandChannel &m_channel;
    DeviceSettings &m_settings;
    const LinkFlags &m_flags;
    EventLog &m_log;
    ReadSequence &m_reader;
    ProfileLayout &m_layout;
};

} // namespace kvmt
