#pragma once

#include "app/ui/SecondaryWindow.h"

class QLineEdit;

// The service code: when the typed text is the code of the day, the service command is sent,
// the firmware version is read again and the window closes. Anything else does nothing.
class frmPass : public SecondaryWindow {
    Q_OBJECT
public:
    explicit frmPass(Workspace& ws);

    // The code is the one of the day the window was opened.
    void openFor(int argument) override;
    bool busy() const override { return m_sending || SecondaryWindow::busy(); }

private:
    void check(const QString& text);

    QLineEdit* m_text1 = nullptr;
    QString m_code;
    bool m_sending = false;
};
