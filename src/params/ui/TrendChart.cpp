#include "params/ui/TrendChart.h"

#include "base/Interaction.h"
#include "base/SafeWrite.h"
#include "i18n/StringTable.h"
#include "params/MonitorTexts.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>

namespace {
const int kSpans[] = {1, 2, 5, 10, 30, 60}; // minutes
constexpr int kDefaultSpan = 2;             // index: 5 minutes
constexpr int kRedrawMs = 250;

QColor channelColor(int channel) {
    static const QColor colors[] = {QColor(0x1f, 0x77, 0xb4), QColor(0xd6, 0x27, 0x28),
                                    QColor(0x2c, 0xa0, 0x2c), QColor(0xff, 0x7f, 0x0e),
                                    QColor(0x94, 0x67, 0xbd), QColor(0x8c, 0x56, 0x4b),
                                    QColor(0xe3, 0x77, 0xc2), QColor(0x17, 0xbe, 0xcf)};
    return colors[channel % 8];
}

QString withSuffix(const QString& path, const QString& suffix) {
    return QFileInfo(path).suffix().isEmpty() ? path + u'.' + suffix : path;
}
} // namespace

TrendChart::TrendChart(const Texts& texts, Interaction& interaction, QWidget* parent)
    : QWidget(parent), m_texts(texts), m_interaction(interaction) {
    setObjectName(QStringLiteral("fraTrend"));
    m_chart = new QChart;
    m_chart->legend()->hide();
    m_chart->setMargins(QMargins(4, 4, 4, 4));
    m_time = new QValueAxis(m_chart);
    m_value = new QValueAxis(m_chart);
    m_time->setLabelFormat(QStringLiteral("%.0f"));
    m_chart->addAxis(m_time, Qt::AlignBottom);
    m_chart->addAxis(m_value, Qt::AlignLeft);
    for (int k = 0; k < 8; ++k) {
        for (bool setpoint : {false, true}) {
            auto* series = new QLineSeries(m_chart);
            QPen pen(channelColor(k));
            pen.setWidthF(setpoint ? 1.2 : 1.8);
            if (setpoint)
                pen.setStyle(Qt::DashLine);
            series->setPen(pen);
            m_chart->addSeries(series);
            series->attachAxis(m_time);
            series->attachAxis(m_value);
            (setpoint ? m_setpoint : m_actual).append(series);
        }
    }
    m_view = new QChartView(m_chart, this);
    m_view->setObjectName(QStringLiteral("chtTrend"));
    m_view->setRenderHint(QPainter::Antialiasing);
    m_view->setMinimumHeight(180);

    // The channels on one line, the chart's own controls on the next.
    auto* channels = new QHBoxLayout;
    auto* controls = new QHBoxLayout;
    for (int k = 0; k < 8; ++k) {
        auto* box = new QCheckBox(this);
        box->setObjectName(QStringLiteral("chkTrend_%1").arg(k));
        box->setChecked(true);
        QPalette p = box->palette();
        p.setColor(QPalette::WindowText, channelColor(k));
        box->setPalette(p);
        connect(box, &QCheckBox::toggled, this, [this] {
            showSeriesVisibility();
            redraw();
        });
        channels->addWidget(box);
        m_channels.append(box);
    }
    channels->addStretch(1);
    auto* key = new QLabel(this);
    key->setObjectName(QStringLiteral("lblTrendKey"));
    controls->addWidget(key);
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

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view, 1);
    layout->addLayout(channels);
    layout->addLayout(controls);

    m_redraw.setSingleShot(true);
    m_redraw.setInterval(kRedrawMs);
    connect(&m_redraw, &QTimer::timeout, this, &TrendChart::redraw);
    setChannels(QStringList(), QStringList());
    retranslate();
    m_span->setCurrentIndex(kDefaultSpan);
}

void TrendChart::setChannels(const QStringList& names, const QStringList& units) {
    m_names = names;
    m_units = units;
    for (int k = 0; k < 8; ++k)
        m_channels[k]->setText(m_names.value(k, QString::number(k + 1)));
    m_value->setTitleText(axisTitle());
}

QString TrendChart::axisTitle() const {
    QStringList units;
    for (int k = 0; k < 8; ++k) {
        const QString unit = m_units.value(k);
        if (m_channels[k]->isChecked() && !unit.isEmpty() && !units.contains(unit))
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
    findChild<QLabel*>(QStringLiteral("lblTrendKey"))
        ->setText(QStringLiteral("—— %1    - - %2")
                      .arg(m_texts.LoadText(250).simplified(), m_texts.LoadText(255).simplified()));
    m_time->setTitleText(monitorText(m_texts, MonitorText::Time));
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

void TrendChart::showSeriesVisibility() {
    for (int k = 0; k < 8; ++k) {
        m_actual[k]->setVisible(m_channels[k]->isChecked());
        m_setpoint[k]->setVisible(m_channels[k]->isChecked());
    }
    m_value->setTitleText(axisTitle());
}

void TrendChart::redraw() {
    m_dirty = false;
    const double span = spanMinutes() * 60.0;
    const double last = m_buffer.lastSeconds();
    const double from = std::max(0.0, last - span);
    // About one point per pixel of the plot is all that can be seen.
    const int maxPoints = std::max(100, int(m_chart->plotArea().width()));
    double low = std::numeric_limits<double>::max();
    double high = std::numeric_limits<double>::lowest();
    for (int k = 0; k < 8; ++k) {
        for (bool setpoint : {false, true}) {
            const QList<QPointF> points = m_buffer.points(k, setpoint, from, maxPoints);
            (setpoint ? m_setpoint : m_actual)[k]->replace(points);
            if (!m_channels[k]->isChecked())
                continue;
            for (const QPointF& p : points) {
                low = std::min(low, p.y());
                high = std::max(high, p.y());
            }
        }
    }
    m_time->setRange(from, std::max(from + span, last));
    if (low > high) {
        low = 0;
        high = 100;
    }
    const double margin = std::max(1.0, (high - low) * 0.05);
    m_value->setRange(low - margin, high + margin);
    m_value->applyNiceNumbers();
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
