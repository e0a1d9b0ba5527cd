#pragma once

#include <QByteArray>
#include <QtGlobal>

// CRC-16 as Modbus RTU defines it (polynomial 0x8005 reflected = 0xA001, start value 0xFFFF, no
// final XOR; the check string "123456789" gives 0x4B37). The controller uses it twice: for the
// Modbus frame that returns it from a foreign protocol, sent low byte first, and for its
// parameter memory image, stored at bytes 638..639.
quint16 crc16Modbus(const quint8* data, qsizetype size);
inline quint16 crc16Modbus(const QByteArray& data) {
    return crc16Modbus(reinterpret_cast<const quint8*>(data.constData()), data.size());
}
