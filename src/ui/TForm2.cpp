#include "ui/TForm2.h"

#include "ui/pages/PageKit.h"

#include <QPlainTextEdit>
#include <QPushButton>

namespace kvmt {

TForm2::TForm2(QWidget *parent)
    : QDialog(parent)
    , m_log(new QPlainTextEdit(this))
    , m_startStop(new QPushButton(tr("Остановить"), this))
{
    setObjectName(QStringLiteral("TForm2"));
    setWindowTitle(QStringLiteral("CDC Log"));
    setFont(pages::pixelFont(11));
    // A fixed frame: the text and the button have their places.
    setFixedSize(kWidth, kHeight);
    setSizeGripEnabled(false);

    m_log->setObjectName(QStringLiteral("mCDCLog"));
    m_log->setGeometry(0, 0, kWidth, 345);
    m_log->setReadOnly(true);
    m_log->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    m_startStop->setObjectName(QStringLiteral("btLogStartStop"));
    m_startStop->setGeometry(20, 363, 75, 25);
    // A dialog's default button would take Enter typed anywhere in it.
    m_startStop->setAutoDefault(false);
}

} // namespace kvmt
