#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QObject>
#include <QString>

#include <optional>

class DeviceImage;
class Link;
class ParameterTable;
struct Identification;
struct MemoryImage;

// "Firmware: V3.6" for the version byte 0x36 (status bar, q7400ctl probe).
QString firmwareText(int version);

// The operations every device function rests on: read an item, write a ParameterTable row,
// send a command, bring the controller back to its own protocol. They fill the request fields
// of the Link and run one exchange; the reply stays in Link::ReplyBytes with Link::CommError
// telling whether it is valid. Values are not decoded here beyond byte positions.
class DeviceServices : public QObject {
    Q_OBJECT
public:
    DeviceServices(Link& link, const ParameterTable& table, DeviceImage& image, MemoryImage& memory,
                   Identification& identification, QObject* parent = nullptr);

    // Read request (control 0x7B). p1..p2: channel range (0 = no range), p3 sent unchanged.
    void ReadRequest(int code, int p1 = 0, int p2 = 0, int p3 = 0);
    // ReadRequest, then the reply's values by the code's transfer group (decodeReadValues in
    // RowCodec.h): empty when the controller did not answer. Windows and long operations take
    // their values from here (or from a decoder of their own beside the service that reads
    // them), never from Link::ReplyBytes by position.
    std::optional<QList<int>> readValues(int code, int p1 = 0, int p2 = 0, int p3 = 0);

    // The ParameterTable row WriteParameterRow() writes.
    int WriteRow = 0;
    // Writes the DeviceImage values of WriteRow with the row's function code (control 0x73).
    // The data bytes are those of encodeWriteData() (RowCodec.h). Nothing is sent and false is
    // returned when the row is read-only or a value does not fit its byte or word
    // (refusalText() says which; valueRefused() is emitted); CommError is then true. Otherwise
    // the result is !CommError.
    bool WriteParameterRow();
    bool WriteParameterRow(int row);
    QString refusalText() const { return m_refusal; }

    // One command Telegram (control 0x73), short reply expected. Commands on a channel range
    // put first channel, last channel and a third byte in front of their data.
    void SendCommand(int code, const QByteArray& data);

    // Brings a controller that may have been switched to a foreign bus protocol back to the
    // native one and empties the input. Run before every user-started device operation.
    void PrepareLink();

    // Reads the firmware version byte into Identification::FirmwareVersion (unchanged when the
    // controller does not answer) and emits firmwareVersionRead in every case.
    bool ReadFirmwareVersion();

    // PrepareLink, then the 96-byte raw block into MemoryImage 640..735. The image is changed
    // only when the reply is a complete raw block.
    bool ReadRawBlock();

    // Operation status of the controller (low four bits always 0; 0xA0 = mapping running).
    int OpStatus = 0;
    // Reads OpStatus; unchanged when the controller does not answer.
    bool QueryOperationStatus();

    // 1 while the controller reports mapping, else 0.
    int MappingActive = 0;
    // QueryOperationStatus, then MappingActive; mappingStateChanged is emitted in every case
    // so the mapping widgets refresh.
    bool RefreshMappingState();

    Link& link() { return m_link; }

Q_SIGNALS:
    void firmwareVersionRead(int version);
    void mappingStateChanged(bool active);
    // A DeviceImage value that cannot be sent (row, column = value number 1.., the value).
    void valueRefused(int row, int column, double value);

private:
    // Fills the request fields of the Link for one Telegram and runs the exchange.
    void exchange(quint8 control, int code, const QByteArray& data, int expectedLength);

    Link& m_link;
    const ParameterTable& m_table;
    DeviceImage& m_image;
    MemoryImage& m_memory;
    Identification& m_identification;
    QString m_refusal;
};

// The frames PrepareLink writes, in order, for a firmware version and controller address.
QByteArrayList prepareLinkFrames(int firmwareVersion, int deviceAddress);
