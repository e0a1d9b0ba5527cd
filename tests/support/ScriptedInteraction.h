#pragma once

#include "base/Interaction.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Answers questions from a script and records everything asked, for tests of flows that ask.
class ScriptedInteraction : public Interaction {
public:
    struct Asked {
        Icon icon;
        Buttons buttons;
        QString title;
        QString text;
    };

    QList<Answer> answers; // taken in order; when empty, OK/Yes is answered
    QStringList fileNames; // taken in order by the file dialogs; when empty, "" (cancel)
    QList<Asked> asked;    // every box shown, in order
    // The printer dialog: sets up the printer and says whether the user chose to print (e.g.
    // into a PDF file). Unset: the dialog is cancelled. printerTitles records each dialog.
    std::function<bool(QPrinter&)> printer;
    QStringList printerTitles;

    Answer ask(Icon icon, Buttons buttons, const QString& title, const QString& text) override;
    // Recorded in `asked` like an OK box, without taking an answer.
    void notify(const QString& title, const QString& text, Icon icon) override;
    QString openFileName(const QString& title, const QString& filter) override;
    QString saveFileName(const QString& title, const QString& filter) override;
    bool choosePrinter(QPrinter& printer, const QString& title) override;
};
