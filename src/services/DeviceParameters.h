#pragma once

#include <QString>

#include <array>
#include <optional>

class DeviceImage;
class Texts;

// The parameters that belong to the whole controller rather than to one channel: the nominal
// heating currents of a second and third heating device per channel, the current transformer
// and heating voltage, the heating-current sampling time, the logger cycle and control, the
// power limitation, the heating-current threshold, and the four switches of the dimension
// byte. They live in the device image only and reach the controller with the next write.

constexpr int DeviceFieldCount = 23;

// How a field shows and takes its device-image value.
enum class DeviceFieldKind {
    HeatingCurrent,  // tenths of an ampere, at most the CT ratio / 40
    Tenths,          // tenths, at most 3200
    SamplingTime,    // tenths of a second, 0 = "Auto"
    LoggerControl,   // bit 0: "1 = Stop" / "0 = Run"
    PowerLimitation, // percent in steps of 12.5, 0 = "Off"
    Threshold,       // percent, 0 = "Default"
};

struct DeviceField {
    int row = 0;
    int column = 1;
    DeviceFieldKind kind = DeviceFieldKind::Tenths;
    const char* unit = ""; // "A", "A / 1A", "V", "s", "%"
};
// Field 0..22 (txtDevice_i): 0..7 and 8..15 the heating currents of the second and third
// device of channels 1..8, 16 CT ratio, 17 secondary heating voltage, 18 sampling time,
// 19 logger cycle, 20 logger control, 21 power limitation, 22 heating-current threshold.
const DeviceField& deviceField(int field);

// The text a field shows for the image's value.
QString deviceFieldText(const DeviceImage& image, int field);

// The value a typed text stores, after the field's limits; empty when the image keeps its
// value. Numbers above the limit become the limit, numbers at or below 0 become 0 (shown as
// "Auto", "Off" or "Default" where the field has such a word), the power limitation goes in
// steps of 12.5 (shown truncated, 60 -> 62). A text that is not a number (IsNumericText) stores
// 0 in the fields with such a word and is not stored in the others. In the logger control a
// number sets bit 0 from its own bit 0 ("1" means Stop) and keeps the other bits.
std::optional<double> deviceFieldValue(const DeviceImage& image, int field, const QString& typed);

// Which fields and switches the window shows, from the firmware version, the input kind of the
// modules (temperature or linear 20 mA inputs) and whether the external heating-current inputs
// are wired. A field's label and unit label go with it.
struct DeviceLayout {
    std::array<bool, DeviceFieldCount> field{};
    bool heatingCurrentHeadings = false; // lblHUE_0, lblHUE_1
    bool temperatureUnit = false;        // optDim_0, optDim_1
    bool masterPdo = false;              // chkAutark
    bool ampsNotZero = false;            // chkAmp
    bool noFunctionStore = false;        // chkFuncStore
    bool operator==(const DeviceLayout&) const = default;
};
DeviceLayout deviceLayout(int firmware, bool temperatureInputs, bool externalCurrentInputs);

// Label of field i in the language of `texts` ("Channel  1" for the heating currents).
QString deviceFieldLabel(const Texts& texts, int field);

// The four switches of the dimension byte (device image row 32, column 1).
namespace Dimension {
constexpr int Fahrenheit = 0x01;      // optDim: set = °F
constexpr int MasterPdo = 0x02;       // chkAutark
constexpr int AmpsNotZero = 0x04;     // chkAmp: keep showing the last measured current
constexpr int NoFunctionStore = 0x08; // chkFuncStore
} // namespace Dimension
int dimensionByte(const DeviceImage& image);
// Whether `bit` may be set to `on`: never into the one combination the controller would take
// for its factory-settings command (all four switches). Clearing is always allowed.
bool dimensionBitAllowed(int dimension, int bit, bool on);
// Sets or clears one switch and leaves every other bit of the byte alone. False, and nothing
// changed, when dimensionBitAllowed says no.
bool setDimensionBit(DeviceImage& image, int bit, bool on);
