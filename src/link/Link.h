#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include "link/ControllerKey.h"
#include "link/SerialPort.h"

#include <array>
#include <functional>

class Interaction;

class Texts;

// The request/reply transaction with the controller. The program is always the master: it
// sends one Telegram, waits for the one reply and only then sends the next.
//
// The request fields, the link state and the decoded reply blocks are shared by every caller
// and public, named as the rest of the program knows them. A caller fills the request fields,
// calls ExchangeTelegram() and then tests CommError before it takes values from ReplyBytes by
// byte position (1 = first byte of the reply Telegram).
//
// Waiting yields to the event loop (a nested QEventLoop that ends when the link state changes),
// so the user interface stays live and handlers may start further exchanges meanwhile: such an
// exchange waits until the link is idle and then sends its own request, and every caller gets
// its own reply.
class Link : public QObject {
    Q_OBJECT
public:
    static constexpr int ReplyTimeoutMs = 500;
    static constexpr int PauseMs = 100;
    static constexpr int MaxRepeats = 3; // a silent request is sent at most 1 + 3 times
    static constexpr int MaxReplyBytes = 200;

    Link(Interaction& interaction, const Texts& texts, QObject* parent = nullptr);
    ~Link() override;

    // The port is not owned. nullptr or a closed port: every exchange fails at once with
    // CommError true (no message: the device operations are disabled then anyway).
    void setPort(SerialPort* port);
    SerialPort* port() const { return m_port; }
    bool portReady() const;

    // The controller the link talks to now: the port's device and DeviceAddress.
    ControllerKey controller() const;
    // Sets DeviceAddress; controllerChanged() follows a change.
    void setDeviceAddress(int address);

    // Request fields.
    int RequestLength = 3;  // L byte: 3 + number of data bytes
    int RequestControl = 0; // C byte: 0x7B read, 0x73 write/command
    int DeviceAddress = 3;  // A byte: bus address of the controller 0..255
    int FunctionCode = 0;   // F byte
    QByteArray RequestData;
    int DataSum = 0;  // sum of the data bytes
    int Checksum = 0; // (C + A + F + DataSum) mod 256
    // Length of the complete reply Telegram; 1000 until the first request so that stray bytes
    // complete nothing.
    int ExpectedLength = 1000;

    // Link state.
    int LinkState = 0;   // 0 idle, 1 waiting for a reply
    int RepeatCount = 0; // consecutive reply time-outs across exchanges, 0..3
    bool CommError = false;
    QByteArray ReceiveBuffer;
    std::array<int, 201> ReplyBytes{}; // element k = k-th byte of the last reply, 0 beyond it
    int ReplyCode = 255;

    // Short-request blocks decoded on arrival. A flag is set while its request is on the wire.
    bool CyclicPending = false;
    bool CyclicExtended = false;
    bool ErrorPending = false;
    std::array<int, 9> CycleWordsA{};
    std::array<int, 9> CycleBytes{};
    std::array<int, 25> CycleWordsB{};
    int CycleWordC = 0;
    std::array<int, 13> DeviceErrorWords{}; // element 8: device error bits

    // Sends the long request described by the request fields and waits until the exchange has
    // ended: the reply, or the give-up after three repetitions (message through the
    // Interaction, gaveUp()). The reply is an intact frame (end byte and checksum right) from
    // DeviceAddress with the request's function code and the expected length (5: a short
    // frame). Anything else that arrives meanwhile is not this request's reply and is
    // dropped while the time-out runs on: bytes before a frame, a late answer to an earlier
    // request, a damaged frame. So a damaged reply is repeated like silence, and the give-up
    // message then says the replies were corrupted.
    void ExchangeTelegram();

