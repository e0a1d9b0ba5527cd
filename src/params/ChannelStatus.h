#pragma once

#include <array>
#include <optional>

class DeviceData;
class DeviceServices;

// The device operations of the control-word window: the channel's live controller status and
// alarm status, reading the controller function back, and sending it. Each runs the link
// preparation first and waits through the link; the caller holds the operation gate. A sequence
// ends at the first exchange the controller did not answer at all (the link has then shown its
// message once); an answer that was not valid only leaves its own value empty.
class ChannelStatusService {
public:
    ChannelStatusService(DeviceData& data, DeviceServices& services);

    struct Status {
        std::optional<int> statusWord;  // controller status of the channel (read 0x24)
        std::optional<int> alarmStatus; // its word of the device error block
        // The whole device error block, when it arrived (the main window's display follows
        // it through Link::deviceErrorsDecoded).
        std::optional<std::array<int, 12>> errorWords;
        bool gaveUp = false; // the controller stopped answering: nothing further was sent
    };
    struct FunctionReading {
        // The controller function as read back (stored into the image, row 26).
        std::optional<int> function;
        Status status;
        bool gaveUp() const { return status.gaveUp; }
    };

    // Channel 1..8: link preparation, the status words of channels 1 to 8 (0x24 1 8 0), then
    // the device error block.
    Status readStatus(int channel);
    // "Read again": link preparation, the controller functions (0x20 0 0 0); the channel's is
    // stored into the device image; then readStatus.
    FunctionReading readAgain(int channel);
    // Sends controller function `value` (0..255) to the channel (command 0x20 k k 0 value),
    // then readAgain.
    struct Sent {
        bool accepted = false; // the controller answered the command validly
        FunctionReading readBack;
    };
    Sent sendFunction(int channel, int value);

private:
    bool noAnswer() const;

    DeviceData& m_data;
    DeviceServices& m_services;
};
