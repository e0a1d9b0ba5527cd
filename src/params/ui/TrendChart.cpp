#include "params/ui/TrendChart.h"

#include "base/Interaction.h"
#include "base/SafeWrite.h"
#include "i18n/StringTable.h"
#include "params/MonitorTexts.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtCharts/QAreaSeries>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
const int kSpans[] = {1, 2, 5, 10, 30, 60}; // minutes
constexpr int kDefaultSpan = 2;             // index: 5 minutes
constexpr int kRedrawMs = 250;
constexpr qint64 kDayMs = 24 * 3600 * 1000;
constexpr int MinimumHeight = 180;

QColor channelColor(int channel) {
    static const QColor colors[] = {QColor(0x1f, 0x77, 0xb4), QColor(0xd6, 0x27, 0x28),
                                    QColor(0x2c, 0xa0, 0x2c), QColor(0xff, 0x7f, 0x0e),
                                    QColor(0x94, 0x67, 0xbd), QColor(0x8c, 0x56, 0x4b),
                                    QColor(0xe3, 0x77, 0xc2), QColor(0x17, 0xbe, 0xcf),
                                    QColor(0x7f, 0x7f, 0x7f), QColor(0xbc, 0xbd, 0x22)};
    return colors[size_t(channel) % std::size(colors)];
}

QString withSuffix(const QString& path, const QString& suffix) {
    return QFileInfo(path).suffix().isEmpty() ? path + u'.' + suffix : path;
}

struct Range {
    double low = std::numeric_limits<double>::max();
    double high = std::numeric_limits<double>::lowest();
    void add(double v) {
        low = std::min(low, v);
        high = std::max(high, v);
    }
    bool empty() const { return low > high; }
    // Never a range of width 0: the axis could not place it.
    Range padded(double least, Range otherwise) const {
        if (empty())
            return otherwise;
        const double margin = std::max((high - low) * 0.05, least);
        return {low - margin, high + margin};
    }
};
} // namespace

TrendChart::TrendChart(const Texts& texts, Interaction& interaction, QWidget* parent, Kind kind)
    : QWidget(parent), m_texts(texts), m_interaction(interaction), m_kind(kind) {
    setObjectName(QStringLiteral("fraTrend"));
    m_chart = new QChart;
    m_chart->legend()->hide();
    m_chart->setMargins(QMargins(4, 4, 4, 4));
    m_view = new QChartView(m_chart, this);
    m_view->setObjectName(QStringLiteral("chtTrend"));
    m_view->setRenderHint(QPainter::Antialiasing);
    m_view->setMinimumHeight(MinimumHeight);

    // The channels on one line, the chart's own controls on the next.
    m_boxRow = new QHBoxLayout;
    m_boxRow->addStretch(1);
    auto* controls = new QHBoxLayout;
    m_key = new QLabel(this);
    m_key->setObjectName(QStringLiteral("lblTrendKey"));
    controls->addWidget(m_key);
    controls->addStretch(1);
    m_span = new QComboBox(this);
    m_span->setObjectName(QStringLiteral("cboTrendSpan"));
    connect(m_span, &QComboBox::currentIndexChanged, this, &TrendChart::redraw);
    controls->addWidget(m_span);
    const auto button = [this, controls](const QString& name) {
        auto* b = new QPushButton(this);
        b->setObjectName(name);
        controls->addWidget(b);
        return b;
    };
    m_pause = button(QStringLiteral("cmdTrendPause"));
    m_pause->setCheckable(true);
    connect(m_pause, &QPushButton::toggled, this, &TrendChart::setPaused);
    m_png = button(QStringLiteral("cmdTrendPng"));
    connect(m_png, &QPushButton::clicked, this, &TrendChart::savePng);
    m_csv = button(QStringLiteral("cmdTrendCsv"));
    connect(m_csv, &QPushButton::clicked, this, &TrendChart::saveCsv);
    // A record is drawn whole: no span to choose, nothing to pause.
    m_span->setVisible(m_kind == Kind::Live);
    m_pause->setVisible(m_kind == Kind::Live);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view, 1);
    layout->addLayout(m_boxRow);
    layout->addLayout(controls);

    m_redraw.setSingleShot(true);
    m_redraw.setInterval(kRedrawMs);
    connect(&m_redraw, &QTimer::timeout, this, &TrendChart::redraw);
    retranslate();
    if (m_kind == Kind::Live) {
        setChannels(QStringList(), QStringList());
        m_span->setCurrentIndex(kDefaultSpan);
    } else {
        draw(m_record);
    }
}

