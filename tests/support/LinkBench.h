#pragma once

#include "device/DeviceImage.h"
#include "device/DeviceServices.h"
#include "device/Identification.h"
#include "device/ParameterTable.h"
#include "i18n/StringTable.h"
#include "link/Link.h"
#include "link/QtSerialPort.h"
#include "support/FakePort.h"
#include "support/ScriptedInteraction.h"

#include <memory>

// The program's link stack: Link and DeviceServices with the program-wide data they work on,
// on an open in-memory FakePort or on a real serial port (a simulator's pseudo-terminal).
struct LinkBench {
    explicit LinkBench(int address);              // on a FakePort
    LinkBench(const QString& device, int address, // on a QtSerialPort
              const QString& settings = QStringLiteral("19200,e,8,1"));
    ~LinkBench();

    FakePort& fake() { return *m_fake; }
    QtSerialPort& serial() { return *m_serial; }
    bool opened = false;

    std::unique_ptr<FakePort> m_fake;
    std::unique_ptr<QtSerialPort> m_serial;
    ScriptedInteraction interaction;
    Texts texts;
    ParameterTable table;
    DeviceImage image;
    MemoryImage memory;
    Identification identification;
    Link link;
    DeviceServices services;
};
