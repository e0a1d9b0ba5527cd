#pragma once

#include "sim/SimDevice.h"

#include <QList>
#include <QString>

#include <optional>

// Files that give the simulated controller a recorded past, for repeatable runs. One record
// per line; blank lines and lines starting with '#' are skipped.
//
//   alarm history:  2024-01-01T10:30:00 8 0 0 0 0 0 0 0 1000 0 0 0
//                   the time, then the twelve alarm words in hex (channels 1..8, device,
//                   three wiring words)
//   logger:         2007-01-01T00:00:10 200 -100 215 0 0 0 0 0 50 -20 0 0 0 0 0 0 230
//                   the time, then the 17 words of the sample in decimal (eight actual values
//                   in tenths, eight outputs in percent, one more value)
//
// On a malformed line the result is empty and *error names the line.
std::optional<QList<HistoryEntry>> parseHistorySeed(const QString& text, QString* error);
std::optional<QList<LoggerSample>> parseLoggerSeed(const QString& text, QString* error);
