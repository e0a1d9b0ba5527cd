#pragma once

#include <QList>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QStringList>

class Link;
class OperationGate;
class Texts;

// A controller that answered a scan.
struct ScanFind {
    int address = 0;
    QString settingsText; // "19200,e,8,1"
    int firmware = 0;
    int attributes = -1; // -1: the attributes read went unanswered
    // "19200,e": baud rate and parity as q7400ctl scan prints them.
    QString lineText() const;
};
Q_DECLARE_METATYPE(ScanFind)

// What a scan covers.
struct ScanRange {
    int firstAddress = 0;
    int lastAddress = 255;
    // All baud rates and parities, not only the present ones.
    bool allSettings = false;
    // Reply time-out of one probe; 0: suited to the baud rate (scanTimeoutMs).
    int timeoutMs = 0;
};

// The line settings a scan tries, most likely first: the present ones, then 19200 even, then
// the other parities at those baud rates, then the other baud rates from the fastest down.
// Only the present ones without `all`. Settings texts such as "19200,e,8,1".
QStringList scanSettingsOrder(const QString& present, bool all);

// A reply time-out for one probe at `baud`: twice the time the firmware request and its reply
// take on the line (11 bits a byte), plus 50 ms for the controller to turn round.
int scanTimeoutMs(int baud);

// "Scan the line": the name of the operation, in the language of `texts`.
QString lineScanName(const Texts& texts);

// Looks for controllers on the line: at each line setting the link preparation once, then at
// each address one firmware read (no repetition, a short time-out); a controller that answers
// is asked for its attributes too and reported at once (found()). A line setting the port
// refuses is skipped. Nothing is ever written to a controller. The link's port, line settings and
// address are as before when run() returns.
//
// A scan is a user-started device operation: it enters the operation gate and is refused while
// another runs. Waiting yields to the event loop through the link; cancel() (from a button, a
// signal handler) stops the scan before its next probe.
class LineScan : public QObject {
    Q_OBJECT
public:
    LineScan(Link& link, OperationGate& gate, const Texts& texts, QObject* parent = nullptr);

    enum class Outcome {
        Done,      // every probe was sent
        Cancelled, // cancel() stopped it
        Busy,      // another device operation ran; nothing was sent
        Failed,    // no open port, the port was lost, or it took none of the line settings
    };

    // `presentSettings` is the settings text in use ("19200,e,8,1").
    Outcome run(const ScanRange& range, const QString& presentSettings);
    void cancel() { m_cancelled = true; }
    bool running() const { return m_running; }

    // The controllers found by the last run, in the order they answered.
    const QList<ScanFind>& finds() const { return m_finds; }

Q_SIGNALS:
    // Before each probe: `done` probes of `total` have been sent; the one now goes to
    // `address` at `settingsText`.
    void progress(int done, int total, int address, const QString& settingsText);
    void found(const ScanFind& find);

private:
    // False when cancelled meanwhile.
    bool prepare(const ScanRange& range);

    Link& m_link;
    OperationGate& m_gate;
    const Texts& m_texts;
    QList<ScanFind> m_finds;
    bool m_cancelled = false;
    bool m_running = false;
};
