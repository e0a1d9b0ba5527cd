#include "params/ui/OverviewPrinter.h"

#include "params/Overview.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>

namespace {
// The layout is laid out for 142 columns; a longer name widens it.
constexpr int LayoutColumns = 142;
constexpr qreal LargestPointSize = 10;
} // namespace

bool renderOverviewPrint(const OverviewPrint& print, QPagedPaintDevice& device) {
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    qsizetype columns = LayoutColumns;
    for (const QString& line : print.lines())
        columns = std::max(columns, line.size());

    const QRectF area = painter.viewport();
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSizeF(LargestPointSize);
    const qreal width = QFontMetricsF(font, &device).horizontalAdvance(QString(columns, u'M'));
    if (width > area.width())
        font.setPointSizeF(LargestPointSize * area.width() / width);
    painter.setFont(font);
    const QFontMetricsF metrics(font, &device);
    const qreal step = metrics.lineSpacing();
    const int linesPerPage = std::max(1, int(area.height() / step));

    const QList<QStringList> pages = print.pages(linesPerPage);
    for (qsizetype p = 0; p < pages.size(); ++p) {
        if (p > 0 && !device.newPage()) {
            painter.end();
            return false;
        }
        qreal y = metrics.ascent();
        for (const QString& line : pages[p]) {
            painter.drawText(QPointF(0, y), line);
            y += step;
        }
    }
    return painter.end();
}

QByteArray overviewPdf(const OverviewPrint& print, const QString& title) {
    QByteArray document;
    QBuffer buffer(&document);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("Q7400 configurator"));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                         QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
        // A PDF in memory can always be painted on.
        renderOverviewPrint(print, writer);
    }
    return document;
}
