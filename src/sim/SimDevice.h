#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QVector>

#include <array>
#include <functional>

class DeviceImage;

// What the simulated controller is when it starts.
struct SimOptions {
    int address = 3;
    int firmware = 0x56;
    int attributes = 0x10;
    // The real-time clock at simulated time 0; invalid = the PC's local time at construction.
    QDateTime clockStart;
    // Alarm-history entries present at start.
    bool seedHistory = true;
    // How long an internal transfer (0x99 / 0x66) runs.
    qint64 transferDurationMs = 3000;
};

// Six clock bytes as the controller sends them: seconds, minutes, hours, day, month, year - 2000.
using ClockBytes = std::array<quint8, 6>;

struct HistoryEntry {
    ClockBytes time{};
    // 1..8 channel alarm words, 9 device error word, 10..12 wiring words (index 0..11).
    std::array<quint16, 12> words{};
};

struct LoggerSample {
    ClockBytes time{};
    // 0..7 actual values, 8..15 outputs in percent (two's complement), 16 heating voltage in V.
    std::array<quint16, 17> words{};
};

// The bus protocols the controller can be switched to; it ignores native Telegrams in any
// protocol other than Native.
enum class SimProtocol { Native, Modbus, Q8100, HbTherm };

// The state of a simulated Q7400: every item by function code, the parameter-block table, the
// two stored parameter sets and the factory settings, error words, operation status, the
// real-time clock and a live process per channel with its logger and alarm history.
//
// Time is simulated: nothing moves unless advance() is called, so tests are deterministic. The
// pty server advances it from a timer.
//
// Items hold raw values as they travel on the link: bytes 0..255, words 0..65535 (two's
// complement for negative quantities).
class SimDevice {
public:
    static constexpr int Channels = 8;
    static constexpr int HistoryCapacity = 200;
    static constexpr int LoggerCapacity = 4000;
    static constexpr qint64 MappingStepMs = 2000; // one channel of the mapping run

    explicit SimDevice(const SimOptions& options = {});

    int address() const { return m_address; }
    qint64 transferDurationMs() const { return m_transferDurationMs; }
    void setAddress(int address) { m_address = address & 0xFF; }
    int firmware() const { return m_firmware; }
    int attributes() const { return m_attributes; }

    // --- items --------------------------------------------------------------------------
    // True when this firmware knows the function code as a parameter item.
    bool hasItem(int code) const;
    // Stored values of an item (empty for an unknown code).
    QVector<int> item(int code) const { return m_items.value(code); }
    int itemValue(int code, int index1) const;
    // Stores values from position `first` (1-based). False when the code is unknown or the
    // range does not fit the item.
    bool setItem(int code, int first, const QVector<int>& values);
    // Values as the controller reports them on a read: stored items, plus the live ones
    // (outputs, controller status, operation status, identification, clock, logger state).
    // Empty when the code cannot be read.
    QVector<int> readValues(int code) const;
    // Whether a write of this code is accepted at all (read-only and live codes are not).
    bool isWritable(int code) const;

    // The parameter-block table as stored in item 61 (96 bytes).
    QByteArray rawBlock() const;
    static QByteArray defaultRawBlock();

    // Takes every value of rows 1..55 of a device image (a loaded configuration file); the
    // identification rows and the interface setting are skipped, and so are values that do not
    // fit their byte or word.
    void loadImage(const DeviceImage& image);

    // --- commands -----------------------------------------------------------------------
    // Command byte of function code 0x32: parameter sets (0x1F, 0x2F, 0x1E, 0x2E, 0x0F),
    // LEDs 0x33, heating-current adjustment 0x55, transfers 0x66 / 0x99, mapping 0xAA.
    // A byte below 0x0F is the dimension byte of the device parameters. False = refused.
    bool operationCommand(int byte);
    // 0x21: clears the stored channel alarms and the device error bits.
    void clearErrors();
    // Controller reset (short frame 0x44): the process restarts, mapping and transfers end.
    void reset();
    // The service command 0x3C 0x77.
    void serviceCommand() { m_serviceMode = true; }
    bool serviceMode() const { return m_serviceMode; }

    int operationStatus() const; // high nibble: 0xA0 mapping, 0x90 / 0x60 transfer, else 0
    bool mappingActive() const { return m_mapping; }
    int loadedParameterSet() const { return m_loadedSet; } // 0 factory, 1, 2; -1 none yet

    // --- errors -------------------------------------------------------------------------
    // The 12 words of the device error block: 0..7 channel alarm words, 8 device error bits,
    // 9..11 wiring bits.
    std::array<quint16, 12> errorWords() const;
    void raiseDeviceError(int bits) { m_deviceError |= quint16(bits); }
    void setWiringErrors(int word, int bits);       // word 0..2
    void setSensorBroken(int channel, bool broken); // channel 1..8
    void setHeaterBroken(int channel, bool broken); // no current flows

