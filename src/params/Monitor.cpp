#include "params/Monitor.h"

#include "base/Interaction.h"
#include "base/NumberText.h"
#include "device/DeviceData.h"
#include "device/DeviceServices.h"
#include "link/Link.h"
#include "params/ControlWords.h"
#include "params/MonitorTexts.h"

#include <QFileInfo>

#include <algorithm>

namespace {
constexpr int SetpointCode = 0;
constexpr int StatusCode = 0x24;
constexpr int MessageWord = 8; // the message inputs in the unranged read of 0x24
constexpr int OperationCode = 0x32;
constexpr quint8 MappingCommand = 0xAA; // starts or stops the mapping run

QString title(const DeviceData& data) {
    return data.identification.DeviceType + data.texts.LoadText(240);
}

} // namespace

Monitor::Monitor(DeviceData& data, DeviceServices& services, Interaction& interaction,
                 QObject* parent)
    : QObject(parent), m_data(data), m_services(services), m_interaction(interaction) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &Monitor::onTick);
    // The controller stopped answering: the running poll ends after this exchange and
    // monitoring stops completely (the link shows its message once).
    connect(&m_services.link(), &Link::gaveUp, this, [this] {
        m_stopped = true;
        stop();
    });
}

Monitor::~Monitor() {
    closeLog();
}

int Monitor::intervalOf(QStringView text, QString* shown) {
    const std::optional<qint64> ms = wholeNumber(text);
    if (ms && *ms >= MinIntervalMs && *ms <= MaxIntervalMs)
        return int(*ms);
    if (shown)
        *shown = QString::number(FallbackIntervalMs);
    return FallbackIntervalMs;
}

void Monitor::setInterval(int ms) {
    m_intervalMs = std::clamp(ms, int(MinIntervalMs), int(MaxIntervalMs));
}

void Monitor::refreshLayout() {
    m_formats = SetChannelFormats(m_data.image, m_data.identification);
    m_extended = extendedLayout(m_data.identification);
}

bool Monitor::start(const QString& logPath) {
    if (m_running)
        return true;
    if (!logPath.isEmpty()) {
        // Only onto a plain file: never into a device, a pipe or a folder.
        const QFileInfo info(logPath);
        QString reason;
        if (info.exists() && !info.isFile()) {
            reason = monitorText(m_data.texts, MonitorText::NotAPlainFile);
        } else {
            m_log.setFileName(logPath);
            if (!m_log.open(QIODevice::WriteOnly | QIODevice::Truncate))
                reason = m_log.errorString();
        }
        if (!reason.isEmpty()) {
            m_interaction.inform(
                title(m_data),
                monitorText(m_data.texts, MonitorText::LogCannotBeCreated).arg(logPath, reason),
                Interaction::Icon::Critical);
            return false;
        }
    }
    refreshLayout();
    m_last = MonitorSnapshot{};
    m_clock.start();
    m_running = true;
    m_stopped = false;
    Q_EMIT runningChanged(true);
    if (!m_polling)
        m_timer.start(0);
    return true;
}

void Monitor::stop() {
    // Writes that were waiting for the next poll are not sent now: the window shows them as
    // not sent, so the user can transfer them again.
    if (m_writeSetpoints || m_writeOutputs)
        Q_EMIT writesDropped(m_writeSetpoints, m_writeOutputs);
    m_writeSetpoints = false;
    m_writeOutputs = false;
    if (!m_running) {
        closeLog();
        return;
    }
    m_running = false;
    m_timer.stop();
    closeLog();
    Q_EMIT runningChanged(false);
}

void Monitor::closeLog() {
    if (m_log.isOpen())
        m_log.close();
}

bool Monitor::write(int row) {
    return m_services.WriteParameterRow(row);
}

Monitor::Transfer Monitor::transfer(int row, bool& pending, int caption) {
    if (m_running) {
        pending = true;
        return Transfer::Pending;
    }
    const OperationGate::Ticket ticket =
        m_data.gate().enter(m_data.texts.LoadText(caption), OperationGate::Scope::Image);
    if (!ticket)
        return Transfer::Refused;
    return write(row) ? Transfer::Written : Transfer::Failed;
}

Monitor::Transfer Monitor::transferSetpoints() {
    return transfer(MonitorRows::Setpoints, m_writeSetpoints, 256);
}

Monitor::Transfer Monitor::transferOutputs() {
    return transfer(MonitorRows::Outputs, m_writeOutputs, 258);
}

std::optional<bool> Monitor::stopMapping() {
    const OperationGate::Ticket ticket = m_data.gate().enter(m_data.texts.LoadText(471));
    if (!ticket)
        return std::nullopt;
    m_services.PrepareLink();
    m_services.SendCommand(OperationCode, QByteArray(1, char(MappingCommand)));
    if (!m_services.link().replyReceived() || !m_services.RefreshMappingState())
        return std::nullopt;
    return m_services.MappingActive == 1;
}

