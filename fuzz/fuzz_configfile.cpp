// The configuration-file reader, and everything a loaded image feeds: the write encoding of
// every row, the file's number format, the identification values and the main window's texts.
#include "app/FrameTexts.h"
#include "config/ConfigurationFile.h"
#include "device/DeviceImage.h"
#include "device/Identification.h"
#include "device/ParameterTable.h"
#include "device/RowCodec.h"
#include "i18n/StringTable.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const Texts texts;
    static const ParameterTable table = [] {
        ParameterTable t;
        t.BuildParameterTable(texts);
        return t;
    }();
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    DeviceImage image;
    image.clear();
    Identification id;
    const ConfigurationFileResult loaded =
        LoadConfiguration(bytes, QStringLiteral("fuzz.tvk"), image, id, table);
    valuesNotNumbersText(loaded, table, texts);
    if (!loaded.ok)
        return 0;
    MemoryImage memory;
    for (int row = 0; row < ParameterTable::Rows; ++row)
        encodeWriteData(table, image, memory, row);
    for (int p = ConfigurationFile::FirstEntry; p <= ConfigurationFile::LastEntry; ++p)
        for (int k = 1; k <= ConfigurationFile::valueCount(table, p); ++k)
            ConfigurationFile::formatNumber(image.value(p, k));
    CopyParameterSetId(id, image);
    parameterSetIdPanelText(id.ParameterSetId);
    featureCodeText(id, texts);
    featureMenuEntry(id);
    sensorTypeEntryCount(id);
    menuVisibility(id.FirmwareVersion, truncatedInt(image.value(31, 1)));
    for (int k = 1; k <= 8; ++k)
        channelOverview(image, k);
    return 0;
}
