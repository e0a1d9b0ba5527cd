#pragma once

#include <QDateTime>
#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

// What a chart shows, computed by core code and drawn by the windows' chart (TrendChart):
// curves over a time axis, grouped by channel so that the user switches a channel's curves on
// and off together.
struct PlotSeries {
    int group = 0;           // index into PlotData::groups
    QList<QPointF> points;   // x on the time axis, y on the value axis of the series
    bool secondAxis = false; // on the right-hand value axis
    bool dashed = false;
    // Filled down to this value: a band over a timeline.
    std::optional<double> fillTo;
};

struct PlotData {
    // x is a moment (milliseconds as plotTime() gives them) or a plain number in the unit of
    // `timeTitle`.
    bool dateTimeAxis = true;
    // The part of a number time axis shown (a live view's window, whole numbers on the axis);
    // empty: all points.
    std::optional<std::pair<double, double>> timeRange;
    QString timeTitle;
    QString valueTitle;
    QString secondTitle; // empty: no right-hand axis
    // What the solid and the dashed curves are, under the chart; empty: nothing.
    QString key;
    // One switch per group (channel), in this order; also the colour of its curves.
    QStringList groups;
    // A timeline: the value axis is labelled bands, category i from i to i + 1, the first at
    // the top. Empty: a plain number axis.
    QStringList categories;
    QList<PlotSeries> series;
};

// Where a moment of the controller's clock lies on a date-time axis. The axis labels show the
// local time of the PC, so the controller's wall-clock reading is taken as local time: the
// labels read as the controller's clock did, whatever the PC's time zone.
inline double plotTime(const QDateTime& wallClock) {
    return double(QDateTime(wallClock.date(), wallClock.time()).toMSecsSinceEpoch());
}
