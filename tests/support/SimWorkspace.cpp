#include "SimWorkspace.h"

#include "link/Link.h"

SimWorkspace::SimWorkspace(const SimOptions& options)
    : SimHarness(options), started(start()), port(slavePath()), workspace(interaction, nullptr) {
    started = started && port.open();
    workspace.setPort(&port);
    workspace.link().setDeviceAddress(options.address);
    workspace.link().setPauseInterval(1);
    workspace.link().setReplyTimeout(60);
}

SimWorkspace::~SimWorkspace() {
    workspace.setPort(nullptr);
}
