#include "ui/SettingsBinder.h"

#include "profiles/KeyFilters.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QValidator>

namespace kvmt {

namespace {

// The typing limit of an edit. QLineEdit::setMaxLength would also cut text
// the program sets (a tracker's 12-character name in an 8-character field),
// and that text must show whole; a validator judges only the user's edits.
class TypingLimit final : public QValidator
{
public:
    // `shown` gives the text before the edit (the edit's own text already
    // holds the proposed one while it asks).
    TypingLimit(QLineEdit *edit, int limit, std::function<qsizetype()> shown)
        : QValidator(edit)
        , m_limit(limit)
        , m_shown(std::move(shown))
    {
    }
    State validate(QString &input, int &) const override
    {
        // Shortening an over-long value set by the program is allowed.
        return input.size() <= m_limit || input.size() < m_shown() ? Acceptable : Invalid;
    }

private:
    int m_limit;
    std::function<qsizetype()> m_shown;
};

// Pages of a tab widget are shown and hidden through their tab.
void setPageShown(QWidget *page, bool shown)
{
    QWidget *stack = page->parentWidget();
    auto *tabs = stack ? qobject_cast<QTabWidget *>(stack->parentWidget()) : nullptr;
    if (tabs && tabs->indexOf(page) >= 0) {
        tabs->setTabVisible(tabs->indexOf(page), shown);
        return;
    }
    page->setHidden(!shown);
}

} // namespace

SettingsBinder::SettingsBinder(DeviceSettings &settings, QWidget *root, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_widgets(kFieldCount, nullptr)
    , m_choiceActions(kFieldCount)
{
    for (int i = 0; i < kFieldCount; ++i) {
        const Field field = Field(i);
        const QString name = DeviceSettings::name(field);
        QWidget *widget = root->objectName() == name ? root : root->findChild<QWidget *>(name);
        if (widget)
            bind(field, widget);
    }
    connect(&m_settings, &DeviceSettings::fieldChanged, this, &SettingsBinder::refresh);
}

void SettingsBinder::onUserChoice(Field field, std::function<void()> action)
{
    m_choiceActions[size_t(field)] = std::move(action);
}

int SettingsBinder::boundCount() const
{
    return int(std::count_if(m_widgets.begin(), m_widgets.end(), [](QWidget *w) { return w != nullptr; }));
}

void SettingsBinder::bind(Field field, QWidget *widget)
{
    m_widgets[size_t(field)] = widget;
    const FieldInfo &info = DeviceSettings::info(field);
    if (auto *edit = qobject_cast<QLineEdit *>(widget)) {
        if (info.limit > 0)
            edit->setValidator(new TypingLimit(edit, info.limit, [this, field] { return m_settings.text(field).size(); }));
        connect(edit, &QLineEdit::textEdited, this, [this, field](const QString &text) {
            if (refusesWhole(field, text)) {
                refresh(field);
                if (m_tellRefusal)
                    m_tellRefusal(valueEndRefusal(captionFor(field)));
                return;
            }
            m_settings.setText(field, text);
        });
    } else if (auto *check = qobject_cast<QCheckBox *>(widget)) {
        connect(check, &QCheckBox::clicked, this, [this, field](bool checked) {
            m_settings.setChecked(field, checked);
        });
    } else if (auto *radio = qobject_cast<QRadioButton *>(widget)) {
        // The model keeps the group exclusive; the toolkit must not.
        radio->setAutoExclusive(false);
        connect(radio, &QRadioButton::clicked, this, [this, field, radio] {
            m_settings.setChecked(field, true);
            // A click on a set button leaves it set.
            const QSignalBlocker block(radio);
            radio->setChecked(m_settings.isChecked(field));
        });
    } else if (auto *combo = qobject_cast<QComboBox *>(widget)) {
        connect(combo, &QComboBox::activated, this, [this, field](int index) {
            m_settings.setIndex(field, index);
            if (const auto &action = m_choiceActions[size_t(field)])
                action();
        });
    }
    refresh(field);
}

const QLabel *SettingsBinder::captionLabel(Field field) const
{
    const QWidget *widget = m_widgets[size_t(field)];
    if (!widget || !widget->parentWidget())
        return nullptr;
    // The pages put a field's caption on its row, to its left, or else
    // right above it. A hidden label (a profile's caption in place of a
    // switch the profile shows) names nothing the person sees.
    static constexpr int kAboveGap = 8;
    const QRect row = widget->geometry();
    const QLabel *nearest = nullptr;
    const QLabel *above = nullptr;
    for (const QLabel *label : widget->parentWidget()->findChildren<QLabel *>(Qt::FindDirectChildrenOnly)) {
        if (label->isHidden())
            continue;
        const QRect at = label->geometry();
        const bool sameRow = at.center().y() >= row.top() && at.center().y() <= row.bottom();
        if (sameRow && at.right() <= row.left() && (!nearest || at.right() > nearest->geometry().right()))
            nearest = label;
        const bool justAbove = at.bottom() < row.top() && row.top() - at.bottom() <= kAboveGap
                            && at.left() >= row.left() - kAboveGap && at.left() < row.right();
        if (justAbove)
            above = label;
    }
    return nearest ? nearest : above;
}

QWidget *SettingsBinder::captionWidget(Field field) const
{
    QWidget *widget = m_widgets[size_t(field)];
    if (qobject_cast<QAbstractButton *>(widget))
        return widget;
    return const_cast<QLabel *>(captionLabel(field));
}

QString SettingsBinder::captionFor(Field field) const
{
    const QLabel *nearest = captionLabel(field);
    QString caption = nearest ? nearest->text().trimmed() : QString();
    caption.remove(u'&');
    if (caption.endsWith(u':'))
        caption.chop(1);
    return caption.isEmpty() ? DeviceSettings::name(field) : caption;
}

void SettingsBinder::refresh(Field field)
{
    QWidget *widget = m_widgets[size_t(field)];
    if (!widget)
        return;
    const QSignalBlocker block(widget);
    const FieldInfo &info = DeviceSettings::info(field);
    switch (info.kind) {
    case FieldKind::Text:
        if (auto *edit = qobject_cast<QLineEdit *>(widget)) {
            if (edit->text() != m_settings.text(field))
                edit->setText(m_settings.text(field));
            edit->setEchoMode(m_settings.isMasked(field) ? QLineEdit::Password : QLineEdit::Normal);
        } else if (auto *label = qobject_cast<QLabel *>(widget)) {
            label->setText(m_settings.text(field));
        }
        break;
    case FieldKind::Flag:
    case FieldKind::Radio:
        if (auto *button = qobject_cast<QAbstractButton *>(widget))
            button->setChecked(m_settings.isChecked(field));
        break;
    case FieldKind::Choice:
        if (auto *combo = qobject_cast<QComboBox *>(widget)) {
            const QStringList items = m_settings.items(field);
            QStringList shown;
            for (int i = 0; i < combo->count(); ++i)
                shown.append(combo->itemText(i));
            if (shown != items) {
                combo->clear();
                combo->addItems(items);
            }
            combo->setCurrentIndex(m_settings.index(field));
        }
        break;
    case FieldKind::Control:
        break;
    }
    widget->setEnabled(m_settings.isEnabled(field));
    setPageShown(widget, m_settings.isVisible(field));
    if (m_settings.top(field) >= 0 && widget->y() != m_settings.top(field))
        widget->move(widget->x(), m_settings.top(field));
}

} // namespace kvmt
