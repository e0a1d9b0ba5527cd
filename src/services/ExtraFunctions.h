#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

class DeviceData;
class DeviceServices;
class Interaction;
class Link;

// The controller's device-level service functions: its own serial interface, the bus
// protocol switch, the CAN baud rate, the real-time clock, reset, the heating-current
// adjustment, the mapping run, the LED command and the two internal transfers.

// Command bytes sent with function code 0x32.
enum class OperationCommand : quint8 {
    Leds = 0x33,           // bus communication shown on the controller's LEDs
    HeatingCurrent = 0x55, // automatic heating-current adjustment
    ToParamDb = 0x66,      // internal transfer to the ParamDB
    ToChannelDbs = 0x99,   // internal transfer to the channel DBs
    Mapping = 0xAA,        // starts or stops the mapping run
};

// The high nibble of a read of 0x32.
namespace OperationStatus {
constexpr int Idle = 0x00;
constexpr int Mapping = 0xA0;
constexpr int ToChannelDbs = 0x90;
constexpr int ToParamDb = 0x60;
} // namespace OperationStatus
// True while one of the two internal transfers runs.
bool transferRunning(int operationStatus);
// "idle", "mapping running", "transfer to channel DBs running", "transfer to ParamDB running".
QString operationStatusText(int operationStatus);

// The foreign protocol the controller can be switched to; the value is the byte sent.
enum class BusProtocol : quint8 { Modbus = 2, Q8100 = 4, HbTherm = 6 };
// Which protocol the controller offers: attribute bit 0x04 (firmware above 0x2A) selects the
// Q8100 protocol, bits 0x06 together (firmware above 0x40) HB-Therm; Modbus otherwise.
BusProtocol protocolFor(int firmware, int attributes);
// Button caption: "Modbus", "Q8100-Prot.", "HB-Therm".
QString protocolCaption(BusProtocol protocol);
// Tool tip text number: 426, 423, 427.
int protocolToolTipText(BusProtocol protocol);

// The controller's own serial interface, by the index sent (byte of 0xA0 = baud + 16 x parity).
// Parity indices differ from the settings file's order: 0 even, 1 odd, 2 none, 3 space.
const QStringList& interfaceBaudTexts();   // "4800", "9600", "19200", "38400"
const QStringList& interfaceParityTexts(); // "even", "odd", "none", "space"
int interfaceByte(int baudIndex, int parityIndex);
// The indices a PC settings text ("19200,e,8,1") selects; -1 when it names none.
int interfaceBaudIndexOf(const QString& settingsText);
int interfaceParityIndexOf(const QString& settingsText);

// CAN baud rates by index 0..8: "10 k" .. "1  M".
const QStringList& canBaudTexts();
// The index a CAN baud reply selects: the low five bits, 8 when they say more.
int canBaudIndexOf(int replyValue);
// The index shown before the controller has told its own.
constexpr int DefaultCanBaudIndex = 4;

// Which controls the extra-functions window shows and enables for a firmware version and
// attributes byte. Evaluated completely each time, so a controller with older firmware never
// keeps the controls of a newer one.
struct ExtraLayout {
    bool interfaceGroup = false; // fraBaud, optBaud, cmdOK
    bool parityGroup = false;    // fraParity, optPar
    std::array<bool, 4> baudEnabled{};
    bool canGroup = false;        // fraCanBaud, optCanBaud, cmdcanok
    bool transferButtons = false; // cmdR2CPU, cmdR2DB100, ShowToggel
    bool mapping = false;         // cmdMapping
    bool clock = false;           // lblTimeDate, txtTimeDate, cmdGetPC, cmdGetTime, cmdSetTime
    bool heatingCurrent = false;  // cmdHUE
    bool modbusAddress = false;   // lblModAdr, txtModAdr, cmdModAdr: never shown
    bool readsModbusAddress = false;
    bool operator==(const ExtraLayout&) const = default;
};
ExtraLayout extraLayout(int firmware, int attributes);
// Whether the interface command may send this baud rate and parity on this firmware.
bool interfaceOffers(int firmware, int baudIndex, int parityIndex);

