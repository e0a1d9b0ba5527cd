#include "services/ui/frmLogger.h"

#include "app/Workspace.h"
#include "app/ui/FormBinder.h"
#include "base/Interaction.h"
#include "params/ui/TrendChart.h"
#include "services/DataLogger.h"
#include "services/RecordTexts.h"
#include "services/TextTables.h"
#include "services/ui/RecordGrid.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr int StoreText = 480;    // "Store all logger data in table"
constexpr int NoLoggerText = 482; // "No logger"
const QString Failed = QStringLiteral("8-(");
// The store button of a firmware without a logger.
const QColor NoLoggerGrey(0xC0, 0xC0, 0xC0);

// The caption counts down: the count before the first sample, count - s once sample s (from 0)
// has come, so "1 / n" after the last.
int remaining(int done, int total) {
    return total - std::max(done - 1, 0);
}
} // namespace

frmLogger::frmLogger(Workspace& ws) : SecondaryWindow(ws, QStringLiteral("frmLogger")) {
    m_transfer = new LoggerTransfer(ws, ws.services(), this);
    watch(*m_transfer);

    m_grid = recordGrid(QStringLiteral("grdLogger"), &m_table, this);
    m_grid->horizontalHeader()->setDefaultSectionSize(
        m_grid->fontMetrics().horizontalAdvance(QStringLiteral("-888.8")) + 14);
    m_grid->horizontalHeader()->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);

    m_chart = new TrendChart(ws.texts, ws.interaction(), this, TrendChart::Kind::Record);
    m_chart->setCsvSource(
        [this] { return loggerCsv(recording(), workspace().identification.DeviceType); });

    QSplitter* split = besideChart(m_grid, m_chart, 1, 1, this);

    m_lblFile = new QLabel(this);
    m_lblFile->setObjectName(QStringLiteral("lblFile"));
    m_lblFile->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_cmdSpeichern = new QPushButton(this);
    m_cmdSpeichern->setObjectName(QStringLiteral("cmdSpeichern"));
    m_buttonPalette = m_cmdSpeichern->palette();
    m_cmdStop = new QPushButton(this);
    m_cmdStop->setObjectName(QStringLiteral("cmdStop"));
    // Stop stays an ordinary pointer while the window shows the wait cursor.
    m_cmdStop->setCursor(Qt::ArrowCursor);
    m_cmdStop->hide();
    m_cmdClear = new QPushButton(this);
    m_cmdClear->setObjectName(QStringLiteral("cmdClear"));
    m_cmdAbbruch = new QPushButton(this);
    m_cmdAbbruch->setObjectName(QStringLiteral("cmdAbbruch"));
    connect(m_cmdSpeichern, &QPushButton::clicked, this, &frmLogger::storeAll);
    connect(m_cmdStop, &QPushButton::clicked, this, &frmLogger::stop);
    connect(m_cmdClear, &QPushButton::clicked, this, &frmLogger::clearLogger);
    connect(m_cmdAbbruch, &QPushButton::clicked, this, &QWidget::close);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_cmdSpeichern);
    buttons->addWidget(m_cmdStop);
    buttons->addWidget(m_cmdClear);
    buttons->addStretch(1);
    buttons->addWidget(m_cmdAbbruch);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(split, 1);
    layout->addWidget(m_lblFile);
    layout->addLayout(buttons);
    setMinimumSize(900, 520);
    resize(1200, 680);

    setCaptions(
        {{QStringLiteral("frmLogger"), 0, ws.identification.DeviceType, QStringLiteral(" Logger")},
         {QStringLiteral("cmdStop"), 0, QStringLiteral("Stop")},
         {QStringLiteral("cmdClear"), 0, QStringLiteral("Clear Logger")},
         {QStringLiteral("cmdAbbruch"), 302}});

    // The caption counts down the samples still to come; the grid grows as they come.
    connect(m_transfer, &LongOperation::progress, this, [this](int done, int total) {
        m_cmdSpeichern->setText(
            loggerProgressCaption(remaining(done, total), total, workspace().texts));
        showNewSamples();
    });
    // Another controller read meanwhile: the firmware decides whether there is a logger.
    connect(&ws, &DeviceData::identificationChanged, this, [this] {
        const bool offered = hasLogger(workspace().identification.FirmwareVersion);
        if (!offered && !m_transfer->running())
            setState(State::NoLogger);
        else if (offered && m_state == State::NoLogger)
            setState(State::Idle);
    });
    setState(hasLogger(ws.identification.FirmwareVersion) ? State::Idle : State::NoLogger);
    showPlot();
    retranslate();
}

const LoggerRecording& frmLogger::recording() const {
    return m_transfer->recording();
}