void TrendChart::setChannels(const QStringList& names, const QStringList& units) {
    m_names = names;
    m_units = units;
    redraw();
}

QString TrendChart::axisTitle() const {
    QStringList units;
    for (int k = 0; k < 8; ++k) {
        const QString unit = m_units.value(k);
        if (groupShown(k) && !unit.isEmpty() && !units.contains(unit))
            units.append(unit);
    }
    return units.join(QStringLiteral(" / "));
}

void TrendChart::retranslate() {
    const int span = m_span->currentIndex();
    {
        const QSignalBlocker block(m_span);
        m_span->clear();
        for (int minutes : kSpans)
            m_span->addItem(monitorText(m_texts, MonitorText::Minutes).arg(minutes));
        m_span->setCurrentIndex(span < 0 ? kDefaultSpan : span);
    }
    // The buttons keep the width of their longest text in any language: nothing moves when
    // the language changes.
    const auto widest = [this](QPushButton* button, std::initializer_list<MonitorText> texts) {
        int width = 0;
        Texts other(m_texts.table());
        for (int language = 0; language < StringTable::LanguageCount; ++language) {
            other.setLanguageOffset(language * 1000);
            for (MonitorText t : texts) {
                button->setText(monitorText(other, t));
                width = std::max(width, button->sizeHint().width());
            }
        }
        button->setMinimumWidth(width);
    };
    widest(m_pause, {MonitorText::Pause, MonitorText::Resume});
    widest(m_png, {MonitorText::SavePng});
    widest(m_csv, {MonitorText::SaveCsv});
    m_pause->setText(monitorText(m_texts, m_paused ? MonitorText::Resume : MonitorText::Pause));
    m_png->setText(monitorText(m_texts, MonitorText::SavePng));
    m_csv->setText(monitorText(m_texts, MonitorText::SaveCsv));
    if (m_kind == Kind::Live)
        redraw();
}

int TrendChart::spanMinutes() const {
    return kSpans[std::max(0, m_span->currentIndex())];
}

void TrendChart::setPaused(bool paused) {
    m_paused = paused;
    if (m_pause->isChecked() != paused)
        m_pause->setChecked(paused);
    m_pause->setText(monitorText(m_texts, paused ? MonitorText::Resume : MonitorText::Pause));
    if (!paused)
        redraw();
}

void TrendChart::samplesAdded() {
    m_dirty = true;
    if (!m_paused && !m_redraw.isActive())
        m_redraw.start();
}

void TrendChart::clear() {
    m_buffer.clear();
    redraw();
}

void TrendChart::setPlot(const PlotData& data) {
    m_record = data;
    draw(m_record);
}

void TrendChart::setMarker(std::optional<double> x) {
    m_markerX = x;
    showMarker();
}

bool TrendChart::groupShown(int group) const {
    return group >= m_channels.size() || m_channels[group]->isChecked();
}

void TrendChart::redraw() {
    m_dirty = false;
    if (m_kind == Kind::Live)
        m_record = livePlot();
    draw(m_record);
}

// The last minutes of the buffer: per channel the actual value solid, the setpoint dashed.
// While paused the curves stay as they were; names, units and texts follow.
PlotData TrendChart::livePlot() const {
    PlotData plot;
    plot.dateTimeAxis = false;
    const double span = spanMinutes() * 60.0;
    const double last = m_buffer.lastSeconds();
    const double from = std::max(0.0, last - span);
    plot.timeRange = std::pair(from, std::max(from + span, last));
    plot.timeTitle = monitorText(m_texts, MonitorText::Time);
    plot.valueTitle = axisTitle();
    plot.key = QStringLiteral("—— %1    - - %2")
                   .arg(m_texts.LoadText(250).simplified(), m_texts.LoadText(255).simplified());
    for (int k = 0; k < 8; ++k)
        plot.groups << m_names.value(k, QString::number(k + 1));
    if (m_paused && !m_record.series.isEmpty()) {
        plot.timeRange = m_record.timeRange;
        plot.series = m_record.series;
        return plot;
    }
    // About one point per pixel of the plot is all that can be seen.
    const int maxPoints = std::max(100, int(m_chart->plotArea().width()));
    for (int k = 0; k < 8; ++k) {
        for (bool setpoint : {false, true})
            plot.series.append(
                {k, m_buffer.points(k, setpoint, from, maxPoints), false, setpoint, {}});
    }
    return plot;
}

