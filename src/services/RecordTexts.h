#pragma once

#include <QString>

class Texts;

// The alarm-history and logger windows' own texts (the controller's texts are in the string
// table), in the language of `texts`.
enum class RecordText {
    Time,           // the time axis
    ActualValue,    // the logger plot's left axis
    Output,         // the logger plot's right axis, in percent
    Alarms,         // the history plot's value axis
    SamplesWritten, // "%1 of %2 samples in %3" after a logger transfer
};
QString recordText(RecordText text, const Texts& texts);