void frmLogger::retranslate() {
    SecondaryWindow::retranslate();
    const Texts& texts = workspace().texts;
    m_chart->retranslate();
    // Two lines while the samples come: as high and as wide as any caption it shows.
    setTextKeepingWidth(
        m_cmdSpeichern,
        [](const Texts& t) {
            return t.LoadText(StoreText) + u'\n' + loggerProgressCaption(8888, 8888, t) + u'\n' +
                   t.LoadText(NoLoggerText);
        },
        texts);
    m_cmdSpeichern->setText(loggerProgressCaption(8888, 8888, texts));
    m_cmdSpeichern->setMinimumHeight(m_cmdSpeichern->sizeHint().height());
    showCaption();
    showWritten();
    showPlot();
}

void frmLogger::activated() {
    // The caption "8-(" of a failed transfer stays until the window is brought forward again.
    setState(hasLogger(workspace().identification.FirmwareVersion) ? State::Idle : State::NoLogger);
}

void frmLogger::setState(State state) {
    m_state = state;
    const bool transfer = state == State::Transfer;
    const bool offered = state != State::NoLogger;
    m_cmdSpeichern->setEnabled(offered);
    m_cmdSpeichern->setPalette(offered ? m_buttonPalette : [this] {
        QPalette grey = m_buttonPalette;
        grey.setColor(QPalette::Button, NoLoggerGrey);
        return grey;
    }());
    m_cmdStop->setVisible(transfer);
    m_cmdClear->setEnabled(offered && !transfer);
    m_cmdAbbruch->setEnabled(!transfer);
    if (transfer)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
    showCaption();
}

void frmLogger::showCaption() {
    const Texts& texts = workspace().texts;
    switch (m_state) {
    case State::Idle:
        m_cmdSpeichern->setText(texts.LoadText(StoreText));
        break;
    case State::Transfer:
        // The count is known once the progress has begun.
        m_cmdSpeichern->setText(
            m_transfer->running() && m_transfer->total() > 0
                ? loggerProgressCaption(remaining(m_transfer->done(), m_transfer->total()),
                                        m_transfer->total(), texts)
                : texts.LoadText(StoreText));
        break;
    case State::Failed:
        m_cmdSpeichern->setText(Failed);
        break;
    case State::NoLogger:
        m_cmdSpeichern->setText(texts.LoadText(NoLoggerText));
        break;
    }
}

void frmLogger::storeAll() {
    // One transfer at a time; the button shows its progress meanwhile.
    if (m_transfer->running() || !hasLogger(workspace().identification.FirmwareVersion))
        return;
    Workspace& ws = workspace();
    const QString path = chooseTableFile(ws.interaction(), windowTitle(), TableFile::Text);
    if (path.isEmpty())
        return;
    m_path.clear();
    m_table.clear();
    showWritten();
    setState(State::Transfer);
    const LoggerTransfer::Outcome outcome = m_transfer->store(path);
    switch (outcome) {
    case LoggerTransfer::Outcome::Done:
    case LoggerTransfer::Outcome::Stopped:
        setState(State::Idle);
        break;
    case LoggerTransfer::Outcome::Failed:
        setState(State::Failed);
        break;
    case LoggerTransfer::Outcome::FileFailed:
        setState(State::Failed);
        ws.interaction().inform(windowTitle(), m_transfer->fileMessage(),
                                Interaction::Icon::Critical);
        break;
    case LoggerTransfer::Outcome::NoLogger:
        setState(State::NoLogger);
        break;
    case LoggerTransfer::Outcome::Refused:
        setState(State::Idle);
        break;
    }
    // The file holds what was read, also after a stop or a failure.
    if (outcome != LoggerTransfer::Outcome::FileFailed && recording().count >= 0)
        m_path = path;
    showNewSamples();
    showWritten();
    showPlot();
}

void frmLogger::stop() {
    m_transfer->requestStop();
}

void frmLogger::clearLogger() {
    if (m_transfer->running())
        return;
    m_transfer->clear();
}

void frmLogger::showNewSamples() {
    const LoggerRecording& r = recording();
    if (m_table.rowCount() == 0 && !r.samples.isEmpty()) {
        m_table.setHeader(loggerColumns(r));
        m_grid->setColumnWidth(
            0, m_grid->fontMetrics().horizontalAdvance(QStringLiteral("8888.88")) + 14);
    }
    for (int s = m_table.rowCount(); s < r.samples.size(); ++s)
        m_table.appendRow(loggerCells(r, s));
}

void frmLogger::showWritten() {
    const LoggerRecording& r = recording();
    m_lblFile->setText(m_path.isEmpty() ? QString()
                                        : recordText(RecordText::SamplesWritten, workspace().texts)
                                              .arg(r.samples.size())
                                              .arg(r.count)
                                              .arg(QDir::toNativeSeparators(m_path)));
}

void frmLogger::showPlot() {
    m_chart->setPlot(loggerPlot(recording(), workspace().texts));
}
