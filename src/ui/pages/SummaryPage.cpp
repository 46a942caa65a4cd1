// The summary page: one read-only pane that the summary fills line by line.
#include "ui/pages/PageKit.h"
#include "ui/pages/SettingsPages.h"

#include <QTextEdit>
#include <QVBoxLayout>

namespace kvmt {

void buildSummaryPage(QWidget *page)
{
    auto *pane = new QTextEdit(page);
    pane->setObjectName(QStringLiteral("All_param"));
    // The whole page: at the original 428 pixels the longer lines ran under
    // a horizontal scroll bar while the right two fifths of the tab stayed
    // empty.
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pane);
    pane->setFont(pages::pixelFont(pages::kPageFontPixels));
    pane->setReadOnly(true);
    // One setting per line: a long value scrolls instead of breaking the
    // line, so that every line keeps its "label = value" shape. Only such a
    // value brings the horizontal scroll bar.
    pane->setLineWrapMode(QTextEdit::NoWrap);
    pane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    pane->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Shown until the first summary is built.
    pane->setPlainText(QStringLiteral("All_param"));
}

} // namespace kvmt
