#include "device/Identification.h"

#include "device/DeviceImage.h"
#include "device/ParameterTable.h"
#include "i18n/StringTable.h"

#include <cmath>

namespace {
constexpr int kTextFeatureCode = 236;
constexpr int kTextOffset = 110, kTextFullScale = 141;
constexpr int kTextScaleBegin = 227, kTextScaleRange = 228;
constexpr int kRowOffset = 10, kRowFullScale = 41;

// A device image value taken as a byte the way the controller would store it.
int asByte(double v) {
    if (!std::isfinite(v))
        return 0;
    return int(std::llround(v)) & 0xFF;
}
} // namespace

int moduleVariantOfAttributes(int a) {
    int variant = (a & 0x01) ? 0 : 1;
    if (!(a & 0x20))
        variant += 2;
    return variant;
}

int featureAOfAttributes(int a) {
    return (a & 0xC0) / 64;
}

void DecodeAttributes(Identification& id, int attributes) {
    id.ModuleVariant = moduleVariantOfAttributes(attributes);
    id.FeatureA = featureAOfAttributes(attributes);
}

int featureMenuEntry(const Identification& id) {
    if (id.FeatureA < 0 || id.FeatureA > 2)
        return -1; // both high attribute bits set: no such equipment, no entry checked
    return hasTemperatureInputs(id) ? id.FeatureA : id.FeatureA + 3;
}

QString featureCodeShort(const Identification& id) {
    return QStringLiteral("A%1 %2").arg(id.FeatureA).arg(hasTemperatureInputs(id) ? "B1" : "B2");
}

QString featureCodeText(const Identification& id, const Texts& texts) {
    return texts.LoadText(kTextFeatureCode) + featureCodeShort(id);
}

bool featureCodeShowsFirmware(const Identification& id) {
    return id.FirmwareVersion < 0x98;
}

void UpdateInputNames(ParameterTable& table, const Texts& texts, const Identification& id) {
    if (hasTemperatureInputs(id)) {
        table[kRowOffset].Name = texts.LoadText(kTextOffset);
        table[kRowFullScale].Name = texts.LoadText(kTextFullScale);
    } else {
        table[kRowOffset].Name = texts.LoadText(kTextScaleBegin);
        table[kRowFullScale].Name = texts.LoadText(kTextScaleRange);
    }
}

void UpdateExternalCurrentInputs(Identification& id, const DeviceImage& image) {
    if (hasTemperatureInputs(id) || id.FirmwareVersion < 0x32) {
        id.ExternalCurrentInputs = false;
        return;
    }
    int mask = 0;
    for (int k = 1; k <= 20; ++k) {
        const double v = image.value(IdentificationRows::IoConfiguration, k);
        if (v == 112 || v == 116)
            mask |= 1;
        else if (v == 120)
            mask |= 2;
        else if (v == 253)
            mask |= 4;
    }
    id.ExternalCurrentInputs = mask == 7;
}

void CopyParameterSetId(Identification& id, const DeviceImage& image) {
    for (int i = 0; i < 6; ++i)
        id.ParameterSetId[size_t(i)] =
            quint8(asByte(image.value(IdentificationRows::ParameterSetId, i + 1)));
}

int sensorTypeEntryCount(const Identification& id) {
    if (!hasTemperatureInputs(id))
        return 6;
    return id.FirmwareVersion >= 70 ? 17 : 13;
}

void LimitSensorTypesToModule(const Identification& id, DeviceImage& image) {
    if (hasTemperatureInputs(id))
        return;
    for (int k = 1; k <= 8; ++k)
        image.setValue(IdentificationRows::SensorType, k,
                       truncatedInt(image.value(IdentificationRows::SensorType, k)) & 3);
}
