#pragma once

#include "app/ui/SecondaryWindow.h"
#include "services/BlockTable.h"

#include <QList>

class QLineEdit;
class QPushButton;

// The parameter-block table: 96 hexadecimal fields, four to a data block, channel blocks 10..1C
// (for channels 1..8: 10 .. 80 to 1C .. 8C) and device blocks 90..99. Read again from the
// controller, reset to the default, and stored (and sent) with o.k. after every field has been
// checked. The fields are filled when the window opens and after its buttons only, so switching
// windows keeps what the user typed.
class frmBlock : public SecondaryWindow {
    Q_OBJECT
public:
    explicit frmBlock(Workspace& ws);

    void openFor(int argument) override;
    void activated() override;

private:
    void showFields();
    void showTransferable();
    void readAgain();
    void loadDefaults();
    void save();
    // Fields that are not a hexadecimal byte are marked until they are changed.
    void markInvalid(const QList<int>& fields);

    BlockTableEdit m_edit;
    QList<QLineEdit*> m_txtBL;
    QPushButton* m_cmdNeu = nullptr;
};
