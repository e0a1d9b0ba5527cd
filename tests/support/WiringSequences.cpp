#include "support/WiringSequences.h"

#include "device/DeviceImage.h"

#include <QTest>

namespace {
constexpr int IoRow = 36;
constexpr int ExtendedIoRow = 51;
constexpr int Thermo = 0x10;   // A0 B1, as a freshly started program
constexpr int A2Thermo = 0x90; // A2 B1: I/O 17..20 are continuous outputs
constexpr int Unlinked = 255;
} // namespace

QList<WiringSequence> wiringSequences() {
    return {
        {"binary output to cooling slot of channel 2",
         0x99,
         Thermo,
         {"CheckA_5", "Label2_9"},
         {{{IoRow, 6}, 0x26}},
         {{5, 9}}},
        {"pressing a linked terminal while another is chosen unlinks it",
         0x99,
         Thermo,
         {"CheckA_0", "CheckA_5"},
         {{{IoRow, 6}, 0}},
         {{5, Unlinked}, {0, 0}}},
        {"channel input with input function 6",
         0x99,
         Thermo,
         {"Label1_3", "cboSpezialIn_3=6", "CheckA_3", "Label2_25"},
         {{{IoRow, 4}, 0xCF}},
         {{3, 25}}},
        {"special input to group 2",
         0x99,
         Thermo,
         {"Label1_2", "lblSpezial_2", "cboSpezialIn_2=3", "CheckA_2", "Label2_58"},
         {{{IoRow, 3}, 0x39}},
         {{2, 58}}},
        {"special output Output on",
         0x99,
         Thermo,
         {"lblSpezial_6", "cboSpezial_6=19"},
         {{{IoRow, 7}, 0x80}},
         {{6, Unlinked}}},
        {"continuous output inverted, then linked",
         0x43,
         A2Thermo,
         {"Label1_16", "CheckA_16", "Label2_0"},
         {{{IoRow, 17}, 0x03}},
         {{16, 0}}},
        {"free continuous output, modes stepped",
         0x43,
         A2Thermo,
         {"lblSpezial_16", "lblRAStrom_16", "lblRAStrom_16", "lblRAStrom_16"},
         {{{IoRow, 17}, 193}},
         {{16, Unlinked}}},
        {"free continuous output on firmware 0x42 refused",
         0x42,
         A2Thermo,
         {"Label1_16", "lblSpezial_16"},
         {{{IoRow, 17}, 1}},
         {{16, Unlinked}}},
        {"extended view writes only the extended configuration",
         0x99,
         Thermo,
         {"cmd17bis24", "CheckA_2", "Label2_9"},
         {{{ExtendedIoRow, 3}, 0x26}},
         {{2, 9}}},
        {"output on the input slot refused", 0x99, Thermo, {"CheckA_1", "Label2_4"}, {}, {{1, 7}}},
        {"click on empty space unlinks the chosen terminal",
         0x99,
         Thermo,
         {"CheckA_1", "empty"},
         {{{IoRow, 2}, 0}},
         {{1, Unlinked}}},
        {"right click on a terminal unlinks it",
         0x99,
         Thermo,
         {"CheckA_0", "right:CheckA_1"},
         {{{IoRow, 2}, 0}},
         {{0, 0}, {1, Unlinked}}},
        {"group label with an output unlinks it",
         0x99,
         Thermo,
         {"CheckA_0", "Label2_56"},
         {{{IoRow, 1}, 0}},
         {{0, Unlinked}}},
    };
}

void addWiringSequenceRows() {
    QTest::addColumn<int>("n");
    const QList<WiringSequence> all = wiringSequences();
    for (int n = 0; n < all.size(); ++n)
        QTest::newRow(all[n].name) << n;
}

QString wiringMismatch(const WiringSequence& s, const DeviceImage& before, const DeviceImage& after,
                       const std::array<int, 20>& links) {
    DeviceImage expected = before;
    for (const auto& cell : s.stored)
        expected.setValue(cell.first.first, cell.first.second, cell.second);
    for (int row : {IoRow, ExtendedIoRow})
        for (int k = 1; k <= 20; ++k)
            if (after.value(row, k) != expected.value(row, k))
                return QStringLiteral("row %1 column %2: %3, expected %4")
                    .arg(row)
                    .arg(k)
                    .arg(after.value(row, k))
                    .arg(expected.value(row, k));
    for (const auto& link : s.links)
        if (links[size_t(link.first)] != link.second)
            return QStringLiteral("terminal %1 linked to %2, expected %3")
                .arg(link.first)
                .arg(links[size_t(link.first)])
                .arg(link.second);
    return {};
}
