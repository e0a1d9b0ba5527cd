#include "app/ui/PlotView.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QPixmap>
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
QColor groupColor(int group) {
    static const QColor colors[] = {QColor(0x1f, 0x77, 0xb4), QColor(0xd6, 0x27, 0x28),
                                    QColor(0x2c, 0xa0, 0x2c), QColor(0xff, 0x7f, 0x0e),
                                    QColor(0x94, 0x67, 0xbd), QColor(0x8c, 0x56, 0x4b),
                                    QColor(0xe3, 0x77, 0xc2), QColor(0x17, 0xbe, 0xcf),
                                    QColor(0x7f, 0x7f, 0x7f), QColor(0xbc, 0xbd, 0x22)};
    return colors[group % std::size(colors)];
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
    Range padded(double least) const {
        Range r = *this;
        if (r.empty())
            return {0, 1};
        const double margin = std::max((high - low) * 0.05, least);
        r.low -= margin;
        r.high += margin;
        return r;
    }
};

constexpr int BoxesPerRow = 5;
constexpr qint64 Day = 24 * 3600 * 1000;
} // namespace

PlotView::PlotView(const QString& chartName, QWidget* parent) : QWidget(parent) {
    m_chart = new QChart;
    m_chart->legend()->hide();
    m_chart->setMargins(QMargins(2, 2, 2, 2));
    m_view = new QChartView(m_chart, this);
    m_view->setObjectName(chartName);
    m_view->setRenderHint(QPainter::Antialiasing);
    m_view->setMinimumSize(300, 220);
    m_boxes = new QGridLayout;
    m_boxes->setContentsMargins(0, 0, 0, 0);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view, 1);
    layout->addLayout(m_boxes);
}

QList<bool> PlotView::groupsShown() const {
    QList<bool> shown;
    for (const QCheckBox* box : m_groupBoxes)
        shown << box->isChecked();
    return shown;
}

void PlotView::buildBoxes(const QStringList& groups) {
    const bool same = groups.size() == m_groupBoxes.size();
    if (!same) {
        qDeleteAll(m_groupBoxes);
        m_groupBoxes.clear();
    }
    for (int g = 0; g < groups.size(); ++g) {
        if (!same) {
            auto* box = new QCheckBox(this);
            box->setObjectName(QStringLiteral("chkPlot_%1").arg(g));
            box->setChecked(true);
            QPixmap swatch(12, 12);
            swatch.fill(groupColor(g));
            box->setIcon(QIcon(swatch));
            connect(box, &QCheckBox::toggled, this, &PlotView::showGroups);
            m_boxes->addWidget(box, g / BoxesPerRow, g % BoxesPerRow);
            m_groupBoxes << box;
        }
        m_groupBoxes[g]->setText(groups[g]);
    }
}

void PlotView::setData(const PlotData& data) {
    m_chart->removeAllSeries();
    for (QAbstractAxis* axis : m_chart->axes()) {
        m_chart->removeAxis(axis);
        delete axis;
    }
    m_series.clear();
    m_marker = nullptr;
    buildBoxes(data.groups);

    // Time axis.
    Range time;
    for (const PlotSeries& s : data.series)
        for (const QPointF& p : s.points)
            time.add(p.x());
    QAbstractAxis* timeAxis = nullptr;
    if (data.dateTimeAxis) {
        auto* axis = new QDateTimeAxis;
        const Range r = time.padded(30'000);
        axis->setRange(QDateTime::fromMSecsSinceEpoch(qint64(r.low)),
                       QDateTime::fromMSecsSinceEpoch(qint64(r.high)));
        axis->setFormat(r.high - r.low < Day ? QStringLiteral("HH:mm:ss")
                                             : QStringLiteral("dd.MM.yy HH:mm"));
        axis->setTickCount(5);
        timeAxis = axis;
    } else {
        auto* axis = new QValueAxis;
        const Range r = time.padded(0.5);
        axis->setRange(std::max(r.low, 0.0), r.high);
        axis->applyNiceNumbers();
        timeAxis = axis;
    }
    timeAxis->setTitleText(data.timeTitle);
    m_chart->addAxis(timeAxis, Qt::AlignBottom);

    // Value axes: a timeline's bands, or numbers on the left and right.
    QAbstractAxis* left = nullptr;
    QAbstractAxis* right = nullptr;
    if (!data.categories.isEmpty()) {
        auto* bands = new QCategoryAxis;
        for (int i = 0; i < data.categories.size(); ++i)
            bands->append(data.categories[i], i + 1);
        bands->setRange(0, double(data.categories.size()));
        bands->setReverse(true);
        left = bands;
        m_valueLow = 0;
        m_valueHigh = double(data.categories.size());
    } else {
        Range values;
        Range second;
        for (const PlotSeries& s : data.series)
            for (const QPointF& p : s.points)
                (s.secondAxis ? second : values).add(p.y());
        auto* axis = new QValueAxis;
        const Range r = values.padded(1);
        axis->setRange(r.low, r.high);
        axis->applyNiceNumbers();
        left = axis;
        m_valueLow = axis->min();
        m_valueHigh = axis->max();
        if (!data.secondTitle.isEmpty()) {
            auto* axis2 = new QValueAxis;
            const Range r2 = second.padded(1);
            axis2->setRange(r2.low, r2.high);
            axis2->applyNiceNumbers();
            axis2->setTitleText(data.secondTitle);
            right = axis2;
        }
    }
    left->setTitleText(data.valueTitle);
    m_chart->addAxis(left, Qt::AlignLeft);
    if (right)
        m_chart->addAxis(right, Qt::AlignRight);

    for (const PlotSeries& s : data.series) {
        const QColor color = groupColor(s.group);
        QAbstractSeries* drawn = nullptr;
        auto* line = new QLineSeries;
        line->replace(s.points);
        if (s.fillTo) {
            auto* lower = new QLineSeries;
            QList<QPointF> base;
            base.reserve(s.points.size());
            for (const QPointF& p : s.points)
                base.append({p.x(), *s.fillTo});
            lower->replace(base);
            auto* area = new QAreaSeries(line, lower);
            line->setParent(area);
            lower->setParent(area);
            area->setColor(color);
            area->setBorderColor(color);
            drawn = area;
        } else {
            QPen pen(color);
            pen.setWidthF(s.dashed ? 1.2 : 1.8);
            if (s.dashed)
                pen.setStyle(Qt::DashLine);
            line->setPen(pen);
            drawn = line;
        }
        m_chart->addSeries(drawn);
        drawn->attachAxis(timeAxis);
        drawn->attachAxis(s.secondAxis && right ? right : left);
        m_series.append({drawn, s.group});
    }

    m_marker = new QLineSeries;
    QPen pen(Qt::black);
    pen.setStyle(Qt::DotLine);
    m_marker->setPen(pen);
    m_chart->addSeries(m_marker);
    m_marker->attachAxis(timeAxis);
    m_marker->attachAxis(left);
    setMarker(m_markerX);
    showGroups();
}

void PlotView::setMarker(std::optional<double> x) {
    m_markerX = x;
    if (!m_marker)
        return;
    if (x)
        m_marker->replace({QPointF(*x, m_valueLow), QPointF(*x, m_valueHigh)});
    else
        m_marker->clear();
}

void PlotView::showGroups() {
    for (const auto& [series, group] : std::as_const(m_series))
        series->setVisible(group < m_groupBoxes.size() && m_groupBoxes[group]->isChecked());
}
