#include "LinkBench.h"

LinkBench::LinkBench(int address)
    : m_fake(std::make_unique<FakePort>()), link(interaction, texts),
      services(link, table, image, memory, identification) {
    table.BuildParameterTable(texts);
    opened = m_fake->open();
    link.DeviceAddress = address;
    link.setPort(m_fake.get());
}

LinkBench::LinkBench(const QString& device, int address, const QString& settings)
    : m_serial(std::make_unique<QtSerialPort>(device)), link(interaction, texts),
      services(link, table, image, memory, identification) {
    table.BuildParameterTable(texts);
    m_serial->setSettings(settings);
    opened = m_serial->open();
    link.DeviceAddress = address;
    link.setPort(m_serial.get());
}

LinkBench::~LinkBench() {
    link.setPort(nullptr);
}
