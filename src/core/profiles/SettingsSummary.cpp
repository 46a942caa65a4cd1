#include "profiles/SettingsSummary.h"

#include "text/Numbers.h"

#include "log/EventLog.h"
#include "settings/DeviceSettings.h"
#include "settings/KeyTable.h"

namespace kvmt {

namespace {

// Firmware from which the tracker changes profile on a call and calls
// number 1 on an accelerometer alarm.
constexpr quint32 kCallFeaturesFirmware = 144;
constexpr quint32 kSummerTimeFirmware = 141;

constexpr double kMaxLatitude = 90.0;
constexpr double kMaxLongitude = 180.0;
constexpr int kMinRadius = 200;
constexpr int kMaxRadius = 1000000;

// International form: "+" and eleven digits' worth of characters.
constexpr qsizetype kPhoneLength = 12;

// The placeholder texts, looked up in the interface language per build.
struct Words {
    QString notGiven;     // "не задано"
    QString notSet;       // "не установлен"
    QString notSetFem;    // "не установлена"
    QString notSetNeuter; // "не установлено"
    QString on;
    QString off;
};

class Rows
{
public:
    Rows(const DeviceSettings &settings, const Words &words, QList<SummaryRow> &rows)
        : m_s(settings)
        , m_w(words)
        , m_rows(rows)
    {
    }

    // The format's "%s" marks where the value goes; what precedes it is the
    // label, which keeps the plain colour.
    void add(const QString &format, const QString &value, int kind)
    {
        const qsizetype at = format.indexOf(QLatin1String("%s"));
        m_rows.append({at < 0 ? format : format.left(at), value, kind});
    }
    void textOr(const QString &format, const QString &text, const QString &placeholder)
    {
        add(format, text.isEmpty() ? placeholder : text, text.isEmpty() ? LogNotice : LogSuccess);
    }

