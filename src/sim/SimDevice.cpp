#include "sim/SimDevice.h"

#include "device/DeviceImage.h"
#include "device/ParameterTable.h"
#include "i18n/StringTable.h"
#include "link/TransferGroup.h"

#include <QtMath>

#include <algorithm>
#include <cmath>

namespace {

const ParameterTable& table() {
    static const ParameterTable t = [] {
        ParameterTable built;
        built.BuildParameterTable(Texts());
        return built;
    }();
    return t;
}

// Codes the controller answers with live values or that belong to a service, not to a row.
constexpr int kOutputs = 40;
constexpr int kControllerStatus = 36;
constexpr int kOperation = 50;
constexpr int kHistoryCount = 47;
constexpr int kClock = 144;
constexpr int kLoggerCycle = 146;
constexpr int kLoggerControl = 147;
constexpr int kSampleCount = 152;
constexpr int kLastSampleTime = 153;
constexpr int kDeviceId = 48;
constexpr int kAttributes = 49;
constexpr int kFirmware = 53;
constexpr int kInterface = 160;
constexpr int kCanBaud = 161;
constexpr int kModbusAddress = 162;
constexpr int kRawBlock = 61;

// Items that are not part of a parameter set: identification, communication settings and the
// live output values.
bool isSetItem(int code) {
    switch (code) {
    case kDeviceId:
    case kAttributes:
    case kFirmware:
    case kInterface:
    case kCanBaud:
    case kModbusAddress:
    case kOutputs:
        return false;
    default:
        return true;
    }
}

bool isWordItem(int code) {
    return isWordGroup(transferGroupOf(code));
}

// The plant: first-order heating towards ambient + gain, cooling towards the coolant.
constexpr double kAmbient = 200;       // 20.0 degrees
constexpr double kCoolant = 150;       // 15.0 degrees
constexpr double kHeatGain = 3500;     // 350 K above ambient at full heating
constexpr double kCoolRate = 1.0 / 45; // per second at full cooling

double timeConstant(int channel) {
    return 40.0 + 5.0 * channel;
} // seconds
int heaterRating(int channel) {
    return 40 + 5 * channel;
} // tenths of an ampere

ClockBytes toClockBytes(const QDateTime& t) {
    const QDate d = t.date();
    const QTime tm = t.time();
    return {quint8(tm.second()), quint8(tm.minute()), quint8(tm.hour()),
            quint8(d.day()),     quint8(d.month()),   quint8(std::clamp(d.year() - 2000, 0, 255))};
}

} // namespace

SimDevice::SimDevice(const SimOptions& options)
    : m_address(options.address & 0xFF), m_firmware(options.firmware & 0xFF),
      m_attributes(options.attributes & 0xFF),
      m_transferDurationMs(std::max<qint64>(options.transferDurationMs, 0)) {
    m_clockBase = options.clockStart.isValid() ? options.clockStart : QDateTime::currentDateTime();
    applyFactoryDefaults();
    m_factory = parameterSnapshot();
    m_sets[0] = m_factory;
    m_sets[1] = m_factory;
    for (Channel& c : m_channels)
        c.pv = kAmbient;
    if (options.seedHistory)
        seedHistory();
    step(0); // setpoints and outputs as they are at power-on
    updateAlarms();
    recordHistoryIfChanged();
}

QByteArray SimDevice::defaultRawBlock() {
    return QByteArray::fromHex(
        "212121212626 6FB3 2132 32FF 3F3F 3F31 3035 9293 6469 673A 2A2A 2A2A 2A2A 2A2A"
        "2626 FF68 FFFF FFFF FFFF FFFF B1B7 2124 20B0 6CB6 2000 2103 2827 0706 1011 1415"
        "0102 0405 0E0F 121F 1D1C 1860 1617 191E 0809 0A0B 330C 0D25 2223 2936 FFFF FFFF");
}

