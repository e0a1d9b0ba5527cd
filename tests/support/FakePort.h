#pragma once

#include "link/SerialPort.h"

#include <QByteArrayList>
#include <QList>

#include <functional>

// An in-memory serial port for tests. It records every write and answers it from a script:
// each write takes the next reaction from `script` (or asks `responder` when set), and the
// reaction's chunks arrive one after another, each after `chunkDelayMs`, as separate receive
// events. An empty reaction is silence.
class FakePort : public SerialPort {
    Q_OBJECT
public:
    struct Reaction {
        QByteArrayList chunks; // empty = no answer
        int firstDelayMs = 0;  // before the first chunk
        int chunkDelayMs = 5;  // between chunks
    };

    explicit FakePort(QObject* parent = nullptr);

    // Scripting.
    QList<Reaction> script;
    std::function<Reaction(const QByteArray& written)> responder; // used when set
    void reply(const QByteArray& bytes) { script.append(Reaction{{bytes}}); }
    void replyChunks(const QByteArrayList& chunks, int chunkDelayMs = 5) {
        script.append(Reaction{chunks, 0, chunkDelayMs});
    }
    void silence(int count = 1) {
        for (int i = 0; i < count; ++i)
            script.append(Reaction{});
    }
    // Bytes arriving unasked, after `delayMs` (0 = on the next turn of the event loop).
    void deliverLater(const QByteArray& bytes, int delayMs = 0);
    // Bytes arriving now: appended to the input and the receive event emitted at once.
    void deliverNow(const QByteArray& bytes);

    // The line goes away: the port closes and reports it (SerialPort::lost).
    void hangUp(const QString& reason = QStringLiteral("fake: hung up"));

    // Makes open() fail with this error (0 = open succeeds).
    void failOpen(int errorNumber, const QString& text);

    // What was written, one entry per write() call.
    QByteArrayList written;
    QByteArray allWritten() const { return written.join(); }
    QString settings() const { return m_settings; }

    bool open() override;
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    bool setSettings(const QString& settingsText) override;
    qint64 write(const QByteArray& bytes) override;
    qint64 bytesAvailable() const override { return m_input.size(); }
    QByteArray readAll() override;
    int errorNumber() const override { return m_errorNumber; }
    QString errorText() const override { return m_errorText; }
    QString deviceName() const override { return QStringLiteral("fake"); }

private:
    void play(const Reaction& reaction);

    bool m_open = false;
    QString m_settings = QStringLiteral("19200,e,8,1");
    QByteArray m_input;
    int m_failNumber = 0;
    QString m_failText;
    int m_errorNumber = 0;
    QString m_errorText;
};
