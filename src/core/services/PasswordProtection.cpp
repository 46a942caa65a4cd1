#include "services/PasswordProtection.h"

#include "device/CommandChannel.h"
#include "log/EventLog.h"
#include "settings/DeviceSettings.h"
#include "text/Cp1251.h"
#include "text/Numbers.h"

#include <utility>

namespace kvmt {

namespace {

constexpr qsizetype kPasswordLength = 4;
constexpr qsizetype kMasterLength = 16;

bool isRefusal(const QByteArray &replyKey)
{
    return replyKey == "DEVLOCK;";
}

} // namespace

std::optional<SwitchReply> parseSwitchReply(QByteArrayView value)
{
    // Read as the tracker's own firmware formats it, scanf-style: a number,
    // a comma straight after it, a second number.
    qsizetype used = 0;
    const std::optional<int> state = leadingInt(value, &used);
    if (!state || used >= value.size() || value[used] != ',')
        return std::nullopt;
    const std::optional<int> accepted = leadingInt(value.sliced(used + 1));
    if (!accepted)
        return std::nullopt;
    return SwitchReply{*state, *accepted};
}

PasswordProtection::PasswordProtection(CommandChannel &channel, DeviceSettings &settings, EventLog &log,
                                       const LinkFlags &flags)
    : m_channel(channel)
    , m_settings(settings)
    , m_log(log)
    , m_flags(flags)
{
    m_settings.setRule(F::cbViewPassEn, [this] { cbViewPassEnClick(); });
}

bool PasswordProtection::requireConnection()
{
    if (m_flags.testFlag(LinkFlag::Connected))
        return true;
    m_log.logEvent(tr("Прибор не подключен"), LogError);
    return false;
}

void PasswordProtection::btOnOffPINClick()
{
    if (!requireConnection())
        return;
    m_log.logEvent(tr("Изменение состояния защиты"), LogPlain);
    // No length check: whatever the field holds goes, and the tracker judges.
    m_channel.sendCommand("SECURESETUP=" + QByteArray(m_settings.isChecked(F::cbPINCode) ? "1" : "0") + ','
                          + toCp1251(m_settings.text(F::Passw)) + ';');

    bool switched = false;
    if (m_channel.receiveReply() == 0) {
        if (isRefusal(m_channel.replyKey())) {
            m_log.logEvent(tr("Включение защиты невозможно"), LogError);
        } else if (const std::optional<SwitchReply> reply = parseSwitchReply(m_channel.replyValue())) {
            if (reply->accepted != 0) {
                m_settings.setChecked(F::cbPINCode, reply->state != 0);
                m_log.logEvent(tr("Состояние защиты изменено"), LogSuccess);
                switched = true;
            } else {
                m_log.logEvent(tr("Неверный пароль"), LogError);
            }
        } else {
            // Neither a refusal nor the two numbers: nothing was confirmed.
            m_log.logEvent(QStringLiteral("SECURESETUP error"), LogError);
        }
    }
    // The person ticked or cleared the box to ask for the switch; without
    // it the box goes back to what it showed before the click.
    if (!switched)
        m_settings.setChecked(F::cbPINCode, !m_settings.isChecked(F::cbPINCode));
    m_settings.setText(F::Passw, QString());
    if (switched && m_accepted)
        m_accepted();
}

void PasswordProtection::btChangePINClick()
{
    if (!requireConnection())
        return;
    m_newPasswordTaken = false;
    m_log.logEvent(tr("Изменение пароля"), LogPlain);
    const QString oldPassword = m_settings.text(F::OldPass_);
    const QString newPassword = m_settings.text(F::NewPass_);
    if (oldPassword.size() != kPasswordLength || newPassword.size() != kPasswordLength) {
        m_log.logEvent(tr("Неверный формат"), LogError);
        return;
    }
    m_channel.sendCommand("SECUREPASSCHANGE=" + toCp1251(oldPassword) + ',' + toCp1251(newPassword) + ';');
    // Without an answer the person may simply press again: the fields stay.
    if (m_channel.receiveReply() != 0)
        return;
    if (!reportNewPassword(leadingInt(m_channel.replyValue()), tr("изменение пароля невозможно"),
                           tr("Неверный старый пароль"), "SECUREPASSCHANGE"))
        return;
    m_settings.setText(F::OldPass_, QString());
    m_settings.setText(F::NewPass_, QString());
    tellIfTaken();
}

void PasswordProtection::edResetLockMpClick()
{
    if (!requireConnection())
        return;
    m_newPasswordTaken = false;
    m_log.logEvent(tr("Установка пароля"), LogPlain);
    const QString master = m_settings.text(F::edMasterPass);
    const QString newPassword = m_settings.text(F::NewPassM);
    if (master.size() != kMasterLength) {
        m_log.logEvent(tr("Неверный формат мастер-пароля"), LogError);
        m_settings.setText(F::edMasterPass, QString());
        return;
    }
    if (newPassword.size() != kPasswordLength) {
        m_log.logEvent(tr("Неверный формат нового пароля"), LogError);
        m_settings.setText(F::NewPassM, QString());
        return;
    }
    m_channel.sendCommand("SECURERESET=" + toCp1251(master) + ',' + toCp1251(newPassword) + ';');
    if (m_channel.receiveReply() != 0)
        return;
    // Here the whole value must be the number. The refusal is worded as the
    // program has always worded it.
    if (!reportNewPassword(strictInt(m_channel.replyValue()),
                           tr("Запись имени пользователя APN невозможна. Проверьте уровень защиты"),
                           tr("Неверный мастер-пароль"), "SECURERESET"))
        return;
    m_settings.setText(F::edMasterPass, QString());
    m_settings.setText(F::NewPassM, QString());
    tellIfTaken();
}

void PasswordProtection::tellIfTaken()
{
    const bool taken = std::exchange(m_newPasswordTaken, false);
    if (taken && m_accepted)
        m_accepted();
}

bool PasswordProtection::reportNewPassword(std::optional<int> accepted, const QString &refused,
                                           const QString &wrongProof, const char *key)
{
    if (isRefusal(m_channel.replyKey())) {
        m_log.logEvent(refused, LogError);
        return true;
    }
    if (!accepted) {
        m_log.logEvent(QString::fromLatin1(key) + QStringLiteral(" error"), LogError);
        return false;
    }
    if (*accepted != 0)
        m_log.logEvent(tr("Пароль успешно изменен"), LogSuccess);
    else
        m_log.logEvent(wrongProof, LogError);
    if (*accepted != 0)
        m_newPasswordTaken = true;
    return true;
}

void PasswordProtection::cbViewPassEnClick()
{
    const bool shown = m_settings.isChecked(F::cbViewPassEn);
    for (const F field : kPasswordFields)
        m_settings.setMasked(field, !shown);
}

} // namespace kvmt
