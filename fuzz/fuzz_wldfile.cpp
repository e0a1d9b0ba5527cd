// The WLD file reader, and what a file it takes feeds: the decoding into the device image (for
// an old or a new firmware, as header byte 2, which the reader ignores, says), the encoding
// back (which never refuses what it decoded), the file written again (which reads back), and
// the texts the WLD window shows.
#include "device/DeviceImage.h"
#include "device/MemoryImageCodec.h"
#include "device/ParameterTable.h"
#include "i18n/StringTable.h"
#include "services/WldEdit.h"
#include "services/WldFile.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Names play no part here: an empty text table keeps the target free of resources.
    static const StringTable noTexts = StringTable::parse(QString());
    static const ParameterTable table = [] {
        ParameterTable t;
        t.BuildParameterTable(Texts(noTexts));
        return t;
    }();
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<WldContent> content = parseWldFile(bytes);
    if (!content)
        return 0;
    DeviceImage image;
    image.clear();
    decodeMemoryImage(table, content->memory, (bytes[2] & 1) ? 0x45 : 0x99, image);
    MemoryImage memory = content->memory;
    if (!encodeMemoryImage(table, image, memory))
        __builtin_trap();
    storeMemoryImageCrc(memory);
    if (!parseWldFile(wldFileBytes(memory, content->fields)))
        __builtin_trap();
    const WldHeaderEdit shown(content->fields);
    shown.blockNumberText();
    shown.versionText();
    for (WldTextField f : {WldTextField::Author, WldTextField::Family, WldTextField::Name})
        shown.text(f);
    for (int i = 0; i < 6; ++i)
        shown.timeText(i);
    wldTimeText(content->fields.BlockTime);
    return 0;
}
