#include "params/ui/frmPara.h"

#include "app/Workspace.h"
#include "base/Interaction.h"
#include "base/SafeWrite.h"
#include "params/Overview.h"
#include "params/ui/OverviewPrinter.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace {
// Values are numbers: right-aligned, the names stay left.
class ValueDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.column() > 0)
            option->displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
    }
};

// Column widths of the grid at the least: names, channels, terminals.
constexpr int NameWidth = 190;
constexpr int ChannelWidth = 56;
constexpr int TerminalWidth = 36;
} // namespace

frmPara::frmPara(Workspace& ws) : SecondaryWindow(ws, QStringLiteral("frmPara")) {
    auto* heading = new QLabel(this);
    heading->setObjectName(QStringLiteral("lblRegler"));
    QFont bold = heading->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    heading->setFont(bold);

    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("grdPara"));
    m_grid->setModel(&m_table);
    m_grid->setItemDelegate(new ValueDelegate(m_grid));
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setAlternatingRowColors(true);
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    m_grid->horizontalHeader()->setHighlightSections(false);

    auto* cmdPrint = new QPushButton(this);
    cmdPrint->setObjectName(QStringLiteral("cmdPrint"));
    m_cmdPdf = new QPushButton(this);
    m_cmdPdf->setObjectName(QStringLiteral("cmdPdf"));
    auto* cmdClose = new QPushButton(this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    connect(cmdPrint, &QPushButton::clicked, this, &frmPara::print);
    connect(m_cmdPdf, &QPushButton::clicked, this, &frmPara::savePdf);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdPrint);
    buttons->addWidget(m_cmdPdf);
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(m_grid, 1);
    layout->addLayout(buttons);
    setMinimumSize(640, 360);
    resize(1180, 680);

    setCaptions({{QStringLiteral("frmPara"), 282, ws.identification.DeviceType},
                 {QStringLiteral("lblRegler"), 175},
                 {QStringLiteral("cmdPrint"), 266},
                 {QStringLiteral("cmdClose"), 264}});

    // The grid follows the image; many single edits (a copy to all channels) make one refill.
    connect(&ws, &DeviceData::elementChanged, this, &frmPara::refillSoon);
    connect(&ws, &DeviceData::imageReplaced, this, &frmPara::refillSoon);
    connect(&ws, &DeviceData::identificationChanged, this, &frmPara::refillSoon);
    connect(&ws, &DeviceData::languageChanged, this, &frmPara::refillSoon);
    refill();
}

void frmPara::retranslate() {
    SecondaryWindow::retranslate();
    m_cmdPdf->setText(savePdfCaption(workspace().texts));
}

void frmPara::activated() {
    refill();
}

void frmPara::showEvent(QShowEvent* event) {
    SecondaryWindow::showEvent(event);
    if (m_refillPending)
        refill();
}

void frmPara::refillSoon() {
    if (m_refillPending)
        return;
    m_refillPending = true;
    // A hidden window refills when it is shown again.
    if (isVisible())
        QTimer::singleShot(0, this, [this] {
            if (m_refillPending)
                refill();
        });
}

void frmPara::refill() {
    m_refillPending = false;
    showOverview(m_table, buildOverview(workspace()));
    QHeaderView* header = m_grid->horizontalHeader();
    m_grid->resizeColumnsToContents();
    for (int c = 0; c < m_table.columnCount(); ++c) {
        const int least = c == 0 ? NameWidth : c <= 8 ? ChannelWidth : TerminalWidth;
        header->resizeSection(c, std::max(least, header->sectionSize(c)));
    }
    // What building it repaired (an unusable full-scale value) is shown already.
    m_refillPending = false;
}

OverviewPrint frmPara::currentPrint() const {
    Workspace& ws = workspace();
    return overviewPrint(buildOverview(ws), ws.texts, ws.identification.DeviceType,
                         QDateTime::currentDateTime());
}

void frmPara::print() {
    Workspace& ws = workspace();
    const QString title = overviewTitle(ws.texts, ws.identification.DeviceType);
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(title);
    if (!ws.interaction().choosePrinter(printer, title))
        return;
    if (!renderOverviewPrint(currentPrint(), printer))
        ws.interaction().inform(title, printFailedText(ws.texts), Interaction::Icon::Critical);
}

void frmPara::savePdf() {
    Workspace& ws = workspace();
    const QString title = overviewTitle(ws.texts, ws.identification.DeviceType);
    QString path = ws.interaction().saveFileName(savePdfCaption(ws.texts),
                                                 QStringLiteral("PDF (*.pdf);;All Files (*)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    const SafeWriteResult written = writeFileSafely(path, overviewPdf(currentPrint(), title));
    if (!written.ok)
        ws.interaction().inform(QStringLiteral("Error"),
                                path + QStringLiteral("\n") + written.reason,
                                Interaction::Icon::Critical);
}
