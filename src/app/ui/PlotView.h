#pragma once

#include "base/PlotData.h"

#include <QList>
#include <QWidget>

#include <optional>

class QAbstractSeries;
class QChart;
class QChartView;
class QCheckBox;
class QGridLayout;
class QLineSeries;

// A chart beside a table (Qt Charts): draws a PlotData that core code computed, with one check
// box per group (channel) that switches the group's curves on and off, and an optional marker
// line at a moment (the row selected in the table). Any window that plots records over time
// can use it:
//
//   m_plot = new PlotView(QStringLiteral("chtLogger"), this);
//   m_plot->setData(loggerPlot(recording, texts)); // again after a read or a language switch
//
// The chart view carries `chartName` as its objectName, the boxes chkPlot_0, chkPlot_1, ...
// A box the user cleared stays cleared when new data of the same groups comes.
class PlotView : public QWidget {
    Q_OBJECT
public:
    explicit PlotView(const QString& chartName, QWidget* parent = nullptr);

    void setData(const PlotData& data);
    // A vertical line at x (on the time axis); none when empty.
    void setMarker(std::optional<double> x);

    QChart* chart() const { return m_chart; }
    // The groups switched on.
    QList<bool> groupsShown() const;

private:
    void showGroups();
    void buildBoxes(const QStringList& groups);

    QChart* m_chart = nullptr;
    QChartView* m_view = nullptr;
    QGridLayout* m_boxes = nullptr;
    QList<QCheckBox*> m_groupBoxes;
    // Each drawn series with its group.
    QList<QPair<QAbstractSeries*, int>> m_series;
    QLineSeries* m_marker = nullptr;
    std::optional<double> m_markerX;
    double m_valueLow = 0;
    double m_valueHigh = 1;
};
