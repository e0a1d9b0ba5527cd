#include "device/OperationGate.h"

#include "base/Interaction.h"
#include "i18n/StringTable.h"

namespace {
constexpr int kTextInterfaceMessage = 456;
}

OperationGate::Ticket::Ticket(Ticket&& other) noexcept : m_gate(other.m_gate) {
    other.m_gate = nullptr;
}

OperationGate::Ticket& OperationGate::Ticket::operator=(Ticket&& other) noexcept {
    if (this != &other) {
        release();
        m_gate = other.m_gate;
        other.m_gate = nullptr;
    }
    return *this;
}

OperationGate::Ticket::~Ticket() {
    release();
}

void OperationGate::Ticket::release() {
    if (m_gate) {
        OperationGate* gate = m_gate;
        m_gate = nullptr;
        gate->leave();
    }
}

OperationGate::OperationGate(Interaction& interaction, const Texts& texts, QObject* parent)
    : QObject(parent), m_interaction(interaction), m_texts(texts) {}

OperationGate::Ticket OperationGate::enter(const QString& name, Scope scope) {
    return take(name, scope, true);
}

OperationGate::Ticket OperationGate::tryEnter(const QString& name, Scope scope) {
    return take(name, scope, false);
}

OperationGate::Ticket OperationGate::take(const QString& name, Scope scope, bool tell) {
    if (m_busy) {
        if (tell)
            m_interaction.notify(m_texts.LoadText(kTextInterfaceMessage), refusalText(name),
                                 Interaction::Icon::Exclamation);
        return Ticket();
    }
    m_busy = true;
    m_scope = scope;
    m_running = name;
    Q_EMIT changed();
    return Ticket(this);
}

void OperationGate::leave() {
    m_busy = false;
    m_running.clear();
    Q_EMIT changed();
}

QString OperationGate::refusalText(const QString& wanted) const {
    static const char* const text[] = {
        "„%1“ wurde nicht gestartet: der Regler ist noch mit „%2“ beschäftigt. Bitte warten, "
        "bis es beendet ist.",
        "\"%1\" was not started: the controller is still busy with \"%2\". Please wait until it "
        "has finished.",
        "« %1 » n'a pas été lancé : le régulateur est encore occupé par « %2 ». Veuillez "
        "attendre la fin.",
        "«%1» non è stato avviato: il regolatore è ancora occupato con «%2». Attendere che sia "
        "terminato."};
    return QString::fromUtf8(text[m_texts.languageIndex()])
        .arg(wanted.trimmed(), m_running.trimmed());
}
