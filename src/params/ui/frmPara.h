#pragma once

#include "app/ui/SecondaryWindow.h"
#include "base/TextTableModel.h"

class QPushButton;
class QTableView;
struct OverviewPrint;

// The parameter overview: every item of the device image for all channels in one read-only
// grid, printed or saved as a PDF in the same layout. It follows every change of the image.
class frmPara : public SecondaryWindow {
    Q_OBJECT
public:
    explicit frmPara(Workspace& ws);

    void activated() override;
    void retranslate() override;

    // The print as it would come out now (the date and time of the PC clock).
    OverviewPrint currentPrint() const;
    // The print: the printer dialog first (cancelled = nothing printed), then landscape pages.
    void print();
    // The print into a PDF file chosen by the user (".pdf" is added when it has no suffix).
    void savePdf();
    const TextTableModel& table() const { return m_table; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refill();
    void refillSoon();

    TextTableModel m_table;
    QTableView* m_grid = nullptr;
    QPushButton* m_cmdPdf = nullptr;
    bool m_refillPending = false;
};
