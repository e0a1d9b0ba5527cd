#include "device/LongOperation.h"

LongOperation::LongOperation(OperationGate& gate, QObject* parent)
    : QObject(parent), m_gate(gate) {}

LongOperation::Outcome LongOperation::run() {
    if (m_running)
        return Outcome::Refused;
    OperationGate::Ticket ticket = m_gate.enter(name(), scope());
    if (!ticket)
        return Outcome::Refused;
    m_running = true;
    m_stop = false;
    m_done = 0;
    m_total = 0;
    Q_EMIT runningChanged(true);

    Outcome outcome = Outcome::Done;
    if (!start()) {
        outcome = Outcome::Failed;
    } else {
        for (;;) {
            if (m_stop) {
                outcome = Outcome::Stopped;
                break;
            }
            const Step s = step();
            if (s == Step::Failed) {
                outcome = Outcome::Failed;
                break;
            }
            if (s == Step::Finished)
                break;
        }
    }
    finish(outcome);
    ticket.release();
    m_running = false;
    m_stop = false;
    Q_EMIT runningChanged(false);
    Q_EMIT finished(outcome);
    return outcome;
}

void LongOperation::requestStop() {
    if (m_running)
        m_stop = true;
}

void LongOperation::setProgress(int done, int total) {
    m_done = done;
    m_total = total;
    Q_EMIT progress(done, total);
}
