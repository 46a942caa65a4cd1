#pragma once

#include <QChar>
#include <QStringView>

#include <optional>

#include "settings/DeviceSettings.h"

namespace kvmt {

// Which characters may be typed into a field. Every filtered field uses the
// same rule: the ten digits, Backspace, Ctrl+C and Ctrl+V, plus the few
// characters its value needs (a plus for phone numbers, a sign, separators).
// Neither the position nor the count of a character is checked.
//
// Only typed characters are filtered: a paste, a value set by the program and
// keys that type nothing (Delete, the arrows) are not.
class KeyFilter
{
public:
    constexpr explicit KeyFilter(QStringView extras)
        : m_extras(extras)
    {
    }

    bool accepts(QChar typed) const;
    QStringView extras() const { return m_extras; }

    // Control characters that editing keys type.
    static constexpr char16_t kBackspace = 8;
    static constexpr char16_t kCopy = 3;  // Ctrl+C
    static constexpr char16_t kPaste = 22; // Ctrl+V

private:
    QStringView m_extras;
};

// The field's filter; nullptr when the field takes any character but ';'.
const KeyFilter *keyFilterFor(Field field);

// Whether a character typed into the field reaches it. A ';' reaches only
// the console's command line: it ends a value for the tracker and in
// profile files, so a value holding one would arrive cut and shift every
// entry after it.
bool acceptsTypedChar(Field field, QChar typed);

// The same rule for text that arrives whole (a paste, a file): whether the
// field must refuse it.
bool refusesWhole(Field field, QStringView text);
// Why a person could not have typed a whole text into the field, for text
// that arrives from elsewhere and must hold only what typing could give:
// the field's filter and ';' as typed, no control character (no key types
// one into a single-line field) and the field's typing limit.
struct TypingRefusal {
    enum class Kind { Character, Length };
    Kind kind = Kind::Character;
    QChar character; // Character: the first one refused
    int limit = 0;   // Length: the characters the field keeps
};
std::optional<TypingRefusal> typingRefusal(Field field, QStringView text);

// What the person is told when such text is refused; `what` names the
// field as the person knows it.
QString valueEndRefusal(const QString &what);

} // namespace kvmt
