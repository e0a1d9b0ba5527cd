#pragma once

#include <QByteArray>
#include <QString>

#include <QList>

#include <array>
#include <optional>

class DeviceImage;
class ParameterTable;
struct MemoryImage;

// Why a ParameterTable row cannot be written: the value that does not fit (column 1.., 0 when
// the row as a whole is refused), and a sentence for the user.
struct WriteRefusal {
    int column = 0;
    double value = 0;
    QString text;
    int row = -1;
};

// The refusal of the image's value in row, column that does not fit: "Max. setpoint (row 7),
// value 3: 70000 does not fit a word (-32768..65535)." `fits` names the range ("a byte
// (0..255)"); a text is named as it stands.
WriteRefusal valueRefusal(const ParameterTable& table, const DeviceImage& image, int row,
                          int column, const QString& fits);

// The function codes the controller only reports: 46, 47, 48, 49 and 53.
bool isReadOnlyCode(int functionCode);

// The dimension byte (row 32: °F, master PDO, amps not zero, no function store in bits 0..3) is
// written with function code 0x32, which also carries the controller's operation commands: a
// written dimension byte and a command are the same frame. Only the four switch bits are sent
// (a read of 0x32 puts the operation status into the high bits), and all four together, 0x0F,
// are refused, because the controller would take that byte as its factory-settings command.
constexpr int DimensionRow = 32;
constexpr int DimensionSwitches = 0x0F;
// Whether a dimension byte can be written (its switch bits are not all set).
bool dimensionSendable(int dimension);

// The data bytes of the write Telegram of a ParameterTable row, laid out by the transfer group
// of its function code: the three zero range bytes (not for single bytes and single words),
// then the row's DeviceImage values as bytes or words; the raw block sends the MemoryImage
// block table instead. Empty, with *refusal filled in, when the row does not exist, is
// read-only, or a value does not fit its byte or word after rounding: nothing is ever cut.
std::optional<QByteArray> encodeWriteData(const ParameterTable& table, const DeviceImage& image,
                                          const MemoryImage& memory, int row,
                                          WriteRefusal* refusal = nullptr);

// The values of a read reply (ReplyBytes, 1-based), laid out by the transfer group of
// `functionCode`: bytes or words (low byte first) from byte 11 on for blocks (as many as the
// range p1..p2 asks for, or the code's unranged count), byte 8 for a single byte, bytes 8 and 9
// for a single word, bytes 11 and 12 for an addressed word. The raw block is not decoded here.
QList<int> decodeReadValues(int functionCode, int p1, int p2,
                            const std::array<int, 201>& replyBytes);
