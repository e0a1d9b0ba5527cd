#pragma once

#include "sim/Simulator.h"

#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>

// A fault the server injects into its answers. Requests are counted from 1 (only well-formed
// Telegrams addressed to the controller count).
//   silent@N+   no answer from request N on        drop/K      drop every K-th answer
//   corrupt@N   one byte of answer N flipped       truncate@N  only the first half of answer N
//   garbage@N   junk bytes before answer N         late@N      answer N after the time-out
//   hangup@N    the line goes away at request N
// Every kind takes the forms kind@N (request N only), kind@N+ (from N on) and kind/K (every
// K-th request).
struct SimFault {
    enum Kind { Silent, Drop, Corrupt, Truncate, Garbage, Late, HangUp };
    Kind kind = Silent;
    int at = 1;
    bool onward = false;
    int every = 0;

    bool appliesTo(int request) const;
    QString text() const;
    static std::optional<SimFault> parse(const QString& faultText, QString* error = nullptr);
};

// Serves a Simulator on a pseudo-terminal: the slave side behaves like the controller's serial
// line, so clients open slavePath() with the same serial-port code as real hardware.
//
// Received bytes go to the protocol engine as they arrive; its answers are written back at
// once or, with wire timing, after the transmission time of request and reply at the
// controller's baud rate (11 bits a byte) plus a turnaround, optionally in chunks. The live
// process advances on a timer. Everything runs on the event loop: no thread, no sleep.
class PtyServer : public QObject {
    Q_OBJECT
public:
    explicit PtyServer(Simulator& simulator, QObject* parent = nullptr);
    ~PtyServer() override;

    // Opens the pseudo-terminal and starts serving. False with *error when it cannot.
    bool start(QString* error = nullptr);
    void stop();
    bool isRunning() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }

    // A symbolic link to the slave device, removed again by stop(). An existing file at
    // `path` is replaced only when it is itself a symbolic link.
    bool makeLink(const QString& path, QString* error = nullptr);

    // Wire realism.
    void setWireTiming(bool on) { m_wireTiming = on; }
    void setTurnaroundMs(int ms) { m_turnaroundMs = ms; }
    // Answers delivered in pieces of this many bytes (0 = whole); without wire timing the
    // pieces are `chunkGapMs` apart.
    void setChunkSize(int bytes) { m_chunkSize = bytes; }
    void setChunkGapMs(int ms) { m_chunkGapMs = ms; }
    // How late a "late" answer comes (beyond the program's 500 ms reply time-out).
    void setLateDelayMs(int ms) { m_lateMs = ms; }
    // An incomplete frame is dropped after this much silence on the line.
    void setQuietGapMs(int ms) { m_quietGapMs = ms; }
    // How often the live process advances in real time; 0 freezes it (tests then move it
    // with SimDevice::advance()).
    void setProcessInterval(int ms);

    // With a strict line, bytes sent at a baud rate or parity other than the controller's
    // interface setting (function code 0xA0) arrive garbled and get no answer, as on a real
    // line. Off by default: a pseudo-terminal works at any setting. (The pseudo-terminal driver
    // drops the parity-enable flag but keeps odd and space, so even and none count as one.)
    void setStrictLine(bool on) { m_strictLine = on; }
    // The baud rate the client set on the pseudo-terminal, 0 when unknown.
    int clientBaudRate() const;
    // The parity the client set, as far as the pseudo-terminal tells: 'o', 's', 'm' (mark), or
    // 'e' for even and none; 0 when unknown.
    char clientParity() const;

    void addFault(const SimFault& fault) { m_faults.append(fault); }
    void clearFaults() { m_faults.clear(); }

    // Every frame received and sent, in hex with a time stamp, and every fault and device
    // event. An empty path ends tracing.
    bool setTraceFile(const QString& path, QString* error = nullptr);

    int requestCount() const { return m_requests; }
    Simulator& simulator() { return m_sim; }

Q_SIGNALS:
    // Faults injected, device events and protocol notes, one line each.
    void message(const QString& text);
    // One piece of the incoming stream was handled (after tracing).
    void exchanged(const SimExchange& exchange);
    void hungUp();

private:
    void onReadable();
    void onQuietGap();
    void onSendTimer();
    void advanceProcess();
    void handle(const SimExchange& exchange);
    void schedule(const QByteArray& bytes, qint64 dueUs);
    void armSendTimer(qint64 nowUs);
    qint64 nowUs() const;
    void writeNow(const QByteArray& bytes);
    void hangUp();
    void trace(const QString& direction, const QByteArray& bytes, const QString& note = {});
    void log(const QString& text);
    qint64 transmissionUs(int bytes) const;

    Simulator& m_sim;
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QString m_linkPath;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QTimer m_processTimer;
    QTimer m_quietTimer;
    QTimer m_sendTimer;
    QElapsedTimer m_clock;
    qint64 m_lastAdvanceMs = 0;

    struct Pending {
        qint64 dueUs;
        QByteArray bytes;
    };
    QList<Pending> m_outgoing;

    bool m_wireTiming = false;
    bool m_strictLine = false;
    int m_turnaroundMs = 2;
    int m_chunkSize = 0;
    int m_chunkGapMs = 5;
    int m_lateMs = 700;
    int m_quietGapMs = 50;
    QList<SimFault> m_faults;
    int m_requests = 0;
    QFile m_trace;
};
