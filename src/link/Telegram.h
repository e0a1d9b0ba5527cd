#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Frames of the controller's serial protocol (IEC 60870-5-1 FT 1.2 style).
//   long:  0x68 L L 0x68 C A F data... CS 0x16   (L = 3 + data bytes, CS = C+A+F+data mod 256)
//   short: 0x10 C A CS 0x16                      (CS = C+A mod 256)
namespace Telegram {
constexpr quint8 LongStart = 0x68;
constexpr quint8 ShortStart = 0x10;
constexpr quint8 End = 0x16;
constexpr quint8 ReadControl = 0x7B;
constexpr quint8 WriteControl = 0x73;

quint8 checksum(quint8 control, quint8 address, quint8 function, const QByteArray& data);
QByteArray buildLong(quint8 control, quint8 address, quint8 function, const QByteArray& data);
QByteArray buildShort(quint8 control, quint8 address);

// Length of the complete frame starting at frame[0], judged from its first bytes:
// 5 for a short frame, L + 6 for a long one, 0 when it cannot be told yet or is not a frame start.
int frameLength(const QByteArray& frame);

// What a received byte stream holds at its start.
struct FrameScan {
    enum Kind {
        NeedMore, // nothing, or the start of a frame that has not arrived completely
        Junk,     // the first byte cannot start a frame
        Frame,    // a frame of `length` bytes
    };
    Kind kind = NeedMore;
    int length = 0;
    bool intact = false; // Frame: end byte and checksum are right
};
// A short frame starts with 0x10, a long one with 0x68 L L 0x68 (L at least 3); the frame is
// judged only when all its bytes are there.
FrameScan scanFrame(QByteArrayView bytes);

// True for a complete, well-formed long frame whose checksum matches.
bool isValidLong(const QByteArray& frame);
// True for a complete, well-formed short frame whose checksum matches.
bool isValidShort(const QByteArray& frame);
} // namespace Telegram
