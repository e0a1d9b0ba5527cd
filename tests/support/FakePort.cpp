#include "support/FakePort.h"

#include <QTimer>

FakePort::FakePort(QObject* parent) : SerialPort(parent) {}

void FakePort::failOpen(int errorNumber, const QString& text) {
    m_failNumber = errorNumber;
    m_failText = text;
}

bool FakePort::open() {
    m_errorNumber = m_failNumber;
    m_errorText = m_failText;
    m_open = m_failNumber == 0;
    return m_open;
}

bool FakePort::setSettings(const QString& settingsText) {
    m_settings = settingsText;
    return true;
}

qint64 FakePort::write(const QByteArray& bytes) {
    if (!m_open)
        return -1;
    written.append(bytes);
    if (responder)
        play(responder(bytes));
    else if (!script.isEmpty())
        play(script.takeFirst());
    return bytes.size();
}

QByteArray FakePort::readAll() {
    QByteArray bytes;
    bytes.swap(m_input);
    return bytes;
}

void FakePort::deliverNow(const QByteArray& bytes) {
    m_input.append(bytes);
    Q_EMIT readyRead();
}

void FakePort::deliverLater(const QByteArray& bytes, int delayMs) {
    QTimer::singleShot(delayMs, this, [this, bytes] { deliverNow(bytes); });
}

void FakePort::play(const Reaction& reaction) {
    int delay = reaction.firstDelayMs;
    for (const QByteArray& chunk : reaction.chunks) {
        deliverLater(chunk, delay);
        delay += reaction.chunkDelayMs;
    }
}

void FakePort::hangUp(const QString& reason) {
    m_open = false;
    m_input.clear();
    Q_EMIT lost(reason);
}
