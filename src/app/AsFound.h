#pragma once

#include <QDateTime>
#include <QString>

class DeviceImage;
class ParameterTable;

// The as-found backup: before every write the controller's configuration as read just then is
// kept as a configuration file, so whatever a write changes can be put back.
//
// The folder: $XDG_DATA_HOME/q7400/as-found, ~/.local/share/q7400/as-found by default.
QString asFoundFolder();
// "Q7400_as-found_2024-12-05_13-45-10_adr3_V5.6.tvk": the time, the controller address and
// its firmware.
QString asFoundFileName(const QDateTime& when, int address, int firmware);

// Writes the as-found configuration (rows 0..lastRow of `asFound`; rows the controller's
// firmware does not have keep the default configuration's values) into the folder, atomically,
// under a name of its own. The path written; empty with *error set when it could not be.
QString keepAsFoundConfiguration(const ParameterTable& table, const DeviceImage& asFound,
                                 int lastRow, int address, int firmware, QString* error);
