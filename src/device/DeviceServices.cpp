#include "device/DeviceServices.h"

#include "device/DeviceImage.h"
#include "device/Identification.h"
#include "device/ParameterTable.h"
#include "device/RowCodec.h"
#include "link/Crc16.h"
#include "link/Link.h"
#include "link/Telegram.h"
#include "link/TransferGroup.h"

namespace {
constexpr quint8 ReadControl = Telegram::ReadControl;
constexpr quint8 WriteControl = Telegram::WriteControl;
constexpr int ShortReplyLength = 5;
constexpr int RawBlockCode = 61;

int byteSum(const QByteArray& data) {
    int sum = 0;
    for (char b : data)
        sum += quint8(b);
    return sum;
}

} // namespace

QString firmwareText(int version) {
    return QStringLiteral("Firmware: V%1.%2").arg(version / 16).arg(version % 16);
}

QByteArrayList prepareLinkFrames(int firmwareVersion, int deviceAddress) {
    QByteArrayList frames;
    // Modbus RTU "write multiple registers" to the broadcast address: a controller switched to
    // Modbus returns to its own protocol.
    QByteArray modbus = QByteArray::fromHex("0010D0057D010100");
    const quint16 crc = crc16Modbus(modbus);
    modbus.append(char(crc & 0xFF)).append(char(crc >> 8));
    frames.append(modbus);
    // The same for the Q8100 protocol (firmware above 0x64).
    if (firmwareVersion > 100)
        frames.append(Telegram::buildShort(0xFF, 0x49));
    // And for the HB-Therm protocol, which only knows addresses 1..9 (firmware above 0x42).
    if (firmwareVersion > 66 && deviceAddress > 0 && deviceAddress < 10) {
        QByteArray hb;
        hb.append(char(0xB0 + 8 * deviceAddress)).append("007w");
        const int s = byteSum(hb) % 256;
        hb.append(char(0x30 + s / 16)).append(char(0x30 + s % 16));
        frames.append(hb);
    }
    return frames;
}

DeviceServices::DeviceServices(Link& link, const ParameterTable& table, DeviceImage& image,
                               MemoryImage& memory, Identification& identification, QObject* parent)
    : QObject(parent), m_link(link), m_table(table), m_image(image), m_memory(memory),
      m_identification(identification) {}

void DeviceServices::ReadRequest(int code, int p1, int p2, int p3) {
    QByteArray data;
    switch (transferGroupOf(code)) {
    case TransferGroup::SingleByte:
    case TransferGroup::SingleWord:
        break;
    case TransferGroup::AddressedWord:
        data = QByteArray(3, '\0');
        break;
    default:
        data.append(char(p1 & 0xFF)).append(char(p2 & 0xFF)).append(char(p3 & 0xFF));
        break;
    }
    exchange(ReadControl, code, data, readReplyLength(code, p1, p2));
}

std::optional<QList<int>> DeviceServices::readValues(int code, int p1, int p2, int p3) {
    ReadRequest(code, p1, p2, p3);
    if (m_link.CommError)
        return std::nullopt;
    return decodeReadValues(code, p1, p2, m_link.ReplyBytes);
}

void DeviceServices::exchange(quint8 control, int code, const QByteArray& data,
                              int expectedLength) {
    m_link.RequestControl = control;
    m_link.FunctionCode = code;
    m_link.RequestData = data;
    m_link.RequestLength = 3 + int(data.size());
    m_link.DataSum = byteSum(data);
    m_link.Checksum = (control + m_link.DeviceAddress + code + m_link.DataSum) % 256;
    m_link.ExpectedLength = expectedLength;
    m_link.ExchangeTelegram();
}

bool DeviceServices::WriteParameterRow(int row) {
    WriteRow = row;
    return WriteParameterRow();
}

bool DeviceServices::WriteParameterRow() {
    m_refusal.clear();
    const int row = WriteRow;
    WriteRefusal refusal;
    const std::optional<QByteArray> data =
        encodeWriteData(m_table, m_image, m_memory, row, &refusal);
    if (!data) {
        m_refusal = refusal.text;
        m_link.CommError = true;
        Q_EMIT valueRefused(row, refusal.column, refusal.value);
        return false;
    }
    exchange(WriteControl, m_table[row].FunctionCode, *data, ShortReplyLength);
    return !m_link.CommError;
}

void DeviceServices::SendCommand(int code, const QByteArray& data) {
    exchange(WriteControl, code, data, ShortReplyLength);
}

void DeviceServices::PrepareLink() {
    for (const QByteArray& frame :
         prepareLinkFrames(m_identification.FirmwareVersion, m_link.DeviceAddress)) {
        m_link.writeRaw(frame);
        m_link.Pause();
    }
    m_link.discardInput();
    m_link.CommError = false;
}

bool DeviceServices::ReadFirmwareVersion() {
    ReadRequest(53);
    const bool ok = !m_link.CommError;
    if (ok)
        m_identification.FirmwareVersion = m_link.ReplyBytes[8];
    Q_EMIT firmwareVersionRead(m_identification.FirmwareVersion);
    return ok;
}

bool DeviceServices::ReadRawBlock() {
    PrepareLink();
    ReadRequest(RawBlockCode);
    // Only a complete raw block changes the image: a silent controller leaves it as it was.
    if (m_link.CommError)
        return false;
    for (int i = 0; i < MemoryImage::BlockTableSize; ++i)
        m_memory[MemoryImage::BlockTableStart + i] = quint8(m_link.ReplyBytes[size_t(11 + i)]);
    return true;
}

bool DeviceServices::QueryOperationStatus() {
    ReadRequest(50);
    if (m_link.CommError)
        return false;
    OpStatus = m_link.ReplyBytes[8] & 0xF0;
    return true;
}

bool DeviceServices::RefreshMappingState() {
    const bool ok = QueryOperationStatus();
    if (ok)
        MappingActive = OpStatus == 0xA0 ? 1 : 0;
    Q_EMIT mappingStateChanged(MappingActive == 1);
    return ok;
}
