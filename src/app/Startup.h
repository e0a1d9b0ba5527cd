#pragma once

#include <QString>

class Workspace;

// The program's start as far as it needs no window: start-up values, the default
// parameter-block table and the default offline configuration (its external current inputs and
// parameter-set ID included), taken into the memory image (Workspace::LoadStartupValues); the
// channel names beside the settings file; the settings file (language, controller address; a
// missing or short file is written with the defaults) and the parameter table in that
// language. The main window shows the result and then opens the port (Workspace::openPort).
//
// Returns the message for a settings file that could not be written; empty when all is well.
QString StartUp(Workspace& ws, const QString& settingsPath);
