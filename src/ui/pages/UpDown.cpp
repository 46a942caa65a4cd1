#include "ui/pages/UpDown.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

namespace kvmt {

UpDown::UpDown(QLineEdit *buddy, int minimum, int maximum, QWidget *parent)
    : QWidget(parent)
    , m_buddy(buddy)
    , m_up(new QToolButton(this))
    , m_down(new QToolButton(this))
    , m_minimum(minimum)
    , m_maximum(maximum)
    , m_position(minimum)
{
    for (QToolButton *arrow : {m_up, m_down}) {
        arrow->setAutoRepeat(true);
        arrow->setFocusPolicy(Qt::NoFocus);
    }
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    connect(m_up, &QToolButton::clicked, this, &UpDown::stepUp);
    connect(m_down, &QToolButton::clicked, this, &UpDown::stepDown);
    // The arrow keys step the number while the edit has the focus.
    m_buddy->installEventFilter(this);
}

bool UpDown::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_buddy && event->type() == QEvent::KeyPress && isEnabled()) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            stepBy(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void UpDown::resizeEvent(QResizeEvent *)
{
    const int upper = height() / 2;
    m_up->setGeometry(0, 0, width(), upper);
    m_down->setGeometry(0, upper, width(), height() - upper);
}

void UpDown::stepBy(int delta)
{
    bool isNumber = false;
    const int shown = m_buddy->text().trimmed().toInt(&isNumber);
    if (isNumber && shown >= m_minimum && shown <= m_maximum)
        m_position = shown;
    const int next = qBound(m_minimum, m_position + delta, m_maximum);
    // At an end of the range the arrow does nothing, not even rewrite the
    // text, so no change rule runs.
    if (next == m_position)
        return;
    m_position = next;
    // Written as an edit of the user's (textEdited), so that it reaches the
    // settings model by the same path as typing.
    m_buddy->selectAll();
    m_buddy->insert(QString::number(next));
}

} // namespace kvmt
