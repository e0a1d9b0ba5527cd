#pragma once

#include "params/ChannelFormats.h"

#include <QList>
#include <QString>

#include <array>
#include <optional>

class DeviceImage;
struct Identification;

// The 33 operating parameters of one control channel as the channel editor shows them.
//
// Classes of values:
//  - Temperature: temperature-like value in the user's unit, a signed word shown with the
//    channel's decimals (ChannelFormats);
//  - Tenths: a time or current in tenths, a signed word shown with one decimal;
//  - DeviceTenths: a device-wide value in tenths (CT ratio, secondary heating voltage), held
//    in column 1 whatever the channel;
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

namespace ChannelRows {
constexpr int Count = 33;
constexpr int Setpoint = 0;
constexpr int MinSetpoint = 1;
constexpr int MaxSetpoint = 2;
constexpr int SoftStartSetpoint = 3;
constexpr int Setpoint2 = 4;
constexpr int FullScale = 29;
constexpr int Boost = 30;
constexpr int BoostTime = 31;
constexpr int OscillationSuppression = 32;

const std::array<ChannelParameterRow, Count>& rows();
// Whether the controller's firmware has the row: the full-scale value above V1.0, boost and
// boost time from V3.0, oscillation suppression from V3.6.
bool shown(int row, int firmwareVersion);
} // namespace ChannelRows

// Rows of the device image the editor shows besides its own 33: the unit (Dimension, bit 0
// clear = degrees Celsius), the controller configuration (bits 3..5 = 4: switching controller,
// whose setpoint is a percentage) and the sensor type (10: linear 0..50 mV).
namespace ChannelUnitRows {
constexpr int ControllerConfiguration = 27;
constexpr int Dimension = 32;
constexpr int SensorType = 33;
} // namespace ChannelUnitRows

// One cell of the device image that an edit changed.
struct ImageCell {
    int row = 0;
    int column = 0;
    bool operator==(const ImageCell&) const = default;
};

// The rules of the channel editor for one channel, over the texts of its 33 fields: how the
// stored values are shown, what leaving a field does (the text is checked, clamped to the
// row's limits, cross-checked against the setpoint limits and stored at once), the full-scale
// change that re-stores the temperature-like values with the new decimals, and the copy to
// other channels. It works on the device image only.
class ChannelParameters {
public:
    // `channel` 1..8; the editor keeps it whatever else changes.
    ChannelParameters(DeviceImage& image, const Identification& id, int channel);

    int channel() const { return m_channel; }
    // Texts of the fields as shown (or as typed, until the field is left).
    std::array<QString, ChannelRows::Count> texts;

    // Fills every field from the image (ShowParameters). Returns the cells of an unusable
    // full-scale value that the channel formats repaired (see SetChannelFormats).
    QList<ImageCell> ShowParameters();

    // The unit label texts of a row: the unit ("°C", "°F", "%", "sec", "A" or ""), and the
    // "/min" of the ramps.
    QString unit(int row) const;
    QString minuteUnit(int row) const;

    struct Changes {
        QList<int> fields;      // rows whose text changed, the left one included
        QList<ImageCell> cells; // image cells stored with a new value
        void merge(const Changes& other);
    };

    // The user leaves field `row` with `text`. A text that is not a number is kept but not
    // stored. A number is rounded to the row's decimals, clamped to the row's limits and
    // stored; the field then shows what was stored. Setpoint group: a setpoint is kept within
    // the min./max. setpoint, and a changed limit pulls the setpoints with it. A changed
    // full-scale value of a linear module re-stores every temperature-like value with the new
    // decimals (the shown values are kept, their precision follows the new scale).
    Changes leave(int row, const QString& text);

    // Stores every field that was typed into but not left yet (Savepara: before the window
    // is closed, deactivated or copied). Untouched fields are never written back.
    Changes Savepara();

    // Copies the channel's values to channel `target` (1..8) or to all channels (0). The
    // device-wide rows are not copied: they are the same for every channel. A target text
    // above 8 counts as 8 (and *shownTarget becomes "8"); a text that is not a whole number
    // 0..8 copies nothing and returns empty.
    std::optional<Changes> copyTo(const QString& targetText, QString* shownTarget = nullptr);

private:
    int column(int row) const;
    int decimals(int row) const;
    QString shownText(int row) const;
    // Limits of a row in stored units (signed).
    std::pair<qint64, qint64> limits(int row) const;
    qint64 storedSigned(int row) const;
    void store(int row, qint64 units, Changes& changes);
    void setText(int row, const QString& text, Changes& changes);
    void crossCheck(int row, Changes& changes);
    void restoreScaledRows(Changes& changes);

    DeviceImage& m_image;
    const Identification& m_id;
    int m_channel;
    ChannelFormats m_formats;
    // What each field showed when it was last filled or stored, to tell typed fields.
    std::array<QString, ChannelRows::Count> m_shown;
};
