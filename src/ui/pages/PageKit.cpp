#include "ui/pages/PageKit.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace kvmt::pages {

namespace {

template<typename W>
W *named(W *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// The classic group box: its frame runs through the middle of the title, so
// that positions inside a box, measured from the box's top edge as the
// design gives them, keep their distance from the frame. Styles that draw
// the title above the frame (Fusion) would put the frame through the first
// row of controls. One instance serves every box; it is the application's.
QStyle *groupBoxStyle()
{
    static QPointer<QStyle> style;
    if (!style) {
        style = QStyleFactory::create(QStringLiteral("Windows"));
        if (style)
            style->setParent(QCoreApplication::instance());
    }
    return style;
}

constexpr int kTextFlags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap;

} // namespace

QFont pixelFont(int pixels, bool bold)
{
    QFont font;
    // Tahoma where it is installed; Liberation Sans has close metrics.
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

void preparePage(QWidget *page)
{
    page->setFont(pixelFont(kPageFontPixels));
}

QLabel *addLabel(QWidget *parent, const char *name, const QString &text, int x, int y)
{
    auto *label = named(new QLabel(text, parent), name);
    label->move(x, y);
    label->adjustSize();
    return label;
}

QLabel *addLabel(QWidget *parent, const char *name, const QString &text, const QRect &geometry)
{
    auto *label = named(new QLabel(text, parent), name);
    label->setGeometry(geometry);
    return label;
}

QLineEdit *addEdit(QWidget *parent, const char *name, const QRect &geometry, Qt::Alignment alignment)
{
    auto *edit = named(new QLineEdit(parent), name);
    edit->setGeometry(geometry);
    edit->setAlignment(alignment);
    return edit;
}

QLineEdit *addPasswordEdit(QWidget *parent, const char *name, const QRect &geometry)
{
    QLineEdit *edit = addEdit(parent, name, geometry);
    edit->setEchoMode(QLineEdit::Password);
    // A style sheet drops the fonts its widget inherits; keep the page's.
    edit->setFont(edit->font());
    edit->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    return edit;
}

QCheckBox *addCheck(QWidget *parent, const char *name, const QString &text, int x, int y)
{
    auto *check = named(new QCheckBox(text, parent), name);
    check->move(x, y);
    check->adjustSize();
    return check;
}

QRadioButton *addRadio(QWidget *parent, const char *name, const QString &text, int x, int y)
{
    auto *radio = named(new QRadioButton(text, parent), name);
    radio->move(x, y);
    radio->adjustSize();
    return radio;
}

QGroupBox *addGroup(QWidget *parent, const char *name, const QString &title, const QRect &geometry)
{
    auto *group = named(new QGroupBox(title, parent), name);
    group->setGeometry(geometry);
    if (QStyle *style = groupBoxStyle())
        group->setStyle(style);
    return group;
}

QPushButton *addButton(QWidget *parent, const char *name, const QString &text, const QRect &geometry)
{
    auto *button = named(new QPushButton(text, parent), name);
    button->setGeometry(geometry);
    return button;
}

QComboBox *addList(QWidget *parent, const char *name, const QRect &geometry)
{
    auto *list = named(new QComboBox(parent), name);
    list->setEditable(false);
    list->setGeometry(geometry);
    return list;
}

QLabel *addWarning(QWidget *parent, const char *name, const QString &text, int x, int y)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(pixelFont(16));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    label->setPalette(palette);
    label->move(x, y);
    label->adjustSize();
    return label;
}

QRect WrappingCheckBox::textRect() const
{
    QStyleOptionButton option;
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_CheckBoxContents, &option, this);
}

QSize WrappingCheckBox::sizeHint() const
{
    const QRect room = textRect();
    const QRect needed = fontMetrics().boundingRect(QRect(room.x(), 0, room.width(), 1000), kTextFlags, text());
    return {width(), qMax(QCheckBox::sizeHint().height(), needed.height())};
}

void WrappingCheckBox::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    // The style draws the box alone, centred on the height; the caption is
    // drawn beside it, broken into lines.
    option.text.clear();
    painter.drawControl(QStyle::CE_CheckBox, option);
    painter.drawItemText(textRect(), kTextFlags, palette(), isEnabled(), caption, QPalette::WindowText);
}

QCheckBox *addWrappingCheck(QWidget *parent, const char *name, const QString &text, const QRect &geometry)
{
    auto *check = named(new WrappingCheckBox(text, parent), name);
    check->setGeometry(geometry);
    return check;
}

} // namespace kvmt::pages
