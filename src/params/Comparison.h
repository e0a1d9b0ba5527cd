#pragma once

#include "device/WritePreview.h"

class DeviceData;
class DeviceImage;

// The values of a comparison as the windows show them (the parameter overview's texts), each
// side in its own terms: its firmware, module variant and channel formats. A value the
// overview does not show is given as the number compared.
ComparisonValueText overviewValueText(DeviceData& before, DeviceData& after);

// Makes `side` one side of a comparison: the language, parameter table and identification of
// `source`, holding `image`.
void copyForComparison(const DeviceData& source, DeviceData& side, const DeviceImage& image);
