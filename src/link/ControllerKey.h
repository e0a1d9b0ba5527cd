#pragma once

#include <QHashFunctions>
#include <QString>

// Which controller the program talks to: the serial device and the bus address. Two keys are
// equal when both are; values read under one key say nothing about another.
struct ControllerKey {
    QString port; // the device, e.g. "/dev/ttyUSB0"
    int address = -1;

    bool isValid() const { return address >= 0 && !port.isEmpty(); }
    bool operator==(const ControllerKey&) const = default;
    // "Adr. 3, /dev/ttyUSB0"
    QString text() const { return QStringLiteral("Adr. %1, %2").arg(address).arg(port); }
};

inline size_t qHash(const ControllerKey& key, size_t seed = 0) {
    return qHashMulti(seed, key.port, key.address);
}
