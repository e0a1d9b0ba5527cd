#pragma once

#include <QString>

#include <array>

class DeviceImage;
class ParameterTable;
class Texts;

// What the connected (or loaded) controller is. Start-up values offer every firmware-dependent
// function until a controller has been read.
struct Identification {
    QString DeviceType = QStringLiteral("Q7400");
    int FirmwareVersion = 0x99;             // high nibble major, low nibble minor version
    int ModuleVariant = 3;                  // bit 0: temperature inputs, bit 1: eight channels
    int FeatureA = 0;                       // I/O equipment A0, A1 or A2
    std::array<quint8, 6> ParameterSetId{}; // BCD: seconds, minutes, hours, day, month, year
    bool ExternalCurrentInputs = false;
};

// Where the identification items live in the device image.
namespace IdentificationRows {
constexpr int Attributes = 31;
constexpr int SensorType = 33;
constexpr int SoftwareVersion = 34;
constexpr int IoConfiguration = 36;
constexpr int ParameterSetId = 50;
} // namespace IdentificationRows

// Module variant and feature code an attributes byte stands for. Module variant bit 0 (temperature
// inputs) is set when attribute bit 0 is clear; bit 1 (eight channels) when attribute bit 5 is
// clear. The feature code is in the two high bits.
int moduleVariantOfAttributes(int attributes);
int featureAOfAttributes(int attributes);

// Sets ModuleVariant and FeatureA from the attributes byte (device image row 31). The caller
// shows the new feature code afterwards (Workspace::ShowFeatureCode).
void DecodeAttributes(Identification& id, int attributes);

// True when the module variant has temperature inputs (thermocouples, resistance sensors).
inline bool hasTemperatureInputs(const Identification& id) {
    return (id.ModuleVariant & 1) != 0;
}

// On a module without temperature inputs a channel's sensor type (device image row 33) keeps
// only its two low bits; on others it stays as it is.
void LimitSensorTypesToModule(const Identification& id, DeviceImage& image);

// The checked entry 0..5 of the feature-code menu (A0 B1 .. A2 B1, A0 B2 .. A2 B2); -1 for a
// feature code outside A0..A2.
int featureMenuEntry(const Identification& id);
// "A1 B2".
QString featureCodeShort(const Identification& id);
// Status bar: text 236 followed by the feature code, e.g. "Device feature code:  A1 B2".
QString featureCodeText(const Identification& id, const Texts& texts);
// Whether the firmware panel is refreshed together with the feature code: only for versions
// below 0x98 (the start-up value 0x99 leaves it as it is).
bool featureCodeShowsFirmware(const Identification& id);

// Rows 10 and 41 are named for the input kind: scale begin and range for linear inputs,
// measuring offset and full-scale value otherwise. Run after every change of ModuleVariant.
void UpdateInputNames(ParameterTable& table, const Texts& texts, const Identification& id);

// External heating-current supervision needs three inputs on the terminals: a clock (112 or
// 116), a data input (120) and a receipt (253). Only linear-input modules from firmware 0x32 on
// have it. Run after every change of the I/O configuration.
void UpdateExternalCurrentInputs(Identification& id, const DeviceImage& image);

// ParameterSetId = device image row 50, columns 1..6, each taken as a byte.
void CopyParameterSetId(Identification& id, const DeviceImage& image);

// Number of entries of the sensor type list: 6 for linear inputs, 13 for temperature inputs
// (17 from firmware 70 on). A stored code at or above it has no entry.
int sensorTypeEntryCount(const Identification& id);
