#include "services/FactoryDefaults.h"

#include "settings/DeviceSettings.h"

namespace kvmt {

// The SIM, the mobile network of the operator the trackers ship with, and
// the maker's tracking server.
const QString FactoryDefaults::kPin = QStringLiteral("0000");
const QString FactoryDefaults::kApn = QStringLiteral("internet.volna-gsm.ru");
const QString FactoryDefaults::kApnLogin = QStringLiteral("gdt");
const QString FactoryDefaults::kApnPassword = QStringLiteral("gdt");
const QString FactoryDefaults::kServer = QStringLiteral("track.korvel-mt.ru");
const QString FactoryDefaults::kServerPassword = QStringLiteral("trkpassw");

FactoryDefaults::FactoryDefaults(DeviceSettings &settings)
    : m_settings(settings)
{
}

void FactoryDefaults::btDefaultSetupClick()
{
    DeviceSettings &s = m_settings;
    s.setText(F::edPinCode, kPin);
    s.setText(F::edAPN, kApn);
    s.setText(F::edAPNLogin, kApnLogin);
    s.setText(F::edAPNPass, kApnPassword);
    s.setText(F::edBalanceNum, QStringLiteral("*100#"));
    s.setChecked(F::cbBalanceSMTP, false);
    s.setChecked(F::cbBalanceSMS, false);
    s.setChecked(F::rbGoogle, true);
    s.setText(F::edServerIP, kServer);
    s.setText(F::edServerPort, QStringLiteral("2225"));
    s.setText(F::edServerPass, kServerPassword);
    s.setChecked(F::cbSentServer, false);
    s.setChecked(F::rbEveryTimeSrv, true);
    s.setText(F::edServerHour, QStringLiteral("24"));
    s.setText(F::edServerMin, QStringLiteral("00"));
    s.setChecked(F::cbSentSMTP, false);
    s.setChecked(F::rbTimeInSMTP, true);
    s.setText(F::edSMTPHour, QStringLiteral("08"));
    s.setText(F::edSMTPMin, QStringLiteral("00"));
    s.setChecked(F::cbSentSMS, true);
    s.setText(F::edSMSHour, QStringLiteral("01"));
    s.setText(F::edSMSMin, QStringLiteral("00"));
    // Whatever the serial panel shows, dashes included; longer than a
    // person may type into the name, which is allowed for the program.
    s.setText(F::edDevName, s.text(F::pSerial));
    s.setText(F::edOnLineTime, QStringLiteral("5"));
    s.setChecked(F::cbInd, false);
}

} // namespace kvmt
