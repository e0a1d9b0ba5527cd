#include "services/ui/frmHist.h"

#include "app/Workspace.h"
#include "app/ui/FormBinder.h"
#include "params/ui/TrendChart.h"
#include "services/AlarmHistory.h"
#include "services/TextTables.h"
#include "services/ui/RecordGrid.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

namespace {
constexpr int ReadText = 483;      // "Read alarm history"
constexpr int NoHistoryText = 485; // "No alarm history"
const QString Failed = QStringLiteral("8-(");
} // namespace

frmHist::frmHist(Workspace& ws) : SecondaryWindow(ws, QStringLiteral("frmHist")) {
    m_read = new AlarmHistoryRead(ws, ws.services(), this);
    watch(*m_read);

    auto* heading = new QLabel(this);
    heading->setObjectName(QStringLiteral("lblHistory"));
    QFont big = heading->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.3);
    heading->setFont(big);

    m_grid = recordGrid(QStringLiteral("grdAlarm"), &m_table, this);
    m_grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The time column and the word columns, wide enough for their longest texts.
    const QFontMetrics metrics = m_grid->fontMetrics();
    m_grid->horizontalHeader()->setDefaultSectionSize(
        metrics.horizontalAdvance(QStringLiteral("Ch 8")) + 16);
    m_grid->horizontalHeader()->setMinimumSectionSize(
        metrics.horizontalAdvance(QStringLiteral("FFFF")) + 12);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &frmHist::showExplanation);

    m_chart = new TrendChart(ws.texts, ws.interaction(), this, TrendChart::Kind::Record);
    m_chart->setCsvSource(
        [this] { return historyCsv(history().entries, workspace().identification.DeviceType); });

    QSplitter* split = besideChart(m_grid, m_chart, 3, 2, this);

    // What the selected cell means: the column's kind, then the bits in four columns of four.
    auto* lblDo = new QLabel(this);
    lblDo->setObjectName(QStringLiteral("lblDo"));
    m_lblWas = new QLabel(this);
    m_lblWas->setObjectName(QStringLiteral("lblWas"));
    QFont bold = m_lblWas->font();
    bold.setBold(true);
    m_lblWas->setFont(bold);
    auto* bits = new QGridLayout;
    bits->setHorizontalSpacing(24);
    for (int b = 0; b < 16; ++b) {
        auto* number = new QLabel(QString::number(b), this);
        number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        number->setEnabled(false);
        auto* bit = new QLabel(this);
        bit->setObjectName(indexedName(u"lblBit", b));
        bits->addWidget(number, b % 4, 2 * (b / 4));
        bits->addWidget(bit, b % 4, 2 * (b / 4) + 1);
        m_lblBit << bit;
    }
    for (int column = 1; column < 8; column += 2)
        bits->setColumnStretch(column, 1);

    m_cmdHolmal = new QPushButton(this);
    m_cmdHolmal->setObjectName(QStringLiteral("cmdHolmal"));
    m_cmdFile = new QPushButton(this);
    m_cmdFile->setObjectName(QStringLiteral("cmdFile"));
    auto* cmdClose = new QPushButton(this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    connect(m_cmdHolmal, &QPushButton::clicked, this, &frmHist::readHistory);
    connect(m_cmdFile, &QPushButton::clicked, this, &frmHist::saveChangeLog);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_cmdHolmal);
    buttons->addStretch(1);
    buttons->addWidget(m_cmdFile);
    buttons->addWidget(cmdClose);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(split, 1);
    layout->addWidget(lblDo);
    layout->addWidget(m_lblWas);
    layout->addLayout(bits);
    layout->addLayout(buttons);
    setMinimumSize(860, 600);
    resize(1100, 720);

    setCaptions({{QStringLiteral("frmHist"), 284, ws.identification.DeviceType},
                 {QStringLiteral("lblHistory"), 284},
                 {QStringLiteral("lblDo"), 486},
                 {QStringLiteral("cmdFile"), 152},
                 {QStringLiteral("cmdClose"), 264}});

    // The grid grows as the entries come.
    connect(m_read, &LongOperation::progress, this, [this](int done, int total) {
        if (done == 0) {
            showTable();
            m_cmdHolmal->setText(historyProgressCaption(total, workspace().texts));
        } else {
            showRow(done - 1);
        }
    });
    connect(m_read, &LongOperation::runningChanged, this, &frmHist::enableCommands);
    // Another controller read meanwhile: the firmware decides whether there is a history.
    connect(&ws, &DeviceData::identificationChanged, this, [this] {
        const bool offered = hasAlarmHistory(workspace().identification.FirmwareVersion);
        if (!offered && !m_read->running())
            setState(State::NoHistory);
        else if (offered && m_state == State::NoHistory)
            setState(State::Idle);
    });
    showTable();
    showPlot();
    retranslate();
}

const AlarmHistory& frmHist::history() const {
    return m_read->history();
}