void SimDevice::applyFactoryDefaults() {
    m_items.clear();
    const ParameterTable& t = table();
    for (int row = 0; row < ParameterTable::Rows; ++row) {
        const int code = t[row].FunctionCode;
        if (t[row].Count == 0 && row != 79 && row != 80)
            continue;
        m_items[code] = QVector<int>(unrangedValueCount(code), 0);
    }
    auto fill = [this](int code, int value) {
        m_items[code].fill(value);
    };
    const int setpoints[Channels] = {800, 1000, 1200, 1500, 1800, 2000, 2200, 2500};
    for (int k = 0; k < Channels; ++k)
        m_items[0][k] = setpoints[k];
    fill(1, 100); // AL1 upper and lower: 10.0 K around the setpoint
    fill(2, 100);
    fill(3, 500);  // setpoint 2
    fill(7, 6000); // max. setpoint
    fill(13, 1000);
    fill(16, 500);
    fill(17, 500);
    fill(20, 500);
    fill(21, 10);
    fill(23, 10);
    fill(24, 600);
    fill(28, 156); // -100 %
    fill(29, 100);
    fill(31, 40);
    fill(32, 0x40); // automatic mode: every channel controls
    fill(34, 4);    // PID
    const int io[20] = {2, 6, 10, 14, 18, 22, 26, 30, 34, 38, 42, 46, 50, 54, 58, 62, 0, 0, 0, 0};
    for (int i = 0; i < 20; ++i)
        m_items[55][i] = io[i];
    m_items[63] = {0x30, 0x05, 0x14, 0x09, 0x03, 0x07};
    fill(100, 1000);
    fill(kInterface, 2);
    fill(kCanBaud, 4);
    fill(kLoggerCycle, 10);
    m_items[kRawBlock].clear();
    for (char b : defaultRawBlock())
        m_items[kRawBlock].append(quint8(b));
    m_items[kDeviceId] = {0x74};
    m_items[kAttributes] = {m_attributes};
    m_items[kFirmware] = {m_firmware};
    m_items[kModbusAddress] = {m_address};
    m_messageInputs = 0x01;
}

void SimDevice::seedHistory() {
    // A short past: channel 1 ran above its alarm limit, later the 24 V supply dropped out.
    const QDateTime t = clock();
    HistoryEntry a;
    a.time = toClockBytes(t.addSecs(-7200));
    a.words[0] = 0x0008;
    HistoryEntry b;
    b.time = toClockBytes(t.addSecs(-5400));
    b.words[8] = 0x1000;
    HistoryEntry c;
    c.time = toClockBytes(t.addSecs(-3600));
    m_history = {a, b, c};
    m_lastHistoryWords = c.words;
}

bool SimDevice::hasItem(int code) const {
    if (!m_items.contains(code))
        return false;
    // The CAN baud rate is a service setting of every controller, not only of those whose
    // parameter transfer includes it.
    if (code == kRawBlock || code == kOutputs || code == kModbusAddress || code == kCanBaud)
        return true;
    const ParameterTable& t = table();
    const int highest = highestRowForFirmware(m_firmware);
    for (int row = 0; row <= highest; ++row)
        if (t[row].FunctionCode == code && t[row].Count > 0)
            return true;
    return false;
}

QByteArray SimDevice::rawBlock() const {
    QByteArray bytes;
    for (int b : m_items.value(kRawBlock))
        bytes.append(char(b));
    return bytes;
}

int SimDevice::itemValue(int code, int index1) const {
    const QVector<int>& v = m_items[code];
    return index1 >= 1 && index1 <= v.size() ? v[index1 - 1] : 0;
}

bool SimDevice::setItem(int code, int first, const QVector<int>& values) {
    if (!m_items.contains(code))
        return false;
    QVector<int>& v = m_items[code];
    if (first < 1 || first - 1 + values.size() > v.size())
        return false;
    const int mask = isWordItem(code) ? 0xFFFF : 0xFF;
    for (int i = 0; i < values.size(); ++i)
        v[first - 1 + i] = values[i] & mask;
    if (code == kOutputs) {
        // A written output value holds the channel on that value: manual mode.
        for (int i = 0; i < values.size(); ++i) {
            const int ch = first - 1 + i;
            m_items[34][ch] |= 0x8000;
            m_channels[size_t(ch)].output = std::clamp(signedByte(values[i]), -100, 100);
        }
        note(QStringLiteral("output values written: channels %1..%2 in manual mode")
                 .arg(first)
                 .arg(first + values.size() - 1));
    }
    return true;
}

