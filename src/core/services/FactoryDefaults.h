#pragma once

#include <QString>

namespace kvmt {

class DeviceSettings;

// The factory values of the tracker, put into the window only: nothing goes
// to the tracker until Save. Each value is set as the person would set it,
// so the fields' rules run in between (a mode is set before its hours, so
// that the hours are judged by the mode they belong to).
class FactoryDefaults
{
public:
    // The SIM, network and server values the tracker leaves the factory with.
    static const QString kPin;
    static const QString kApn;
    static const QString kApnLogin;
    static const QString kApnPassword;
    static const QString kServer;
    static const QString kServerPassword;

    explicit FactoryDefaults(DeviceSettings &settings);

    void btDefaultSetupClick();

private:
    DeviceSettings &m_settings;
};

} // namespace kvmt