void Monitor::onTick() {
    if (!m_running || m_polling)
        return;
    if (m_data.gate().busy()) {
        // A device operation the user started runs: this tick is its turn.
        m_timer.start(m_intervalMs);
        return;
    }
    QElapsedTimer took;
    took.start();
    pollOnce();
    if (m_running)
        m_timer.start(int(std::max<qint64>(0, m_intervalMs - took.elapsed())));
}

MonitorSnapshot Monitor::pollOnce() {
    if (m_polling)
        return m_last;
    m_polling = true;
    if (!m_running) {
        // A single poll outside monitoring (q7400ctl, tests): it has its own layout.
        refreshLayout();
        if (!m_clock.isValid())
            m_clock.start();
    }
    const bool timed = m_running;
    m_stopped = false;
    Link& link = m_services.link();
    MonitorSnapshot s = m_last;
    s.poll = m_last.poll + 1;
    s.extended = m_extended;
    s.stopped = false;
    s.setpointsWritten.reset();
    s.outputsWritten.reset();
    s.setpoints.reset();
    s.cyclic.reset();
    s.extendedCurrents.reset();
    s.errorWords.reset();
    s.messageInputs.reset();
    s.mappingActive.reset();

    // Every exchange is followed by this check: the give-up, a stop, or a device operation
    // the user started meanwhile (the poll makes way for it).
    const OperationGate& gate = m_data.gate();
    const auto ended = [&] {
        return m_stopped || (timed && (!m_running || gate.busy()));
    };
    const auto run = [&]() -> bool {
        // Pending writes first, so they never interleave with the reads of a poll.
        if (m_writeSetpoints) {
            m_writeSetpoints = false;
            s.setpointsWritten = write(MonitorRows::Setpoints);
            if (ended())
                return false;
        }
        if (m_writeOutputs) {
            m_writeOutputs = false;
            s.outputsWritten = write(MonitorRows::Outputs);
            if (ended())
                return false;
        }
        if (m_readSetpoints) {
            const std::optional<QList<int>> words = m_services.readValues(SetpointCode);
            if (ended())
                return false;
            if (words && words->size() >= 8) {
                std::array<int, 8> setpoints{};
                for (int i = 0; i < 8; ++i) {
                    setpoints[size_t(i)] = words->at(i);
                    m_data.setValue(MonitorRows::Setpoints, i + 1, words->at(i));
                }
                s.setpoints = setpoints;
            }
        }

        if (requestShortBlock(link, ShortBlock::Cyclic)) {
            CyclicValues v;
            for (size_t i = 0; i < 8; ++i) {
                v.actual[i] = link.CycleWordsA[i];
                v.output[i] = link.CycleBytes[i];
                v.current[i] = link.CycleWordsB[i];
            }
            v.voltage = link.CycleWordC;
            s.cyclic = v;
        }
        if (ended())
            return false;

        if (m_extended) {
            if (requestShortBlock(link, ShortBlock::ExtendedCyclic)) {
                std::array<int, 16> currents{};
                for (size_t i = 0; i < 16; ++i)
                    currents[i] = link.CycleWordsB[8 + i];
                s.extendedCurrents = currents;
            }
            if (ended())
                return false;
        }

        if (requestShortBlock(link, ShortBlock::DeviceErrors)) {
            std::array<int, 12> words{};
            for (size_t i = 0; i < 12; ++i)
                words[i] = link.DeviceErrorWords[i];
            s.errorWords = words;
        }
        if (ended())
            return false;

        if (readsMessageInputs(m_data.identification.FirmwareVersion)) {
            const std::optional<QList<int>> status = m_services.readValues(StatusCode);
            if (ended())
                return false;
            // The message inputs follow the eight status words.
            if (status && status->size() > MessageWord)
                s.messageInputs = status->at(MessageWord) & 0xFF;
        }

        const bool known = m_services.RefreshMappingState();
        if (ended())
            return false;
        if (known)
            s.mappingActive = m_services.MappingActive == 1;
        return true;
    };
    s.stopped = !run();
    s.elapsedSeconds = double(m_clock.nsecsElapsed()) / 1e9;
    updateSnapshotTexts(s, m_formats);
    m_last = s;
    m_polling = false;

    // Only a poll whose values arrived is recorded, and only while the log is open.
    if (s.cyclic && m_log.isOpen()) {
        const QString line = monitorLogLine(s);
        const QByteArray bytes = line.toUtf8();
        // Line by line: a crash must not lose the record.
        if (m_log.write(bytes) != bytes.size() || !m_log.flush()) {
            const QString reason = m_log.errorString();
            const QString path = m_log.fileName();
            closeLog();
            m_interaction.inform(
                title(m_data),
                monitorText(m_data.texts, MonitorText::LogCannotBeWritten).arg(path, reason),
                Interaction::Icon::Critical);
        } else {
            Q_EMIT logged(line.trimmed());
        }
    }
    Q_EMIT polled(s);
    return s;
}