bool SimDevice::isWritable(int code) const {
    switch (code) {
    case kDeviceId:
    case kAttributes:
    case kFirmware:
        return false;
    default:
        return hasItem(code);
    }
}

QVector<int> SimDevice::readValues(int code) const {
    switch (code) {
    case kOutputs: {
        QVector<int> v;
        for (int k = 1; k <= Channels; ++k)
            v.append(output(k) & 0xFF);
        return v;
    }
    case kControllerStatus: {
        QVector<int> v;
        for (int k = 1; k <= Channels; ++k)
            v.append(statusWord(k));
        v.append(m_messageInputs);
        return v;
    }
    case kOperation:
        return {operationStatus() | (itemValue(kOperation, 1) & 0x0F)};
    case kHistoryCount:
        return m_firmware >= 0x30 ? QVector<int>{int(m_history.size())} : QVector<int>{};
    case kClock: {
        if (m_firmware < 0x32)
            return {};
        const ClockBytes c = clockBytes();
        return QVector<int>(c.begin(), c.end());
    }
    case kSampleCount:
        return m_firmware >= 0x28 ? QVector<int>{int(m_logger.size())} : QVector<int>{};
    case kLastSampleTime: {
        if (m_firmware < 0x28)
            return {};
        const ClockBytes c = lastSampleTime();
        return QVector<int>(c.begin(), c.end());
    }
    default:
        return hasItem(code) ? m_items.value(code) : QVector<int>{};
    }
}

void SimDevice::loadImage(const DeviceImage& image) {
    const ParameterTable& t = table();
    for (int row = 1; row <= ParameterCount; ++row) {
        const int code = t[row].FunctionCode;
        // Identification is the controller's own; the interface setting stays as it is so
        // the line keeps working (the program's write transfer leaves it alone too).
        if (!m_items.contains(code) || code == kDeviceId || code == kAttributes ||
            code == kFirmware || code == kInterface)
            continue;
        const bool word = isWordItem(code);
        QVector<int>& v = m_items[code];
        for (int k = 1; k <= v.size() && k < DeviceImage::Columns; ++k) {
            const double x = std::nearbyint(image.value(row, k));
            const int lo = word ? -32768 : -128;
            const int hi = word ? 65535 : 255;
            if (x < lo || x > hi)
                continue;
            v[k - 1] = int(x) & (word ? 0xFFFF : 0xFF);
        }
    }
}

// ---- commands -------------------------------------------------------------------------------

QMap<int, QVector<int>> SimDevice::parameterSnapshot() const {
    QMap<int, QVector<int>> set;
    for (auto it = m_items.cbegin(); it != m_items.cend(); ++it)
        if (isSetItem(it.key()))
            set.insert(it.key(), it.value());
    return set;
}

void SimDevice::restoreParameters(const QMap<int, QVector<int>>& set) {
    for (auto it = set.cbegin(); it != set.cend(); ++it)
        m_items[it.key()] = it.value();
    for (Channel& c : m_channels)
        c.integral = 0;
}

bool SimDevice::operationCommand(int byte) {
    switch (byte) {
    case 0x1F:
    case 0x2F: {
        const int n = byte == 0x1F ? 1 : 2;
        restoreParameters(m_sets[n - 1]);
        m_loadedSet = n;
        note(QStringLiteral("parameter set %1 loaded").arg(n));
        return true;
    }
    case 0x1E:
    case 0x2E: {
        const int n = byte == 0x1E ? 1 : 2;
        m_sets[n - 1] = parameterSnapshot();
        note(QStringLiteral("working parameters stored as parameter set %1").arg(n));
        return true;
    }
    case 0x0F:
        restoreParameters(m_factory);
        m_loadedSet = 0;
        note(QStringLiteral("factory settings loaded"));
        return true;
    case 0x33:
        note(QStringLiteral("bus communication shown on the LEDs"));
        return true;
    case 0x55:
        // The nominal heating currents become the currents measured now.
        for (int k = 1; k <= Channels; ++k)
            m_items[96][k - 1] = heatingCurrent(k);
        note(QStringLiteral("heating currents adjusted"));
        return true;
    case 0x66:
    case 0x99:
        m_transferStatus = byte == 0x99 ? 0x90 : 0x60;
        m_transferEndMs = m_nowMs + m_transferDurationMs;
        note(byte == 0x99 ? QStringLiteral("transfer to the channel DBs started")
                          : QStringLiteral("transfer to the ParamDB started"));
        return true;
    case 0xAA:
        m_mapping = !m_mapping;
        m_mappingStartMs = m_nowMs;
        note(m_mapping ? QStringLiteral("mapping started") : QStringLiteral("mapping stopped"));
        return true;
    default:
        if (byte >= 0 && byte < 0x0F) { // the dimension byte of the device parameters
            m_items[kOperation][0] = byte;
            return true;
        }
        return false;
    }
}

