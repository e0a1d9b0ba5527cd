#pragma once

#include <QString>

// Gives the running program (q7400-config, q7400ctl, q7400-sim) its name and the project
// version, "major.minor", as --version prints them.
void setProgramIdentity(const QString& name);
