#include "params/ChannelFormats.h"

#include "base/NumberText.h"
#include "device/DeviceData.h"
#include "device/Identification.h"

#include <cmath>

QString ChannelFormats::ChannelPattern(int entry) const {
    const int d = decimals.at(size_t(entry));
    return d == 0 ? QStringLiteral("##0") : QStringLiteral("##0.") + QString(d, u'0');
}

double ChannelFormats::ChannelScale(int entry) const {
    return std::pow(10.0, -decimals.at(size_t(entry)));
}

int ChannelFormats::decimalsOf(int channel) const {
    return decimals.at(size_t(channel - 1));
}

QString ChannelFormats::text(int channel, double stored) const {
    return fixedPointText(signedWordValue(stored), decimalsOf(channel));
}

int fullScaleDecimals(double v) {
    if (v < 1)
        v = 1000;
    int d = 0;
    while (v < 2000) {
        v *= 10;
        ++d;
    }
    return d <= 4 ? d : 0;
}

ChannelFormats SetChannelFormats(DeviceImage& image, const Identification& id,
                                 QList<int>* repaired) {
    ChannelFormats formats;
    for (int k = 1; k <= 8; ++k) {
        if (hasTemperatureInputs(id)) {
            formats.decimals[size_t(k - 1)] = 1;
            continue;
        }
        const double v = image.value(FullScaleRow, k);
        if (v < 1) {
            image.setValue(FullScaleRow, k, 1000);
            if (repaired)
                repaired->append(k);
        }
        formats.decimals[size_t(k - 1)] = fullScaleDecimals(v);
    }
    return formats;
}

ChannelFormats SetChannelFormats(DeviceData& data) {
    if (!hasTemperatureInputs(data.identification))
        for (int k = 1; k <= 8; ++k)
            if (data.image.value(FullScaleRow, k) < 1)
                data.setCell(FullScaleRow, k, 1000);
    return SetChannelFormats(data.image, data.identification);
}
