#pragma once

#include "params/ChannelFormats.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>

class DeviceData;
class DeviceImage;
class Link;
struct Identification;

// What the cyclic monitoring shows and records, independent of any window: the display texts
// of the values the controller sends, the checks of setpoints and outputs typed while
// monitoring, one poll's results, and the lines of the monitoring log.

namespace MonitorRows {
constexpr int Setpoints = 0; // written and read back by every poll
constexpr int Outputs = 80;  // output values, function code 0x28, one byte per channel
constexpr int IoConfiguration = 36;
} // namespace MonitorRows

// Display texts of the cyclic block. The controller's measured values count as negative only
// above 32768, so the word 0x8000 shows as 3276.8; output bytes only above 128.
QString actualValueText(int word, int decimals); // with the channel's decimals
QString outputText(int byte);                    // whole percent, negative = cooling
QString currentText(int word);                   // tenths of an ampere or a volt: "12.5"
// The eight message inputs, input 1 first, each "0 " or "1 ".
QString messageInputsText(int byte);

// The extended layout (heating currents of a second and third device) is there from firmware
// 0x32 on when the I/O configuration has the external current monitor's inputs.
bool extendedLayout(const Identification& id);
// The message inputs are shown when a terminal 1..20 is configured as a message input
// (special input codes 9..15).
bool messageInputsConfigured(const DeviceImage& image);
// Message inputs are read from firmware 0x14 on.
inline bool readsMessageInputs(int firmware) {
    return firmware > 0x13;
}

// The three short requests: the cyclic block, the extended cyclic block (second and third
// device) and the device error block. True when the block arrived and was decoded into the
// link's arrays. Otherwise it is no longer awaited (its pending flag is cleared), so a later
// reply of the same length is never taken for it.
enum class ShortBlock { Cyclic, ExtendedCyclic, DeviceErrors };
bool requestShortBlock(Link& link, ShortBlock block);

// Typed setpoints and outputs are checked as the channel editor checks them before anything
// is stored: setpoints with the channel's decimals, within its limits and its min./max.
// setpoint; outputs whole percent -100..100. "-0" stores 0. When a text is not a number, nothing
// is stored and the channels (1..8) whose texts are not numbers are returned: a field that
// cannot be read is never sent as 0. Otherwise every value is stored (setpoints into row 0,
// outputs into row 80, each change announced) and each text becomes what was stored.
QList<int> storeSetpointTexts(DeviceData& data, std::array<QString, 8>& texts);
QList<int> storeOutputTexts(DeviceData& data, std::array<QString, 8>& texts);

// The values of the cyclic block.
struct CyclicValues {
    std::array<int, 8> actual{};  // words
    std::array<int, 8> output{};  // bytes
    std::array<int, 8> current{}; // words, tenths
    int voltage = 0;              // word, tenths
};

// One poll of the cyclic monitoring. The optional values are those that arrived in this
// poll; the texts are what the window shows after it (a value that did not arrive keeps its
// last text).
struct MonitorSnapshot {
    int poll = 0;              // 1, 2, ... since the start
    double elapsedSeconds = 0; // since the start, when the poll ended (monotonic clock)
    bool extended = false;     // the extended layout was polled
    // Ended early: the controller gave up, monitoring stopped, or the poll made way for a
    // device operation the user started.
    bool stopped = false;
    // A pending write was sent in this poll: true when the controller answered it.
    std::optional<bool> setpointsWritten;
    std::optional<bool> outputsWritten;

    std::optional<std::array<int, 8>> setpoints; // stored words of row 0
    std::optional<CyclicValues> cyclic;
    std::optional<std::array<int, 16>> extendedCurrents; // second and third device
    std::optional<std::array<int, 12>> errorWords;       // device error block
    std::optional<int> messageInputs;
    std::optional<bool> mappingActive;

    std::array<QString, 8> setpointTexts;
    std::array<QString, 8> actualTexts;
    std::array<QString, 8> outputTexts;   // from the measured bytes
    std::array<QString, 24> currentTexts; // 0..7 this device, 8..15 second, 16..23 third
    QString voltageText;
    QString messageText;
};

// Fills the texts of `s` from the values that arrived, with the channels' decimals.
void updateSnapshotTexts(MonitorSnapshot& s, const ChannelFormats& formats);

// One line of the monitoring log: the elapsed seconds ("0.10") in column 1, the actual values
// at 11 + 8i, the outputs at 75 + 6i, the currents at 123 + 8i, the voltage at 187 and, in the
// extended layout, the currents of the second and third device at 195 + 8i. A text that runs
// into the next column's place moves that column to the next line, so nothing is overwritten.
// The lines are joined with `lineEnd` (CR LF in the log file), with one after the last.
QString monitorLogLine(const MonitorSnapshot& s, const QString& lineEnd = QStringLiteral("\r\n"));
