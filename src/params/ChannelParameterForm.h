#pragma once

#include "device/Form.h"

#include <QString>

#include <array>
#include <optional>

// The 33 operating parameters of one control channel as the channel editor shows them.
//
// Classes of values:
//  - Temperature: temperature-like value in the user's unit, a signed word shown with the
//    channel's decimals (ChannelFormats);
//  - Tenths: a time or current in tenths, a signed word shown with one decimal;
//  - DeviceTenths: a device-wide value in tenths (CT ratio, secondary heating voltage), held
//    in column 1 whatever the channel, never negative;
//  - Percent: an output percentage, one signed byte;
//  - FullScale: the full-scale value of linear inputs, which also sets the decimals of the
//    channel's temperature-like values on linear modules.
enum class ParameterClass { Temperature, Tenths, DeviceTenths, Percent, FullScale };

struct ChannelParameterRow {
    int parameter = 0; // ParameterTable row
    ParameterClass kind = ParameterClass::Temperature;
    const char* unitLabel = nullptr;   // objectName of the unit label, nullptr for none
    const char* minuteLabel = nullptr; // objectName of the "/min" label behind the ramps
};

// The editor's rows; the form's field i is row i (txtParameter_i, named by lblParameter_i).
namespace ChannelRows {
constexpr int Count = 33;
constexpr int Setpoint = 0;
constexpr int MinSetpoint = 1;
constexpr int MaxSetpoint = 2;
constexpr int SoftStartSetpoint = 3;
constexpr int Setpoint2 = 4;
constexpr int HeatingCurrent = 26;
constexpr int FullScale = 29;
constexpr int Boost = 30;
constexpr int BoostTime = 31;
constexpr int OscillationSuppression = 32;

const std::array<ChannelParameterRow, Count>& rows();
// Whether the controller's firmware has the row: the full-scale value above V1.0, boost and
// boost time from V3.0, oscillation suppression from V3.6.
bool shown(int row, int firmwareVersion);
} // namespace ChannelRows

// Rows of the device image the unit labels follow besides the editor's own: the unit
// (Dimension, bit 0 clear = degrees Celsius), the controller configuration (bits 3..5 = 4:
// switching controller, whose setpoint is a percentage) and the sensor type (10: linear
// 0..50 mV, whose full scale is in degrees).
namespace ChannelUnitRows {
constexpr int ControllerConfiguration = 27;
constexpr int Dimension = 32;
constexpr int SensorType = 33;
bool affectsUnits(int row);
} // namespace ChannelUnitRows

// The channel editor's rules over the device image, for the channel of setChannel() (0..7):
//  - limits: output percentages -100..100; temperature-like values -3200..3200 on temperature
//    modules, and +-20000 raw units (the full scale) on linear modules; the full-scale value
//    1..20000 on linear modules; oscillation suppression, a byte of tenths, 0..25.5 s; CT ratio
//    and secondary voltage 0..3200; everything else -3200..3200;
//  - the setpoint group: a setpoint is kept within the min. and max. setpoint, and a new
//    limit pulls the setpoints beyond it along;
//  - a new full-scale value on a linear module keeps the shown temperature-like values and
//    stores them again at the new scale (12.34 at full scale 100 is 12.3 at 1000);
//  - copying to other channels.
class ChannelParameterForm : public Form {
    Q_OBJECT
public:
    explicit ChannelParameterForm(DeviceData& data, QObject* parent = nullptr);

    // The device-image row of an editor row.
    static int parameterOf(int row) { return ChannelRows::rows()[size_t(row)].parameter; }

    // Unit texts of a row: the unit ("°C", "°F", "%", "sec", "A" or ""), and "/min" behind
    // the ramps.
    QString unit(int row) const;
    QString minuteUnit(int row) const;

    // A full-scale value below 1 cannot be used: SetChannelFormats stores 1000 for it. Run
    // when the editor is filled.
    void repairFullScale();

    // Copies the channel's values to channel `target` (1..8) or to every channel (0). The
    // device-wide rows are not copied: they are the same for every channel. A target above 8
    // counts as 8; a text that is not a whole number 0..8 copies nothing and returns empty, and
    // so does a copy while a transfer reads or writes the image. Otherwise the target channels
    // (1..8) that were copied to.
    std::optional<QList<int>> copyTo(const QString& targetText);
    // The copy target a text means (above 8 is 8), empty when it is none.
    static std::optional<int> copyTarget(const QString& text);

protected:
    int decimals(int field) const override;
    Limits limits(int field) const override;
    void beforeEdit(int field) override;
    void afterEdit(int field) override;
    QList<int> fieldsShowing(int row, int column) const override;

private:
    int channelDecimals() const;
    qint64 signedValue(int field) const;
    void storeSigned(int field, qint64 units);
    void crossCheck(int field);

    int m_decimalsBeforeEdit = 0;
};