void frmHist::retranslate() {
    SecondaryWindow::retranslate();
    const Texts& texts = workspace().texts;
    m_chart->retranslate();
    // Wide enough for the progress of a long history in any language.
    setTextKeepingWidth(
        m_cmdHolmal,
        [](const Texts& t) {
            return t.LoadText(ReadText) + u'\n' + historyProgressCaption(88888, t) + u'\n' +
                   t.LoadText(NoHistoryText);
        },
        texts);
    showCaption();
    showHeader();
    showExplanation();
    showPlot();
}

void frmHist::activated() {
    // Brought forward while another device operation runs: the user did not ask for a read
    // now, so it is skipped without a word (cmdHolmal reads later).
    if (workspace().gate().busy())
        return;
    readHistory();
}

void frmHist::readHistory() {
    if (m_read->running())
        return;
    if (!hasAlarmHistory(workspace().identification.FirmwareVersion)) {
        setState(State::NoHistory);
        return;
    }
    m_ready = false;
    setState(State::Reading);
    setCursor(Qt::WaitCursor);
    const LongOperation::Outcome outcome = m_read->run();
    unsetCursor();
    if (outcome == LongOperation::Outcome::Refused) {
        // Another operation runs (the user has been told); the grid stays as it was.
        m_ready = true;
        setState(State::Idle);
        return;
    }
    // A count that was not answered leaves an empty grid; rows not read stay empty.
    showTable();
    setState(outcome == LongOperation::Outcome::Failed ? State::Failed : State::Idle);
    showPlot();
    m_ready = true;
    if (!history().entries.isEmpty())
        m_grid->setCurrentIndex(m_table.index(0, 1));
    showExplanation();
}

void frmHist::setState(State state) {
    m_state = state;
    showCaption();
    enableCommands();
}

void frmHist::showCaption() {
    const Texts& texts = workspace().texts;
    switch (m_state) {
    case State::Idle:
        m_cmdHolmal->setText(texts.LoadText(ReadText));
        break;
    case State::Reading:
        // Until the count is known, then the progress.
        if (history().announced >= 0 && m_read->running())
            m_cmdHolmal->setText(historyProgressCaption(history().announced, texts));
        else
            m_cmdHolmal->setText(texts.LoadText(ReadText));
        break;
    case State::Failed:
        m_cmdHolmal->setText(Failed);
        break;
    case State::NoHistory:
        m_cmdHolmal->setText(texts.LoadText(NoHistoryText));
        break;
    }
}

void frmHist::enableCommands() {
    const bool reading = m_read->running();
    m_cmdHolmal->setEnabled(!reading && m_state != State::NoHistory);
    m_cmdFile->setEnabled(!reading);
}

void frmHist::showTable() {
    const AlarmHistory& h = history();
    const Texts& texts = workspace().texts;
    QList<QStringList> rows;
    for (int r = 1; r <= h.announced; ++r) {
        QStringList cells;
        for (int c = 0; c < AlarmHistory::Columns; ++c)
            cells << h.cellText(r, c, texts);
        rows << cells;
    }
    m_table.setRows(rows);
    showHeader();
}

void frmHist::showHeader() {
    const AlarmHistory& h = history();
    const QModelIndex current = m_grid->currentIndex();
    QStringList header;
    for (int c = 0; c < AlarmHistory::Columns; ++c)
        header << (c == 0 && h.announced < 0 ? QString() : h.cellText(0, c, workspace().texts));
    m_table.setHeader(header);
    // The time column as wide as its texts.
    m_grid->setColumnWidth(
        0, m_grid->fontMetrics().horizontalAdvance(QStringLiteral(" 00:00:00   00.00.0000")) + 16);
    if (current.isValid())
        m_grid->setCurrentIndex(m_table.index(current.row(), current.column()));
}

void frmHist::showRow(int row) {
    const Texts& texts = workspace().texts;
    for (int c = 0; c < AlarmHistory::Columns; ++c)
        m_table.setCell(row, c, history().cellText(row + 1, c, texts));
}

void frmHist::showExplanation() {
    // Nothing is explained while the grid fills.
    if (!m_ready)
        return;
    const QModelIndex current = m_grid->currentIndex();
    const int row = current.isValid() ? current.row() + 1 : 0;
    const int column = current.isValid() ? current.column() : 0;
    const CellExplanation x = explainCell(history(), row, column, workspace().texts);
    m_lblWas->setText(x.what);
    for (int b = 0; b < 16; ++b)
        m_lblBit[b]->setText(x.bits[size_t(b)]);
    // The timeline marks the moment of the selected entry.
    std::optional<double> at;
    if (row >= 1 && row <= history().entries.size()) {
        const QDateTime t = history().entries[row - 1].time.toDateTime();
        if (t.isValid())
            at = plotTime(t);
    }
    m_chart->setMarker(at);
}

void frmHist::showPlot() {
    m_chart->setPlot(historyPlot(history().entries, workspace().texts));
}

void frmHist::saveChangeLog() {
    Workspace& ws = workspace();
    saveTableAs(ws.interaction(), windowTitle(), TableFile::Text,
                historyChangeLog(history().entries, ws.texts));
}
