#include "app/ui/WidgetInteraction.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace {
QMessageBox::Icon boxIcon(Interaction::Icon icon) {
    switch (icon) {
    case Interaction::Icon::None:
        return QMessageBox::NoIcon;
    case Interaction::Icon::Information:
        return QMessageBox::Information;
    case Interaction::Icon::Question:
        return QMessageBox::Question;
    case Interaction::Icon::Exclamation:
        return QMessageBox::Warning;
    case Interaction::Icon::Critical:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}
} // namespace

Interaction::Answer WidgetInteraction::ask(Icon icon, Buttons buttons, const QString& title,
                                           const QString& text) {
    QMessageBox box(m_parent);
    box.setWindowTitle(title);
    box.setText(text);
    box.setIcon(boxIcon(icon));
    QMessageBox::StandardButtons standard;
    QMessageBox::StandardButton escape = QMessageBox::Cancel;
    switch (buttons) {
    case Buttons::Ok:
        standard = QMessageBox::Ok;
        escape = QMessageBox::Ok;
        break;
    case Buttons::OkCancel:
        standard = QMessageBox::Ok | QMessageBox::Cancel;
        break;
    case Buttons::YesNo:
        standard = QMessageBox::Yes | QMessageBox::No;
        escape = QMessageBox::No;
        break;
    case Buttons::YesNoCancel:
        standard = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        break;
    }
    box.setStandardButtons(standard);
    box.setEscapeButton(escape);
    switch (box.exec()) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        // Closed without a button: Cancel, or No for a Yes/No box.
        return buttons == Buttons::YesNo ? Answer::No
               : buttons == Buttons::Ok  ? Answer::Ok
                                         : Answer::Cancel;
    }
}

void WidgetInteraction::notify(const QString& title, const QString& text, Icon icon) {
    // Shown without exec(): no event loop of its own, so nothing waiting below it is held up.
    auto* box = new QMessageBox(boxIcon(icon), title, text, QMessageBox::Ok, m_parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

QString WidgetInteraction::openFileName(const QString& title, const QString& filter) {
    return QFileDialog::getOpenFileName(m_parent, title, QString(), filter);
}

QString WidgetInteraction::saveFileName(const QString& title, const QString& filter) {
    return QFileDialog::getSaveFileName(m_parent, title, QString(), filter);
}

bool WidgetInteraction::choosePrinter(QPrinter& printer, const QString& title) {
    QPrintDialog dialog(&printer, m_parent);
    dialog.setWindowTitle(title);
    return dialog.exec() == QDialog::Accepted;
}
