#include "config/Terminals.h"

#include "config/ConfigurationLists.h"
#include "i18n/StringTable.h"

#include <cmath>

namespace {
constexpr int kNorm = 230, kCompl = 231, kDirectAction = 234, kReverseAction = 235;
constexpr int kFreeBytes[] = {0x40, 0x41, 0xC0, 0xC1};

// Function of a channel output from bits 7..5; 0xA0 and 0xE0 have none and count as slot 0.
struct OutputFunction {
    int function;
    bool hasMode;
};
OutputFunction outputFunction(int byte) {
    switch (byte & 0xE0) {
    case 0x00:
        return {Wiring::Heating, true};
    case 0x40:
        return {Wiring::HeatingComplementary, true};
    case 0x20:
        return {Wiring::Cooling, true};
    case 0x60:
        return {Wiring::CoolingComplementary, true};
    case 0x80:
        return {Wiring::AlarmDirect, true};
    case 0xC0:
        return {Wiring::AlarmReverse, true};
    default:
        return {Wiring::Heating, false};
    }
}

ModeText binaryMode(int function) {
    switch (function) {
    case Wiring::HeatingComplementary:
    case Wiring::CoolingComplementary:
        return ModeText::Compl;
    case Wiring::AlarmDirect:
        return ModeText::DirectAction;
    case Wiring::AlarmReverse:
        return ModeText::ReverseAction;
    default:
        return ModeText::Norm;
    }
}

ModeText continuousMode(int function, bool inverted) {
    switch (function) {
    case Wiring::HeatingComplementary:
    case Wiring::CoolingComplementary:
        return inverted ? ModeText::LiveInvers : ModeText::Live;
    case Wiring::AlarmDirect:
        return ModeText::DirectAction;
    case Wiring::AlarmReverse:
        return ModeText::ReverseAction;
    default:
        return inverted ? ModeText::DeadInvers : ModeText::Dead;
    }
}

void setChannelLink(TerminalState& s, int byte, int function) {
    s.channel = ((byte & 0x1C) / 4) + 1;
    s.function = function;
    s.link = Wiring::slotOf(s.channel, function);
}

TerminalState decodeContinuous(int v) {
    TerminalState s;
    s.direction = Direction::Cont;
    if (v == 0)
        return s;
    if (v & 0x02) {
        const OutputFunction f = outputFunction(v);
        setChannelLink(s, v, f.function);
        s.continuousMode = v & 1;
        s.mode = f.hasMode ? continuousMode(f.function, v & 1) : ModeText::None;
        return s;
    }
    if (v == 1) {
        s.mode = ModeText::Invers;
        s.continuousMode = 1;
        return s;
    }
    s.special = true;
    static constexpr ModeText free[] = {ModeText::FreeDead, ModeText::FreeDeadInvers,
                                        ModeText::FreeLive, ModeText::FreeLiveInvers};
    for (int m = 0; m < 4; ++m)
        if (v == kFreeBytes[m]) {
            s.mode = free[m];
            s.continuousMode = m;
            return s;
        }
    s.mode = ModeText::Reserved;
    return s;
}
} // namespace

int Wiring::outputFunctionBits(int function) {
    static constexpr int bits[] = {0x00, 0x40, 0x20, 0x60, 0x00, 0x80, 0xC0};
    return function >= 0 && function < FunctionsPerChannel ? bits[function] : 0;
}

QString directionText(Direction d) {
    switch (d) {
    case Direction::In:
        return QStringLiteral("In");
    case Direction::Cont:
        return QStringLiteral("Cont");
    default:
        return QStringLiteral("Out");
    }
}

QString kindText(bool special) {
    return special ? QStringLiteral("S") : QStringLiteral("N");
}

