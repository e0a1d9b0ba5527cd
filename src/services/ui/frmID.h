#pragma once

#include "app/ui/SecondaryWindow.h"
#include "services/ParameterSetId.h"

#include <QList>

class QLineEdit;
class WindowManager;

// The parameter-set ID: six two-digit fields (year first) over a copy of the ID. OK stores it
// and goes on with what the window was opened for (openFor: a ParameterSetIdMode; nothing, the
// write to the controller, the configuration-file save, the WLD save); Close, Escape or the
// title bar change nothing, not even the status bar, and the pending action does not happen.
class frmID : public SecondaryWindow {
    Q_OBJECT
public:
    frmID(Workspace& ws, WindowManager& windows);

    // The mode as a ParameterSetIdMode (-1: edit only). The fields show the ID in use.
    void openFor(int argument) override;
    ParameterSetIdMode mode() const { return m_edit.mode(); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showFields();
    void takeClock();
    void confirm();

    WindowManager& m_windows;
    ParameterSetIdEdit m_edit;
    QList<QLineEdit*> m_txtID; // index = ID byte
    bool m_confirming = false; // OK closes the window: no cancel
};
