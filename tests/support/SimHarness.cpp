#include "SimHarness.h"

SimHarness::SimHarness(const SimOptions& options)
    : m_sim(options), m_server(std::make_unique<PtyServer>(m_sim)) {}

SimHarness::~SimHarness() = default;

bool SimHarness::start(int processIntervalMs) {
    m_server->setProcessInterval(processIntervalMs);
    return m_server->start(&m_error);
}
