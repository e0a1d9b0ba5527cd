#pragma once

#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>

#include <array>
#include <cmath>

struct MonitorSnapshot;
struct ChannelFormats;
class DeviceImage;

// The recent course of every channel's actual value and setpoint while monitoring runs, for
// the trend chart: values in the channel's unit (its decimals applied), time in seconds since
// monitoring started. Samples older than the kept span are dropped, so memory stays bounded
// however long monitoring runs.
class TrendBuffer {
public:
    static constexpr double DefaultKeepSeconds = 60 * 60;

    struct Sample {
        double seconds = 0;
        std::array<double, 8> actual{};   // NaN: not measured in this poll
        std::array<double, 8> setpoint{}; // NaN: unknown
    };

    explicit TrendBuffer(double keepSeconds = DefaultKeepSeconds) : m_keep(keepSeconds) {}

    // A poll's values: the actual values when the cyclic block arrived, the setpoints from the
    // image (row 0) as they stand after the poll. Polls without actual values are skipped.
    void add(const MonitorSnapshot& s, const DeviceImage& image, const ChannelFormats& formats);
    void add(const Sample& sample);
    void clear() { m_samples.clear(); }

    const QList<Sample>& samples() const { return m_samples; }
    double lastSeconds() const { return m_samples.isEmpty() ? 0 : m_samples.last().seconds; }

    // The points of one channel (0..7) from `fromSeconds` on, at most `maxPoints` of them: a
    // longer run is thinned evenly, the newest point always kept.
    QList<QPointF> points(int channel, bool setpoint, double fromSeconds, int maxPoints) const;

    // Comma-separated text for a spreadsheet: a header line (`timeName`, then per channel the
    // actual value and the setpoint named by `columnNames`, 16 names), then one line per
    // sample; an unknown value is an empty cell. Lines end with CR LF.
    QString csv(const QString& timeName, const QStringList& columnNames) const;

private:
    double m_keep;
    QList<Sample> m_samples;
};
