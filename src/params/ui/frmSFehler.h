#pragma once

#include "app/ui/SecondaryWindow.h"
#include "params/CollectiveMasks.h"

class QLabel;

// One of the eight collective-alarm masks A..H: a check box per error condition and the mask
// as a number; every change is stored at once. It keeps the mask its menu entry opened it for.
class frmSFehler : public SecondaryWindow {
    Q_OBJECT
public:
    explicit frmSFehler(Workspace& ws);

    // `argument`: the mask 1..8; anything else keeps the mask.
    void openFor(int argument) override;

    CollectiveMaskForm& form() { return m_form; }

private:
    CollectiveMaskForm m_form;
    QLabel* m_lblSFehlnr = nullptr;
};
