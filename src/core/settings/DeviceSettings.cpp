#include "settings/DeviceSettings.h"

#include <QCoreApplication>
#include <QHash>

namespace kvmt {

namespace {

#define KVMT_INFO_TEXT(n, limit, design) {#n, FieldKind::Text, limit, RadioGroup::None, design},
#define KVMT_INFO_FLAG(n) {#n, FieldKind::Flag, 0, RadioGroup::None, nullptr},
#define KVMT_INFO_RADIO(n, group) {#n, FieldKind::Radio, 0, RadioGroup::group, nullptr},
#define KVMT_INFO_CHOICE(n) {#n, FieldKind::Choice, 0, RadioGroup::None, nullptr},
#define KVMT_INFO_CONTROL(n) {#n, FieldKind::Control, 0, RadioGroup::None, nullptr},
constexpr std::array<FieldInfo, kFieldCount> kInfos = {{KVMT_SETTINGS_FIELDS(
    KVMT_INFO_TEXT, KVMT_INFO_FLAG, KVMT_INFO_RADIO, KVMT_INFO_CHOICE, KVMT_INFO_CONTROL)}};
#undef KVMT_INFO_TEXT
#undef KVMT_INFO_FLAG
#undef KVMT_INFO_RADIO
#undef KVMT_INFO_CHOICE
#undef KVMT_INFO_CONTROL

const char *const kProfileItems[] = {
    QT_TRANSLATE_NOOP("kvmt::DeviceSettings", "Сон (SLP)"),
    QT_TRANSLATE_NOOP("kvmt::DeviceSettings", "Авто (CAR)"),
    QT_TRANSLATE_NOOP("kvmt::DeviceSettings", "Груз (CRG)"),
    QT_TRANSLATE_NOOP("kvmt::DeviceSettings", "Трекер (TKR)"),
    QT_TRANSLATE_NOOP("kvmt::DeviceSettings", "Поиск (SRH)"),
    QT_TRANSLATE_NOOP("kvmt::DeviceSettings", "Пользовательский 1 (USR1)"),
    QT_TRANSLATE_NOOP("kvmt::DeviceSettings", "Пользовательский 2 (USR2)"),
};

// Spelled differently from the profile list at 1 and 3, as the device's
// documentation spells them.
const char *const kCallProfileItems[] = {
    QT_TRANSLATE_NOOP("kvmt::DeviceSettings", "Сон (SLP)"),
    QT_TRANSLATE_NOOP("kvmt::DeviceSettings", "Авто (Car)"),
    QT_TRANSLATE_NOOP("kvmt::DeviceSettings", "Груз (CRG)"),
    QT_TRANSLATE_NOOP("kvmt::DeviceSettings", "Треккер (TKR)"),
    QT_TRANSLATE_NOOP("kvmt::DeviceSettings", "Поиск (SRH)"),
    QT_TRANSLATE_NOOP("kvmt::DeviceSettings", "Пользовательский 1 (USR1)"),
    QT_TRANSLATE_NOOP("kvmt::DeviceSettings", "Пользовательский 2 (USR2)"),
};

const char *const kSensitivityItems[] = {
    QT_TRANSLATE_NOOP("kvmt::DeviceSettings", "очень низкая"),
    QT_TRANSLATE_NOOP("kvmt::DeviceSettings", "низкая"),
    QT_TRANSLATE_NOOP("kvmt::DeviceSettings", "нормальная"),
    QT_TRANSLATE_NOOP("kvmt::DeviceSettings", "высокая"),
    QT_TRANSLATE_NOOP("kvmt::DeviceSettings", "очень высокая"),
};

// Translated at each use: the items follow the interface language.
template<size_t N>
QStringList translatedItems(const char *const (&texts)[N])
{
    QStringList items;
    for (const char *text : texts)
        items.append(QCoreApplication::translate("kvmt::DeviceSettings", text));
    return items;
}

} // namespace

DeviceSettings::DeviceSettings(QObject *parent)
    : QObject(parent)
    , m_states(kFieldCount)
{
    applyDesignState();
}

void DeviceSettings::applyDesignState()
{
    for (int i = 0; i < kFieldCount; ++i) {
        if (kInfos[size_t(i)].designText)
            m_states[size_t(i)].text = QString::fromUtf16(kInfos[size_t(i)].designText);
    }
    // A message rather than a template: it reads in the interface's language.
    state(F::edMapFormat_2).text = QCoreApplication::translate("kvmt::DeviceSettings", "Яндекс карты");
    for (const F hidden : {F::btOpenLog, F::Label36, F::edGPSMin, F::Label62, F::Label63, F::Label64, F::cbSSL,
                           F::edCmd, F::btSkip, F::Button1, F::Button2})
        state(hidden).visible = false;
    for (const F disabled : {F::btSave, F::GroupBox2, F::GroupBox12, F::btOnOffPIN, F::btChangePIN,
                             F::edResetLockMp, F::edMapFormat_1, F::edMapFormat_2, F::Button2})
        state(disabled).enabled = false;
    for (const F set : {F::rbEveryTime, F::rbEveryTimeSrv, F::rbEveryTimeSMTP, F::rbGoogle, F::cbAutoTimeSync})
        state(set).checked = true;
    state(F::cbProfile).items = translatedItems(kProfileItems);
    state(F::cbProfile_Call).items = translatedItems(kCallProfileItems);
    state(F::cbAcclSense).items = translatedItems(kSensitivityItems);
    for (const F choice : {F::cbProfile, F::cbProfile_Call, F::cbAcclSense})
        state(choice).index = 0;
    for (const F password : kPasswordFields)
        state(password).masked = true;
}

const FieldInfo &DeviceSettings::info(Field field)
{
    return kInfos[size_t(field)];
}

QString DeviceSettings::name(Field field)
{
    return QString::fromLatin1(info(field).name);
}

std::optional<Field> DeviceSettings::fieldByName(QStringView name)
{
    static const QHash<QString, Field> byName = [] {
        QHash<QString, Field> map;
        for (int i = 0; i < kFieldCount; ++i)
            map.insert(QString::fromLatin1(kInfos[size_t(i)].name), Field(i));
        return map;
    }();
    const auto it = byName.constFind(name.toString());
    if (it == byName.constEnd())
        return std::nullopt;
    return *it;
}

QString DeviceSettings::text(Field field) const
{
    return state(field).text;
}

void DeviceSettings::setText(Field field, const QString &text)
{
    State &s = state(field);
    if (s.text == text)
        return;
    s.text = text;
    emit fieldChanged(field);
    runRule(field);
}

QString DeviceSettings::valueText(Field field) const
{
    switch (info(field).kind) {
    case FieldKind::Text:
        return text(field);
    case FieldKind::Flag:
    case FieldKind::Radio:
        return isChecked(field) ? QStringLiteral("1") : QStringLiteral("0");
    case FieldKind::Choice:
        return QString::number(index(field));
    case FieldKind::Control:
        break;
    }
    return {};
}

bool DeviceSettings::isChecked(Field field) const
{
    return state(field).checked;
}

void DeviceSettings::setChecked(Field field, bool checked)
{
    State &s = state(field);
    if (s.checked == checked)
        return;
    s.checked = checked;
    emit fieldChanged(field);
    const RadioGroup group = info(field).group;
    if (checked && group != RadioGroup::None) {
        for (int i = 0; i < kFieldCount; ++i) {
            State &sibling = m_states[size_t(i)];
            if (Field(i) != field && kInfos[size_t(i)].group == group && sibling.checked) {
                sibling.checked = false;
                emit fieldChanged(Field(i));
            }
        }
    }
    // A radio button's rule runs only when it becomes set.
    if (info(field).kind == FieldKind::Flag || checked)
        runRule(field);
}

int DeviceSettings::index(Field field) const
{
    return state(field).index;
}

void DeviceSettings::setIndex(Field field, int index)
{
    State &s = state(field);
    if (index < 0 || index >= s.items.size())
        index = -1;
    if (s.index == index)
        return;
    s.index = index;
    emit fieldChanged(field);
}

QStringList DeviceSettings::items(Field field) const
{
    return state(field).items;
}

void DeviceSettings::setItem(Field field, int i, const QString &text)
{
    State &s = state(field);
    if (i < 0)
        return;
    if (i < s.items.size()) {
        if (s.items[i] == text)
            return;
        s.items[i] = text;
    } else {
        s.items.append(text);
    }
    emit fieldChanged(field);
}

void DeviceSettings::truncateItems(Field field, int count)
{
    State &s = state(field);
    if (count < 0 || count >= s.items.size())
        return;
    s.items.resize(count);
    if (s.index >= count)
        s.index = -1;
    emit fieldChanged(field);
}

bool DeviceSettings::isVisible(Field field) const
{
    return state(field).visible;
}

void DeviceSettings::setVisible(Field field, bool visible)
{
    assignState(field, &State::visible, visible);
}

bool DeviceSettings::isEnabled(Field field) const
{
    return state(field).enabled;
}

void DeviceSettings::setEnabled(Field field, bool enabled)
{
    assignState(field, &State::enabled, enabled);
}

int DeviceSettings::top(Field field) const
{
    return state(field).top;
}

void DeviceSettings::setTop(Field field, int top)
{
    assignState(field, &State::top, top);
}

bool DeviceSettings::isMasked(Field field) const
{
    return state(field).masked;
}

void DeviceSettings::setMasked(Field field, bool masked)
{
    assignState(field, &State::masked, masked);
}

void DeviceSettings::setRule(Field field, Rule rule)
{
    state(field).rule = std::move(rule);
}

void DeviceSettings::runRule(Field field)
{
    // Copied: a rule may replace rules while it runs.
    if (const Rule rule = state(field).rule)
        rule();
}

} // namespace kvmt
