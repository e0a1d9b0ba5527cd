#include "services/ui/frmID.h"

#include "app/Workspace.h"
#include "app/ui/WindowManager.h"
#include "services/ui/frmWLD.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

frmID::frmID(Workspace& ws, WindowManager& windows)
    : SecondaryWindow(ws, QStringLiteral("frmID")), m_windows(windows),
      m_edit(ws.identification.ParameterSetId, ParameterSetIdMode::EditOnly) {
    auto* outer = new QVBoxLayout(this);
    auto* heading = new QLabel(this);
    heading->setObjectName(QStringLiteral("lblID"));
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    outer->addWidget(heading);
    auto* order = new QLabel(this);
    order->setObjectName(QStringLiteral("lblOrder"));
    outer->addWidget(order);

    // On the screen year first, seconds last: the reverse of the byte order.
    auto* fields = new QHBoxLayout;
    for (int i = 0; i < ParameterSetIdEdit::Fields; ++i)
        m_txtID.append(nullptr);
    for (int i = ParameterSetIdEdit::Fields - 1; i >= 0; --i) {
        QLineEdit* edit =
            addTakenField(this, indexedName(u"txtID", i),
                          [this, i](const QString& t) { return m_edit.setFieldText(i, t); });
        edit->setAlignment(Qt::AlignCenter);
        edit->setMaxLength(3);
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 12);
        m_txtID[i] = edit;
        fields->addWidget(edit);
        if (i > 0)
            fields->addWidget(new QLabel(QStringLiteral(":"), this));
    }
    fields->addStretch(1);
    outer->addLayout(fields);
    order->setBuddy(m_txtID[5]);

    auto* buttons = new QHBoxLayout;
    addButton(buttons, QStringLiteral("cmdGetPC"), [this] { takeClock(); });
    buttons->addStretch(1);
    addButton(buttons, QStringLiteral("cmdOK"), [this] { confirm(); });
    addButton(buttons, QStringLiteral("cmdAbbruch"), [this] { close(); });
    outer->addLayout(buttons);
    connect(new QShortcut(QKeySequence::Cancel, this), &QShortcut::activated, this,
            &QWidget::close);

    setCaptions({
        {QStringLiteral("frmID"), 0, ws.identification.DeviceType + QStringLiteral("     ID")},
        {QStringLiteral("lblID"), 0, QStringLiteral("ID  Parameter Set")},
        {QStringLiteral("lblOrder"), 0, QStringLiteral("y  :  m :  d  :   h  :  m :  s")},
        {QStringLiteral("cmdGetPC"), 0, QStringLiteral("<=  PC-Time")},
        {QStringLiteral("cmdOK"), 0, QStringLiteral("o.k.")},
        {QStringLiteral("cmdAbbruch"), 302},
    });
}

void frmID::openFor(int argument) {
    // Opened again for another purpose while a write waited for it: that write is dropped.
    if (isVisible() && m_edit.mode() == ParameterSetIdMode::WriteAll &&
        argument != int(ParameterSetIdMode::WriteAll))
        workspace().CancelParameterSetId();
    const int mode = argument >= 0 && argument <= int(ParameterSetIdMode::SaveWld) ? argument : 0;
    m_edit =
        ParameterSetIdEdit(workspace().identification.ParameterSetId, ParameterSetIdMode(mode));
    showFields();
    m_txtID[5]->setFocus();
}

void frmID::showFields() {
    for (int i = 0; i < ParameterSetIdEdit::Fields; ++i) {
        m_txtID[i]->setText(m_edit.fieldText(i));
        m_txtID[i]->setModified(false);
    }
}

void frmID::takeClock() {
    m_edit.takeClock(QDateTime::currentDateTime());
    showFields();
}

void frmID::confirm() {
    commitFocusedField();
    // A copy: the window may be opened again while the write it continues with waits.
    const ParameterSetIdEdit edit = m_edit;
    m_confirming = true;
    close();
    m_confirming = false;
    Workspace& ws = workspace();
    if (ws.CommitParameterSetId(edit) == Workspace::Continuation::Done &&
        edit.mode() == ParameterSetIdMode::SaveWld)
        m_windows.open(WindowId::frmWLD, int(frmWLD::Mode::Save));
}

void frmID::closeEvent(QCloseEvent* event) {
    if (!m_confirming && m_edit.mode() == ParameterSetIdMode::WriteAll)
        workspace().CancelParameterSetId();
    SecondaryWindow::closeEvent(event);
}
