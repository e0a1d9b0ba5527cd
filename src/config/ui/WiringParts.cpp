#include "config/ui/WiringParts.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace {
void drawFocus(QWidget* w, QPainter& p, const QRect& r) {
    if (!w->hasFocus())
        return;
    QStyleOptionFocusRect option;
    option.initFrom(w);
    option.rect = r;
    w->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, w);
}
} // namespace

// ---------------------------------------------------------------------------------------------

ClickLabel::ClickLabel(const QString& objectName, Look look, QWidget* parent)
    : QAbstractButton(parent), m_look(look) {
    setObjectName(objectName);
    setAttribute(Qt::WA_Hover);
    setClickable(true);
    if (look != Look::Plain)
        m_alignment = Qt::AlignCenter;
}

void ClickLabel::setClickable(bool clickable) {
    m_clickable = clickable;
    setFocusPolicy(clickable ? Qt::StrongFocus : Qt::NoFocus);
    if (clickable)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
    update();
}

void ClickLabel::setDimmed(bool dimmed) {
    if (m_dimmed != dimmed) {
        m_dimmed = dimmed;
        update();
    }
}

void ClickLabel::setOffered(bool offered) {
    if (m_offered != offered) {
        m_offered = offered;
        update();
    }
}

void ClickLabel::setOverline(bool overline) {
    m_overline = overline;
    update();
}

void ClickLabel::setFill(const QColor& fill) {
    m_fill = fill;
    update();
}

QSize ClickLabel::sizeHint() const {
    const QFontMetrics fm = fontMetrics();
    const int pad = m_look == Look::Plain ? 3 : 6;
    return {fm.horizontalAdvance(text()) + 2 * pad + 2, fm.height() + 6};
}

QSize ClickLabel::minimumSizeHint() const {
    return {fontMetrics().height(), fontMetrics().height() + 6};
}

void ClickLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const bool hover = m_clickable && underMouse() && isEnabled();
    switch (m_look) {
    case Look::Slot: {
        QColor fill = pal.color(QPalette::Base);
        if (m_offered)
            fill = pal.color(QPalette::Highlight).lighter(185);
        else if (hover)
            fill = pal.color(QPalette::AlternateBase);
        p.setBrush(fill);
        p.setPen(QPen(m_offered ? pal.color(QPalette::Highlight) : pal.color(QPalette::Mid),
                      m_offered ? 2 : 1));
        p.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
        break;
    }
    case Look::Marker:
        p.setBrush(m_fill.isValid() ? m_fill : pal.color(QPalette::Button));
        p.setPen(pal.color(QPalette::Mid));
        p.drawRoundedRect(box, 3, 3);
        break;
    case Look::Plain:
        if (hover) {
            p.setBrush(pal.color(QPalette::AlternateBase));
            p.setPen(Qt::NoPen);
            p.drawRoundedRect(box, 3, 3);
        }
        break;
    }
    QFont f = font();
    f.setOverline(m_overline);
    p.setFont(f);
    const bool grey = m_dimmed || !isEnabled();
    p.setPen(pal.color(grey ? QPalette::Disabled : QPalette::Active, QPalette::WindowText));
    const int pad = m_look == Look::Plain ? 3 : 6;
    const QRect textRect = rect().adjusted(pad, 0, -pad, 0);
    p.drawText(textRect, int(m_alignment),
               QFontMetrics(f).elidedText(text(), Qt::ElideRight, textRect.width()));
    drawFocus(this, p, rect().adjusted(1, 1, -1, -1));
}

void ClickLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    if (m_clickable)
        QAbstractButton::mousePressEvent(event);
    else
        event->accept();
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    if (m_clickable)
        QAbstractButton::mouseReleaseEvent(event);
    else
        event->accept();
}

void ClickLabel::keyPressEvent(QKeyEvent* event) {
    if (m_clickable)
        QAbstractButton::keyPressEvent(event);
    else
        QWidget::keyPressEvent(event);
}

void ClickLabel::keyReleaseEvent(QKeyEvent* event) {
    if (m_clickable)
        QAbstractButton::keyReleaseEvent(event);
    else
        QWidget::keyReleaseEvent(event);
}

// ---------------------------------------------------------------------------------------------

