#include "app/ui/Pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace Pictures {

namespace {
QPixmap transparentPixmap(const QSize& size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void stripes(QPainter& p, const QSize& s, const QColor (&colours)[3], bool vertical) {
    for (int i = 0; i < 3; ++i) {
        const QRectF band =
            vertical ? QRectF(s.width() * i / 3.0, 0, s.width() / 3.0 + 0.5, s.height())
                     : QRectF(0, s.height() * i / 3.0, s.width(), s.height() / 3.0 + 0.5);
        p.fillRect(band, colours[i]);
    }
}

void unionFlag(QPainter& p, const QSize& s) {
    const QColor blue(1, 33, 105), red(200, 16, 46);
    const qreal w = s.width(), h = s.height();
    p.fillRect(QRectF(0, 0, w, h), blue);
    const qreal unit = h / 30.0; // the flag is 60 x 30 units
    // White diagonals, then the red ones (offset counter-clockwise as on the real flag).
    p.setPen(QPen(Qt::white, 6 * unit, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(0, 0), QPointF(w, h));
    p.drawLine(QPointF(0, h), QPointF(w, 0));
    p.save();
    p.setClipRect(QRectF(0, 0, w, h));
    p.setPen(QPen(red, 2 * unit, Qt::SolidLine, Qt::FlatCap));
    const qreal d = unit;
    p.drawLine(QPointF(0, d), QPointF(w / 2, h / 2 + d));     // top left
    p.drawLine(QPointF(w / 2, h / 2 - d), QPointF(w, -d));    // top right
    p.drawLine(QPointF(0, h + d), QPointF(w / 2, h / 2 + d)); // bottom left
    p.drawLine(QPointF(w / 2, h / 2 - d), QPointF(w, h - d)); // bottom right
    p.restore();
    // White cross, red cross.
    p.fillRect(QRectF(0, h / 2 - 5 * unit, w, 10 * unit), Qt::white);
    p.fillRect(QRectF(w / 2 - 5 * unit, 0, 10 * unit, h), Qt::white);
    p.fillRect(QRectF(0, h / 2 - 3 * unit, w, 6 * unit), red);
    p.fillRect(QRectF(w / 2 - 3 * unit, 0, 6 * unit, h), red);
}
} // namespace

QPixmap errorMark(int size) {
    QPixmap pixmap = transparentPixmap(QSize(size, size));
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(1, 1, size - 2, size - 2);
    QRadialGradient fill(r.center() - QPointF(size / 6.0, size / 6.0), size * 0.7);
    fill.setColorAt(0, QColor(255, 110, 90));
    fill.setColorAt(1, QColor(190, 20, 10));
    p.setBrush(fill);
    p.setPen(QPen(QColor(120, 0, 0), 1));
    p.drawEllipse(r);
    // Exclamation mark.
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    const qreal cx = size / 2.0, bar = size * 0.14;
    p.drawRoundedRect(QRectF(cx - bar / 2, size * 0.2, bar, size * 0.42), bar / 2, bar / 2);
    p.drawEllipse(QPointF(cx, size * 0.76), bar * 0.62, bar * 0.62);
    return pixmap;
}

QPixmap devicePicture(const QSize& size) {
    QPixmap pixmap = transparentPixmap(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal w = size.width(), h = size.height();

    // DIN rail behind the modules.
    p.fillRect(QRectF(0, h * 0.42, w, h * 0.16), QColor(170, 170, 175));
    p.setPen(QColor(120, 120, 125));
    p.drawLine(QPointF(0, h * 0.45), QPointF(w, h * 0.45));
    p.drawLine(QPointF(0, h * 0.55), QPointF(w, h * 0.55));

    // Base unit on the left, four controller modules beside it.
    const int modules = 5;
    const qreal gap = w * 0.015;
    const qreal moduleWidth = (w - gap * (modules + 1)) / modules;
    for (int m = 0; m < modules; ++m) {
        const QRectF body(gap + m * (moduleWidth + gap), h * 0.06, moduleWidth, h * 0.88);
        QLinearGradient shade(body.topLeft(), body.topRight());
        const QColor base = m == 0 ? QColor(70, 90, 120) : QColor(215, 218, 222);
        shade.setColorAt(0, base.lighter(115));
        shade.setColorAt(1, base.darker(115));
        p.setPen(QPen(QColor(60, 60, 65), 1));
        p.setBrush(shade);
        p.drawRoundedRect(body, 3, 3);

        // Terminal blocks at top and bottom.
        for (const qreal y : {body.top() + h * 0.03, body.bottom() - h * 0.13}) {
            const QRectF block(body.left() + 3, y, body.width() - 6, h * 0.1);
            p.setBrush(QColor(40, 120, 60));
            p.drawRect(block);
            p.setBrush(QColor(200, 200, 200));
            const int screws = 3;
            for (int s = 0; s < screws; ++s) {
                const qreal cx = block.left() + block.width() * (s + 0.5) / screws;
                p.drawEllipse(QPointF(cx, block.center().y()), block.height() * 0.28,
                              block.height() * 0.28);
            }
        }

        if (m == 0) {
            // Display and interface socket of the base unit.
            const QRectF display(body.left() + 4, h * 0.24, body.width() - 8, h * 0.14);
            p.setBrush(QColor(30, 60, 30));
            p.drawRect(display);
            p.setPen(QColor(120, 255, 120));
            QFont font = p.font();
            font.setPixelSize(qMax(5, int(display.height() * 0.6)));
            font.setStretch(QFont::Condensed);
            p.setFont(font);
            p.drawText(display, Qt::AlignCenter, QStringLiteral("7400"));
            p.setPen(QPen(QColor(60, 60, 65), 1));
            p.setBrush(QColor(30, 30, 30));
            p.drawRoundedRect(QRectF(body.center().x() - body.width() * 0.25, h * 0.62,
                                     body.width() * 0.5, h * 0.12),
                              2, 2);
        } else {
            // Status LEDs of the module's two channels.
            for (int led = 0; led < 2; ++led) {
                p.setBrush(led == 0 ? QColor(40, 200, 60) : QColor(240, 170, 30));
                p.drawEllipse(QPointF(body.left() + body.width() * (led + 1) / 3.0, h * 0.3), 2.5,
                              2.5);
            }
            p.setPen(QColor(90, 90, 95));
            QFont font = p.font();
            font.setPixelSize(qMax(6, int(h * 0.08)));
            p.setFont(font);
            p.drawText(QRectF(body.left(), h * 0.62, body.width(), h * 0.12), Qt::AlignCenter,
                       QString::number(m));
            p.setPen(QPen(QColor(60, 60, 65), 1));
        }
    }
    return pixmap;
}

QPixmap flag(int languageIndex, const QSize& size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (languageIndex) {
    case 0: {
        const QColor c[3] = {QColor(0, 0, 0), QColor(221, 0, 0), QColor(255, 206, 0)};
        stripes(p, size, c, false);
        break;
    }
    case 1:
        unionFlag(p, size);
        break;
    case 2: {
        const QColor c[3] = {QColor(0, 35, 149), Qt::white, QColor(237, 41, 57)};
        stripes(p, size, c, true);
        break;
    }
    default: {
        const QColor c[3] = {QColor(0, 146, 70), Qt::white, QColor(206, 43, 55)};
        stripes(p, size, c, true);
        break;
    }
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(90, 90, 90));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(0, 0, size.width() - 1, size.height() - 1));
    return pixmap;
}

} // namespace Pictures
