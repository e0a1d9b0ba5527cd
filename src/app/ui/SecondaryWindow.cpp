#include "app/ui/SecondaryWindow.h"

#include "app/Workspace.h"
#include "app/ui/FormBinder.h"
#include "device/LongOperation.h"

#include <QCloseEvent>

SecondaryWindow::SecondaryWindow(Workspace& ws, const QString& objectName)
    : QWidget(nullptr, Qt::Window), m_ws(ws) {
    setObjectName(objectName);
}

SecondaryWindow::~SecondaryWindow() = default;

void SecondaryWindow::openFor(int) {}

void SecondaryWindow::retranslate() {
    applyCaptions(this, m_captions, m_ws.texts);
    for (FormBinder* binder : std::as_const(m_binders))
        binder->retranslate();
}

bool SecondaryWindow::busy() const {
    for (const QPointer<LongOperation>& op : m_operations)
        if (op && op->running())
            return true;
    return false;
}

void SecondaryWindow::requestStop() {
    for (const QPointer<LongOperation>& op : std::as_const(m_operations))
        if (op)
            op->requestStop();
}

void SecondaryWindow::setCaptions(CaptionTable captions) {
    m_captions = std::move(captions);
    applyCaptions(this, m_captions, m_ws.texts);
}

FormBinder* SecondaryWindow::bind(Form& form) {
    auto* binder = new FormBinder(this, form);
    m_binders.append(binder);
    return binder;
}

void SecondaryWindow::watch(LongOperation& operation) {
    m_operations.append(&operation);
    connect(&operation, &LongOperation::finished, this, [this] {
        if (m_closeWhenIdle && !busy()) {
            m_closeWhenIdle = false;
            close();
        }
    });
}

void SecondaryWindow::closeEvent(QCloseEvent* event) {
    if (busy()) {
        // The window goes when its operation has ended (after the exchange in progress).
        m_closeWhenIdle = true;
        requestStop();
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}