void SimDevice::clearErrors() {
    for (Channel& c : m_channels)
        c.storedAlarms = 0;
    m_deviceError = 0;
    m_wiring = {};
    updateAlarms();
    note(QStringLiteral("alarms and errors cleared"));
}

void SimDevice::reset() {
    m_mapping = false;
    m_transferStatus = 0;
    for (Channel& c : m_channels) {
        c.integral = 0;
        c.rampInit = false;
        c.storedAlarms = 0;
        c.tuneStartMs = -1;
    }
    note(QStringLiteral("controller reset"));
}

int SimDevice::operationStatus() const {
    if (m_mapping)
        return 0xA0;
    if (m_transferStatus && m_nowMs < m_transferEndMs)
        return m_transferStatus;
    return 0;
}

// ---- errors ---------------------------------------------------------------------------------

std::array<quint16, 12> SimDevice::errorWords() const {
    std::array<quint16, 12> w{};
    for (int k = 0; k < Channels; ++k) {
        const Channel& c = m_channels[size_t(k)];
        w[size_t(k)] = quint16(c.liveAlarms | c.storedAlarms | (c.sensorBroken ? 1 : 0));
    }
    w[8] = m_deviceError;
    for (int i = 0; i < 3; ++i)
        w[size_t(9 + i)] = m_wiring[size_t(i)];
    return w;
}

void SimDevice::setWiringErrors(int word, int bits) {
    if (word >= 0 && word < 3)
        m_wiring[size_t(word)] = quint16(bits);
}

void SimDevice::setHeaterBroken(int channel, bool broken) {
    if (channel >= 1 && channel <= Channels)
        m_channels[size_t(channel - 1)].heaterBroken = broken;
}

void SimDevice::setSensorBroken(int channel, bool broken) {
    if (channel >= 1 && channel <= Channels)
        m_channels[size_t(channel - 1)].sensorBroken = broken;
}

// ---- clock ----------------------------------------------------------------------------------

QDateTime SimDevice::clock() const {
    return m_clockBase.addMSecs(m_nowMs);
}

ClockBytes SimDevice::clockBytes() const {
    return toClockBytes(clock());
}

bool SimDevice::setClock(const ClockBytes& b) {
    const QDate d(2000 + b[5], b[4], b[3]);
    const QTime t(b[2], b[1], b[0]);
    if (!d.isValid() || !t.isValid())
        return false;
    m_clockBase = QDateTime(d, t).addMSecs(-m_nowMs);
    note(QStringLiteral("clock set to %1").arg(QDateTime(d, t).toString(Qt::ISODate)));
    return true;
}

// ---- process --------------------------------------------------------------------------------

bool SimDevice::hasCoolingOutput(int channel) const {
    // A terminal linked to the channel as a cooling output (plain or complementary).
    for (int b : m_items.value(55)) {
        if ((b & 3) == 2 && ((b >> 2) & 7) == channel - 1 &&
            ((b & 0xE0) == 0x20 || (b & 0xE0) == 0x60))
            return true;
    }
    return false;
}

double SimDevice::actualValue(int channel) const {
    const Channel& c = m_channels[size_t(channel - 1)];
    return c.pv + signedWord(itemValue(12, channel));
}

int SimDevice::output(int channel) const {
    return int(std::lround(m_channels[size_t(channel - 1)].output));
}

int SimDevice::heatingCurrent(int channel) const {
    // The current transformer measures the heater while it is switched on.
    const Channel& c = m_channels[size_t(channel - 1)];
    if (c.output <= 0.5 || c.heaterBroken)
        return 0;
    return int(std::lround(heaterRating(channel) * heatingVoltage() / 2300.0));
}