    // Sends the short request 0x10 C A CS 0x16 once and waits for a reply of `expectedLength`
    // bytes from this address. A time-out is not repeated but counts in RepeatCount; CommError
    // is then true.
    void ShortRequest(quint8 control, int expectedLength);
    // The three short requests of the program, whose blocks are decoded on arrival. The
    // pending flag of the block is set while the request is on the wire and cleared when the
    // exchange ends, with its block or without it.
    void RequestCyclicBlock(); // C 0x7B, 50 bytes -> CycleWordsA, CycleBytes, CycleWordsB(0..7),
                               // CycleWordC
    void RequestExtendedCyclicBlock(); // C 0x7E, 40 bytes -> CycleWordsB(8..23)
    void RequestDeviceErrors();        // C 0x7A, 32 bytes -> DeviceErrorWords

    // Sends `frame` (a request to any address) once and waits at most `timeoutMs` for its reply
    // of `expectedLength` bytes from the frame's address. Silence is not repeated, counts in
    // no RepeatCount and brings no give-up message: a scan asks addresses where nothing may
    // answer. True when the reply came; it is in ReplyBytes then.
    bool Probe(const QByteArray& frame, int expectedLength, int timeoutMs);

    // True when the last exchange ended with its reply, false after a give-up or a lost port,
    // when ReplyBytes still hold an older reply.
    bool replyReceived() const { return m_replyReceived; }

    // Writes bytes straight to the port, outside any exchange (link preparation frames); an
    // exchange that is waiting is let finish first.
    void writeRaw(const QByteArray& bytes);
    // Reads and discards every byte waiting in the port, once no exchange waits.
    void discardInput();

    // Waits 100 ms (the pause timer), yielding to the event loop.
    void Pause();
    // Waits `ms` milliseconds the same way (polling the controller at an interval). False when
    // the wait was abandoned because the application is quitting.
    bool Wait(int ms);

    // Timer intervals; tests may shorten them, the program keeps 500 and 100 ms.
    void setReplyTimeout(int ms);
    void setPauseInterval(int ms);
    int replyTimeout() const;

Q_SIGNALS:
    // Another port or address: what was read so far came from another controller.
    void controllerChanged();
    // LinkState changed or the pause ended; the waiting primitive listens to it.
    void stateChanged();
    // The controller stopped answering (before the message is shown), or the port was lost:
    // monitoring stops.
    void gaveUp();
    // The port reported an error or hang-up and was closed (SerialPort::lost): device
    // operations fail at once until another port is set. The owner of the port tells the user.
    void portLost(const QString& reason);
    // DeviceErrorWords were refreshed: the error display redraws.
    void deviceErrorsDecoded();
    // A cyclic or extended cyclic block was decoded.
    void cyclicBlockDecoded();

private:
    struct Exchange; // outcome of one waiting call
    enum Block { NoBlock, CyclicBlock, ExtendedBlock, ErrorBlock };

    void onPortEvent();
    void onReplyTimeout();
    void onPortLost(const QString& reason);
    void run(const QByteArray& frame, int expectedLength, bool repeatSilent, Block block,
             int probeTimeoutMs = 0);
    void send(const QByteArray& frame, int expectedLength, Block block, int probeTimeoutMs);
    void endExchange(int reason);
    void clearPending();
    bool isReplyToRequest(const QByteArray& frame) const;
    void decodeBlock();
    // The one waiting primitive: yields to the event loop while `busy` holds. False when the
    // wait was abandoned because the application is quitting.
    bool waitWhile(const std::function<bool()>& busy);

    Interaction& m_interaction;
    const Texts& m_texts;
    QPointer<SerialPort> m_port;
    QTimer m_replyTimer;
    QTimer m_pauseTimer;
    int m_activeExpected = 1000; // expected length of the exchange on the wire
    int m_activeFunction = -1;   // its function code; -1 for a short request
    int m_activeAddress = 0;     // the address it was sent to
    int m_replyTimeoutMs = ReplyTimeoutMs;
    bool m_activeProbe = false; // a probe: silence ends it without a repetition or give-up
    Block m_activeBlock = NoBlock;
    Exchange* m_current = nullptr;
    bool m_replyReceived = false;
};
