#pragma once

#include "base/Interaction.h"

#include <QTextStream>

// Answers every question with OK or Yes and prints each message to standard error: for
// unattended runs (rendering the windows for the documentation).
class AutoInteraction : public Interaction {
public:
    Answer ask(Icon, Buttons buttons, const QString& title, const QString& text) override {
        QTextStream(stderr) << "[" << title << "] " << QString(text).replace(u'\n', u' ')
                            << Qt::endl;
        return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? Answer::Yes
                                                                            : Answer::Ok;
    }
    QString openFileName(const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&) override { return {}; }
};
