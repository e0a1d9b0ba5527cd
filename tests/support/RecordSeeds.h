#pragma once

#include "sim/SimDevice.h"

#include <QList>

// A recorded past for the simulated controller's alarm history and logger.

// Channel 1 goes above AL 1 at 10:00, the 24 V supply drops out at 10:30, everything is clear
// again at 11:00 (1 January 2024).
QList<HistoryEntry> seedHistory();

// Sample s, 5 s apart from 1.1.07 0:00:00: actual values 20.0 + s/10, -10.0, 21.5, 0, 0, 0, 0,
// 100.0 - s/10, outputs 50, -20, 0 ... 0, 100 - s, and 230.
LoggerSample seedSample(int s);
