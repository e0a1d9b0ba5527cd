#include "services/ui/frmPass.h"

#include "app/Workspace.h"
#include "services/ServiceCode.h"

#include <QDate>
#include <QKeySequence>
#include <QLineEdit>
#include <QShortcut>
#include <QVBoxLayout>

frmPass::frmPass(Workspace& ws) : SecondaryWindow(ws, QStringLiteral("frmPass")) {
    auto* layout = new QVBoxLayout(this);
    m_text1 = new QLineEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    // What is typed is not readable on the screen.
    m_text1->setEchoMode(QLineEdit::Password);
    m_text1->setMinimumWidth(180);
    layout->addWidget(m_text1);
    connect(m_text1, &QLineEdit::textChanged, this, &frmPass::check);
    connect(new QShortcut(QKeySequence::Cancel, this), &QShortcut::activated, this,
            &QWidget::close);
    setCaptions({{QStringLiteral("frmPass"), 0, QStringLiteral("Passwort")}});
}

void frmPass::openFor(int) {
    m_code = serviceCode(QDate::currentDate());
    const QSignalBlocker block(m_text1);
    m_text1->clear();
    m_text1->setFocus();
}

void frmPass::check(const QString& text) {
    // Every keystroke is compared; a wrong text says nothing.
    if (m_sending || m_code.isEmpty() || text != m_code)
        return;
    const OperationGate::Ticket ticket = workspace().gate().enter(windowTitle());
    if (!ticket)
        return;
    m_sending = true;
    sendServiceCommand(workspace().services());
    m_sending = false;
    close();
}
