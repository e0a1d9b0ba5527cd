#include "params/ChannelStatus.h"

#include "device/DeviceImage.h"
#include "device/DeviceServices.h"
#include "link/Link.h"
#include "params/ControlWords.h"

namespace {
constexpr int StatusCode = 0x24;
constexpr int FunctionCode = 0x20;
} // namespace

ChannelStatusService::ChannelStatusService(DeviceServices& services, DeviceImage& image)
    : m_services(services), m_image(image) {}

bool ChannelStatusService::noAnswer() const {
    // A long request is repeated until the link gives up; no bytes at all means it did.
    return !m_services.link().replyReceived();
}

ChannelStatusService::Status ChannelStatusService::readStatus(int channel) {
    Status s;
    Link& link = m_services.link();
    m_services.PrepareLink();
    m_services.ReadRequest(StatusCode, 1, 8, 0);
    if (noAnswer()) {
        s.gaveUp = true;
        return s;
    }
    const auto& r = link.ReplyBytes;
    const size_t n = size_t(channel - 1);
    if (!link.CommError)
        s.statusWord = r[12 + 2 * n] * 256 + r[11 + 2 * n];

    link.RequestDeviceErrors();
    if (link.ErrorPending) {
        // No block arrived: a later reply of the same length must not be taken for it.
        link.ErrorPending = false;
        return s;
    }
    std::array<int, 12> words{};
    for (size_t i = 0; i < words.size(); ++i)
        words[i] = link.DeviceErrorWords[i];
    s.errorWords = words;
    s.alarmStatus = words[n];
    return s;
}

ChannelStatusService::FunctionReading ChannelStatusService::readAgain(int channel) {
    FunctionReading f;
    Link& link = m_services.link();
    m_services.PrepareLink();
    m_services.ReadRequest(FunctionCode, 0, 0, 0);
    if (noAnswer()) {
        f.status.gaveUp = true;
        return f;
    }
    if (!link.CommError) {
        f.function = link.ReplyBytes[size_t(10 + channel)];
        m_image.setValue(ControlWords::row(ControlWord::Function), channel, *f.function);
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
