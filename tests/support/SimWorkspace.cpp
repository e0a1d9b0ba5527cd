#include "SimWorkspace.h"

#include "link/Link.h"

SimWorkspace::SimWorkspace(const SimOptions& options, int processIntervalMs) : SimHarness(options) {
    started = start(processIntervalMs);
    port = std::make_unique<QtSerialPort>(slavePath());
    started = started && port->open();
    workspace = std::make_unique<Workspace>(interaction, port.get());
    workspace->link().setDeviceAddress(options.address);
    workspace->link().setPauseInterval(1);
    workspace->link().setReplyTimeout(60);
}

SimWorkspace::~SimWorkspace() {
    workspace->setPort(nullptr);
}
