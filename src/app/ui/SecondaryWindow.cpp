#include "app/ui/SecondaryWindow.h"

#include "app/Workspace.h"
#include "app/ui/FormBinder.h"
#include "device/LongOperation.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>

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
    if (m_held > 0)
        return true;
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

void SecondaryWindow::runHeld(const std::function<void()>& operation) {
    ++m_held;
    operation();
    --m_held;
    if (m_closeWhenIdle && !busy()) {
        m_closeWhenIdle = false;
        close();
    }
}

QPushButton* SecondaryWindow::addButton(QBoxLayout* layout, const QString& name,
                                        std::function<void()> clicked) {
    auto* button = new QPushButton(this);
    button->setObjectName(name);
    connect(button, &QPushButton::clicked, this, std::move(clicked));
    layout->addWidget(button);
    return button;
}

QLineEdit* SecondaryWindow::addTakenField(QWidget* parent, const QString& name,
                                          std::function<QString(const QString&)> take) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    connect(edit, &QLineEdit::editingFinished, this, [edit, take = std::move(take)] {
        // Shown again as taken, so a limited value is visible at once.
        edit->setText(take(edit->text()));
        edit->setModified(false);
    });
    return edit;
}

void SecondaryWindow::commitFocusedField() {
    if (auto* edit = qobject_cast<QLineEdit*>(focusWidget()); edit && edit->isModified())
        Q_EMIT edit->editingFinished();
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