void TrendChart::draw(const PlotData& data) {
    Shape shape{data.dateTimeAxis, data.categories, !data.secondTitle.isEmpty(), {}};
    for (const PlotSeries& s : data.series)
        shape.series.append({s.group, s.dashed, s.secondAxis, s.fillTo});
    if (shape != m_shape)
        rebuild(data, shape);
    showBoxes(data.groups);
    m_key->setText(data.key);
    m_key->setVisible(!data.key.isEmpty());

    Range time;
    Range values;
    Range second;
    for (int i = 0; i < m_drawn.size(); ++i) {
        const PlotSeries& s = data.series[i];
        const Drawn& d = m_drawn[i];
        d.line->replace(s.points);
        if (d.lower) {
            QList<QPointF> base;
            base.reserve(s.points.size());
            for (const QPointF& p : s.points)
                base.append({p.x(), *s.fillTo});
            d.lower->replace(base);
        }
        const bool shown = groupShown(d.group);
        d.shown->setVisible(shown);
        for (const QPointF& p : s.points) {
            time.add(p.x());
            if (shown)
                (d.second ? second : values).add(p.y());
        }
    }

    if (data.timeRange && !data.dateTimeAxis) {
        static_cast<QValueAxis*>(m_time)->setRange(data.timeRange->first, data.timeRange->second);
    } else if (auto* moments = qobject_cast<QDateTimeAxis*>(m_time)) {
        const Range r = time.padded(1000, {0, 60'000});
        moments->setRange(QDateTime::fromMSecsSinceEpoch(qint64(r.low)),
                          QDateTime::fromMSecsSinceEpoch(qint64(r.high)));
        moments->setFormat(r.high - r.low < kDayMs ? QStringLiteral("HH:mm:ss")
                                                   : QStringLiteral("dd.MM.yy HH:mm"));
    } else {
        auto* numbers = static_cast<QValueAxis*>(m_time);
        const Range r = time.padded(0.5, {0, 1});
        numbers->setRange(std::max(r.low, 0.0), r.high);
        numbers->applyNiceNumbers();
    }
    m_time->setTitleText(data.timeTitle);
    // A timeline's bands keep their places (a category axis is a value axis too).
    if (data.categories.isEmpty()) {
        auto* numbers = static_cast<QValueAxis*>(m_value);
        const Range r = values.padded(1, {0, 100});
        numbers->setRange(r.low, r.high);
        numbers->applyNiceNumbers();
        m_valueLow = numbers->min();
        m_valueHigh = numbers->max();
    }
    m_value->setTitleText(data.valueTitle);
    if (m_second) {
        const Range r = second.padded(1, {0, 100});
        m_second->setRange(r.low, r.high);
        m_second->applyNiceNumbers();
        m_second->setTitleText(data.secondTitle);
    }
    showMarker();
}

void TrendChart::rebuild(const PlotData& data, const Shape& shape) {
    m_chart->removeAllSeries();
    for (QAbstractAxis* axis : m_chart->axes()) {
        m_chart->removeAxis(axis);
        delete axis;
    }
    m_drawn.clear();
    m_second = nullptr;
    m_shape = shape;

    if (shape.dateTime) {
        auto* moments = new QDateTimeAxis;
        moments->setTickCount(5);
        m_time = moments;
    } else {
        auto* numbers = new QValueAxis;
        if (data.timeRange)
            numbers->setLabelFormat(QStringLiteral("%.0f"));
        m_time = numbers;
    }
    m_chart->addAxis(m_time, Qt::AlignBottom);
    if (!shape.categories.isEmpty()) {
        auto* bands = new QCategoryAxis;
        for (int i = 0; i < shape.categories.size(); ++i)
            bands->append(shape.categories[i], i + 1);
        bands->setRange(0, double(shape.categories.size()));
        bands->setReverse(true);
        m_value = bands;
        m_valueLow = 0;
        m_valueHigh = double(shape.categories.size());
    } else {
        m_value = new QValueAxis;
    }
    m_chart->addAxis(m_value, Qt::AlignLeft);
    // A band lower than its name would show "..." instead of the name.
    m_view->setMinimumHeight(std::max(MinimumHeight, 26 * int(shape.categories.size()) + 80));
    if (shape.second) {
        m_second = new QValueAxis;
        m_chart->addAxis(m_second, Qt::AlignRight);
    }

    for (const PlotSeries& s : data.series) {
        const QColor color = channelColor(s.group);
        Drawn d;
        d.group = s.group;
        d.second = s.secondAxis && m_second;
        d.line = new QLineSeries;
        if (s.fillTo) {
            d.lower = new QLineSeries;
            auto* area = new QAreaSeries(d.line, d.lower);
            d.line->setParent(area);
            d.lower->setParent(area);
            area->setColor(color);
            area->setBorderColor(color);
            d.shown = area;
        } else {
            QPen pen(color);
            pen.setWidthF(s.dashed ? 1.2 : 1.8);
            if (s.dashed)
                pen.setStyle(Qt::DashLine);
            d.line->setPen(pen);
            d.shown = d.line;
        }
        m_chart->addSeries(d.shown);
        d.shown->attachAxis(m_time);
        d.shown->attachAxis(d.second ? static_cast<QAbstractAxis*>(m_second) : m_value);
        m_drawn.append(d);
    }

    m_marker = new QLineSeries;
    QPen pen(Qt::black);
    pen.setStyle(Qt::DotLine);
    m_marker->setPen(pen);
    m_chart->addSeries(m_marker);
    m_marker->attachAxis(m_time);
    m_marker->attachAxis(m_value);
}

void TrendChart::showBoxes(const QStringList& groups) {
    while (m_channels.size() < groups.size()) {
        const int k = int(m_channels.size());
        auto* box = new QCheckBox(this);
        box->setObjectName(QStringLiteral("chkTrend_%1").arg(k));
        box->setChecked(true);
        QPalette p = box->palette();
        p.setColor(QPalette::WindowText, channelColor(k));
        box->setPalette(p);
        connect(box, &QCheckBox::toggled, this, &TrendChart::redraw);
        m_boxRow->insertWidget(k, box);
        m_channels.append(box);
    }
    for (int k = 0; k < m_channels.size(); ++k) {
        m_channels[k]->setVisible(k < groups.size());
        m_channels[k]->setText(groups.value(k));
    }
}

void TrendChart::showMarker() {
    if (!m_marker)
        return;
    if (m_markerX)
        m_marker->replace({QPointF(*m_markerX, m_valueLow), QPointF(*m_markerX, m_valueHigh)});
    else
        m_marker->clear();
}

bool TrendChart::save(const QString& path, const QByteArray& data) {
    const SafeWriteResult result = writeFileSafely(path, data);
    if (!result.ok)
        m_interaction.inform(
            QStringLiteral("Error"),
            monitorText(m_texts, MonitorText::FileCannotBeSaved).arg(path, result.reason),
            Interaction::Icon::Critical);
    return result.ok;
}

bool TrendChart::savePng() {
    const QString path = m_interaction.saveFileName(monitorText(m_texts, MonitorText::SavePng),
                                                    QStringLiteral("PNG (*.png)"));
    return !path.isEmpty() && savePngTo(withSuffix(path, QStringLiteral("png")));
}

bool TrendChart::saveCsv() {
    const QString path = m_interaction.saveFileName(monitorText(m_texts, MonitorText::SaveCsv),
                                                    QStringLiteral("CSV (*.csv)"));
    return !path.isEmpty() && saveCsvTo(withSuffix(path, QStringLiteral("csv")));
}

bool TrendChart::savePngTo(const QString& path) {
    if (m_dirty && !m_paused)
        redraw();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    m_view->grab().save(&buffer, "PNG");
    return save(path, bytes);
}

bool TrendChart::saveCsvTo(const QString& path) {
    if (m_csvSource)
        return save(path, m_csvSource().toUtf8());
    QStringList columns;
    const QString actual = m_texts.LoadText(250).simplified();
    const QString setpoint = m_texts.LoadText(255).simplified();
    for (int k = 0; k < 8; ++k) {
        const QString name = m_names.value(k, QString::number(k + 1));
        const QString unit = m_units.value(k);
        const QString in = unit.isEmpty() ? QString() : QStringLiteral(" [%1]").arg(unit);
        columns << QStringLiteral("%1 %2%3").arg(name, actual, in)
                << QStringLiteral("%1 %2%3").arg(name, setpoint, in);
    }
    return save(path, m_buffer.csv(monitorText(m_texts, MonitorText::Time), columns).toUtf8());
}
