#pragma once

#include "base/PlotData.h"
#include "params/Trend.h"

#include <QList>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>

class Interaction;
class QAbstractAxis;
class QAbstractSeries;
class QChart;
class QChartView;
class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineSeries;
class QPushButton;
class QValueAxis;
class Texts;

// The windows' chart of values over time, with one box per channel that switches the
// channel's curves on and off, and buttons that save the picture as PNG and the values as CSV.
//
// Live (the monitoring window): actual value (solid) and setpoint (dashed) of each channel over
// the last minutes from buffer(), the value axis in the channels' units. Pause freezes the
// picture while the polls go on (and are recorded); Resume shows the present again. It redraws
// at most a few times a second however fast the polls come, and draws each series thinned to
// what the plot's width can show.
//
// Record (a record read from the controller, e.g. the logger's samples): setPlot() draws what
// core code computed, whole; setMarker() marks a moment (the row selected in the table beside
// it) and setCsvSource() says what "Save as CSV" writes.
//
//   m_chart = new TrendChart(ws.texts, ws.interaction(), this, TrendChart::Kind::Record);
//   m_chart->setPlot(loggerPlot(recording, ws.texts)); // again after a read or a language switch
//
// A box the user cleared stays cleared when new data of the same channels comes.
class TrendChart : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Live, Record };

    TrendChart(const Texts& texts, Interaction& interaction, QWidget* parent = nullptr,
               Kind kind = Kind::Live);

    // Live.
    TrendBuffer& buffer() { return m_buffer; }
    // After new samples: the picture follows (unless paused).
    void samplesAdded();
    void clear();
    // Channel names for the boxes, legend and CSV header; units for the axis and the CSV.
    void setChannels(const QStringList& names, const QStringList& units);
    bool paused() const { return m_paused; }
    void setPaused(bool paused);
    int spanMinutes() const;

    // Record.
    void setPlot(const PlotData& data);
    // A vertical line at x (on the time axis); none when empty.
    void setMarker(std::optional<double> x);
    // The text "Save as CSV" writes (the record's table for a spreadsheet).
    void setCsvSource(std::function<QString()> csv) { m_csvSource = std::move(csv); }

    void retranslate();
    QChart* chart() const { return m_chart; }

    // Saves through the interaction's save dialog; false when cancelled or failed (told).
    bool savePng();
    bool saveCsv();
    // The same without a dialog.
    bool savePngTo(const QString& path);
    bool saveCsvTo(const QString& path);

private:
    // The axes and series a plot needs: the same shape is redrawn by replacing points.
    struct Shape {
        bool dateTime = false;
        QStringList categories;
        bool second = false;
        QList<std::tuple<int, bool, bool, std::optional<double>>> series;
        bool operator==(const Shape&) const = default;
    };
    struct Drawn {
        QLineSeries* line = nullptr;
        QLineSeries* lower = nullptr; // the band's lower edge
        QAbstractSeries* shown = nullptr;
        int group = 0;
        bool second = false;
    };

    void redraw();
    PlotData livePlot() const;
    void draw(const PlotData& data);
    void rebuild(const PlotData& data, const Shape& shape);
    void showBoxes(const QStringList& groups);
    bool groupShown(int group) const;
    void showMarker();
    bool save(const QString& path, const QByteArray& data);
    QString axisTitle() const;

    const Texts& m_texts;
    Interaction& m_interaction;
    const Kind m_kind;
    TrendBuffer m_buffer;
    QStringList m_names;
    QStringList m_units;
    bool m_paused = false;
    bool m_dirty = false;
    QTimer m_redraw;
    PlotData m_record;
    std::function<QString()> m_csvSource;
    std::optional<double> m_markerX;

    QChart* m_chart = nullptr;
    QChartView* m_view = nullptr;
    std::optional<Shape> m_shape;
    QAbstractAxis* m_time = nullptr;
    QAbstractAxis* m_value = nullptr;
    QValueAxis* m_second = nullptr;
    QList<Drawn> m_drawn;
    QLineSeries* m_marker = nullptr;
    double m_valueLow = 0;
    double m_valueHigh = 1;
    QHBoxLayout* m_boxRow = nullptr;
    QList<QCheckBox*> m_channels;   // chkTrend_0..
    QLabel* m_key = nullptr;        // lblTrendKey
    QComboBox* m_span = nullptr;    // cboTrendSpan
    QPushButton* m_pause = nullptr; // cmdTrendPause
    QPushButton* m_png = nullptr;   // cmdTrendPng
    QPushButton* m_csv = nullptr;   // cmdTrendCsv
};
