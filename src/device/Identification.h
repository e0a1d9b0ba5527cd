#pragma once

#include <QString>

#include <array>

// What the connected (or loaded) controller is. Start-up values offer every firmware-dependent
// function until a controller has been read.
struct Identification {
    QString DeviceType = QStringLiteral("Q7400");
    int FirmwareVersion = 0x99; // high nibble major, low nibble minor version
    int ModuleVariant = 3;      // bit 0: temperature inputs, bit 1: eight channels
    int FeatureA = 0;           // I/O equipment A0, A1 or A2
    std::array<quint8, 6> ParameterSetId{}; // BCD: seconds, minutes, hours, day, month, year
    bool ExternalCurrentInputs = false;
};
