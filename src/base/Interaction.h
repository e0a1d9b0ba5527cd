#pragma once

#include <QString>

class QPrinter;

// Every question, message, file and printer dialog of the program goes through this interface, so a
// flow runs with message boxes in the program, with scripted answers under test and without
// a display in q7400ctl.
class Interaction {
public:
    enum class Icon { None, Information, Question, Exclamation, Critical };
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
    enum class Answer { Ok, Cancel, Yes, No };

    virtual ~Interaction() = default;

    // Shows a message box and returns the button pressed. Closing the box without a button
    // counts as Cancel (or No for Yes/No boxes).
    virtual Answer ask(Icon icon, Buttons buttons, const QString& title, const QString& text) = 0;

    // A message with an OK button only.
    void inform(const QString& title, const QString& text, Icon icon = Icon::Information) {
        ask(icon, Buttons::Ok, title, text);
    }

    // A message that does not wait for the user: the caller goes on at once. Used where a
    // waiting message would hold up an exchange that waits further down the stack (a refused
    // second device operation). The window shows a box without a local event loop; the
    // default, for scripted and console use, is inform().
    virtual void notify(const QString& title, const QString& text, Icon icon = Icon::Information) {
        inform(title, text, icon);
    }

    // File dialogs; `filter` is in Qt's form, e.g. "TVK Files (*.tvk);;All Files (*)".
    // An empty result means the user cancelled.
    virtual QString openFileName(const QString& title, const QString& filter) = 0;
    virtual QString saveFileName(const QString& title, const QString& filter) = 0;

    // The printer dialog: the user chooses a printer and sets up `printer` (prepared by the
    // caller, e.g. landscape). False when cancelled, and where no printer can be chosen.
    virtual bool choosePrinter(QPrinter& printer, const QString& title) {
        Q_UNUSED(printer)
        Q_UNUSED(title)
        return false;
    }
};
