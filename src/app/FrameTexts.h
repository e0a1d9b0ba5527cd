#pragma once

#include <QString>
#include <QStringList>

#include <array>

class DeviceImage;
class Texts;

// Texts and rules of the main window that do not need a window: status-bar panels, the
// device error lines, the welcome remark and which firmware-dependent menu entries exist.

// Panel 1: "Version: 4.21" (major and minor as plain decimal numbers, so minor 2 gives 4.2).
QString programVersionText(int major, int minor);

// Panel 4: "Param ID:  05.12.24  13:45:10" from the six BCD bytes (seconds, minutes, hours,
// day, month, year). Each byte shows as 10 x high nibble + low nibble, two digits.
QString parameterSetIdPanelText(const std::array<quint8, 6>& id);

// One line per set bit b (0..15) of the device error word: text 370 + b.
QStringList deviceErrorLines(const Texts& texts, int errorWord);
// The text of the device error label: every line followed by a line break; empty for 0.
QString deviceErrorText(const Texts& texts, int errorWord);

// The channel error table of channel 1..8: text 254 with the channel number, then one line
// per set bit b (0..15) of the channel's error word with text 334 + b.
QStringList channelErrorLines(const Texts& texts, int channel, int errorWord);

// The one-time remark of the first activation (title text 546).
QString welcomeText(const Texts& texts, const QString& deviceType);

// Firmware- and attribute-dependent menu entries.
struct MenuVisibility {
    bool parameterBlocks = false; // mnuDevice(4): firmware > 0x48 and attribute bit 4
    bool featureB2 = false;       // mnuMerk(3..5): firmware > 0x52
    bool password = false;        // mnuDevice(5): firmware 0 only
    bool alarmHistory = false;    // mnuHistory(2) opens the window (else "No alarm history")
};
MenuVisibility menuVisibility(int firmwareVersion, int attributesByte);

// The channel overview of channel k (1..8) from the controller function (row 26) and the
// controller configuration (row 27).
struct ChannelOverview {
    int group = 0;           // 0 = no group, 1..3
    bool optimising = false; // controller function bit 7
    bool on = false;         // controller function bit 6
};
ChannelOverview channelOverview(const DeviceImage& image, int channel);
// "no" for group 0, else the group number.
QString groupText(int group);

// Captions of the menu entries named after the device ("Q7400 => PC", "PC => Q7400").
QString readCaption(const QString& deviceType);
QString writeCaption(const QString& deviceType);

// Tool tip of a menu entry whose window is not part of this build yet, in the language in use.
QString notAvailableText(const Texts& texts);
// Status mark of values shown that came from the previous controller, and its explanation
// naming that controller.
QString staleDataMark(const Texts& texts);
QString staleDataText(const Texts& texts, const QString& controller);

// What the window shows while it talks to the bundled simulator instead of a controller.
QString simulatorNoticeText(const Texts& texts);
