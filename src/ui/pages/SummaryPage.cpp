// The summary page: one read-only pane that the summary fills line by line.
#include "ui/pages/PageKit.h"
#include "ui/pages/SettingsPages.h"

#include <QTextEdit>

namespace kvmt {

void buildSummaryPage(QWidget *page)
{
    auto *pane = new QTextEdit(page);
    pane->setObjectName(QStringLiteral("All_param"));
    pane->setGeometry(0, 0, 428, 386);
    pane->setFont(pages::pixelFont(pages::kPageFontPixels));
    pane->setReadOnly(true);
    // One setting per line: a long value scrolls instead of breaking the
    // line, so that every line keeps its "label = value" shape.
    pane->setLineWrapMode(QTextEdit::NoWrap);
    pane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    pane->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Shown until the first summary is built.
    pane->setPlainText(QStringLiteral("All_param"));
}

} // namespace kvmt
