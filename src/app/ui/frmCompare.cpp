#include "app/ui/frmCompare.h"

#include "app/Workspace.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

frmCompare::frmCompare(Workspace& ws, QWidget* parent) : QDialog(parent), m_ws(ws) {
    setObjectName(QStringLiteral("frmCompare"));
    auto* layout = new QVBoxLayout(this);
    m_lblCompare = new QLabel(this);
    m_lblCompare->setObjectName(QStringLiteral("lblCompare"));
    m_lblCompare->setWordWrap(true);
    layout->addWidget(m_lblCompare);
    m_grdCompare = new QTableView(this);
    m_grdCompare->setObjectName(QStringLiteral("grdCompare"));
    m_grdCompare->setModel(&m_table);
    m_grdCompare->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grdCompare->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grdCompare->verticalHeader()->hide();
    m_grdCompare->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_grdCompare, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("cmdClose"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    layout->addWidget(buttons);
    setMinimumSize(560, 320);
    connect(&ws, &DeviceData::languageChanged, this, [this] {
        if (m_title)
            draw();
    });
}

void frmCompare::showComparison(QString (*title)(const Texts&), const ImageComparison& comparison) {
    m_title = title;
    m_comparison = comparison;
    draw();
}

void frmCompare::draw() {
    const Texts& t = m_ws.texts;
    const ImageComparison& comparison = m_comparison;
    setWindowTitle(m_title(t));
    m_table.clear();
    m_table.setHeader(comparison.header(t));
    m_table.setRows(comparison.tableRows(t));
    m_lblCompare->setText(comparison.equal()
                              ? WritePreview::equalText(t)
                              : comparison.before + QStringLiteral("  ↔  ") + comparison.after);
    m_grdCompare->resizeColumnsToContents();
    m_grdCompare->horizontalHeader()->setStretchLastSection(true);
}
