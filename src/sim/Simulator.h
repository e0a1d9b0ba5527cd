#pragma once

#include "sim/SimDevice.h"

#include <QByteArray>
#include <QList>
#include <QString>

// What the controller made of one piece of the incoming byte stream.
struct SimExchange {
    QByteArray request;   // a complete frame, or bytes that were discarded or ignored
    QByteArray reply;     // empty = no answer
    QString note;         // what happened, or why there is no answer
    bool counted = false; // a well-formed request addressed to this controller
};

// The controller's side of the protocol, independent of any port: bytes in, replies out.
//
// Replies:
//  - reads answer with a long Telegram 0x68 L L 0x68 0x08 A F data CS 0x16; ranged groups echo
//    the three request bytes before the values, addressed words echo them before the word,
//    single bytes and words carry the value alone;
//  - writes and commands answer with the short Telegram 0x10 C A CS 0x16, C = 0x00 when the
//    controller took it and 0x01 when it refused it (unknown or read-only code, wrong length,
//    impossible value);
//  - the short requests 0x7B, 0x7E and 0x7A answer with a long Telegram whose data start at
//    the function-code position (50, 40 and 32 bytes);
//  - frames with a bad layout or checksum, frames for another address, reads the controller
//    cannot serve and the reset frame 0x44 get no answer.
// After the commands 0x3C 0x00 and 0xD0 7D 05 00 01 p the controller speaks another bus
// protocol (p = 2 Modbus, 4 Q8100, 6 HB-Therm) and ignores Telegrams until the link
// preparation frame of that protocol brings it back.
class Simulator {
public:
    static constexpr quint8 ReplyControl = 0x08;
    static constexpr quint8 AckControl = 0x00;
    static constexpr quint8 NackControl = 0x01;

    explicit Simulator(const SimOptions& options = {});

    SimDevice& device() { return m_device; }
    const SimDevice& device() const { return m_device; }

    // Feeds received bytes; complete frames are handled at once, an incomplete one waits for
    // the rest. One entry per frame or discarded run of bytes, in order.
    QList<SimExchange> receive(const QByteArray& bytes);
    // Drops an incomplete frame (the line was quiet for too long to belong to it).
    QList<SimExchange> flushPartial();
    bool hasPartial() const { return !m_buffer.isEmpty(); }

    // Handles one complete native frame.
    SimExchange handleFrame(const QByteArray& frame);

    SimProtocol protocol() const { return m_protocol; }
    static QString protocolName(SimProtocol p);

private:
    SimExchange handleShort(const QByteArray& frame);
    SimExchange handleRead(int code, const QByteArray& data);
    SimExchange handleWrite(int code, const QByteArray& data);
    SimExchange consumeForeign(QByteArray* bytes);
    QByteArray longReply(int code, const QByteArray& data) const;
    QByteArray blockReply(const QByteArray& block) const;
    QByteArray ack() const;
    QByteArray nack() const;
    bool matchesReturnFrame(const QByteArray& window) const;
    QByteArray hbThermReturnFrame() const; // empty for addresses outside 1..9
    QString linkPreparationName(const QByteArray& bytes) const;

    SimDevice m_device;
    QByteArray m_buffer;
    SimProtocol m_protocol = SimProtocol::Native;
    bool m_switchArmed = false;
    QByteArray m_foreignTail; // recent bytes while another protocol is active
};

// Upper-case hex with blanks: "68 06 06 68".
QString hexBytes(const QByteArray& bytes);
