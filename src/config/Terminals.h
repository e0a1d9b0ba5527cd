#pragma once

#include <QString>

class Texts;

// The controller's I/O terminals as the configuration stores them: one byte per terminal.
// Bits 1..0 give the kind; a channel output or input carries its channel in bits 4..2 and
// its function in bits 7..5, a special output its code in bits 6..2 (bit 7 = reverse action),
// a special input its code in bits 7..4 and a group or sub-code in bits 3..2. On a continuous
// output (I/O 17..20 of an A2 controller) bit 0 means inverted and bit 7 4..20 mA.
namespace Wiring {
constexpr int Rows = 20;            // terminal rows of the picture
constexpr int ExtendedRows = 8;     // I/O 17..24 of the extended view
constexpr int Unlinked = 255;       // TerminalLink of a terminal without a line
constexpr int NoTerminal = 100;     // SelectedTerminal when none is chosen
constexpr int SlotCount = 56;       // seven function slots per channel block
constexpr int FirstGroupLabel = 56; // "All", "Group 1" .. "Group 3"
constexpr int TargetCount = 60;     // slots and group labels
constexpr int FunctionsPerChannel = 7;
// Slot functions of a channel block.
enum Function : int {
    Heating = 0,
    HeatingComplementary = 1,
    Cooling = 2,
    CoolingComplementary = 3,
    Input = 4,
    AlarmDirect = 5,
    AlarmReverse = 6,
};
inline int slotOf(int channel, int function) {
    return FunctionsPerChannel * (channel - 1) + function;
}
inline int channelOfSlot(int slot) {
    return slot / FunctionsPerChannel + 1;
}
inline int functionOfSlot(int slot) {
    return slot % FunctionsPerChannel;
}
// Bits 7..5 of a channel output for an output slot function (not Input).
int outputFunctionBits(int function);
} // namespace Wiring

// What the terminal's direction label shows.
enum class Direction { Out, In, Cont };
QString directionText(Direction d); // "Out", "In", "Cont"
QString kindText(bool special);     // "N", "S"

// The mode text beside an output.
enum class ModeText {
    None,
    Norm,          // text 230
    Compl,         // text 231
    DirectAction,  // text 234
    ReverseAction, // text 235
    Dead,          // " dead": continuous 0..20 mA
    Live,          // " live": continuous 4..20 mA
    DeadInvers,
    LiveInvers,
    Invers, // continuous, not linked, inverted
    FreeDead,
    FreeDeadInvers,
    FreeLive,
    FreeLiveInvers,
    Reserved, // continuous code without a meaning
};
QString modeText(ModeText mode, const Texts& texts);

// One terminal byte decoded for the picture.
struct TerminalState {
    Direction direction = Direction::Out;
    bool special = false; // "S": special function, else "N"
    int channel = 0;      // 1..8 for channel outputs and inputs
    int function = -1;    // slot function of a channel link
    ModeText mode = ModeText::None;
    int link = Wiring::Unlinked; // TerminalLink
    int outputPosition = 0;      // special output list position ("Out"/"S")
    int inputPosition = 0;       // input list position ("In")
    int continuousMode = 0;      // continuous rows: 0/1 linked, 0..3 free
};

// What a link target is, for lists: "channel 2 C (slot 9)", "channel 4 Input (slot 25)",
// "All (56)", "Group 2 (58)"; empty for Wiring::Unlinked.
QString linkDescription(int link, const Texts& texts);

// Decodes a terminal byte. `continuous`: the row is a continuous output (A2, I/O 17..20).
// The firmware decides which list positions the special codes have.
TerminalState decodeTerminal(int byte, bool continuous, int firmware);

// The byte of a free continuous output in mode 0..3 (0..20 mA, inverted, 4..20 mA, inverted).
int freeContinuousByte(int mode);

// A device-image value taken as the byte the controller stores: whole numbers modulo 256,
// anything that is not a finite number as 0.
int cellByte(double value);

// The feature-code menu: fixed captions (A part with its I/O equipment, B part with the input
// kind), entries 0..5.
constexpr int FeatureCodeCount = 6;
QString featureCodeCaption(int entry);
// The attributes byte after choosing entry 0..5: the feature code in bits 7..6, bit 0 set for
// 20 mA inputs; every other bit as it was.
int attributesForFeatureCode(int attributes, int entry);
