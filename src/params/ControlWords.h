#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <optional>

class DeviceData;
class DeviceImage;
class Texts;

// The bit-coded words of a control channel: controller function, controller configuration,
// alarm mask, limit function and extended controller configuration. They live in the device
// image (column = channel) and reach the controller with the write transfer; the controller
// function can also be sent at once (ChannelStatusService).
enum class ControlWord { Function, Configuration, AlarmMask, Limit, Extended };

// A typed whole number under the strict number rule ("12", "-3", "12.00"); empty for a fraction
// and for anything that is not a number.
std::optional<qint64> wholeNumber(QStringView text);

namespace ControlWords {
constexpr int Count = 5;
const std::array<ControlWord, Count>& all();

// Device image row: 26, 27, 28, 35, 52.
int row(ControlWord word);
// Bytes hold 0..255 (function, limit, extended), words 0..65535 (configuration, alarm mask).
int maximum(ControlWord word);
// Index of the word's decimal field txtSteuer_i: 0, 1, 2, 4, 6.
int field(ControlWord word);
// Command-line name: function, config, alarm, limit, ext.
QString name(ControlWord word);
std::optional<ControlWord> fromName(QStringView name);

// A typed value of the word: a whole number within 0..maximum(word) ("12", " 12 ", "+12",
// "12.0"); anything else, a fraction, a negative number or one above the range is refused, so
// the write transfer never meets a value it cannot send.
std::optional<int> parse(ControlWord word, QStringView text);

// The word of channel 1..8 as stored, made whole and cut to its range (0 for a text or a value
// outside it). What the window shows and rebuilds from.
int stored(const DeviceImage& image, ControlWord word, int channel);
} // namespace ControlWords

// One field of a word: `mask` selects its bits. A single check box is a one-bit field.
struct BitField {
    int mask = 0;
    int shift() const;
    int of(int word) const { return (word & mask) >> shift(); }
    // The word with only this field replaced; every other bit is kept, also bits no widget
    // shows, so an edit never clears what the controller set.
    int with(int word, int value) const { return (word & ~mask) | ((value << shift()) & mask); }
};

// A check box of one bit. `text` 0 means an unlabelled box; `shownFrom` is the first firmware
// version that has the bit (0 = every version).
struct ControlBox {
    QString objectName; // chkRegFunc_3
    ControlWord word;
    int bit;
    int text;
    int shownFrom = 0;
};
// The boxes of a word, in bit order: function 0..7 (chkRegFunc), configuration bits 11..15
// (chkRegkonf_0..4), alarm mask 0..13 (chkAlarm), limit 0..7 (chkGrenzFunc), extended 0..7
// (chkRegConf2).
const QList<ControlBox>& controlBoxes(ControlWord word);
// Text of a box for a firmware version: function bit 3 is "Boost" from 0x30 on, "Auto-adjust
// heating current" before.
QString controlBoxText(const ControlBox& box, const Texts& texts, int firmware);
inline bool controlBoxShown(const ControlBox& box, int firmware) {
    return firmware >= box.shownFrom;
}

// The alarm status boxes chkFehler_0..13 show the same bits as the alarm mask, under the row
// labels lblFehler_i (text 334 + i).
const QList<ControlBox>& alarmStatusBoxes();

// The combo boxes of the controller configuration: a list position per bit field. A stored
// value without an entry selects nothing and keeps its bits.
enum class ConfigurationCombo { Type, Sort, Partner, Group };
struct ControlCombo {
    ConfigurationCombo combo;
    const char* objectName; // cboRegTyp, cboRegArt, cboPartner, cboGruppe
    const char* labelName;  // lblRegTyp ...
    int labelText;          // 319 .. 322
    BitField field;
};
const std::array<ControlCombo, 4>& configurationCombos();
// Entries: types 355..361; sorts 362..365, 367 and, above firmware 0x48, 368; partner channels
// "1".."8"; groups 366 "Not", "1", "2", "3".
QStringList comboEntries(ConfigurationCombo combo, const Texts& texts, int firmware);
// List position of a configuration word, -1 when the stored value has no entry.
int comboPosition(ConfigurationCombo combo, int configuration, int entryCount);

// Controller sort of a configuration word, and whether it has a partner channel: every sort
// but single loop (0) and master controller (2).
inline int controllerSort(int configuration) {
    return (configuration & 0x38) >> 3;
}
inline bool partnerShown(int configuration) {
    const int sort = controllerSort(configuration);
    return sort != 0 && sort != 2;
}

// The extended configuration (field 6) exists above firmware 0x34.
inline bool extendedConfigurationShown(int firmware) {
    return firmware > 0x34;
}

// The controller status word of one channel, read from the controller.
struct ControllerStatus {
    int phase = 0;                // auto-tuning phase 0..15, bits 0..3
    int ramp = 0;                 // 0 none, 1 up, 2/3 down, bits 4..5
    int softStart = 0;            // 0 off, 1 on, 2/3 dwell, bits 6..7
    bool alignment = false;       // setpoint gradient alignment, bits 8..9
    bool boost = false;           // bit 10
    bool bit11 = false;           // bit 11, not used
    int mappingChannel = 0;       // bits 12..14 + 1 while bit 15 is set, else 0
    bool mappingFinished = false; // bit 15
};
ControllerStatus decodeControllerStatus(int word);

// The eight status fields txtStatus_0..7: phase ("No" or 1..15), ramp ("No", "Up", "Down"),
// soft start ("No", "Yes", "Dwell"), alignment, mapping channel ("---" or 1..8), mapping
// finished, boost, bit 11.
std::array<QString, 8> controllerStatusTexts(int word, const Texts& texts);
// Labels lblStatus_0..7: texts 291, 292, 305, 315, 293, 294 and the fixed "Boost aktiv" and
// "n.c.". "Boost aktiv" is shown from firmware 0x48 on.
std::array<QString, 8> controllerStatusLabels(const Texts& texts);
inline bool boostStatusShown(int firmware) {
    return firmware >= 0x48;
}

// The texts of the set bits of a channel's alarm word: text 334 + b for bit b (0..15).
QStringList alarmTexts(int word, const Texts& texts);

// The auto-tuning phase help: one line per phase range with its text (title text 291).
QString autoTuningPhaseHelp(const Texts& texts);

// Copy target of "Copy to": a whole number 0..8 (0 = channels 1 to 8); above 8 counts as 8 and
// *shown becomes "8". Empty for anything else (not a number, negative, a fraction).
std::optional<int> copyTarget(QStringView text, QString* shown = nullptr);
// Copies the five words of channel `from` (1..8) to channel `target` (0 = all eight), each
// change announced. Returns the channels whose words changed.
QList<int> copyControlWords(DeviceData& data, int from, int target);
