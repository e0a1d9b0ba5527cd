#include "app/Defaults.h"

#include "device/DeviceImage.h"
#include "device/Identification.h"

void SetStartupValues(Identification& identification, MemoryImage& memory) {
    identification.DeviceType = QStringLiteral("Q7400");
    identification.FeatureA = 0;
    identification.ModuleVariant = 3;
    identification.FirmwareVersion = 0x99;
    for (int i = 736; i < MemoryImage::Size; ++i)
        memory[i] = 0xFF;
}

void LoadDefaultConfiguration(DeviceImage& image, Identification& identification) {
    image.clear();
    struct ChannelDefault {
        int row;
        int value;
    };
    static constexpr ChannelDefault channelDefaults[] = {
        {7, 6000}, // max. setpoint
        {13, 500}, // Pb heating
        {14, 500}, // Pb cooling
        {16, 500}, // delay time
        {17, 10},  // cycle time
        {19, 10},  // soft-start output limit
        {20, 600}, // motor stroke time
        {22, 156}, // output low limit: -100 as a signed byte
        {23, 100}, // output high limit
        {25, 40},  // hysteresis
        {27, 4},   // controller configuration: PID
        {41, 1000} // full-scale value of linear inputs
    };
    for (int k = 1; k <= 8; ++k)
        for (const ChannelDefault& d : channelDefaults)
            image.setValue(d.row, k, d.value);
    // Terminals 1..8: heating output of channel k (function 0), 9..16: cooling output
    // (function 1); a terminal byte is function << 5 | channel - 1 << 2 | kind 2 (output).
    for (int k = 1; k <= 8; ++k) {
        image.setValue(36, k, 4 * k - 2);
        image.setValue(36, 8 + k, 32 + 4 * k - 2);
    }
    image.setValue(34, 1, 0x99);
    identification.FirmwareVersion = 0x99;
    image.setValue(38, 1, 1000);
    image.setValue(40, 1, 2);
    image.setValue(43, 1, 10);
    image.setValue(31, 1, 16);
}
