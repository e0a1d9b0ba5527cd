#pragma once

#include "base/Interaction.h"

#include <QStringList>
#include <QTextStream>

// The Interaction of q7400ctl: messages go to stderr, no dialog is ever shown. Questions are
// answered by the policy the command sets; file dialogs take names from a list the command
// fills (an empty list cancels).
class ConsoleInteraction : public Interaction {
public:
    enum class Policy { Decline, Accept };

    explicit ConsoleInteraction(QTextStream& err) : m_err(err) {}

    Policy policy = Policy::Decline;
    QStringList fileNames;

    // Asks "question [y/N] " on stderr and reads the answer from stdin (a terminal): true for
    // y or yes.
    bool confirm(const QString& question);

    // Messages printed so far.
    int shown() const { return m_shown; }

    Answer ask(Icon icon, Buttons buttons, const QString& title, const QString& text) override;
    QString openFileName(const QString& title, const QString& filter) override;
    QString saveFileName(const QString& title, const QString& filter) override;

private:
    QTextStream& m_err;
    int m_shown = 0;
};
