#include "cli/ConsoleInteraction.h"

Interaction::Answer ConsoleInteraction::ask(Icon, Buttons buttons, const QString& title,
                                            const QString& text) {
    ++m_shown;
    m_err << "q7400ctl: ";
    if (!title.isEmpty())
        m_err << title << ": ";
    m_err << text << '\n';
    m_err.flush();
    const bool accept = policy == Policy::Accept;
    switch (buttons) {
    case Buttons::Ok:
        return Answer::Ok;
    case Buttons::OkCancel:
        return accept ? Answer::Ok : Answer::Cancel;
    case Buttons::YesNo:
    case Buttons::YesNoCancel:
        return accept ? Answer::Yes : Answer::No;
    }
    return Answer::Cancel;
}

QString ConsoleInteraction::openFileName(const QString&, const QString&) {
    return fileNames.isEmpty() ? QString() : fileNames.takeFirst();
}

QString ConsoleInteraction::saveFileName(const QString&, const QString&) {
    return fileNames.isEmpty() ? QString() : fileNames.takeFirst();
}

bool ConsoleInteraction::confirm(const QString& question) {
    m_err << question << " [y/N] ";
    m_err.flush();
    QTextStream in(stdin);
    const QString answer = in.readLine().trimmed().toLower();
    return answer == QLatin1String("y") || answer == QLatin1String("yes");
}
