#include "config/ui/DipSwitches.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QStyleOptionFocusRect>

// One half of a switch: the housing, and the lever when the switch stands on this side.
class DipHalf : public QAbstractButton {
public:
    DipHalf(DipSwitches* owner, int bit, bool upper)
        : QAbstractButton(owner), m_owner(owner), m_bit(bit), m_upper(upper) {
        setObjectName(QStringLiteral("%1_%2").arg(upper ? "lblDip1" : "lblDip2").arg(bit));
        // One focus stop per switch: the upper half takes Space for both.
        setFocusPolicy(upper ? Qt::StrongFocus : Qt::NoFocus);
        setCursor(Qt::PointingHandCursor);
        connect(this, &QAbstractButton::clicked, owner, [owner, bit] { owner->toggle(bit); });
    }
    QSize sizeHint() const override { return {14, 12}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), QColor(0x1f, 0x4e, 0x9c)); // the switch block's housing
        const QRect slot = rect().adjusted(3, m_upper ? 2 : 0, -3, m_upper ? 0 : -2);
        p.fillRect(slot, QColor(0x2b, 0x2b, 0x2b));
        if (m_owner->isOn(m_bit) == m_upper)
            p.fillRect(slot.adjusted(1, 1, -1, -1), QColor(0xf2, 0xf2, 0xf2));
        if (hasFocus()) {
            QStyleOptionFocusRect option;
            option.initFrom(this);
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
        }
    }

private:
    DipSwitches* m_owner;
    int m_bit;
    bool m_upper;
};

DipSwitches::DipSwitches(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("fraDip"));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(0);
    grid->setVerticalSpacing(0);
    auto* on = new QLabel(QStringLiteral("ON"), this);
    QFont small = on->font();
    small.setPointSizeF(small.pointSizeF() * 0.75);
    on->setFont(small);
    grid->addWidget(on, 0, 0, 1, 8);
    for (int bit = 0; bit < 8; ++bit) {
        grid->addWidget(new DipHalf(this, bit, true), 1, bit);
        grid->addWidget(new DipHalf(this, bit, false), 2, bit);
        auto* number = new QLabel(QString::number(bit + 1), this);
        number->setFont(small);
        number->setAlignment(Qt::AlignCenter);
        grid->addWidget(number, 3, bit);
    }
}

void DipSwitches::setAddress(int address) {
    m_address = address & 0xFF;
    update();
    for (QWidget* w : findChildren<QAbstractButton*>())
        w->update();
}

void DipSwitches::toggle(int bit) {
    setAddress(m_address ^ (1 << bit));
    Q_EMIT addressClicked(m_address);
}
