#pragma once

#include <QObject>
#include <QString>

class Interaction;
class Texts;

// One user-started device operation at a time.
//
// Waiting for the controller yields to the event loop, so menus and buttons stay live while an
// operation runs. A second operation started from there must not begin its own wait: its nested
// wait would hold up the first one until it ended too. So every user-started sequence (read
// everything, write, a parameter-set command, the error read, a window's command, the history or
// logger read) enters the gate first, and a second one is refused at once:
//
//   void frmExtra::setClock() {
//       const OperationGate::Ticket ticket =
//           m_ws.gate().enter(captionText(...), OperationGate::Scope::Link);
//       if (!ticket)
//           return; // the user has been told which operation runs
//       m_ws.services().PrepareLink();
//       ...
//   } // the ticket leaves the gate
//
// An operation that runs another as one of its steps (a parameter-set load, then the read of
// everything) holds one ticket and calls the inner step's variant that does not enter again.
//
// Work that is not started by the user skips its turn instead: a cyclic poll tests busy() at
// each tick and does nothing while an operation runs; reads that a window does when it is
// brought forward use tryEnter(), which refuses silently.
//
// While an operation of Scope::Image runs (it reads into or writes from the device image) the
// editors are read-only (Form::isEditable), so nothing typed meanwhile is lost or half sent.
class OperationGate : public QObject {
    Q_OBJECT
public:
    enum class Scope {
        Link,  // talks to the controller, leaves the device image alone
        Image, // reads into or writes from the device image
    };

    // Holds the gate while it lives (move-only). False when the operation was refused.
    class Ticket {
    public:
        Ticket() = default;
        Ticket(Ticket&& other) noexcept;
        Ticket& operator=(Ticket&& other) noexcept;
        Ticket(const Ticket&) = delete;
        Ticket& operator=(const Ticket&) = delete;
        ~Ticket();

        explicit operator bool() const { return m_gate != nullptr; }
        // Leaves the gate before the ticket ends.
        void release();

    private:
        friend class OperationGate;
        explicit Ticket(OperationGate* gate) : m_gate(gate) {}
        OperationGate* m_gate = nullptr;
    };

    // Refusals are told through `interaction` (a message that does not wait) in the language
    // of `texts`.
    OperationGate(Interaction& interaction, const Texts& texts, QObject* parent = nullptr);

    // Enters for the operation `name` (as the user knows it, e.g. "Q7400 => PC"). While another
    // operation runs the ticket is empty and the user is told which one runs.
    [[nodiscard]] Ticket enter(const QString& name, Scope scope = Scope::Link);
    // The same, but a refusal is silent: for work the user did not start just now.
    [[nodiscard]] Ticket tryEnter(const QString& name, Scope scope = Scope::Link);

    bool busy() const { return m_busy; }
    // The running operation's name; empty when idle.
    QString running() const { return m_running; }
    // An operation of Scope::Image runs: the editors are read-only.
    bool imageLocked() const { return m_busy && m_scope == Scope::Image; }

    // What the user is told when `wanted` is refused because `running` runs.
    QString refusalText(const QString& wanted) const;

Q_SIGNALS:
    // busy() or imageLocked() changed: menus, buttons and editors follow.
    void changed();

private:
    Ticket take(const QString& name, Scope scope, bool tell);
    void leave();

    Interaction& m_interaction;
    const Texts& m_texts;
    bool m_busy = false;
    Scope m_scope = Scope::Link;
    QString m_running;
};
