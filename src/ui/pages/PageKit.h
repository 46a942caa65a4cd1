#pragma once

#include <QCheckBox>
#include <QCoreApplication>
#include <QFont>
#include <QRect>
#include <QString>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace kvmt {

// The captions of every page translate in the window's context, so that a
// caption used on several pages ("Применить", "Часы") is translated once.
class WindowText
{
    Q_DECLARE_TR_FUNCTIONS(kvmt::TForm1)
};

namespace pages {

// The window's fonts are given in pixels, not points: the layout is drawn in
// pixels and must not grow with the screen's dots per inch.
QFont pixelFont(int pixels, bool bold = false);

// Common heights of the pages' controls at the pages' 13-pixel font.
inline constexpr int kEditHeight = 24;
inline constexpr int kButtonHeight = 25;
inline constexpr int kPageFontPixels = 13;

// Gives a page the pages' font; its controls inherit it.
void preparePage(QWidget *page);

// Every builder below names the control, parents it and places it; sizes not
// given are the control's own size hint, so that a caption is never cut.
QLabel *addLabel(QWidget *parent, const char *name, const QString &text, int x, int y);
// A label whose text the program replaces later: it is given room for the
// longest text it will show.
QLabel *addLabel(QWidget *parent, const char *name, const QString &text, const QRect &geometry);
QLineEdit *addEdit(QWidget *parent, const char *name, const QRect &geometry,
                   Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter);
// Masked as the tracker's password fields were always masked: with "*".
QLineEdit *addPasswordEdit(QWidget *parent, const char *name, const QRect &geometry);
QCheckBox *addCheck(QWidget *parent, const char *name, const QString &text, int x, int y);
QRadioButton *addRadio(QWidget *parent, const char *name, const QString &text, int x, int y);
QGroupBox *addGroup(QWidget *parent, const char *name, const QString &title, const QRect &geometry);
QPushButton *addButton(QWidget *parent, const char *name, const QString &text, const QRect &geometry);
// A drop-down list the user picks from but cannot type into; its items come
// from the settings model.
QComboBox *addList(QWidget *parent, const char *name, const QRect &geometry);
// A red caption, the pages' way of pointing out how a field must be filled.
QLabel *addWarning(QWidget *parent, const char *name, const QString &text, int x, int y);

// A check box whose caption wraps over as many lines as its width needs.
// The caption stays one text (the summary and the translation see the whole
// sentence); only the drawing breaks it.
class WrappingCheckBox : public QCheckBox
{
public:
    using QCheckBox::QCheckBox;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    // The whole caption answers a click, not only its first line.
    bool hitButton(const QPoint &pos) const override { return rect().contains(pos); }

private:
    QRect textRect() const;
};

QCheckBox *addWrappingCheck(QWidget *parent, const char *name, const QString &text, const QRect &geometry);

} // namespace pages
} // namespace kvmt
