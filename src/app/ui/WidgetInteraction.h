#pragma once

#include "base/Interaction.h"

#include <QPointer>
#include <QWidget>

// Interaction with message boxes, file and printer dialogs, parented to the program's main window.
class WidgetInteraction : public Interaction {
public:
    explicit WidgetInteraction(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }

    Answer ask(Icon icon, Buttons buttons, const QString& title, const QString& text) override;
    void notify(const QString& title, const QString& text, Icon icon) override;
    QString openFileName(const QString& title, const QString& filter) override;
    QString saveFileName(const QString& title, const QString& filter) override;
    bool choosePrinter(QPrinter& printer, const QString& title) override;

private:
    QPointer<QWidget> m_parent;
};
