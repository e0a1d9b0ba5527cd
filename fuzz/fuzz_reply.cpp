// The link's reply handler and block decoders: one request of every kind the program sends,
// answered with the fuzzer's bytes in pieces. Whatever arrives, the exchange ends, and a reply
// it takes is an intact frame of the expected length from the controller that was asked.
#include "base/Interaction.h"
#include "i18n/StringTable.h"
#include "link/Link.h"
#include "link/SerialPort.h"
#include "link/Telegram.h"
#include "link/TransferGroup.h"

#include <QCoreApplication>

#include <cstdint>

namespace {
class SilentInteraction : public Interaction {
public:
    Answer ask(Icon, Buttons, const QString&, const QString&) override { return Answer::Ok; }
    QString openFileName(const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&) override { return {}; }
};

// Answers the first request with the given pieces, each as its own receive event; later
// requests (repetitions) get nothing.
class ScriptedPort : public SerialPort {
public:
    QByteArrayList pieces;
    bool open() override { return m_open = true; }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    bool setSettings(const QString&) override { return true; }
    qint64 write(const QByteArray& bytes) override {
        for (const QByteArray& piece : std::as_const(pieces))
            QMetaObject::invokeMethod(
                this,
                [this, piece] {
                    m_input.append(piece);
                    Q_EMIT readyRead();
                },
                Qt::QueuedConnection);
        pieces.clear();
        return bytes.size();
    }
    qint64 bytesAvailable() const override { return m_input.size(); }
    QByteArray readAll() override { return std::exchange(m_input, {}); }
    int errorNumber() const override { return 0; }
    QString errorText() const override { return {}; }
    QString deviceName() const override { return QStringLiteral("fuzz"); }

private:
    bool m_open = false;
    QByteArray m_input;
};

void check(bool condition) {
    if (!condition)
        __builtin_trap();
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    return 0;
}

// Input: request kind, function code, range, address, piece size, then the bytes that arrive.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 5)
        return 0;
    static SilentInteraction interaction;
    static const Texts texts;
    const int kind = data[0] % 5;
    const int code = data[1];
    const int p1 = data[2] & 0x0F;
    const int p2 = data[2] >> 4;
    const int address = data[3];
    const int piece = 1 + data[4] % 64;
    const QByteArray arriving(reinterpret_cast<const char*>(data + 5), qsizetype(size - 5));

    ScriptedPort port;
    port.open();
    for (qsizetype at = 0; at < arriving.size(); at += piece)
        port.pieces.append(arriving.mid(at, piece));
    Link link(interaction, texts);
    link.setReplyTimeout(0);
    link.setPort(&port);
    link.DeviceAddress = address;

    int expected = 5;
    int function = -1;
    switch (kind) {
    case 0:
        link.RequestCyclicBlock();
        expected = 50;
        break;
    case 1:
        link.RequestExtendedCyclicBlock();
        expected = 40;
        break;
    case 2:
        link.RequestDeviceErrors();
        expected = 32;
        break;
    default: {
        // A read (kind 3) or a write (kind 4) of the function code.
        const bool read = kind == 3;
        link.RequestControl = read ? Telegram::ReadControl : Telegram::WriteControl;
        link.FunctionCode = code;
        link.RequestData = QByteArray(1, char(p1)) + char(p2) + char(0);
        link.RequestLength = 6;
        link.DataSum = p1 + p2;
        link.Checksum = (link.RequestControl + address + code + link.DataSum) % 256;
        expected = read ? readReplyLength(code, p1, p2) : 5;
        link.ExpectedLength = expected;
        function = code;
        link.ExchangeTelegram();
        break;
    }
    }

    check(link.LinkState == 0);
    check(!link.CyclicPending && !link.CyclicExtended && !link.ErrorPending);
    check(link.ReceiveBuffer.size() <= arriving.size());
    if (!link.CommError) {
        QByteArray frame;
        for (int k = 1; k <= expected; ++k)
            frame.append(char(link.ReplyBytes[size_t(k)]));
        for (int k = expected + 1; k <= Link::MaxReplyBytes; ++k)
            check(link.ReplyBytes[size_t(k)] == 0);
        const Telegram::FrameScan scan = Telegram::scanFrame(frame);
        check(scan.kind == Telegram::FrameScan::Frame && scan.intact && scan.length == expected);
        const bool isShort = expected == 5;
        check(quint8(frame[isShort ? 2 : 5]) == address);
        check(function < 0 || isShort || quint8(frame[6]) == function);
        check(arriving.contains(frame));
    }
    return 0;
}