int SimDevice::heatingVoltage() const {
    return 2300 + int(std::lround(15 * std::sin(double(m_nowMs) / 7000.0)));
}

int SimDevice::statusWord(int channel) const {
    const Channel& c = m_channels[size_t(channel - 1)];
    const int func = itemValue(32, channel);
    int w = 0;
    if (c.tuneStartMs >= 0)
        w |= std::clamp(int((m_nowMs - c.tuneStartMs) / 2000) + 1, 1, 15);
    const double target = signedWord(itemValue((func & 1) ? 3 : 0, channel));
    if (c.rampInit && std::abs(c.effectiveSp - target) >= 1)
        w |= c.effectiveSp < target ? 0x10 : 0x20;
    if ((func & 2) && c.pv < signedWord(itemValue(10, channel)))
        w |= 0x40;
    if ((func & 8) && m_firmware >= 0x30)
        w |= 0x400;
    if (m_mapping) {
        const int done = int((m_nowMs - m_mappingStartMs) / MappingStepMs);
        if (done >= channel)
            w |= 0x8000 | ((channel - 1) << 12);
    }
    return w;
}

QByteArray SimDevice::cyclicBlock() const {
    QByteArray b;
    auto word = [&b](int v) {
        b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
    };
    for (int k = 1; k <= Channels; ++k)
        word(int(std::lround(actualValue(k))));
    for (int k = 1; k <= Channels; ++k)
        b.append(char(output(k) & 0xFF));
    for (int k = 1; k <= Channels; ++k)
        word(heatingCurrent(k));
    word(heatingVoltage());
    return b;
}

QByteArray SimDevice::extendedCyclicBlock() const {
    // Currents of the second and third heating device, measured through the external inputs.
    QByteArray b;
    for (int device = 0; device < 2; ++device)
        for (int k = 1; k <= Channels; ++k) {
            const int v = heatingCurrent(k) * (device == 0 ? 9 : 8) / 10;
            b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
        }
    return b;
}

void SimDevice::advance(qint64 ms) {
    constexpr qint64 kStep = 100;
    while (ms > 0) {
        const qint64 d = std::min(ms, kStep);
        m_nowMs += d;
        ms -= d;
        step(double(d) / 1000.0);
        updateAlarms();
        recordHistoryIfChanged();
        const int cycle = itemValue(kLoggerCycle, 1) * 100; // tenths of a second
        if (cycle > 0 && m_firmware >= 0x28 && !(itemValue(kLoggerControl, 1) & 1) &&
            m_nowMs - m_lastLoggerMs >= cycle) {
            m_lastLoggerMs = m_nowMs;
            recordLoggerSample();
        }
    }
    if (m_transferStatus && m_nowMs >= m_transferEndMs) {
        m_transferStatus = 0;
        note(QStringLiteral("internal transfer finished"));
    }
}

