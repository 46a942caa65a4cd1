// Protects the settings summary: its rows and their order per firmware, the
// value rules and colours, and the radius that stops the build.
#include "Configurator.h"
#include "log/EventLog.h"
#include "profiles/SettingsSummary.h"
#include "settings/DeviceSettings.h"

#include "QtPrinters.h"
#include "ScriptedPrompts.h"

#include <gtest/gtest.h>

using namespace kvmt;
using namespace kvmt::test;

namespace {

// Every row's label, in order, when every condition holds.
const QStringList &allLabels()
{
    static const QStringList labels = {
        QStringLiteral("Имя прибора = "),
        QStringLiteral("Профиль = "),
        QStringLiteral("Передача SMS = "),
        QStringLiteral("Период передачи SMS = "),
        QStringLiteral("Изменение профиля по звонку на номер 1 = "),
        QStringLiteral("Изменить на профиль  = "),
        QStringLiteral("Передача на сервер = "),
        QStringLiteral("Период передачи на сервер = "),
        QStringLiteral("Передача на почту = "),
        QStringLiteral("Период передачи на почту = "),
        QStringLiteral("Прием GPS = "),
        QStringLiteral("Период приема GPS = "),
        QStringLiteral("SMS команды без пароля = "),
        QStringLiteral("SMS номер 1 = "),
        QStringLiteral("SMS номер 2 = "),
        QStringLiteral("SMS номер 3 = "),
        QStringLiteral("Номер SMS шлюза = "),
        QStringLiteral("Передача через SMS шлюз = "),
        QStringLiteral("После отправки SMS оставаться на связи, мин = "),
        QStringLiteral("Номер запроса баланса = "),
        QStringLiteral("Порог баланса = "),
        QStringLiteral("Отправлять баланс в SMS = "),
        QStringLiteral("Отправлять баланс на почту = "),
        QStringLiteral("Адрес сервера = "),
        QStringLiteral("Порт сервера = "),
        QStringLiteral("Пароль прибора = "),
        QStringLiteral("SMTP сервер = "),
        QStringLiteral("SMTP порт = "),
        QStringLiteral("SMTP логин = "),
        QStringLiteral("SMTP пароль = "),
        QStringLiteral("SMTP от кого = "),
        QStringLiteral("SMTP кому 1 = "),
        QStringLiteral("SMTP кому 2 = "),
        QStringLiteral("SMTP кому 3 = "),
        QStringLiteral("SMTP кому 4 = "),
        QStringLiteral("GSM пин-код = "),
        QStringLiteral("APN точка доступа = "),
        QStringLiteral("APN логин = "),
        QStringLiteral("APN пароль = "),
        QStringLiteral("Шаблон координат = "),
        QStringLiteral("Запрет авт. определения координат по баз. станциям = "),
        QStringLiteral("Акселерометр = "),
        QStringLiteral("Чувствительность акселерометра = "),
        QStringLiteral("SMS по акселерометру = "),
        QStringLiteral("SMS без ожидания координат = "),
        QStringLiteral("На сервер по акселерометру = "),
        QStringLiteral("На почту по акселерометру = "),
        QStringLiteral("На номер 1 по акселерометру = "),
        QStringLiteral("Задержка после остановки, мин = "),
        QStringLiteral("Период действия акселерометра = "),
        QStringLiteral("Запрос пароля при входе = "),
        QStringLiteral("Разрешить контроль зоны = "),
        QStringLiteral("Широта = "),
        QStringLiteral("Долгота = "),
        QStringLiteral("Радиус контр. зоны, м = "),
        QStringLiteral("Выход из контр. зоны = "),
        QStringLiteral("Вход в контр. зону = "),
        QStringLiteral("SMS по контр. зоне = "),
        QStringLiteral("На сервер по контр. зоне = "),
        QStringLiteral("На почту по контр. зоне = "),
        QStringLiteral("Индикация светодиодов = "),
        QStringLiteral("Установить время с компьютера = "),
        QStringLiteral("Время, дата = "),
        QStringLiteral("Часовой пояс = "),
        QStringLiteral("Переход на летнее время = "),
    };
    return labels;
}

QStringList labelsOf(const SettingsSummary &summary)
{
    QStringList labels;
    for (const SummaryRow &row : summary.rows())
        labels.append(row.label);
    return labels;
}

class SummaryTest : public ::testing::Test
{
protected:
    SettingsSummary build(quint32 firmware = 144) const { return SettingsSummary::build(settings, firmware); }
    // The row whose label starts with `label`.
    SummaryRow row(const QString &label, quint32 firmware = 144) const
    {
        const SettingsSummary summary = build(firmware);
        for (const SummaryRow &r : summary.rows())
            if (r.label.startsWith(label))
                return r;
        ADD_FAILURE() << "no row " << label.toStdString();
        return {};
    }
    void expectRow(const QString &label, const QString &value, int kind) const
    {
        const SummaryRow r = row(label);
        EXPECT_EQ(r.value, value) << label.toStdString();
        EXPECT_EQ(r.kind, kind) << label.toStdString() << " " << value.toStdString();
    }