QString modeText(ModeText mode, const Texts& t) {
    switch (mode) {
    case ModeText::None:
        return {};
    case ModeText::Norm:
        return t.LoadText(kNorm);
    case ModeText::Compl:
        return t.LoadText(kCompl);
    case ModeText::DirectAction:
        return t.LoadText(kDirectAction);
    case ModeText::ReverseAction:
        return t.LoadText(kReverseAction);
    case ModeText::Dead:
        return QStringLiteral(" dead");
    case ModeText::Live:
        return QStringLiteral(" live");
    case ModeText::DeadInvers:
        return QStringLiteral(" dead / invers");
    case ModeText::LiveInvers:
        return QStringLiteral(" live / invers");
    case ModeText::Invers:
        return QStringLiteral(" invers");
    case ModeText::FreeDead:
        return QStringLiteral(" free / dead");
    case ModeText::FreeDeadInvers:
        return QStringLiteral("free / dead / invers");
    case ModeText::FreeLive:
        return QStringLiteral(" free / live");
    case ModeText::FreeLiveInvers:
        return QStringLiteral(" free / live / invers");
    case ModeText::Reserved:
        return QStringLiteral(" -res-");
    }
    return {};
}

QString linkDescription(int link, const Texts& t) {
    if (link >= Wiring::FirstGroupLabel && link < Wiring::TargetCount) {
        static constexpr int groups[] = {218, 217, 216, 215}; // "All", "Group 1" .. "Group 3"
        return QStringLiteral("%1 (%2)").arg(t.LoadText(groups[link - Wiring::FirstGroupLabel]),
                                             QString::number(link));
    }
    if (link < 0 || link >= Wiring::SlotCount)
        return {};
    // Slot captions: "H", "C", "Input", "Alarm"; the second slot of a pair with its mode.
    static constexpr int captions[] = {223, 223, 224, 224, 221, 222, 222};
    static constexpr int modes[] = {0, kCompl, 0, kCompl, 0, kDirectAction, kReverseAction};
    const int f = Wiring::functionOfSlot(link);
    QString name = t.LoadText(captions[f]);
    if (modes[f])
        name += t.LoadText(modes[f]);
    return QStringLiteral("channel %1 %2 (slot %3)")
        .arg(Wiring::channelOfSlot(link))
        .arg(name)
        .arg(link);
}

TerminalState decodeTerminal(int byte, bool continuous, int firmware) {
    const int v = byte & 0xFF;
    if (continuous)
        return decodeContinuous(v);
    TerminalState s;
    if (v == 0)
        return s;
    switch (v & 0x03) {
    case 0x00:
        s.special = true;
        s.outputPosition = specialOutputPosition(v, firmware);
        break;
    case 0x01: {
        s.direction = Direction::In;
        s.special = true;
        s.inputPosition = specialInputPosition(v, firmware);
        if ((v & 0xF0) / 16 < InputFunctionCount)
            s.link = Wiring::FirstGroupLabel + (v & 0x0C) / 4;
        break;
    }
    case 0x02: {
        const OutputFunction f = outputFunction(v);
        setChannelLink(s, v, f.function);
        if (f.hasMode)
            s.mode = binaryMode(f.function);
        break;
    }
    default:
        s.direction = Direction::In;
        s.inputPosition = channelInputPosition(v);
        setChannelLink(s, v, Wiring::Input);
        break;
    }
    return s;
}

int freeContinuousByte(int mode) {
    return kFreeBytes[mode & 3];
}

int cellByte(double value) {
    if (!std::isfinite(value) || std::fabs(value) > 1e9)
        return 0;
    return int(std::llround(value) & 0xFF);
}

QString featureCodeCaption(int entry) {
    static const char* const captions[FeatureCodeCount] = {
        "A0 B1  (16 bin. I/O  –  Thermo)",
        "A1 B1  (20 bin. I/O  –  Thermo)",
        "A2 B1  (16 bin. I/O + 4 cont. Out  –  Thermo)",
        "A0 B2  (16 bin. I/O  –  20 mA)",
        "A1 B2  (20 bin. I/O  –  20 mA)",
        "A2 B2  (16 bin. I/O + 4 cont. Out  –  20 mA)"};
    return entry >= 0 && entry < FeatureCodeCount ? QString::fromUtf8(captions[entry]) : QString();
}

int attributesForFeatureCode(int attributes, int entry) {
    int a = (attributes & 63) | ((entry % 3) * 64);
    if (entry < 3)
        a &= ~1;
    else
        a |= 1;
    return a;
}