    // --- clock --------------------------------------------------------------------------
    QDateTime clock() const;
    ClockBytes clockBytes() const;
    bool setClock(const ClockBytes& bytes); // false for an impossible date or time

    // --- process ------------------------------------------------------------------------
    qint64 now() const { return m_nowMs; }
    // Moves simulated time on by `ms`: process, ramps, alarms, history, logger, transfers.
    void advance(qint64 ms);
    double actualValue(int channel) const; // as reported, in the item's units (tenths)
    int output(int channel) const;         // percent, negative while cooling
    int heatingCurrent(int channel) const; // tenths of an ampere
    int heatingVoltage() const;            // tenths of a volt
    int messageInputs() const { return m_messageInputs; }
    void setMessageInputs(int bits) { m_messageInputs = bits & 0xFF; }
    // Data of the cyclic block 0x7B (42 bytes: 8 actual-value words, 8 output bytes,
    // 8 heating-current words, the heating-voltage word) and of the extended block 0x7E
    // (32 bytes: the heating-current words of the second and third device).
    QByteArray cyclicBlock() const;
    QByteArray extendedCyclicBlock() const;

    // --- alarm history ------------------------------------------------------------------
    const QList<HistoryEntry>& history() const { return m_history; }
    // Replaces the recorded history (oldest first; the newest entries are kept when there are
    // more than the controller holds). The current alarm state counts as recorded.
    void setHistory(const QList<HistoryEntry>& entries);
    void announceHistory(int count);
    // The next entry of the announced transfer; false when there is none left.
    bool nextHistoryEntry(HistoryEntry* entry);

    // --- logger -------------------------------------------------------------------------
    const QList<LoggerSample>& loggerSamples() const { return m_logger; }
    // Replaces the recorded samples (oldest first, the newest kept beyond the capacity).
    void setLoggerSamples(const QList<LoggerSample>& samples);
    void clearLogger();
    void announceLogger(int count);
    // The sample of the announced transfer at the cursor; `advance` moves the cursor on.
    bool loggerSample(LoggerSample* sample, bool advance);
    ClockBytes lastSampleTime() const;

    // --- communication settings -------------------------------------------------------
    int interfaceSetting() const { return itemValue(160, 1); }
    int baudRate() const; // from the interface setting: 4800, 9600, 19200, 38400
    char parity() const;  // from the interface setting: 'e', 'o', 'n', 's'
    // Sets the interface setting to a baud rate and parity; false for ones it does not have.
    bool setLine(int baud, char parity);

    // Notes on what the device did (parameter set loaded, mapping started ...), for the log.
    std::function<void(const QString&)> onEvent;

private:
    struct Channel {
        double pv = 200;        // internal actual value (tenths)
        double effectiveSp = 0; // after ramps
        double integral = 0;
        double output = 0; // percent
        bool rampInit = false;
        int liveAlarms = 0;
        int storedAlarms = 0;
        bool sensorBroken = false;
        bool heaterBroken = false;
        qint64 tuneStartMs = -1;
    };

    void applyFactoryDefaults();
    void seedHistory();
    void step(double seconds);
    void updateAlarms();
    void recordHistoryIfChanged();
    void recordLoggerSample();
    int statusWord(int channel) const;
    bool hasCoolingOutput(int channel) const;
    QMap<int, QVector<int>> parameterSnapshot() const;
    void restoreParameters(const QMap<int, QVector<int>>& set);
    void note(const QString& text) const;

    int m_address;
    int m_firmware;
    int m_attributes;
    QMap<int, QVector<int>> m_items;
    QMap<int, QVector<int>> m_factory;
    QMap<int, QVector<int>> m_sets[2];
    int m_loadedSet = -1;

    qint64 m_nowMs = 0;
    QDateTime m_clockBase;
    qint64 m_lastLoggerMs = 0;

    std::array<Channel, Channels> m_channels{};
    quint16 m_deviceError = 0;
    std::array<quint16, 3> m_wiring{};
    int m_messageInputs = 0;
    bool m_mapping = false;
    qint64 m_mappingStartMs = 0;
    int m_transferStatus = 0; // 0x90 or 0x60 while an internal transfer runs
    qint64 m_transferEndMs = 0;
    qint64 m_transferDurationMs;
    bool m_serviceMode = false;

    QList<HistoryEntry> m_history;
    std::array<quint16, 12> m_lastHistoryWords{};
    QList<HistoryEntry> m_historyTransfer;
    int m_historyCursor = 0;

    QList<LoggerSample> m_logger;
    QList<LoggerSample> m_loggerTransfer;
    int m_loggerCursor = 0;
    bool m_loggerAnnounced = false;
};

// Signed views of raw link values.
inline int signedWord(int v) {
    v &= 0xFFFF;
    return v > 32767 ? v - 65536 : v;
}
inline int signedByte(int v) {
    v &= 0xFF;
    return v > 127 ? v - 256 : v;
}