    DeviceSettings settings;
};

struct FirmwareCase {
    quint32 firmware;
    bool changeProfileChecked;
    std::vector<int> absentRows; // 1-based rows of the full table
};

void PrintTo(const FirmwareCase &c, std::ostream *os)
{
    *os << c.firmware << (c.changeProfileChecked ? " with call profile" : "");
}

class SummaryFirmwareTest : public SummaryTest, public ::testing::WithParamInterface<FirmwareCase>
{
};

} // namespace

TEST_P(SummaryFirmwareTest, RowsAndTheirOrderFollowTheFirmware)
{
    const FirmwareCase &c = GetParam();
    settings.setChecked(F::cbChangeProfile, c.changeProfileChecked);
    QStringList expected = allLabels();
    for (auto it = c.absentRows.rbegin(); it != c.absentRows.rend(); ++it)
        expected.removeAt(*it - 1);
    const SettingsSummary summary = build(c.firmware);
    EXPECT_TRUE(summary.complete());
    EXPECT_EQ(labelsOf(summary), expected);
    for (const SummaryRow &r : summary.rows()) {
        EXPECT_EQ(r.line(), r.label + r.value);
        EXPECT_EQ(r.plainLength(), r.label.size());
        EXPECT_TRUE(r.kind == LogSuccess || r.kind == LogNotice || r.kind == LogError) << r.label.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Firmware, SummaryFirmwareTest,
                         ::testing::Values(FirmwareCase{140, true, {5, 6, 48, 65}}, FirmwareCase{141, true, {5, 6, 48}},
                                           FirmwareCase{143, true, {5, 6, 48}}, FirmwareCase{144, true, {}},
                                           FirmwareCase{144, false, {6}}));

TEST_F(SummaryTest, DesignStateShowsTheDesignValues)
{
    expectRow(QStringLiteral("Прием GPS"), QStringLiteral("Выкл"), LogNotice);
    expectRow(QStringLiteral("Период передачи на сервер"), QStringLiteral("0:00"), LogSuccess);
    expectRow(QStringLiteral("Период передачи на почту"), QStringLiteral("0:00"), LogSuccess);
    expectRow(QStringLiteral("Период приема GPS"), QStringLiteral("0:00"), LogSuccess);
    expectRow(QStringLiteral("Период передачи SMS"), QStringLiteral("0:0"), LogSuccess);
    expectRow(QStringLiteral("Имя прибора"), QStringLiteral("не задано"), LogNotice);
    expectRow(QStringLiteral("Профиль"), QStringLiteral("Сон (SLP)"), LogSuccess);
    expectRow(QStringLiteral("Адрес сервера"), QStringLiteral("не установлен"), LogNotice);
    expectRow(QStringLiteral("Время, дата"), QStringLiteral("не установлено"), LogNotice);
    expectRow(QStringLiteral("Установить время с компьютера"), QStringLiteral("Вкл"), LogSuccess);
    expectRow(QStringLiteral("Шаблон координат"), QStringLiteral("Google Maps"), LogSuccess);
    expectRow(QStringLiteral("Период действия акселерометра"), QStringLiteral("с 00:00 по 00:00"), LogSuccess);
}

TEST_F(SummaryTest, PeriodsShowSmsAsTypedAndTheOthersAsHoursAndMinutes)
{
    settings.setText(F::edSMSHour, QStringLiteral("05"));
    settings.setText(F::edSMSMin, QStringLiteral("30"));
    settings.setText(F::edServerHour, QStringLiteral("5"));
    settings.setText(F::edServerMin, QStringLiteral("3"));
    settings.setChecked(F::rbTimeInSMTP, true);
    settings.setText(F::edSMTPHour, QStringLiteral("x"));
    expectRow(QStringLiteral("Период передачи SMS"), QStringLiteral("05:30"), LogSuccess);
    expectRow(QStringLiteral("Период передачи на сервер"), QStringLiteral("5:03"), LogSuccess);
    expectRow(QStringLiteral("Время передачи на почту"), QStringLiteral("0:00"), LogSuccess);
    settings.setChecked(F::rbTimeIn, true);
    expectRow(QStringLiteral("Время передачи SMS"), QStringLiteral("05:30"), LogSuccess);
    // No number is 0, as Save sends it: never a clipped 2147483647.
    for (const char *hours : {"99999999999", "1e2", " 500"}) {
        settings.setText(F::edServerHour, QString::fromLatin1(hours));
        expectRow(QStringLiteral("Период передачи на сервер"), QStringLiteral("0:03"), LogSuccess);
    }
}

TEST_F(SummaryTest, PhoneNumbersMustBeInternational)
{
    settings.setText(F::edSMSNumber1, QStringLiteral("+79161234567"));
    settings.setText(F::edSMSNumber2, QStringLiteral("79161234567"));
    settings.setText(F::edSMSNumber3, QStringLiteral("+791612345678"));
    expectRow(QStringLiteral("SMS номер 1"), QStringLiteral("+79161234567"), LogSuccess);
    expectRow(QStringLiteral("SMS номер 2"), QStringLiteral("79161234567"), LogError);
    expectRow(QStringLiteral("SMS номер 3"), QStringLiteral("+791612345678"), LogError);
    expectRow(QStringLiteral("Номер SMS шлюза"), QStringLiteral("не установлен"), LogNotice);
}

TEST_F(SummaryTest, BalanceRequestMustBeAStarCode)
{
    settings.setText(F::edBalanceNum, QStringLiteral("*100#"));
    expectRow(QStringLiteral("Номер запроса баланса"), QStringLiteral("*100#"), LogSuccess);
    settings.setText(F::edBalanceNum, QStringLiteral("100#"));
    expectRow(QStringLiteral("Номер запроса баланса"), QStringLiteral("100#"), LogError);
}

TEST_F(SummaryTest, DashMeansNoPinOrLogin)
{
    settings.setText(F::edPinCode, QStringLiteral("-"));
    settings.setText(F::edAPNLogin, QStringLiteral("-user"));
    settings.setText(F::edAPNPass, QStringLiteral("-pass"));
    expectRow(QStringLiteral("GSM пин-код"), QStringLiteral("не установлен"), LogNotice);
    expectRow(QStringLiteral("APN логин"), QStringLiteral("не установлен"), LogNotice);
    // Passwords are shown as they are, dash and all.
    expectRow(QStringLiteral("APN пароль"), QStringLiteral("-pass"), LogSuccess);
}

TEST_F(SummaryTest, CoordinatesAreJudgedByTheirRange)
{
    const struct {
        const char16_t *lat;
        int kind;
    } latitudes[] = {{u"90", LogSuccess}, {u"-90", LogSuccess}, {u"90.5", LogError}, {u"12,5", LogSuccess},
                     {u"-91", LogError}, {u"1e2", LogSuccess} /* Save sends 0 */, {u" 500", LogSuccess},
                     {u"99999999999", LogError}};
    for (const auto &c : latitudes) {
        settings.setText(F::edLat, QString::fromUtf16(c.lat));
        expectRow(QStringLiteral("Широта"), QString::fromUtf16(c.lat), c.kind);
    }
    settings.setText(F::edLon, QStringLiteral("180"));
    expectRow(QStringLiteral("Долгота"), QStringLiteral("180"), LogSuccess);
    settings.setText(F::edLon, QStringLiteral("-180.01"));
    expectRow(QStringLiteral("Долгота"), QStringLiteral("-180.01"), LogError);
    settings.setText(F::edLat, QString());
    expectRow(QStringLiteral("Широта"), QStringLiteral("не установлена"), LogNotice);
}

TEST_F(SummaryTest, RadiusIsJudgedByItsRange)
{
    const struct {
        const char16_t *radius;
        int kind;
    } radii[] = {{u"199", LogError}, {u"200", LogSuccess}, {u"1000000", LogSuccess}, {u"1000001", LogError}};
    for (const auto &c : radii) {
        settings.setText(F::edRadius, QString::fromUtf16(c.radius));
        expectRow(QStringLiteral("Радиус"), QString::fromUtf16(c.radius), c.kind);
    }
    settings.setText(F::edRadius, QString());
    expectRow(QStringLiteral("Радиус"), QStringLiteral("не установлен"), LogNotice);
}

TEST_F(SummaryTest, ValuesAreShownUnchanged)
{
    settings.setText(F::edServerPass, QStringLiteral("100%s"));
    settings.setChecked(F::cbChangeProfile, true);
    settings.setIndex(F::cbProfile_Call, 3);
    settings.setText(F::edAccActHourBeg, QStringLiteral("8"));
    settings.setText(F::edAccActMinEnd, QStringLiteral("30"));
    settings.setText(F::edAccActHourEnd, QStringLiteral("20"));
    expectRow(QStringLiteral("Пароль прибора"), QStringLiteral("100%s"), LogSuccess);
    expectRow(QStringLiteral("Изменить на профиль"), QStringLiteral("Треккер (TKR)"), LogSuccess);
    expectRow(QStringLiteral("Период действия акселерометра"), QStringLiteral("с 08:00 по 20:30"), LogSuccess);
}

TEST_F(SummaryTest, MapTemplateRowFollowsTheSelectedButton)
{
    settings.setText(F::edMapFormat_2, QStringLiteral("ya:%LAT%"));
    settings.setChecked(F::rbYandex, true);
    expectRow(QStringLiteral("Шаблон координат"), QStringLiteral("ya:%LAT%"), LogSuccess);
    settings.setChecked(F::rbCoordinate, true);
    expectRow(QStringLiteral("Шаблон координат"), QStringLiteral("Числовые значения"), LogSuccess);
}

TEST_F(SummaryTest, RadiusThatIsNoIntegerStopsAfterTheLongitudeAndIsTold)
{
    // " 500" and "99999999999" are no integer either, as for every field.
    for (const char *radius : {"12a", " 500", "99999999999", "1e2"}) {
        SCOPED_TRACE(radius);
        RecordingEventLog log;
        ScriptedPrompts prompts;
        Configurator configurator(log, prompts, {});
        configurator.settings().setText(F::edRadius, QString::fromLatin1(radius));
        QList<SummaryRow> shown;
        QObject::connect(&configurator, &Configurator::summaryBuilt,
                         [&](const SettingsSummary &s) { shown = s.rows(); });

        const SettingsSummary summary = configurator.buildSettingsSummary();
        EXPECT_FALSE(summary.complete());
        ASSERT_FALSE(shown.isEmpty());
        EXPECT_EQ(shown.last().label, QStringLiteral("Долгота = "));
        // No tracker identified: rows 5, 6 and 48 are left out before it.
        EXPECT_EQ(shown.size(), 54 - 3);
        EXPECT_EQ(prompts.messages.size(), 1);
        EXPECT_TRUE(prompts.messages.value(0).contains(QString::fromLatin1(radius)));
    }
}
