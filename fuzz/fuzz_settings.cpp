// The settings file reader and what is made of its lines: the port settings text and the port
// name the serial port is opened with.
#include "link/PortSettings.h"
#include "link/QtSerialPort.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    bool complete = false;
    const PortSettings s = parsePortSettings(bytes, &complete);
    SerialLineSettings line;
    parseSettingsText(s.SettingsText, &line);
    baudRates().indexOf(s.BaudRate());
    parityCodes().indexOf(s.Parity());
    controlCharactersShown(s.PortNumber);
    if (s.DeviceAddress < 0 || s.DeviceAddress > 255)
        __builtin_trap();
    return 0;
}
