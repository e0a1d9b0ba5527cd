#include "link/Telegram.h"

namespace Telegram {

quint8 checksum(quint8 control, quint8 address, quint8 function, const QByteArray& data) {
    unsigned sum = control + address + function;
    for (char b : data)
        sum += quint8(b);
    return quint8(sum & 0xFF);
}

QByteArray buildLong(quint8 control, quint8 address, quint8 function, const QByteArray& data) {
    const quint8 length = quint8(3 + data.size());
    QByteArray frame;
    frame.reserve(data.size() + 9);
    frame.append(char(LongStart)).append(char(length)).append(char(length)).append(char(LongStart));
    frame.append(char(control)).append(char(address)).append(char(function));
    frame.append(data);
    frame.append(char(checksum(control, address, function, data))).append(char(End));
    return frame;
}

QByteArray buildShort(quint8 control, quint8 address) {
    QByteArray frame;
    frame.append(char(ShortStart)).append(char(control)).append(char(address));
    frame.append(char(quint8(control + address))).append(char(End));
    return frame;
}

int frameLength(const QByteArray& frame) {
    if (frame.isEmpty())
        return 0;
    if (quint8(frame[0]) == ShortStart)
        return 5;
    if (quint8(frame[0]) == LongStart && frame.size() >= 2)
        return quint8(frame[1]) + 6;
    return 0;
}

FrameScan scanFrame(QByteArrayView bytes) {
    FrameScan scan;
    if (bytes.isEmpty())
        return scan;
    const quint8 first = quint8(bytes[0]);
    if (first == ShortStart) {
        if (bytes.size() < 5)
            return scan;
        scan.kind = FrameScan::Frame;
        scan.length = 5;
        scan.intact = isValidShort(bytes.first(5).toByteArray());
        return scan;
    }
    if (first != LongStart) {
        scan.kind = FrameScan::Junk;
        return scan;
    }
    if (bytes.size() < 4)
        return scan;
    const int length = quint8(bytes[1]);
    if (bytes[1] != bytes[2] || quint8(bytes[3]) != LongStart || length < 3) {
        scan.kind = FrameScan::Junk;
        return scan;
    }
    if (bytes.size() < length + 6)
        return scan;
    scan.kind = FrameScan::Frame;
    scan.length = length + 6;
    scan.intact = isValidLong(bytes.first(scan.length).toByteArray());
    return scan;
}

bool isValidLong(const QByteArray& f) {
    if (f.size() < 9 || quint8(f[0]) != LongStart || quint8(f[3]) != LongStart || f[1] != f[2])
        return false;
    const int length = quint8(f[1]);
    if (length < 3 || f.size() != length + 6 || quint8(f[length + 5]) != End)
        return false;
    const QByteArray data = f.mid(7, length - 3);
    return quint8(f[length + 4]) == checksum(quint8(f[4]), quint8(f[5]), quint8(f[6]), data);
}

bool isValidShort(const QByteArray& f) {
    return f.size() == 5 && quint8(f[0]) == ShortStart && quint8(f[4]) == End &&
           quint8(f[3]) == quint8(quint8(f[1]) + quint8(f[2]));
}

} // namespace Telegram
