#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <array>

// Click sequences on the wiring picture and the bytes they must store, shared by the model
// test (which applies them as the picture's actions) and the window test (which clicks the
// widgets of the same names). They start from the default configuration: heating outputs of
// channels 1..8 on I/O 1..8, cooling outputs on I/O 9..16.
//
// A click names the widget: "CheckA_5", "Label2_9", "Label1_3", "lblSpezial_2",
// "lblRAStrom_16", "cmd17bis24"; "cboSpezialIn_3=6" picks list position 6; "empty" is a click
// on the picture's empty space; "right:CheckA_1" a right click on a terminal.
struct WiringSequence {
    const char* name;
    int firmware;
    int attributes;
    QStringList clicks;
    // (device image row, column) -> value; every other terminal byte stays as it was.
    QList<QPair<QPair<int, int>, int>> stored;
    // (terminal row, TerminalLink) afterwards.
    QList<QPair<int, int>> links;
};

QList<WiringSequence> wiringSequences();

class DeviceImage;
// The data rows of a test over the sequences: column "n", one row per sequence.
void addWiringSequenceRows();
// What differs from the sequence's expectations after its clicks (terminal bytes of both
// views, links); empty when everything is as expected.
QString wiringMismatch(const WiringSequence& s, const DeviceImage& before, const DeviceImage& after,
                       const std::array<int, 20>& links);