void SimDevice::step(double dt) {
    for (int k = 1; k <= Channels; ++k) {
        Channel& c = m_channels[size_t(k - 1)];
        int func = itemValue(32, k);
        const int cfg = itemValue(34, k);
        const int type = cfg & 7;

        // Effective setpoint: setpoint 2 on request, limited, moved by the ramps.
        double target = signedWord(itemValue((func & 1) ? 3 : 0, k));
        const int lo = signedWord(itemValue(6, k));
        const int hi = signedWord(itemValue(7, k));
        if (hi > lo)
            target = std::clamp(target, double(lo), double(hi));
        if (!c.rampInit) {
            c.effectiveSp = target;
            c.rampInit = true;
        }
        const double up = itemValue(14, k) / 60.0; // units per minute
        const double down = itemValue(15, k) / 60.0;
        if (target > c.effectiveSp)
            c.effectiveSp = up > 0 ? std::min(target, c.effectiveSp + up * dt) : target;
        else if (target < c.effectiveSp)
            c.effectiveSp = down > 0 ? std::max(target, c.effectiveSp - down * dt) : target;

        // Auto-tuning runs through its phases and then switches itself off.
        if ((func & 0x80) && c.tuneStartMs < 0)
            c.tuneStartMs = m_nowMs;
        if (c.tuneStartMs >= 0 && (!(func & 0x80) || m_nowMs - c.tuneStartMs >= 30000)) {
            if (func & 0x80) {
                func &= ~0x80;
                m_items[32][k - 1] = func;
                note(QStringLiteral("auto-tuning of channel %1 finished").arg(k));
            }
            c.tuneStartMs = -1;
        }

        const double low = hasCoolingOutput(k) ? std::max(-100, signedByte(itemValue(28, k))) : 0;
        const double high = std::clamp(signedByte(itemValue(29, k)), 0, 100);
        const double pv = actualValue(k);
        double out = 0;
        if (type >= 2 && (cfg & 0x8000)) {
            out = std::clamp(double(signedByte(itemValue(kOutputs, k))), low, high);
        } else if (type >= 2 && (func & 0x40) && !c.sensorBroken) {
            const double e = c.effectiveSp - pv;
            if (type == 3) { // on/off with hysteresis
                const double hyst = itemValue(31, k) / 2.0;
                out = e > hyst ? high : e < -hyst ? low : c.output;
            } else { // PI with separate heating and cooling bands
                const double xph = std::max(1, itemValue(16, k));
                const double xpc = std::max(1, itemValue(17, k));
                const double tn = std::max(1.0, itemValue(20, k) / 10.0);
                const double p = e >= 0 ? 100.0 * e / xph : 100.0 * e / xpc;
                // No integration while the output is saturated in the same direction.
                const double u = p + c.integral;
                if (!((u >= high && p > 0) || (u <= low && p < 0)))
                    c.integral = std::clamp(c.integral + p * dt / tn, low, high);
                out = std::clamp(p + c.integral, low, high);
            }
        } else if (c.sensorBroken) {
            out = signedByte(itemValue(30, k)); // safety output value
        }
        c.output = out;

        // The plant.
        const double h = std::max(0.0, out) / 100.0;
        const double cool = std::max(0.0, -out) / 100.0;
        const double rate = ((kAmbient - c.pv) + kHeatGain * h) / timeConstant(k) -
                            kCoolRate * cool * (c.pv - kCoolant);
        c.pv += rate * dt;
    }
}

void SimDevice::updateAlarms() {
    for (int k = 1; k <= Channels; ++k) {
        Channel& c = m_channels[size_t(k - 1)];
        const int func = itemValue(32, k);
        const int type = itemValue(34, k) & 7;
        int bits = 0;
        if (type != 0 && (func & 0x40) && !c.sensorBroken) {
            const int conf = itemValue(54, k);
            const double pv = actualValue(k);
            const double sp = c.effectiveSp;
            auto check = [&](int upperCode, int lowerCode, bool absolute, int highBit, int lowBit) {
                const int up = signedWord(itemValue(upperCode, k));
                const int down = signedWord(itemValue(lowerCode, k));
                if (up != 0 && (absolute ? pv > up : pv > sp + up))
                    bits |= highBit;
                if (down != 0 && (absolute ? pv < down : pv < sp - down))
                    bits |= lowBit;
            };
            check(1, 2, conf & 0x01, 0x08, 0x10);
            check(4, 5, conf & 0x04, 0x04, 0x20);
            // Heating-current supervision against the nominal value, while the heater is on.
            const int nominal = itemValue(96, k);
            if (nominal > 0 && c.output > 0.5) {
                const int threshold = itemValue(104, 1) > 0 ? itemValue(104, 1) : 15; // percent
                const int current = heatingCurrent(k);
                if (current * 100 < nominal * (100 - threshold))
                    bits |= 0x100;
                else if (m_firmware >= 0x41 && current * 100 > nominal * (100 + threshold))
                    bits |= 0x1000;
            }
            // Stored alarms stay until the errors are cleared.
            if (conf & 0x40)
                c.storedAlarms |= bits & 0x18;
            if (conf & 0x80)
                c.storedAlarms |= bits & 0x24;
        }
        c.liveAlarms = bits;
    }
}

void SimDevice::recordHistoryIfChanged() {
    if (m_firmware < 0x30)
        return;
    const std::array<quint16, 12> w = errorWords();
    if (w == m_lastHistoryWords)
        return;
    m_lastHistoryWords = w;
    HistoryEntry e;
    e.time = clockBytes();
    e.words = w;
    m_history.append(e);
    while (m_history.size() > HistoryCapacity)
        m_history.removeFirst();
}

