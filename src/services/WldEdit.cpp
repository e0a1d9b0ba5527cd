#include "services/WldEdit.h"

#include "services/FieldLimits.h"

namespace {
constexpr int kYearBase = 1984;

struct TimeRange {
    int min;
    int max;
};
// Seconds, minutes, hours, day, month, year as entered.
constexpr TimeRange kTimeRanges[6] = {{0, 59}, {0, 59}, {0, 23}, {1, 31}, {1, 12}, {2000, 2099}};

// The bytes of a text field, const or not as the fields are.
template <typename Fields> auto& textBytes(Fields& f, WldTextField field) {
    switch (field) {
    case WldTextField::Author:
        return f.BlockAuthor;
    case WldTextField::Family:
        return f.BlockFamily;
    case WldTextField::Name:
        break;
    }
    return f.BlockName;
}
} // namespace

QString WldHeaderEdit::blockNumberText() const {
    return QStringLiteral("%1").arg(m_fields.BlockNumber, 3, 10, QChar(u'0'));
}

QString WldHeaderEdit::versionText() const {
    return QStringLiteral("%1").arg(m_fields.BlockVersion, 2, 10, QChar(u'0'));
}

QString WldHeaderEdit::text(WldTextField field) const {
    return wldTextShown(textBytes(m_fields, field));
}

QString WldHeaderEdit::timeText(int field) const {
    const int v = m_fields.BlockTime.at(size_t(field));
    if (field == 5)
        return QString::number(kYearBase + v);
    return field <= 1 ? QStringLiteral("%1").arg(v, 2, 10, QChar(u'0')) : QString::number(v);
}

QString WldHeaderEdit::setBlockNumber(const QString& text) {
    if (const auto v = limitedWholeNumber(text, 0, 0xFFFF))
        m_fields.BlockNumber = quint16(*v);
    return blockNumberText();
}

QString WldHeaderEdit::setVersion(const QString& text) {
    if (const auto v = limitedWholeNumber(text, 0, 0xFF))
        m_fields.BlockVersion = quint8(*v);
    return versionText();
}

QString WldHeaderEdit::setTimeField(int field, const QString& text) {
    const TimeRange range = kTimeRanges[field];
    if (const auto v = limitedWholeNumber(text, range.min, range.max))
        m_fields.BlockTime.at(size_t(field)) = quint8(field == 5 ? *v - kYearBase : *v);
    return timeText(field);
}

bool WldHeaderEdit::setText(WldTextField field, const QString& text, QString* why) {
    const auto stored = wldTextBytes(text, why);
    if (!stored)
        return false;
    textBytes(m_fields, field) = *stored;
    return true;
}
