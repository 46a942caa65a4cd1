#include "profiles/KeyFilters.h"

#include <QCoreApplication>

namespace kvmt {

namespace {

constexpr KeyFilter kDigits{u""};
constexpr KeyFilter kPhoneNumber{u"+"};
constexpr KeyFilter kCoordinate{u".-"};
constexpr KeyFilter kSigned{u"-"};
constexpr KeyFilter kClock{u":,."};
constexpr QChar kValueEnd = u';';

} // namespace

bool KeyFilter::accepts(QChar typed) const
{
    const char16_t c = typed.unicode();
    if (c >= u'0' && c <= u'9')
        return true;
    if (c == kBackspace || c == kCopy || c == kPaste)
        return true;
    return m_extras.contains(typed);
}

const KeyFilter *keyFilterFor(Field field)
{
    switch (field) {
    // Passwords, ports and every number without a sign.
    case F::edPinCode:
    case F::Passw:
    case F::NewPassM:
    case F::OldPass_:
    case F::NewPass_:
    case F::edServerPort:
    case F::edSMTPPort:
    case F::edOnLineTime:
    case F::edSMSHour:
    case F::edSMSMin:
    case F::edServerHour:
    case F::edServerMin:
    case F::edGPSHour:
    case F::edGPSMin:
    case F::edSMTPHour:
    case F::edSMTPMin:
    case F::edBalanceLevel:
    case F::edAccSenTimeOut:
    case F::edAccActHourBeg:
    case F::edAccActMinBeg:
    case F::edAccActHourEnd:
    case F::edAccActMinEnd:
    case F::edRadius:
        return &kDigits;
    case F::edSMSNumber1:
    case F::edSMSNumber2:
    case F::edSMSNumber3:
    case F::edSMSGate:
        return &kPhoneNumber;
    case F::edLat:
    case F::edLon:
        return &kCoordinate;
    case F::edTimeZone:
        return &kSigned;
    // "hh:mm,dd.mm.yyyy"
    case F::edTimeSync:
        return &kClock;
    default:
        return nullptr;
    }
}

bool acceptsTypedChar(Field field, QChar typed)
{
    // The console's command line is the one field where the person writes
    // the protocol itself, ';' included.
    if (typed == kValueEnd && field != F::edCmd)
        return false;
    const KeyFilter *filter = keyFilterFor(field);
    return !filter || filter->accepts(typed);
}

bool refusesWhole(Field field, QStringView text)
{
    return field != F::edCmd && text.contains(kValueEnd);
}

std::optional<TypingRefusal> typingRefusal(Field field, QStringView text)
{
    for (const QChar c : text) {
        // Backspace and the clipboard keys pass the filter as keys; as
        // characters of a text they were never typed.
        if (c.category() == QChar::Other_Control || !acceptsTypedChar(field, c))
            return TypingRefusal{TypingRefusal::Kind::Character, c, 0};
    }
    const int limit = DeviceSettings::info(field).limit;
    if (limit > 0 && text.size() > limit)
        return TypingRefusal{TypingRefusal::Kind::Length, QChar(), limit};
    return std::nullopt;
}

QString valueEndRefusal(const QString &what)
{
    return QCoreApplication::translate("kvmt::KeyFilters", "Значение поля «%1» не может содержать символ «;»")
        .arg(what);
}

} // namespace kvmt
