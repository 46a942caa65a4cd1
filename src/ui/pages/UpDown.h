#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace kvmt {

// A pair of arrows that steps the number in a buddy edit, as an up-down
// control bound to an edit box does: the step starts from the number the
// edit shows (or, when it shows none within range, from the last position),
// stops at the range's ends and writes the result into the edit as an edit
// of the user's. The edit's own change rule then runs on it as on typing,
// so a rule that corrects the field corrects what the arrows put there.
class UpDown : public QWidget
{
    Q_OBJECT

public:
    UpDown(QLineEdit *buddy, int minimum, int maximum, QWidget *parent = nullptr);

    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    int position() const { return m_position; }
    QLineEdit *buddy() const { return m_buddy; }

    void stepUp() { stepBy(1); }
    void stepDown() { stepBy(-1); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void stepBy(int delta);

    QLineEdit *m_buddy;
    QToolButton *m_up;
    QToolButton *m_down;
    int m_minimum;
    int m_maximum;
    int m_position;
};

} // namespace kvmt