// The controller's clock as the window holds it: 0 seconds, 1 minutes, 2 hours, 3 day of
// month, 4 month, 5 year - 2000 (binary, not BCD).
using ClockBuffer = std::array<int, 6>;
ClockBuffer clockFromDateTime(const QDateTime& when);
// Reply bytes 11..16 of a clock read; a day or month of 0 becomes 1.
ClockBuffer clockFromReply(const std::array<int, 201>& replyBytes);
// Range of clock field i as the user sees it (year 2000..2099).
int clockFieldMinimum(int field);
int clockFieldMaximum(int field);
// What a clock field shows: seconds and minutes two digits, the year as 2000 + entry.
QString clockFieldText(const ClockBuffer& clock, int field);
// Takes a value typed into field i: clamped to the field's range, into the buffer.
void setClockField(ClockBuffer& clock, int field, double typed);
// The buffer as it can be sent: every entry in range and the day cut to the month's length
// (31 February becomes 28 or 29), so the controller never gets an impossible date.
ClockBuffer sendableClock(const ClockBuffer& clock);
// "2024-12-05 13:45:10".
QString clockText(const ClockBuffer& clock);
// "YYYY-MM-DDThh:mm:ss" into a buffer (clamped as if typed into the fields); empty when the
// text has another form.
std::optional<ClockBuffer> clockFromText(const QString& text);

// What the extra-functions window learns from the controller when it is brought forward.
// An item is empty when its read is not made on this firmware or was not answered.
struct ExtraFindings {
    std::optional<int> attributes;
    std::optional<int> transferStatus; // operation status, when the transfer buttons are offered
    std::optional<int> modbusAddress;
    std::optional<bool> mappingActive;
    std::optional<int> canBaudIndex;
    std::optional<ClockBuffer> clock;
};

// The device operations of the extra functions. Each runs the link preparation first unless
// said otherwise and waits through the link. Nothing from a reply is used unless that reply
// arrived: after a time-out the image keeps its attributes and the caller keeps what it shows.
class ExtraFunctions : public QObject {
    Q_OBJECT
public:
    ExtraFunctions(DeviceServices& services, DeviceData& data, Interaction& interaction,
                   QObject* parent = nullptr);

    // The reads of an activation, in this order: link preparation, attributes (stored as row
    // 31 when answered), the operation status when the transfer buttons are offered, the
    // Modbus address (firmware 0x44 on), the mapping state (0x20 on), the CAN baud rate and
    // the clock (0x32 on). The rules that depend on the attributes use the ones just read.
    // After a read the controller did not answer at all, the rest is not asked.
    ExtraFindings activate();
    // The attributes byte, stored as row 31 when answered. No link preparation.
    std::optional<int> readAttributes();

    bool setInterface(int baudIndex, int parityIndex);
    bool setCanBaud(int index);
    std::optional<int> readCanBaud();
    // 0x3C 00, then 0xD0 7D 05 00 01 p. No link preparation: its frames would bring back a
    // controller that is already in the other protocol, which is harmless, but the switch is
    // sent exactly as the controller expects it.
    bool switchProtocol(BusProtocol protocol);
    std::optional<ClockBuffer> readClock();
    // Sends sendableClock(clock) and returns it, so the caller shows what was sent. Empty when
    // the controller did not answer.
    std::optional<ClockBuffer> setClock(const ClockBuffer& clock);
    // The reset frame 0x10 0x44 A CS 0x16, written directly; no answer is awaited. Monitoring
    // stops first. Whatever the controller sends back within a pause is discarded, so it cannot
    // complete the next exchange.
    void reset();
    // The LED command or the heating-current adjustment.
    bool command(OperationCommand command);

    enum class MappingOutcome { Cancelled, Started, Stopped, Failed };
    // Starting and stopping the mapping both drive the outputs: the caution text is asked first
    // (Cancel sends nothing). Then the command and the mapping state; mappingStarted() when it
    // runs now. Failed: the command or the state read was not answered.
    MappingOutcome toggleMapping();

    // One of the internal transfers. Monitoring stops completely first.
    bool startTransfer(OperationCommand transfer);
    // One status read, no link preparation (the transfer poll). Empty when unanswered.
    std::optional<int> pollOperationStatus();
    // Polls every TransferPollMs until no internal transfer runs; the last status, empty when
    // the controller stopped answering.
    std::optional<int> waitWhileTransferRuns();

    static constexpr int TransferPollMs = 500;

Q_SIGNALS:
    // Monitoring is to stop completely (internal transfer, reset).
    void monitoringStopRequested();
    // The controller runs the mapping now: the monitoring window shows it.
    void mappingStarted();

private:
    // One single-byte read: the value when a valid reply of that code arrived.
    std::optional<int> readByte(int code);
    bool sent() const;

    DeviceServices& m_services;
    Link& m_link;
    DeviceData& m_data;
    Interaction& m_interaction;
};
