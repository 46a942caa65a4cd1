#include "ManualPdf.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPageLayout>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSet>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextFrame>
#include <QUrl>

#include <memory>

namespace kvmt::manual {

namespace {

// Widths in the layout's pixels (1/96 inch): the text column of an A4 page
// with the margins below is about 620 of them.
constexpr int kMaxPictureWidth = 600;
// A4 in the layout's pixels, and the margins around the text.
constexpr qreal kPageWidth = 210 / 25.4 * 96;
constexpr qreal kPageHeight = 297 / 25.4 * 96;
constexpr qreal kMargin = 60;
constexpr qreal kFooter = 24;

// The pictures named by the text, each once, in text order.
QStringList pictureNames(QTextDocument &document)
{
    QStringList names;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (format.isImageFormat())
                names.append(format.toImageFormat().name());
        }
    }
    return names;
}

// Pictures wider than the text column are drawn smaller; their pixels stay
// in the file, so they remain sharp when the page is zoomed.
void fitPictures(QTextDocument &document, const QMap<QString, QImage> &pictures)
{
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            if (!format.isValid())
                continue;
            const QImage image = pictures.value(QFileInfo(format.name()).completeBaseName());
            if (image.isNull())
                continue;
            const qreal width = qMin<qreal>(image.width(), kMaxPictureWidth);
            format.setWidth(width);
            format.setHeight(image.height() * width / image.width());
            QTextCursor cursor(&document);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
    }
}

void breakBefore(const QTextBlock &block)
{
    QTextBlockFormat format = block.blockFormat();
    format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    QTextCursor(block).setBlockFormat(format);
}

// The manual laid out on A4 in the layout's pixels (1/96 inch), with a page
// break before every chapter (a first-level heading) but the first and
// before the blocks numbered in `breaks`. The formats are all set before
// the first layout: changed after it, the layout of later pages goes stale.
std::unique_ptr<QTextDocument> layOut(const QString &markdown, const QMap<QString, QImage> &screens,
                                      const QSet<int> &breaks)
{
    auto document = std::make_unique<QTextDocument>();
    document->setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 10));
    document->setUseDesignMetrics(true);
    document->setMarkdown(markdown);
    for (const QString &name : pictureNames(*document))
        document->addResource(QTextDocument::ImageResource, QUrl(name), screens.value(QFileInfo(name).completeBaseName()));
    fitPictures(*document, screens);
    bool first = true;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        const bool chapter = block.blockFormat().headingLevel() == 1;
        if ((chapter && !first) || breaks.contains(block.blockNumber()))
            breakBefore(block);
        first = first && !chapter;
    }
    QTextFrameFormat frame = document->rootFrame()->frameFormat();
    frame.setLeftMargin(kMargin);
    frame.setRightMargin(kMargin);
    frame.setTopMargin(kMargin);
    frame.setBottomMargin(kMargin + kFooter);
    document->rootFrame()->setFrameFormat(frame);
    document->setPageSize(QSizeF(kPageWidth, kPageHeight));
    return document;
}

// Headings left alone at the foot of a page, their picture or text on the
// next one.
QSet<int> orphanHeadings(QTextDocument &document)
{
    QAbstractTextDocumentLayout *layout = document.documentLayout();
    const auto pageOf = [](qreal y) { return int(y / kPageHeight); };
    QSet<int> orphans;
    for (QTextBlock block = document.begin(); block.isValid() && block.next().isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() == 0)
            continue;
        const QRectF heading = layout->blockBoundingRect(block);
        const QRectF next = layout->blockBoundingRect(block.next());
        if (pageOf(heading.top()) != pageOf(next.bottom() - 1))
            orphans.insert(block.blockNumber());
    }
    return orphans;
}

// QPdfWriter dates the file with the moment it was written and offers no
// way to say otherwise: the date is put right afterwards, in as many bytes
// as Qt's own (ending in "Z" or in "+HH'mm'"), so that the cross-reference
// table's offsets still hold.
bool redate(const QString &path, const QDateTime &created)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray pdf = file.readAll();
    static const QRegularExpression stamp(QStringLiteral("/CreationDate \\((D:\\d{14}(Z|[+-]\\d\\d'\\d\\d'))\\)"));
    const QRegularExpressionMatch match = stamp.match(QString::fromLatin1(pdf));
    if (!match.hasMatch())
        return false;
    const QString utc = created.toUTC().toString(QStringLiteral("'D:'yyyyMMddHHmmss"));
    const QByteArray date = (utc + (match.captured(2) == QLatin1String("Z") ? QStringLiteral("Z") : QStringLiteral("+00'00'"))).toLatin1();
    pdf.replace(match.capturedStart(1), date.size(), date);
    return file.seek(0) && file.write(pdf) == pdf.size();
}

} // namespace

bool writeManualPdf(const QString &markdown, const QMap<QString, QImage> &screens, const QString &title,
                    const QDateTime &created, const QString &path, QString *error)
{
    {
        QTextDocument probe;
        probe.setMarkdown(markdown);
        for (const QString &name : pictureNames(probe)) {
            if (!screens.contains(QFileInfo(name).completeBaseName())) {
                *error = QStringLiteral("the manual shows \"%1\", but no such picture was taken").arg(name);
                return false;
            }
        }
    }
    // Moving a heading to the next page moves what follows it: laid out
    // again until no heading is left behind (a few rounds at most).
    QSet<int> breaks;
    std::unique_ptr<QTextDocument> document = layOut(markdown, screens, breaks);
    for (int round = 0; round < 20; ++round) {
        const QSet<int> orphans = orphanHeadings(*document);
        if (orphans.isEmpty() || breaks.contains(orphans))
            break;
        breaks.unite(orphans);
        document = layOut(markdown, screens, breaks);
    }

    QPdfWriter writer(path);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("KVMTConf"));
    writer.setResolution(300);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    QPainter painter;
    if (!painter.begin(&writer)) {
        *error = QStringLiteral("cannot write %1").arg(path);
        return false;
    }
    const qreal scale = writer.width() / kPageWidth;
    const int pages = document->pageCount();
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            writer.newPage();
        painter.save();
        painter.scale(scale, scale);
        const QRectF area(0, page * kPageHeight, kPageWidth, kPageHeight);
        painter.translate(0, -area.top());
        document->drawContents(&painter, area);
        painter.restore();
        painter.save();
        painter.scale(scale, scale);
        // In the page's own pixels, as the text above it.
        QFont numberFont = document->defaultFont();
        numberFont.setPixelSize(12);
        painter.setFont(numberFont);
        painter.drawText(QRectF(kMargin, kPageHeight - kMargin - kFooter / 2, kPageWidth - 2 * kMargin, kFooter),
                         Qt::AlignRight | Qt::AlignVCenter, QString::number(page + 1));
        painter.restore();
    }
    painter.end();
    if (!QFileInfo(path).isFile() || QFileInfo(path).size() == 0 || !redate(path, created)) {
        *error = QStringLiteral("cannot write %1").arg(path);
        return false;
    }
    return true;
}

} // namespace kvmt::manual
