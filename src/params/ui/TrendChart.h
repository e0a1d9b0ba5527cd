#pragma once

#include "params/Trend.h"

#include <QList>
#include <QStringList>
#include <QTimer>
#include <QWidget>

class Interaction;
class QCheckBox;
class QChart;
class QChartView;
class QComboBox;
class QLineSeries;
class QPushButton;
class QValueAxis;
class Texts;

// The monitoring window's trend chart: actual value (solid) and setpoint (dashed) of each
// channel over the last minutes, channels switched on and off by their boxes, the value axis in
// the channels' units. Pause freezes the picture while the polls go on (and are recorded); Resume
// shows the present again. The picture saves as PNG and the values as CSV.
//
// It redraws at most a few times a second however fast the polls come, and draws each series
// thinned to what the plot's width can show.
class TrendChart : public QWidget {
    Q_OBJECT
public:
    TrendChart(const Texts& texts, Interaction& interaction, QWidget* parent = nullptr);

    TrendBuffer& buffer() { return m_buffer; }
    // After new samples: the picture follows (unless paused).
    void samplesAdded();
    void clear();

    // Channel names for the boxes, legend and CSV header; units for the axis and the CSV.
    void setChannels(const QStringList& names, const QStringList& units);
    void retranslate();

    bool paused() const { return m_paused; }
    void setPaused(bool paused);
    int spanMinutes() const;

    // Saves through the interaction's save dialog; false when cancelled or failed (told).
    bool savePng();
    bool saveCsv();
    // The same without a dialog.
    bool savePngTo(const QString& path);
    bool saveCsvTo(const QString& path);

private:
    void redraw();
    void showSeriesVisibility();
    bool save(const QString& path, const QByteArray& data);
    QString axisTitle() const;

    const Texts& m_texts;
    Interaction& m_interaction;
    TrendBuffer m_buffer;
    QStringList m_names;
    QStringList m_units;
    bool m_paused = false;
    bool m_dirty = false;
    QTimer m_redraw;

    QChart* m_chart = nullptr;
    QChartView* m_view = nullptr;
    QValueAxis* m_time = nullptr;
    QValueAxis* m_value = nullptr;
    QList<QLineSeries*> m_actual;   // channel 0..7
    QList<QLineSeries*> m_setpoint; // channel 0..7
    QList<QCheckBox*> m_channels;   // chkTrend_0..7
    QComboBox* m_span = nullptr;    // cboTrendSpan
    QPushButton* m_pause = nullptr; // cmdTrendPause
    QPushButton* m_png = nullptr;   // cmdTrendPng
    QPushButton* m_csv = nullptr;   // cmdTrendCsv
};
