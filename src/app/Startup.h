#pragma once

#include <QString>

class Workspace;

// The program's start as far as it needs no window, in the order of the start-up sequence:
// start-up values and the default parameter-block table, the channel names beside the
// settings file, the settings file (language, controller address; a missing or short file is
// written with the defaults), the parameter table in that language, and the default offline
// configuration (its external current inputs and parameter-set ID included). The main window
// shows the result and then opens the port (Workspace::openPort).
//
// Returns the message for a settings file that could not be written; empty when all is well.
QString StartUp(Workspace& ws, const QString& settingsPath);