    void n(const QString &format, Field f) { textOr(format, m_s.text(f), m_w.notGiven); }
    void u(const QString &format, Field f) { textOr(format, m_s.text(f), m_w.notSet); }
    // A PIN or login of "-..." is the tracker's way of saying none.
    void d(const QString &format, Field f)
    {
        const QString text = m_s.text(f);
        textOr(format, text.startsWith(u'-') ? QString() : text, m_w.notSet);
    }
    void sw(const QString &format, Field f)
    {
        const bool on = m_s.isChecked(f);
        add(format, on ? m_w.on : m_w.off, on ? LogSuccess : LogNotice);
    }
    void choice(const QString &format, Field f)
    {
        const QStringList items = m_s.items(f);
        const int i = m_s.index(f);
        textOr(format, i >= 0 && i < items.size() ? items[i] : QString(), m_w.notGiven);
    }
    void phone(const QString &format, Field f)
    {
        const QString text = m_s.text(f);
        if (text.isEmpty())
            return add(format, m_w.notSet, LogNotice);
        const bool international = text.startsWith(u'+') && text.size() == kPhoneLength;
        add(format, text, international ? LogSuccess : LogError);
    }
    void balance(const QString &format, Field f)
    {
        const QString text = m_s.text(f);
        if (text.isEmpty())
            return add(format, m_w.notSet, LogNotice);
        add(format, text, text.startsWith(u'*') ? LogSuccess : LogError);
    }
    void hoursMinutes(const QString &format, Field hours, Field minutes)
    {
        add(format, QString::asprintf("%d:%02d", number(hours), number(minutes)), LogSuccess);
    }
    void coordinate(const QString &format, Field f, double limit)
    {
        const QString text = m_s.text(f);
        if (text.isEmpty())
            return add(format, m_w.notSetFem, LogNotice);
        // Read as Save reads it: what is no number there counts as 0 here.
        const double value = decimalNumber(text).value_or(0);
        add(format, text, value >= -limit && value <= limit ? LogSuccess : LogError);
    }
    // False when the radius is no integer: the build stops there.
    bool radius(const QString &format, Field f)
    {
        const QString text = m_s.text(f);
        if (text.isEmpty()) {
            add(format, m_w.notSet, LogNotice);
            return true;
        }
        const std::optional<int> value = strictInt(QStringView(text));
        if (!value)
            return false;
        add(format, text, *value < kMinRadius || *value > kMaxRadius ? LogError : LogSuccess);
        return true;
    }
    // "hh:mm" of two fields, each 0 when it holds no number.
    QString clock(Field hours, Field minutes) const
    {
        return QString::asprintf("%02d:%02d", number(hours), number(minutes));
    }
    int number(Field f) const { return wholeNumber(m_s.text(f)); }

private:
    const DeviceSettings &m_s;
    const Words &m_w;
    QList<SummaryRow> &m_rows;
};

} // namespace

SettingsSummary SettingsSummary::build(const DeviceSettings &s, quint32 firmwareVersion)
{
    const Words words{tr("не задано"), tr("не установлен"), tr("не установлена"), tr("не установлено"),
                      tr("Вкл"), tr("Выкл")};
    SettingsSummary summary;
    Rows r(s, words, summary.m_rows);
    const bool callFeatures = firmwareVersion >= kCallFeaturesFirmware;

    r.n(tr("Имя прибора = %s"), F::edDevName);
    r.choice(tr("Профиль = %s"), F::cbProfile);
    r.sw(tr("Передача SMS = %s"), F::cbSentSMS);
    // As typed: a read shows two-digit texts (05:30), an edit what was typed.
    r.add(s.isChecked(F::rbEveryTime) ? tr("Период передачи SMS = %s") : tr("Время передачи SMS = %s"),
          s.text(F::edSMSHour) + u':' + s.text(F::edSMSMin), LogSuccess);
    if (callFeatures) {
        r.sw(tr("Изменение профиля по звонку на номер 1 = %s"), F::cbChangeProfile);
        if (s.isChecked(F::cbChangeProfile))
            r.choice(tr("Изменить на профиль  = %s"), F::cbProfile_Call);
    }
    r.sw(tr("Передача на сервер = %s"), F::cbSentServer);
    r.hoursMinutes(s.isChecked(F::rbEveryTimeSrv) ? tr("Период передачи на сервер = %s")
                                                  : tr("Время передачи на сервер = %s"),
                   F::edServerHour, F::edServerMin);
    r.sw(tr("Передача на почту = %s"), F::cbSentSMTP);
    r.hoursMinutes(s.isChecked(F::rbEveryTimeSMTP) ? tr("Период передачи на почту = %s")
                                                   : tr("Время передачи на почту = %s"),
                   F::edSMTPHour, F::edSMTPMin);
    r.sw(tr("Прием GPS = %s"), F::cbOnlyGPSEn);
    r.hoursMinutes(tr("Период приема GPS = %s"), F::edGPSHour, F::edGPSMin);
    r.sw(tr("SMS команды без пароля = %s"), F::cbCommandsWithoutParole);
    r.phone(tr("SMS номер 1 = %s"), F::edSMSNumber1);
    r.phone(tr("SMS номер 2 = %s"), F::edSMSNumber2);
    r.phone(tr("SMS номер 3 = %s"), F::edSMSNumber3);
    r.phone(tr("Номер SMS шлюза = %s"), F::edSMSGate);
    r.sw(tr("Передача через SMS шлюз = %s"), F::cbSMSGateEn);
    r.n(tr("После отправки SMS оставаться на связи, мин = %s"), F::edOnLineTime);
    r.balance(tr("Номер запроса баланса = %s"), F::edBalanceNum);
    r.u(tr("Порог баланса = %s"), F::edBalanceLevel);
    r.sw(tr("Отправлять баланс в SMS = %s"), F::cbBalanceSMS);
    r.sw(tr("Отправлять баланс на почту = %s"), F::cbBalanceSMTP);
    r.u(tr("Адрес сервера = %s"), F::edServerIP);
    r.u(tr("Порт сервера = %s"), F::edServerPort);
    // Passwords in clear: the summary is the engineer's record of what goes
    // into the tracker.
    r.u(tr("Пароль прибора = %s"), F::edServerPass);
    r.u(tr("SMTP сервер = %s"), F::edSMTPServer);
    r.u(tr("SMTP порт = %s"), F::edSMTPPort);
    r.u(tr("SMTP логин = %s"), F::edSMTPLogin);
    r.u(tr("SMTP пароль = %s"), F::edSMTPPass);
    r.u(tr("SMTP от кого = %s"), F::edSMTPFrom);
    r.u(tr("SMTP кому 1 = %s"), F::edSMTPTo1);
    r.u(tr("SMTP кому 2 = %s"), F::edSMTPTo2);
    r.u(tr("SMTP кому 3 = %s"), F::edSMTPTo3);
    r.u(tr("SMTP кому 4 = %s"), F::edSMTPTo4);
    r.d(tr("GSM пин-код = %s"), F::edPinCode);
    r.u(tr("APN точка доступа = %s"), F::edAPN);
    r.d(tr("APN логин = %s"), F::edAPNLogin);
    r.u(tr("APN пароль = %s"), F::edAPNPass);
    QString mapTemplate = tr("Числовые значения");
    if (s.isChecked(F::rbGoogle))
        mapTemplate = s.text(F::edMapFormat_1);
    else if (s.isChecked(F::rbYandex))
        mapTemplate = s.text(F::edMapFormat_2);
    r.add(tr("Шаблон координат = %s"), mapTemplate, LogSuccess);
    r.sw(tr("Запрет авт. определения координат по баз. станциям = %s"), F::cbLBSDisable);
    r.sw(tr("Акселерометр = %s"), F::cbAcclEn);
    r.choice(tr("Чувствительность акселерометра = %s"), F::cbAcclSense);
    r.sw(tr("SMS по акселерометру = %s"), F::cbAcclSendSMS);
    r.sw(tr("SMS без ожидания координат = %s"), F::cbFastSMS);
    r.sw(tr("На сервер по акселерометру = %s"), F::cbAcclSendSrv);
    r.sw(tr("На почту по акселерометру = %s"), F::cbAcclSendEmail);
    if (callFeatures)
        r.sw(tr("На номер 1 по акселерометру = %s"), F::cbCallOnNumber);
    r.n(tr("Задержка после остановки, мин = %s"), F::edAccSenTimeOut);
    r.add(tr("Период действия акселерометра = %s"),
          tr("с %1 по %2").arg(r.clock(F::edAccActHourBeg, F::edAccActMinBeg), r.clock(F::edAccActHourEnd, F::edAccActMinEnd)),
          LogSuccess);
    r.sw(tr("Запрос пароля при входе = %s"), F::cbPINCode);
    r.sw(tr("Разрешить контроль зоны = %s"), F::cbCZ_En_Control);
    r.coordinate(tr("Широта = %s"), F::edLat, kMaxLatitude);
    r.coordinate(tr("Долгота = %s"), F::edLon, kMaxLongitude);
    if (!r.radius(tr("Радиус контр. зоны, м = %s"), F::edRadius)) {
        summary.m_badRadius = s.text(F::edRadius);
        return summary;
    }
    r.sw(tr("Выход из контр. зоны = %s"), F::cbCZ_Out);
    r.sw(tr("Вход в контр. зону = %s"), F::cbCZ_In);
    r.sw(tr("SMS по контр. зоне = %s"), F::cbCZ_SMS_En);
    r.sw(tr("На сервер по контр. зоне = %s"), F::cbCZ_Server_En);
    r.sw(tr("На почту по контр. зоне = %s"), F::cbCZ_SMTP_En);
    r.sw(tr("Индикация светодиодов = %s"), F::cbInd);
    r.sw(tr("Установить время с компьютера = %s"), F::cbAutoTimeSync);
    r.textOr(tr("Время, дата = %s"), s.text(F::edTimeSync), words.notSetNeuter);
    r.u(tr("Часовой пояс = %s"), F::edTimeZone);
    if (firmwareVersion >= kSummerTimeFirmware)
        r.sw(tr("Переход на летнее время = %s"), F::cbAutoSummerTime);
    return summary;
}

} // namespace kvmt
