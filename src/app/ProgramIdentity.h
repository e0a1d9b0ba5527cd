#pragma once

#include "base/ManualPage.h"

#include <QString>

// Gives the running program (q7400-config, q7400ctl, q7400-sim) its name and the project
// version, "major.minor", as --version prints them.
void setProgramIdentity(const QString& name);

// The start of a program's manual page: its name, the project version and release date, the
// summary of its NAME line. The program adds its synopsis and sections.
ManualPage programManualPage(const QString& name, const QString& summary);
// FILES of a program that uses the settings file: where Q7400n.cfg lives and what it holds,
// and the configuration files.
ManualSection settingsFileSection();
// SEE ALSO: the other two programs.
ManualSection seeAlsoSection(const QString& name);
