#include "params/ChannelStatus.h"

#include "device/DeviceData.h"
#include "device/DeviceServices.h"
#include "link/Link.h"
#include "params/ControlWords.h"
#include "params/Monitoring.h"

namespace {
constexpr int StatusCode = 0x24;
constexpr int FunctionCode = 0x20;
} // namespace

ChannelStatusService::ChannelStatusService(DeviceData& data, DeviceServices& services)
    : m_data(data), m_services(services) {}

bool ChannelStatusService::noAnswer() const {
    // A long request is repeated until the link gives up; no bytes at all means it did.
    return !m_services.link().replyReceived();
}

ChannelStatusService::Status ChannelStatusService::readStatus(int channel) {
    Status s;
    Link& link = m_services.link();
    m_services.PrepareLink();
    const std::optional<QList<int>> status = m_services.readValues(StatusCode, 1, 8, 0);
    if (noAnswer()) {
        s.gaveUp = true;
        return s;
    }
    if (status && status->size() == 8)
        s.statusWord = status->at(channel - 1);

    if (!requestShortBlock(link, ShortBlock::DeviceErrors))
        return s;
    std::array<int, 12> words{};
    for (size_t i = 0; i < words.size(); ++i)
        words[i] = link.DeviceErrorWords[i];
    s.errorWords = words;
    s.alarmStatus = words[size_t(channel - 1)];
    return s;
}

ChannelStatusService::FunctionReading ChannelStatusService::readAgain(int channel) {
    FunctionReading f;
    m_services.PrepareLink();
    const std::optional<QList<int>> functions = m_services.readValues(FunctionCode);
    if (noAnswer()) {
        f.status.gaveUp = true;
        return f;
    }
    if (functions && functions->size() == 8) {
        f.function = functions->at(channel - 1);
        m_data.setValue(ControlWords::row(ControlWord::Function), channel, *f.function);
    }
    f.status = readStatus(channel);
    return f;
}

ChannelStatusService::Sent ChannelStatusService::sendFunction(int channel, int value) {
    Sent sent;
    Link& link = m_services.link();
    m_services.PrepareLink();
    QByteArray data;
    data.append(char(channel)).append(char(channel)).append('\0').append(char(value & 0xFF));
    m_services.SendCommand(FunctionCode, data);
    if (noAnswer()) {
        sent.readBack.status.gaveUp = true;
        return sent;
    }
    sent.accepted = !link.CommError;
    sent.readBack = readAgain(channel);
    return sent;
}