TerminalButton::TerminalButton(const QString& objectName, Handlers handlers, QWidget* parent)
    : QAbstractButton(parent), m_handlers(std::move(handlers)) {
    setObjectName(objectName);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    // Space and Enter choose the terminal as a press of the mouse does.
    connect(this, &QAbstractButton::clicked, this, [this] { m_handlers.pressed(); });
}

void TerminalButton::setChosen(bool chosen) {
    if (m_chosen != chosen) {
        m_chosen = chosen;
        update();
    }
}

void TerminalButton::setHighlighted(bool highlighted) {
    if (m_highlighted != highlighted) {
        m_highlighted = highlighted;
        update();
    }
}

QSize TerminalButton::sizeHint() const {
    const QFontMetrics fm = fontMetrics();
    const int h = fm.height() + 6;
    return {h + fm.horizontalAdvance(QStringLiteral("x.00")) + 8, h};
}

void TerminalButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    // The terminal block: a grey housing with the screw on the left.
    p.setPen(m_highlighted ? QPen(pal.color(QPalette::Highlight), 2)
                           : QPen(pal.color(QPalette::Dark)));
    p.setBrush(m_chosen ? pal.color(QPalette::Highlight) : pal.color(QPalette::Button));
    p.drawRoundedRect(m_highlighted ? box.adjusted(0.5, 0.5, -0.5, -0.5) : box, 3, 3);
    const qreal d = box.height() - 8;
    const QRectF screw(box.left() + 4, box.top() + 4, d, d);
    p.setBrush(QColor(0xd8, 0xd8, 0xd0));
    p.setPen(QColor(0x60, 0x60, 0x60));
    p.drawEllipse(screw);
    p.drawLine(QLineF(screw.left() + d * 0.25, screw.bottom() - d * 0.25, screw.right() - d * 0.25,
                      screw.top() + d * 0.25));
    p.setPen(pal.color(m_chosen ? QPalette::HighlightedText : QPalette::ButtonText));
    QFont f = font();
    f.setBold(m_chosen);
    p.setFont(f);
    const QRect textRect = rect().adjusted(int(screw.right()) + 3, 0, -4, 0);
    p.drawText(textRect, Qt::AlignVCenter | Qt::AlignRight, text());
    drawFocus(this, p, rect().adjusted(2, 2, -2, -2));
}

void TerminalButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_pressed = true;
    m_moved = false;
    m_pressPos = event->position().toPoint();
    m_handlers.pressed();
}

void TerminalButton::mouseMoveEvent(QMouseEvent* event) {
    if (!m_pressed)
        return;
    if (!m_moved && (event->position().toPoint() - m_pressPos).manhattanLength() <
                        QApplication::startDragDistance())
        return;
    m_moved = true;
    m_handlers.dragged(event->globalPosition().toPoint());
}

void TerminalButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_pressed) {
        event->ignore();
        return;
    }
    m_pressed = false;
    m_handlers.released(event->globalPosition().toPoint(), m_moved);
}

// ---------------------------------------------------------------------------------------------

MarkHeadings::MarkHeadings(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("lblMarkHeadings"));
}

void MarkHeadings::setHeadings(const QString& left, const QString& right) {
    m_left = left;
    m_right = right;
    updateGeometry();
    update();
}

void MarkHeadings::setColumns(int leftCentre, int rightCentre) {
    m_leftCentre = leftCentre;
    m_rightCentre = rightCentre;
    update();
}

QSize MarkHeadings::sizeHint() const {
    const QFontMetrics fm = fontMetrics();
    return {std::max(fm.horizontalAdvance(m_left), fm.horizontalAdvance(m_right)) + 40,
            2 * fm.height() + 8};
}

// The right column's heading on the upper line, so the left column's leader never crosses it.
void MarkHeadings::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QFontMetrics fm = fontMetrics();
    const QColor ink = palette().color(QPalette::WindowText);
    const QColor leader = palette().color(QPalette::Mid);
    auto heading = [&](const QString& text, int line, int centre) {
        const int baseline = 2 + line * (fm.height() + 2) + fm.ascent();
        const int end = centre - 6;
        p.setPen(ink);
        p.drawText(end - fm.horizontalAdvance(text), baseline, text);
        p.setPen(leader);
        const int y = baseline - fm.ascent() / 2 + 1;
        p.drawLine(end + 2, y, centre, y);
        p.drawLine(centre, y, centre, height() - 1);
    };
    heading(m_right, 0, m_rightCentre);
    heading(m_left, 1, m_leftCentre);
}
