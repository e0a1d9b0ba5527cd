#pragma once

#include "params/ChannelFormats.h"
#include "params/Monitoring.h"

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

class DeviceData;
class DeviceServices;
class Interaction;

// The cyclic monitoring: polls the controller at an interval, writes setpoints and outputs
// typed meanwhile at the start of the next poll, records every poll into the monitoring log
// and announces each poll's results as one snapshot. Windows only draw the snapshots.
//
// Polls never nest: the poll timer is single-shot and armed again when a poll has ended, for
// what is left of the interval, so a poll longer than the interval is followed by the next at
// once instead of a tick being skipped. After every exchange the poll checks whether
// monitoring was stopped (the Stop button, a closed window, the controller giving up) and ends
// there, so a give-up is reported once and nothing more is sent. The poll yields to a device
// operation the user started: no poll begins while one runs (OperationGate::busy), and a poll
// that finds one started ends after its current exchange.
//
//   Monitor& m = workspace.monitor();
//   connect(&m, &Monitor::polled, window, &Window::draw);
//   m.setInterval(Monitor::intervalOf(text, &shown));
//   if (!m.start(logPath)) ...   // the log file could not be created: told, not started
//   m.stop();                    // the one complete stop, whatever the way out
class Monitor : public QObject {
    Q_OBJECT
public:
    static constexpr int DefaultIntervalMs = 100;
    static constexpr int FallbackIntervalMs = 300;
    static constexpr int MinIntervalMs = 10;
    static constexpr int MaxIntervalMs = 60000;

    Monitor(DeviceData& data, DeviceServices& services, Interaction& interaction,
            QObject* parent = nullptr);
    ~Monitor() override;

    // The interval a typed text asks for: whole milliseconds 10..60000; anything else is 300
    // and *shown becomes "300".
    static int intervalOf(QStringView text, QString* shown = nullptr);
    void setInterval(int ms);
    int interval() const { return m_intervalMs; }

    // Starts polling (the first poll runs at once). With a log path the log file is created
    // (or emptied) first; when that fails the user is told and monitoring does not start.
    // The channel formats and the layout are taken now. False when not started.
    bool start(const QString& logPath = QString());
    // Ends monitoring: no further poll, a running poll ends after its current exchange, the
    // log is closed, pending writes are dropped (writesDropped). Emits runningChanged(false)
    // once; does nothing more when not running.
    void stop();
    bool isRunning() const { return m_running; }
    bool isPolling() const { return m_polling; }
    bool logOpen() const { return m_log.isOpen(); }
    QString logPath() const { return m_log.fileName(); }

    // While the user edits setpoints the poll stops refreshing them (and reading them).
    void setSetpointRefresh(bool on) { m_readSetpoints = on; }
    bool setpointRefresh() const { return m_readSetpoints; }

    // The setpoints (row 0) or outputs (row 80) in the image go to the controller: at the
    // start of the next poll while monitoring runs, at once otherwise (a device operation of
    // its own, refused while another runs).
    enum class Transfer { Pending, Written, Failed, Refused };
    Transfer transferSetpoints();
    Transfer transferOutputs();
    bool setpointWritePending() const { return m_writeSetpoints; }
    bool outputWritePending() const { return m_writeOutputs; }

    // "Stop mapping": link preparation, the mapping command 0x32 0xAA, then the mapping state.
    // Whether mapping still runs; empty when the controller did not tell or another device
    // operation runs.
    std::optional<bool> stopMapping();

    // Runs one poll now and returns its snapshot (also emitted). Not while a poll runs.
    MonitorSnapshot pollOnce();

    // Formats and layout as the next start takes them (the window shows them before).
    ChannelFormats formats() const { return m_formats; }
    bool extended() const { return m_extended; }
    // Refreshes formats and layout from the image and identification (when stopped).
    void refreshLayout();

    const MonitorSnapshot& last() const { return m_last; }

Q_SIGNALS:
    void polled(const MonitorSnapshot& snapshot);
    void runningChanged(bool running);
    // A log line was written (the text without its line break).
    void logged(const QString& line);
    // Monitoring stopped before the pending setpoints or outputs were written.
    void writesDropped(bool setpoints, bool outputs);

private:
    void onTick();
    bool write(int row);
    Transfer transfer(int row, bool& pending, int caption);
    void closeLog();

    DeviceData& m_data;
    DeviceServices& m_services;
    Interaction& m_interaction;

    QTimer m_timer;
    int m_intervalMs = DefaultIntervalMs;
    bool m_running = false;
    bool m_polling = false;
    bool m_stopped = false; // set by the stop, cleared at the start of every poll
    bool m_readSetpoints = true;
    bool m_writeSetpoints = false;
    bool m_writeOutputs = false;
    bool m_extended = false;
    ChannelFormats m_formats;
    MonitorSnapshot m_last;
    QElapsedTimer m_clock;
    QFile m_log;
};
