#include "params/Trend.h"

#include "base/NumberText.h"
#include "device/DeviceImage.h"
#include "params/ChannelFormats.h"
#include "params/Monitoring.h"

#include <algorithm>

namespace {
// Measured values count as negative only above 32768 (as they are displayed).
double measured(int word, int decimals) {
    word &= 0xFFFF;
    return double(word > 32768 ? word - 65536 : word) / std::pow(10.0, decimals);
}

QString csvCell(const QString& text) {
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n'))
        return text;
    return u'"' + QString(text).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

QString csvNumber(double v) {
    return std::isnan(v) ? QString() : QString::number(v, 'g', 12);
}
} // namespace

void TrendBuffer::add(const MonitorSnapshot& s, const DeviceImage& image,
                      const ChannelFormats& formats) {
    if (!s.cyclic)
        return;
    Sample sample;
    sample.seconds = s.elapsedSeconds;
    for (int i = 0; i < 8; ++i) {
        const int d = formats.decimalsOf(i + 1);
        sample.actual[size_t(i)] = measured(s.cyclic->actual[size_t(i)], d);
        sample.setpoint[size_t(i)] =
            double(signedWordValue(image.value(MonitorRows::Setpoints, i + 1))) / std::pow(10.0, d);
    }
    add(sample);
}

void TrendBuffer::add(const Sample& sample) {
    m_samples.append(sample);
    const double oldest = sample.seconds - m_keep;
    qsizetype drop = 0;
    while (drop < m_samples.size() && m_samples[drop].seconds < oldest)
        ++drop;
    if (drop > 0)
        m_samples.remove(0, drop);
}

QList<QPointF> TrendBuffer::points(int channel, bool setpoint, double fromSeconds,
                                   int maxPoints) const {
    const auto first = std::lower_bound(m_samples.cbegin(), m_samples.cend(), fromSeconds,
                                        [](const Sample& s, double t) { return s.seconds < t; });
    const qsizetype start = first - m_samples.cbegin();
    const qsizetype count = m_samples.size() - start;
    QList<QPointF> list;
    if (count <= 0 || maxPoints <= 0)
        return list;
    const double step = std::max(1.0, double(count) / maxPoints);
    list.reserve(std::min<qsizetype>(count, maxPoints + 1));
    for (double i = 0; qsizetype(i) < count; i += step) {
        const Sample& s = m_samples[start + qsizetype(i)];
        const double v = setpoint ? s.setpoint[size_t(channel)] : s.actual[size_t(channel)];
        if (!std::isnan(v))
            list.append({s.seconds, v});
    }
    const Sample& newest = m_samples.last();
    const double v = setpoint ? newest.setpoint[size_t(channel)] : newest.actual[size_t(channel)];
    if (!std::isnan(v) && (list.isEmpty() || list.last().x() != newest.seconds))
        list.append({newest.seconds, v});
    return list;
}

QString TrendBuffer::csv(const QString& timeName, const QStringList& columnNames) const {
    QStringList header{csvCell(timeName)};
    for (int i = 0; i < 16; ++i)
        header << csvCell(columnNames.value(i));
    QString text = header.join(u',') + QStringLiteral("\r\n");
    for (const Sample& s : m_samples) {
        QStringList line{QString::number(s.seconds, 'f', 2)};
        for (size_t i = 0; i < 8; ++i)
            line << csvNumber(s.actual[i]) << csvNumber(s.setpoint[i]);
        text += line.join(u',') + QStringLiteral("\r\n");
    }
    return text;
}
