#include "ScriptedInteraction.h"

Interaction::Answer ScriptedInteraction::ask(Icon icon, Buttons buttons, const QString& title,
                                             const QString& text) {
    asked.append({icon, buttons, title, text});
    if (!answers.isEmpty())
        return answers.takeFirst();
    return (buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel) ? Answer::Yes
                                                                          : Answer::Ok;
}

void ScriptedInteraction::notify(const QString& title, const QString& text, Icon icon) {
    asked.append({icon, Buttons::Ok, title, text});
}

QString ScriptedInteraction::openFileName(const QString&, const QString&) {
    return fileNames.isEmpty() ? QString() : fileNames.takeFirst();
}

QString ScriptedInteraction::saveFileName(const QString&, const QString&) {
    return fileNames.isEmpty() ? QString() : fileNames.takeFirst();
}

bool ScriptedInteraction::choosePrinter(QPrinter& p, const QString& title) {
    printerTitles.append(title);
    return printer ? printer(p) : false;
}