void SimDevice::recordLoggerSample() {
    LoggerSample s;
    s.time = clockBytes();
    for (int k = 1; k <= Channels; ++k) {
        s.words[size_t(k - 1)] = quint16(int(std::lround(actualValue(k))) & 0xFFFF);
        s.words[size_t(k + 7)] = quint16(output(k) & 0xFFFF);
    }
    s.words[16] = quint16(heatingVoltage() / 10);
    m_logger.append(s);
    while (m_logger.size() > LoggerCapacity)
        m_logger.removeFirst();
}

// ---- history and logger transfers ------------------------------------------------------------

void SimDevice::announceHistory(int count) {
    count = std::clamp(count, 0, int(m_history.size()));
    m_historyTransfer = m_history.mid(m_history.size() - count);
    m_historyCursor = 0;
}

bool SimDevice::nextHistoryEntry(HistoryEntry* entry) {
    if (m_historyCursor >= m_historyTransfer.size())
        return false;
    *entry = m_historyTransfer[m_historyCursor++];
    return true;
}

void SimDevice::setHistory(const QList<HistoryEntry>& entries) {
    m_history = entries.mid(qMax(qsizetype(0), entries.size() - HistoryCapacity));
    m_historyTransfer.clear();
    m_historyCursor = 0;
    m_lastHistoryWords = errorWords();
}

void SimDevice::setLoggerSamples(const QList<LoggerSample>& samples) {
    m_logger = samples.mid(qMax(qsizetype(0), samples.size() - LoggerCapacity));
    m_loggerTransfer.clear();
    m_loggerCursor = 0;
    m_loggerAnnounced = false;
    m_lastLoggerMs = m_nowMs;
}

void SimDevice::clearLogger() {
    m_logger.clear();
    m_loggerTransfer.clear();
    m_loggerCursor = 0;
    m_loggerAnnounced = false;
    note(QStringLiteral("logger cleared"));
}

void SimDevice::announceLogger(int count) {
    count = std::clamp(count, 0, int(m_logger.size()));
    m_loggerTransfer = m_logger.mid(m_logger.size() - count);
    m_loggerCursor = 0;
    m_loggerAnnounced = true;
}

bool SimDevice::loggerSample(LoggerSample* sample, bool advanceCursor) {
    if (!m_loggerAnnounced)
        announceLogger(int(m_logger.size()));
    if (m_loggerCursor >= m_loggerTransfer.size())
        return false;
    *sample = m_loggerTransfer[m_loggerCursor];
    if (advanceCursor)
        ++m_loggerCursor;
    return true;
}

ClockBytes SimDevice::lastSampleTime() const {
    if (m_loggerAnnounced && !m_loggerTransfer.isEmpty())
        return m_loggerTransfer.last().time;
    if (!m_logger.isEmpty())
        return m_logger.last().time;
    return clockBytes();
}

int SimDevice::baudRate() const {
    switch (interfaceSetting() & 0x0F) {
    case 0:
        return 4800;
    case 1:
        return 9600;
    case 3:
        return 38400;
    default:
        return 19200;
    }
}

// The interface setting's parity index (high four bits): 0 even, 1 odd, 2 none, 3 space.
static const char kInterfaceParities[] = {'e', 'o', 'n', 's'};

char SimDevice::parity() const {
    const int index = (interfaceSetting() >> 4) & 0x0F;
    return index < 4 ? kInterfaceParities[index] : 'e';
}

bool SimDevice::setLine(int baud, char parity) {
    static const int bauds[] = {4800, 9600, 19200, 38400};
    const auto b = std::find(std::begin(bauds), std::end(bauds), baud);
    const auto p = std::find(std::begin(kInterfaceParities), std::end(kInterfaceParities), parity);
    if (b == std::end(bauds) || p == std::end(kInterfaceParities))
        return false;
    const int baudIndex = int(b - std::begin(bauds));
    const int parityIndex = int(p - std::begin(kInterfaceParities));
    return setItem(kInterface, 1, {baudIndex + 16 * parityIndex});
}

void SimDevice::note(const QString& text) const {
    if (onEvent)
        onEvent(text);
}
