#pragma once

#include "device/OperationGate.h"

#include <QObject>
#include <QString>

// A device sequence that takes a while (reading the alarm history or the logger, a monitoring
// run): a core object with progress and a stop request checked between two exchanges. The
// window that shows it only draws: it connects progress() and finished(), calls run() from its
// button and requestStop() from its stop button or when it is closed.
//
//   class HistoryRead : public LongOperation {
//   public:
//       HistoryRead(Workspace& ws) : LongOperation(ws.gate()), m_ws(ws) {}
//   protected:
//       QString name() const override { return m_ws.texts.LoadText(173); }
//       bool start() override { ...announce, read the count...; setProgress(0, m_count);
//                               return !m_ws.link().CommError; }
//       Step step() override {
//           ...read entry m_next...;
//           if (m_ws.link().CommError) return Step::Failed;
//           setProgress(++m_next, m_count);
//           return m_next < m_count ? Step::More : Step::Finished;
//       }
//   };
//
// run() enters the operation gate for the whole sequence (refused at once when another
// operation runs), so nothing else talks to the controller in between. The object may be
// deleted by its owner only when it is not running; a window keeps it until the program ends
// (the window manager hides windows instead of deleting them).
class LongOperation : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        Done,    // every step ran
        Stopped, // requestStop() ended it between two steps
        Failed,  // a step failed (the controller stopped answering)
        Refused, // another operation was running; nothing was sent
    };

    explicit LongOperation(OperationGate& gate, QObject* parent = nullptr);

    // Runs the operation to its end and returns how it ended; finished() is emitted first.
    // Yields to the event loop while it waits for the controller.
    Outcome run();
    // Asks a running operation to stop after the step in progress; no effect when idle.
    void requestStop();

    bool running() const { return m_running; }
    bool stopRequested() const { return m_stop; }
    int done() const { return m_done; }
    int total() const { return m_total; }

Q_SIGNALS:
    void progress(int done, int total);
    void runningChanged(bool running);
    void finished(LongOperation::Outcome outcome);

protected:
    enum class Step { More, Finished, Failed };

    // The name the user knows it by, in the language in use (the gate's refusal names it).
    virtual QString name() const = 0;
    virtual OperationGate::Scope scope() const { return OperationGate::Scope::Link; }
    // Before the first step: preparation, announcing, counting. False = Failed.
    virtual bool start() { return true; }
    // One exchange, or a few that belong together.
    virtual Step step() = 0;
    // After the last step, whatever the outcome (close a file, redraw).
    virtual void finish(Outcome) {}

    void setProgress(int done, int total);

private:
    OperationGate& m_gate;
    bool m_running = false;
    bool m_stop = false;
    int m_done = 0;
    int m_total = 0;
};
