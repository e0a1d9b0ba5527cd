#pragma once

#include <QString>

class Texts;

// Texts of the monitoring that the string table does not have, in the four languages.
enum class MonitorText {
    LogCannotBeCreated, // %1 file, %2 reason
    LogCannotBeWritten, // %1 file, %2 reason
    NotAPlainFile,
    NotANumber,        // %1 the channels
    Trend,             // group title of the chart
    Pause,             // freezes the chart, polling goes on
    Resume,            // back to the live chart
    SavePng,           // "Save as PNG"
    SaveCsv,           // "Save as CSV"
    Minutes,           // "%1 min"
    Time,              // time axis title
    FileCannotBeSaved, // %1 file, %2 reason
};

QString monitorText(const Texts& texts, MonitorText text);
